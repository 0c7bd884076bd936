#include "kj_test.h"

#include <cstdlib>

#include "services/jpeg_codec.h"

namespace kj {
namespace {

// A picture with smooth gradients (what JPEG keeps well) and a distinct
// colour in every quarter.
RgbImage Gradient(int w, int h) {
    RgbImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = img.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x * 255 / (w - 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / (h - 1));
            p[2] = static_cast<std::uint8_t>(x < w / 2 ? 40 : 200);
        }
    return img;
}

std::string Encoded(const RgbImage& img, int quality = 95) {
    std::string data;
    EXPECT_EQ(EncodeJpeg(img, quality, &data), "");
    return data;
}

TEST(JpegCodec, RoundTripKeepsSizeAndColours) {
    const RgbImage img = Gradient(64, 48);
    const std::string data = Encoded(img);
    ASSERT_GT(data.size(), 4u);
    EXPECT_EQ(static_cast<unsigned char>(data[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(data[1]), 0xD8);
    EXPECT_EQ(static_cast<unsigned char>(data[data.size() - 2]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(data[data.size() - 1]), 0xD9);

    RgbImage back;
    ASSERT_EQ(DecodeJpeg(data, &back), "");
    ASSERT_EQ(back.width, 64);
    ASSERT_EQ(back.height, 48);
    ASSERT_EQ(back.rgb.size(), 64u * 48u * 3u);
    long total = 0;
    int worst = 0;
    for (std::size_t i = 0; i < img.rgb.size(); ++i) {
        const int d = std::abs(int(img.rgb[i]) - int(back.rgb[i]));
        total += d;
        worst = std::max(worst, d);
    }
    EXPECT_LT(double(total) / double(img.rgb.size()), 3.0);
    EXPECT_LT(worst, 48);  // only at the sharp blue edge in the middle

    // A lower quality gives a smaller file of the same picture.
    EXPECT_LT(Encoded(img, 20).size(), data.size());
    // Odd sizes survive the chroma subsampling.
    ASSERT_EQ(DecodeJpeg(Encoded(Gradient(7, 3)), &back), "");
    EXPECT_EQ(back.width, 7);
    EXPECT_EQ(back.height, 3);
}

TEST(JpegCodec, DamagedDataGivesAnErrorNotACrash) {
    const std::string good = Encoded(Gradient(64, 48));
    RgbImage out(5, 5);

    // Cut inside the scan: libjpeg would fill the rest with grey.
    std::string error = DecodeJpeg(good.substr(0, good.size() / 2), &out);
    EXPECT_NE(error, "");
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(out.rgb.empty());

    // Cut inside the headers: a fatal libjpeg error that must come back.
    EXPECT_NE(DecodeJpeg(good.substr(0, 30), &out), "");
    EXPECT_TRUE(out.empty());

    // Not a JPEG at all, and nothing.
    EXPECT_NE(DecodeJpeg("GIF89a this is something else entirely", &out), "");
    EXPECT_NE(DecodeJpeg("", &out), "");
    EXPECT_TRUE(out.empty());

    // A header claiming a zero-wide picture.
    std::string zeroWidth = good;
    std::size_t sof = zeroWidth.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    zeroWidth[sof + 7] = 0;
    zeroWidth[sof + 8] = 0;
    EXPECT_NE(DecodeJpeg(zeroWidth, &out), "");

    // The codec still works after the failures (no state left behind).
    EXPECT_EQ(DecodeJpeg(good, &out), "");
    EXPECT_EQ(out.width, 64);

    // Nothing to encode.
    std::string data = "x";
    EXPECT_NE(EncodeJpeg(RgbImage(), 90, &data), "");
    EXPECT_TRUE(data.empty());
}

TEST(Bitmap, HeaderRowsAndPaddingOnDisk) {
    RgbImage img(3, 2);
    const std::uint8_t colours[2][3][3] = {
        {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},      // top row
        {{1, 2, 3}, {10, 20, 30}, {100, 110, 120}}};  // bottom row
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int k = 0; k < 3; ++k) img.Pixel(x, y)[k] = colours[y][x][k];

    const std::string bmp = EncodeBmp(img);
    // 54 bytes of headers, rows of 9 bytes padded to 12.
    ASSERT_EQ(bmp.size(), 54u + 2u * 12u);
    const auto* p = reinterpret_cast<const unsigned char*>(bmp.data());
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(codec::GetU32(p + 2), 78u);
    EXPECT_EQ(codec::GetU32(p + 6), 0u);
    EXPECT_EQ(codec::GetU32(p + 10), 54u);
    EXPECT_EQ(codec::GetU32(p + 14), 40u);
    EXPECT_EQ(codec::GetI32(p + 18), 3);
    EXPECT_EQ(codec::GetI32(p + 22), 2);  // positive: bottom-up
    EXPECT_EQ(codec::GetU16(p + 26), 1);
    EXPECT_EQ(codec::GetU16(p + 28), 24);
    EXPECT_EQ(codec::GetU32(p + 30), 0u);
    EXPECT_EQ(codec::GetU32(p + 34), 24u);
    EXPECT_EQ(codec::GetU32(p + 38), 3780u);
    EXPECT_EQ(codec::GetU32(p + 42), 3780u);
    // First stored row is the bottom one, blue-green-red, then 3 zeros.
    EXPECT_EQ(bmp.substr(54, 12), std::string("\x03\x02\x01\x1e\x14\x0a\x78\x6e\x64\0\0\0", 12));
    EXPECT_EQ(bmp.substr(66, 12), std::string("\0\0\xff\0\xff\0\xff\0\0\0\0\0", 12));

    RgbImage back;
    ASSERT_EQ(DecodeBmp(bmp, &back), "");
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.rgb, img.rgb);

    // Damaged or foreign bitmaps are refused.
    EXPECT_NE(DecodeBmp(bmp.substr(0, bmp.size() - 1), &back), "");  // pixels cut
    EXPECT_TRUE(back.empty());
    EXPECT_NE(DecodeBmp("BM", &back), "");
    std::string rle = bmp;
    rle[30] = 1;  // compressed
    EXPECT_NE(DecodeBmp(rle, &back), "");
}

}  // namespace
}  // namespace kj
