// JPEG through libjpeg, and the plain Windows bitmap.
//
// libjpeg reports a fatal fault by calling error_exit, which by default ends
// the process. Here error_exit formats the message and jumps back (longjmp)
// to the setjmp of the function that started the work. Everything the jump
// returns to lives in a state object outside that function's frame, and the
// frames it skips (libjpeg's and the Body functions below) hold only plain
// values, so no C++ object is bypassed.

#include "services/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "services/field_codec.h"

namespace kj {

RgbImage::RgbImage(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b)
    : width(w > 0 ? w : 0), height(h > 0 ? h : 0) {
    rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = r;
        rgb[i + 1] = g;
        rgb[i + 2] = b;
    }
}

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;  // first, so libjpeg's pointer is also ours
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
};

void OnFatal(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings and trace messages are not printed; a premature end of the data
// is remembered, since libjpeg then fills the rest of the picture with grey.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    ++cinfo->err->num_warnings;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) {
        err->truncated = true;
        (*cinfo->err->format_message)(cinfo, err->message);
    }
}

void InstallErrors(ErrorManager* err) {
    jpeg_std_error(&err->pub);
    err->pub.error_exit = OnFatal;
    err->pub.emit_message = OnMessage;
    err->message[0] = '\0';
    err->truncated = false;
}

struct DecodeState {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
};

// The work of RunDecode after its setjmp. Kept in a function of its own so
// that no local variable of the frame holding the setjmp changes after it.
[[gnu::noinline]] bool DecodeBody(DecodeState* s, const unsigned char* data, unsigned long size, RgbImage* out) {
    jpeg_create_decompress(&s->cinfo);
    jpeg_mem_src(&s->cinfo, data, size);
    jpeg_read_header(&s->cinfo, TRUE);
    // The header gives the size: a picture above the limit is refused before
    // the decoder sets up its buffers, which for a progressive picture hold
    // every coefficient of the image (a damaged header asked for some GB).
    const std::int64_t pixels = static_cast<std::int64_t>(s->cinfo.image_width) *
                                static_cast<std::int64_t>(s->cinfo.image_height);
    if (pixels <= 0 || pixels > kMaxImagePixels) {
        std::snprintf(s->err.message, sizeof s->err.message, "Picture too large: %u x %u",
                      s->cinfo.image_width, s->cinfo.image_height);
        jpeg_destroy_decompress(&s->cinfo);
        return false;
    }

    const J_COLOR_SPACE source = s->cinfo.jpeg_color_space;
    if (source == JCS_GRAYSCALE)
        s->cinfo.out_color_space = JCS_GRAYSCALE;
    else if (source == JCS_CMYK || source == JCS_YCCK)
        s->cinfo.out_color_space = JCS_CMYK;
    else
        s->cinfo.out_color_space = JCS_RGB;

    jpeg_start_decompress(&s->cinfo);
    out->width = static_cast<int>(s->cinfo.output_width);
    out->height = static_cast<int>(s->cinfo.output_height);
    out->rgb.assign(static_cast<std::size_t>(out->width) * static_cast<std::size_t>(out->height) * 3, 0);

    const int components = s->cinfo.output_components;
    JSAMPARRAY row = (*s->cinfo.mem->alloc_sarray)(
        reinterpret_cast<j_common_ptr>(&s->cinfo), JPOOL_IMAGE,
        s->cinfo.output_width * static_cast<JDIMENSION>(components), 1);
    // Adobe writes CMYK inverted (0 = full ink); without its marker the
    // values are taken as plain ink amounts.
    const bool inverted = s->cinfo.saw_Adobe_marker;
    while (s->cinfo.output_scanline < s->cinfo.output_height) {
        const int y = static_cast<int>(s->cinfo.output_scanline);
        jpeg_read_scanlines(&s->cinfo, row, 1);
        const JSAMPLE* in = row[0];
        std::uint8_t* px = out->Pixel(0, y);
        for (int x = 0; x < out->width; ++x, px += 3, in += components) {
            if (components == 1) {
                px[0] = px[1] = px[2] = in[0];
            } else if (components == 4) {
                int cmyk[4];
                for (int k = 0; k < 4; ++k) cmyk[k] = inverted ? in[k] : 255 - in[k];
                for (int k = 0; k < 3; ++k)
                    px[k] = static_cast<std::uint8_t>((cmyk[k] * cmyk[3] + 127) / 255);
            } else {
                px[0] = in[0];
                px[1] = in[1];
                px[2] = in[2];
            }
        }
    }
    jpeg_finish_decompress(&s->cinfo);
    const bool truncated = s->err.truncated;
    jpeg_destroy_decompress(&s->cinfo);
    return !truncated;
}

// Fills `out`; false with err.message set on a fault.
bool RunDecode(DecodeState* s, const unsigned char* data, unsigned long size, RgbImage* out) {
    s->cinfo.err = &s->err.pub;
    InstallErrors(&s->err);
    if (setjmp(s->err.jump)) {
        jpeg_destroy_decompress(&s->cinfo);
        return false;
    }
    return DecodeBody(s, data, size, out);
}

struct EncodeState {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char* buffer;
    unsigned long size;
};

[[gnu::noinline]] bool EncodeBody(EncodeState* s, const RgbImage& image, int quality) {
    jpeg_create_compress(&s->cinfo);
    jpeg_mem_dest(&s->cinfo, &s->buffer, &s->size);
    s->cinfo.image_width = static_cast<JDIMENSION>(image.width);
    s->cinfo.image_height = static_cast<JDIMENSION>(image.height);
    s->cinfo.input_components = 3;
    s->cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s->cinfo);
    jpeg_set_quality(&s->cinfo, quality, TRUE);
    jpeg_start_compress(&s->cinfo, TRUE);
    while (s->cinfo.next_scanline < s->cinfo.image_height) {
        // libjpeg only reads the row, but its interface is not const.
        JSAMPROW row = const_cast<JSAMPLE*>(image.Pixel(0, static_cast<int>(s->cinfo.next_scanline)));
        jpeg_write_scanlines(&s->cinfo, &row, 1);
    }
    jpeg_finish_compress(&s->cinfo);
    jpeg_destroy_compress(&s->cinfo);
    return true;
}

bool RunEncode(EncodeState* s, const RgbImage& image, int quality) {
    s->cinfo.err = &s->err.pub;
    InstallErrors(&s->err);
    if (setjmp(s->err.jump)) {
        jpeg_destroy_compress(&s->cinfo);
        return false;
    }
    return EncodeBody(s, image, quality);
}

}  // namespace

std::string DecodeJpeg(std::string_view data, RgbImage* out) {
    *out = RgbImage();
    if (data.size() < 4) return "Not a JPEG file: too short";
    auto* state = static_cast<DecodeState*>(std::calloc(1, sizeof(DecodeState)));
    if (!state) return "Out of memory";
    const bool ok = RunDecode(state, reinterpret_cast<const unsigned char*>(data.data()),
                              static_cast<unsigned long>(data.size()), out);
    std::string error = ok ? std::string() : std::string(state->err.message);
    std::free(state);
    if (!ok) {
        *out = RgbImage();
        if (error.empty()) error = "Damaged JPEG file";
    }
    return error;
}

std::string EncodeJpeg(const RgbImage& image, int quality, std::string* out) {
    out->clear();
    if (image.empty() ||
        image.rgb.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
        return "Empty picture";
    if (quality < 1) quality = 1;
    if (quality > 100) quality = 100;
    auto* state = static_cast<EncodeState*>(std::calloc(1, sizeof(EncodeState)));
    if (!state) return "Out of memory";
    const bool ok = RunEncode(state, image, quality);
    std::string error = ok ? std::string() : std::string(state->err.message);
    if (ok) out->assign(reinterpret_cast<const char*>(state->buffer), state->size);
    std::free(state->buffer);
    std::free(state);
    if (!ok && error.empty()) error = "JPEG encoding failed";
    return error;
}

// ---- bitmaps ----

namespace {

constexpr std::size_t kBmpFileHeader = 14;
constexpr std::size_t kBmpInfoHeader = 40;
constexpr std::uint32_t kPixelsPerMetre96Dpi = 3780;

std::size_t BmpRowBytes(int width, int bitsPerPixel) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) / 8 + 3) &
           ~static_cast<std::size_t>(3);
}

}  // namespace

std::string EncodeBmp(const RgbImage& image) {
    const int w = image.empty() ? 0 : image.width;
    const int h = image.empty() ? 0 : image.height;
    const std::size_t rowBytes = BmpRowBytes(w, 24);
    const std::size_t pixelBytes = rowBytes * static_cast<std::size_t>(h);
    const std::size_t offset = kBmpFileHeader + kBmpInfoHeader;
    std::string out(offset + pixelBytes, '\0');
    auto* p = reinterpret_cast<unsigned char*>(out.data());
    p[0] = 'B';
    p[1] = 'M';
    codec::PutU32(p + 2, static_cast<std::uint32_t>(out.size()));
    codec::PutU32(p + 10, static_cast<std::uint32_t>(offset));
    unsigned char* info = p + kBmpFileHeader;
    codec::PutU32(info + 0, kBmpInfoHeader);
    codec::PutI32(info + 4, w);
    codec::PutI32(info + 8, h);  // positive: rows bottom-up
    codec::PutU16(info + 12, 1);
    codec::PutU16(info + 14, 24);
    codec::PutU32(info + 16, 0);  // BI_RGB
    codec::PutU32(info + 20, static_cast<std::uint32_t>(pixelBytes));
    codec::PutU32(info + 24, kPixelsPerMetre96Dpi);
    codec::PutU32(info + 28, kPixelsPerMetre96Dpi);
    for (int y = 0; y < h; ++y) {
        unsigned char* dst = p + offset + static_cast<std::size_t>(h - 1 - y) * rowBytes;
        const std::uint8_t* src = image.Pixel(0, y);
        for (int x = 0; x < w; ++x, dst += 3, src += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return out;
}

std::string DecodeBmp(std::string_view data, RgbImage* out) {
    *out = RgbImage();
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    if (data.size() < kBmpFileHeader + kBmpInfoHeader || p[0] != 'B' || p[1] != 'M')
        return "Not a bitmap file";
    const std::uint32_t offset = codec::GetU32(p + 10);
    const unsigned char* info = p + kBmpFileHeader;
    const std::int32_t w = codec::GetI32(info + 4);
    const std::int32_t rawH = codec::GetI32(info + 8);
    if (codec::GetU32(info) < kBmpInfoHeader || codec::GetU16(info + 14) != 24 ||
        codec::GetU32(info + 16) != 0)
        return "Unsupported bitmap format";
    const bool topDown = rawH < 0;
    const std::int64_t h = topDown ? -static_cast<std::int64_t>(rawH) : rawH;
    if (w <= 0 || h <= 0 || static_cast<std::int64_t>(w) * h > kMaxImagePixels)
        return "Bad bitmap size";
    const std::size_t rowBytes = BmpRowBytes(w, 24);
    if (offset > data.size() || data.size() - offset < rowBytes * static_cast<std::size_t>(h))
        return "Bitmap file too short";
    RgbImage img(w, static_cast<int>(h));
    for (int y = 0; y < img.height; ++y) {
        const int fileRow = topDown ? y : img.height - 1 - y;
        const unsigned char* src = p + offset + static_cast<std::size_t>(fileRow) * rowBytes;
        std::uint8_t* dst = img.Pixel(0, y);
        for (int x = 0; x < img.width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    *out = std::move(img);
    return {};
}

}  // namespace kj
