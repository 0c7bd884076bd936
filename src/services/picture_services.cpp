// Window pictures (SaveFormImage, ScreenShot) and the stretch of printed
// pictures.

#include "services/picture_services.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "services/cp1250.h"
#include "services/io_codes.h"
#include "services/picture.h"
#include "services/protocol.h"

namespace kj {

int ReadFileBytes(Common& c, std::string_view path, std::string* out) {
    out->clear();
    std::unique_ptr<File> f;
    int rc = c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) return rc;
    char block[16384];
    for (;;) {
        std::size_t got = 0;
        rc = f->Read(block, sizeof block, &got);
        if (rc != io::kOk || got == 0) break;
        out->append(block, got);
    }
    const int closed = f->Close();
    return rc != io::kOk ? rc : closed;
}

int WriteFileBytes(Common& c, std::string_view path, std::string_view bytes) {
    std::unique_ptr<File> f;
    int rc = c.fs.Open(path, Access::Write, Disposition::CreateAlways, Share::Shared, &f);
    if (rc != io::kOk) return rc;
    rc = f->Write(bytes.data(), bytes.size());
    const int closed = f->Close();
    return rc != io::kOk ? rc : closed;
}

std::string LoadJpegFile(Common& c, std::string_view path, RgbImage* out) {
    *out = RgbImage();
    std::string data;
    if (int rc = ReadFileBytes(c, path, &data); rc != io::kOk)
        return "Err" + FormatPic("######", rc) + " " + std::string(path);
    return DecodeJpeg(data, out);
}

int SaveBmpFile(Common& c, std::string_view path, const RgbImage& image) {
    if (image.empty()) return io::kInvalidParameter;
    return WriteFileBytes(c, path, EncodeBmp(image));
}

int SaveJpegFile(Common& c, std::string_view path, const RgbImage& image) {
    std::string data;
    if (!EncodeJpeg(image, kJpegQuality, &data).empty()) return io::kInvalidParameter;
    return WriteFileBytes(c, path, data);
}

int SaveFormImage(Common& c, CaptureWindow& form, std::string_view path) {
    RgbImage image;
    if (!form.CaptureClient(&image) || image.empty()) return io::kInvalidParameter;
    return SaveBmpFile(c, path, image);
}

int ScreenShotHeight(int height, int workAreaHeight, int mode) {
    if (height > workAreaHeight - 20) height = workAreaHeight - 20;
    if (mode == 1 && height < kShotMinHeight) height = kShotMinHeight;
    return height;
}

RgbImage ComposeScreenShot(const RgbImage& top, const RgbImage& second, int secondTop) {
    RgbImage out(kShotWidth, kShotHeight);
    auto paste = [&out](const RgbImage& src, int y0) {
        if (src.empty()) return;
        const int w = std::min(src.width, out.width);
        for (int y = std::max(0, y0); y < out.height && y - y0 < src.height; ++y)
            std::memcpy(out.Pixel(0, y), src.Pixel(0, y - y0), static_cast<std::size_t>(w) * 3);
    };
    paste(top, 0);
    paste(second, secondTop);
    return out;
}

namespace {

// a.bmp read back and written as JPEG under the final name.
int ConvertToJpeg(Common& c, std::string_view bmpPath, std::string_view jpegPath) {
    std::string data;
    if (int rc = ReadFileBytes(c, bmpPath, &data); rc != io::kOk) return rc;
    RgbImage image;
    if (!DecodeBmp(data, &image).empty()) return io::kInvalidParameter;
    return SaveJpegFile(c, jpegPath, image);
}

}  // namespace

bool ScreenShot(Common& c, CaptureWindow& form, std::string_view path, int mode) {
    const std::string name(path);
    auto failed = [&](int code) {
        c.ui.BeepMessage("Chyba" + FormatPic("######", code) + " při zápisu "_cz + name);
        return false;
    };
    form.MoveToTop();
    const int height = ScreenShotHeight(form.Height(), c.workAreaSize().second, mode);
    if (height != form.Height()) form.SetHeight(height);
    form.ScrollTo(0);

    if (form.ControlsBottom() <= kShotSinglePageBottom) {
        if (int rc = SaveFormImage(c, form, "a.bmp"); rc != io::kOk) return failed(rc);
        if (int rc = ConvertToJpeg(c, "a.bmp", name); rc != io::kOk) return failed(rc);
        c.ui.BeepMessage("Snímek je hotov"_cz);
    } else {
        if (int rc = SaveFormImage(c, form, "a.bmp"); rc != io::kOk) return failed(rc);
        c.ui.BeepMessage("Klikněte prosím a čekejte na zpracování obrázku"_cz);
        const int reached = form.ScrollTo(form.ClientHeight());
        const int second = SaveFormImage(c, form, "b.bmp");
        form.ScrollTo(0);
        if (second != io::kOk) return failed(second);
        std::string a, b;
        RgbImage top, bottom;
        int rc = ReadFileBytes(c, "a.bmp", &a);
        if (rc == io::kOk) rc = ReadFileBytes(c, "b.bmp", &b);
        if (rc == io::kOk && (!DecodeBmp(a, &top).empty() || !DecodeBmp(b, &bottom).empty()))
            rc = io::kInvalidParameter;
        if (rc == io::kOk) rc = SaveJpegFile(c, name, ComposeScreenShot(top, bottom, reached));
        if (rc != io::kOk) return failed(rc);
    }
    if (c.set.personalData) {
        if (int rc = ScrambleFile(c, name); rc != io::kOk) return failed(rc);
    }
    return true;
}

RgbImage StretchImage(const RgbImage& image, int width, int height) {
    if (image.empty() || width <= 0 || height <= 0 ||
        static_cast<std::int64_t>(width) * height > kMaxImagePixels)
        return {};
    RgbImage out(width, height);
    std::vector<int> column(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        column[static_cast<std::size_t>(x)] = static_cast<int>(
            ((2LL * x + 1) * image.width) / (2LL * width));
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>(((2LL * y + 1) * image.height) / (2LL * height));
        std::uint8_t* dst = out.Pixel(0, y);
        for (int x = 0; x < width; ++x, dst += 3) {
            const std::uint8_t* src = image.Pixel(column[static_cast<std::size_t>(x)], sy);
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    }
    return out;
}

PixelRect PicturePrintRect(int pageWidth, int pageHeight, int dpiX, int dpiY, double leftMm,
                           double topMm, int pictureWidth, int pictureHeight) {
    PixelRect r;
    if (dpiX <= 0 || dpiY <= 0) return r;
    r.left = static_cast<int>(std::max(0.0, leftMm) * dpiX / 25.4 + 0.5);
    r.top = static_cast<int>(std::max(0.0, topMm) * dpiY / 25.4 + 0.5);
    const int roomW = pageWidth - 2 * r.left;
    const int roomH = pageHeight - 2 * r.top;
    if (roomW <= 0 || roomH <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return r;
    // The same scale both ways in physical size: pixels of the picture are
    // taken as square on paper.
    const double sx = static_cast<double>(roomW) / pictureWidth;
    const double sy = static_cast<double>(roomH) / pictureHeight * dpiX / dpiY;
    const double s = std::min(sx, sy);
    r.width = std::clamp(static_cast<int>(std::lround(pictureWidth * s)), 1, roomW);
    r.height = std::clamp(static_cast<int>(std::lround(pictureHeight * s * dpiY / dpiX)), 1, roomH);
    return r;
}

}  // namespace kj
