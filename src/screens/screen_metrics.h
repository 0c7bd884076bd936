#pragma once
// Screen metrics shared by every screen: the character cell in pixels, the
// scale factor multiplied into computed sizes, the default font, and the
// colour encoding used in the parameter files.

#include <string>

namespace kj {

inline constexpr int kDefaultCellWidth = 8;
inline constexpr int kDefaultCellHeight = 18;
inline constexpr double kDefaultScale = 1.0;
inline constexpr const char* kDefaultFontName = "Ms Sans Serif";
inline constexpr const char* kDefaultFontStyle = "Normal";
inline constexpr const char* kDefaultFontSize = "8";

// Allowed cell sizes when the user enters them in the appearance dialog.
inline constexpr int kMinCellHeight = 10;
inline constexpr int kMaxCellHeight = 30;
inline constexpr int kMinCellWidth = 5;
inline constexpr int kMaxCellWidth = 30;

struct ScreenMetrics {
    int cellWidth = kDefaultCellWidth;
    int cellHeight = kDefaultCellHeight;
    double scale = kDefaultScale;
    std::string fontName = kDefaultFontName;
    std::string fontStyle = kDefaultFontStyle;
    std::string fontSize = kDefaultFontSize;
};

// The metrics of the running program: the appearance dialog changes them,
// the dialogs and windows read them. Core code takes a ScreenMetrics& so a
// test can use its own.
inline ScreenMetrics& SharedScreenMetrics() {
    static ScreenMetrics metrics;
    return metrics;
}

// Colours as the parameter files store them: 0x00BBGGRR.
constexpr int RgbColour(int red, int green, int blue) {
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}
inline constexpr int kColourBlack = RgbColour(0, 0, 0);
inline constexpr int kColourNavy = RgbColour(0, 0, 128);
inline constexpr int kColourLightGrey = RgbColour(240, 240, 240);

}  // namespace kj
