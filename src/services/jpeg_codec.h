#pragma once
// The core's picture: a plain buffer of RGB pixels, and its JPEG and BMP
// file forms. Record pictures are decoded into it, window captures are
// composed in it and saved from it; the Qt side only converts it to and
// from its own image types.
//
// JPEG goes through libjpeg with an error manager that returns to the
// caller instead of ending the process, so a damaged picture file is an
// error text, never a crash.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kj {

struct RgbImage {
    int width = 0;
    int height = 0;
    // 3 bytes (red, green, blue) per pixel, rows from the top, no padding.
    std::vector<std::uint8_t> rgb;

    RgbImage() = default;
    // A picture of that size filled with one colour.
    RgbImage(int w, int h, std::uint8_t r = 255, std::uint8_t g = 255, std::uint8_t b = 255);

    bool empty() const { return width <= 0 || height <= 0; }
    std::uint8_t* Pixel(int x, int y) {
        return rgb.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(x)) * 3;
    }
    const std::uint8_t* Pixel(int x, int y) const {
        return rgb.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(x)) * 3;
    }
};

// Pictures above this many pixels are refused when decoding (a damaged or
// hostile header must not ask for gigabytes).
inline constexpr std::int64_t kMaxImagePixels = 64LL * 1024 * 1024;

// Decodes a JPEG (grey, colour or CMYK) into `out`. Returns "" on success,
// else libjpeg's description of the fault; `out` is then left empty. A file
// that ends before its last scan counts as damaged.
std::string DecodeJpeg(std::string_view data, RgbImage* out);
// Encodes `image` as a baseline JPEG of `quality` (1..100) into `out`.
// Returns "" on success, else the fault.
std::string EncodeJpeg(const RgbImage& image, int quality, std::string* out);

// Quality of the JPEG files the system writes.
inline constexpr int kJpegQuality = 90;

// 24-bit uncompressed Windows bitmap (BITMAPFILEHEADER + BITMAPINFOHEADER,
// rows bottom-up in blue, green, red order, each padded to 4 bytes,
// 96 dots per inch).
std::string EncodeBmp(const RgbImage& image);
// Reads a 24-bit uncompressed bitmap (bottom-up or top-down), as EncodeBmp
// writes it. Returns "" on success, else what is wrong with it.
std::string DecodeBmp(std::string_view data, RgbImage* out);

}  // namespace kj
