// A record's picture file of any content, plain or (odd sizes) kept
// scrambled under the personal-data switch: it loads as a picture of its
// own size or as a fault; a loaded picture encodes and decodes again in the
// same size. The same bytes read as a form picture (BMP) are lossless.

#include "fuzz_station.h"
#include "screens/record_pictures.h"
#include "services/protocol.h"

using namespace kj;

namespace {

void CheckSize(const RgbImage& image) {
    FUZZ_CHECK(image.empty() || image.rgb.size() == static_cast<std::size_t>(image.width) *
                                                        static_cast<std::size_t>(image.height) * 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    const std::string bytes(fuzz::Bytes(data, size));
    s.c.set.personalData = size % 2 == 1;
    WriteHost(s.Work("doklady/KLIC-00.jpg"), bytes);
    if (s.c.set.personalData) FUZZ_CHECK(ScrambleFile(s.c, "doklady\\KLIC-00.jpg") == 0);
    (void)RecordPictureNumbers(s.c, "KLIC");
    RgbImage image;
    if (LoadRecordPicture(s.c, RecordPicturePath(s.c, "KLIC", 0), &image).empty()) {
        CheckSize(image);
        std::string again;
        RgbImage decoded;
        FUZZ_CHECK(EncodeJpeg(image, kJpegQuality, &again).empty());
        FUZZ_CHECK(DecodeJpeg(again, &decoded).empty());
        FUZZ_CHECK(decoded.width == image.width && decoded.height == image.height);
    }
    RgbImage bmp;
    if (DecodeBmp(bytes, &bmp).empty()) {
        CheckSize(bmp);
        RgbImage back;
        FUZZ_CHECK(DecodeBmp(EncodeBmp(bmp), &back).empty() && back.rgb == bmp.rgb);
    }
    return 0;
}
