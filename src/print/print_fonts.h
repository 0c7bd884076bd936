#pragma once
// Print fonts. Reports print in one of three fonts: "norm" (80 characters
// a line), "12zn" (100) and "cond" (130). Each is a key file name + ".fnt"
// ("Height", "Width", "Escapement", "Orientation", "Weight", "Italic",
// "Underline", "StrikeOut", "Charset", "OutPrecision", "ClipPrecision",
// "Quality", "PitchAndFamily", "FaceName"), the fields of a logical font.
// Height and Width are dots of a 300-dpi printer and are scaled to the
// printer's resolution when the font is made; a missing key reads as 0.
//
// The viewer reads name + ".fnt" of the current directory, or "\2\" + name
// + ".fnt" of the program directory when that one is missing or empty. The
// font form (TfFontyTisky) edits the files of the current directory, which
// it first copies from "\2\" when "norm.fnt" is missing there.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "services/common.h"

namespace kj {

// The face name field holds 31 characters and a terminating zero.
inline constexpr std::size_t kFaceNameMax = 31;
inline constexpr std::array<const char*, 3> kPrintFontNames = {"norm", "12zn", "cond"};

struct PrintFont {
    int height = 0;  // character height; 0 = the printer's default size
    int width = 0;   // average character width; 0 = from the height
    int escapement = 0, orientation = 0;  // tenths of a degree
    int weight = 0;                        // 400 normal, 700 bold, 0 default
    std::uint8_t italic = 0, underline = 0, strikeOut = 0;
    std::uint8_t charset = 0, outPrecision = 0, clipPrecision = 0, quality = 0,
                 pitchAndFamily = 0;
    std::string faceName;  // Windows-1250, at most 31 characters; "" default face

    bool operator==(const PrintFont&) const = default;
};

// The file a font is read from: name + ".fnt" here when it holds anything,
// else "\2\" + name + ".fnt" of the program directory.
std::string PrintFontFile(Common& c, std::string_view name);
// The stored fields, unscaled (a face name longer than the field is cut).
PrintFont ReadPrintFont(Common& c, std::string_view name);
// CreatePrintFont: the stored font with Height and Width scaled from 300 dpi
// to the printer's dots per inch (Trunc (value * dpi / 300)).
PrintFont CreatePrintFont(Common& c, std::string_view name, int dpiX, int dpiY);
PrintFont ScalePrintFont(PrintFont font, int dpiX, int dpiY);

// TfFontyTisky without its widgets: the choice of the three fonts and the
// height, width and face name of the chosen one, stored in the font files
// of the current directory.
class FontyTisky {
public:
    explicit FontyTisky(Common& c) : c_(c) {}

    static std::string Caption();  // "Nastavení velikosti fontů pro tisky"
    // " 80 zn/řádek", "100 zn/řádek", "130 zn/řádek".
    static std::array<std::string, 3> Lines();

    // FormActivate: copies the three files from "\2\" when "norm.fnt" is
    // missing here, selects line 1 and shows its values.
    void Activate();
    // The user chose line 1..3: the shown values go to the font they came
    // from, then the new line's values are shown.
    void Select(int line);
    // The height or width field is left: its text becomes a whole number
    // ("##") and the shown values are stored.
    void LeaveHeight();
    void LeaveWidth();
    // The face name chosen in the font dialog. A name longer than the
    // stored field is refused with a message; false then.
    bool ChooseFace(std::string_view face);
    // FormClose: the shown values are stored.
    void Close();

    int selected() const { return selected_; }
    std::string& height() { return height_; }
    std::string& width() { return width_; }
    std::string& face() { return face_; }
    // The file of the selected line ("norm.fnt", ...).
    std::string FileOfSelected() const;

private:
    void Show();
    void Store();

    Common& c_;
    int selected_ = 1;
    std::string height_, width_, face_;
};

}  // namespace kj
