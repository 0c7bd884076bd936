#include "print/print_fonts.h"

#include <cstdint>

#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {
namespace {

std::uint8_t Byte(std::int32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

int Scaled(int value, int dpi) {
    return static_cast<int>(static_cast<std::int64_t>(value) * dpi / 300);
}

bool Blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// A whole number as "##", wider when it has more digits: 120 must not be
// stored as "20".
std::string WholeNumber(std::string_view text) {
    const int v = StrToIntLoose(text);
    std::string picture = "##";
    for (int rest = v < 0 ? -v : v; rest >= 100; rest /= 10) picture += '#';
    if (v < 0) picture += '-';
    return FormatPic(picture, v);
}

}  // namespace

std::string PrintFontFile(Common& c, std::string_view name) {
    const std::string here = std::string(name) + ".fnt";
    if (FileSizeOf(c, here) > 0) return here;
    return ProgPath(c, "\\2\\" + std::string(name) + ".fnt");
}

PrintFont ReadPrintFont(Common& c, std::string_view name) {
    const std::string file = PrintFontFile(c, name);
    auto num = [&](const char* key) { return StrToIntLoose(GetReg(c, file, key)); };
    PrintFont f;
    f.height = num("Height");
    f.width = num("Width");
    f.escapement = num("Escapement");
    f.orientation = num("Orientation");
    f.weight = num("Weight");
    f.italic = Byte(num("Italic"));
    f.underline = Byte(num("Underline"));
    f.strikeOut = Byte(num("StrikeOut"));
    f.charset = Byte(num("Charset"));
    f.outPrecision = Byte(num("OutPrecision"));
    f.clipPrecision = Byte(num("ClipPrecision"));
    f.quality = Byte(num("Quality"));
    f.pitchAndFamily = Byte(num("PitchAndFamily"));
    f.faceName = StripRight(GetReg(c, file, "FaceName"));
    // A file edited by hand may hold more than the field takes.
    if (f.faceName.size() > kFaceNameMax) f.faceName.resize(kFaceNameMax);
    return f;
}

PrintFont ScalePrintFont(PrintFont font, int dpiX, int dpiY) {
    font.height = Scaled(font.height, dpiY);
    font.width = Scaled(font.width, dpiX);
    return font;
}

PrintFont CreatePrintFont(Common& c, std::string_view name, int dpiX, int dpiY) {
    return ScalePrintFont(ReadPrintFont(c, name), dpiX, dpiY);
}

// ---- TfFontyTisky ----

std::string FontyTisky::Caption() { return "Nastavení velikosti fontů pro tisky"_cz; }

std::array<std::string, 3> FontyTisky::Lines() {
    return {" 80 zn/řádek"_cz, "100 zn/řádek"_cz, "130 zn/řádek"_cz};
}

std::string FontyTisky::FileOfSelected() const {
    return std::string(kPrintFontNames[static_cast<std::size_t>(selected_ - 1)]) + ".fnt";
}

void FontyTisky::Activate() {
    if (FileSizeOf(c_, "norm.fnt") < 0) {
        for (const char* name : kPrintFontNames) {
            const std::string file = std::string(name) + ".fnt";
            (void)AppendFileTo(c_, ProgPath(c_, "\\2\\" + file), file);
        }
    }
    selected_ = 1;
    Show();
}

void FontyTisky::Show() {
    const std::string file = FileOfSelected();
    height_ = GetReg(c_, file, "Height");
    width_ = GetReg(c_, file, "Width");
    face_ = GetReg(c_, file, "FaceName");
}

void FontyTisky::Store() {
    const std::string file = FileOfSelected();
    if (!Blank(height_)) SetReg(c_, file, "Height", height_);
    if (!Blank(width_)) SetReg(c_, file, "Width", width_);
    if (!Blank(face_)) SetReg(c_, file, "FaceName", face_);
}

void FontyTisky::Select(int line) {
    if (line < 1 || line > 3) return;
    Store();
    selected_ = line;
    Show();
}

void FontyTisky::LeaveHeight() {
    if (!Blank(height_)) height_ = WholeNumber(height_);
    Store();
}

void FontyTisky::LeaveWidth() {
    if (!Blank(width_)) width_ = WholeNumber(width_);
    Store();
}

bool FontyTisky::ChooseFace(std::string_view face) {
    if (face.size() > kFaceNameMax) {
        c_.ui.BeepMessage("Název fontu je delší než 31 znaků, vyberte jiný font"_cz);
        return false;
    }
    face_ = std::string(face);
    return true;
}

void FontyTisky::Close() { Store(); }

}  // namespace kj
