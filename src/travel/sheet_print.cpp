#include "travel/sheet_print.h"

#include <algorithm>
#include <cmath>

#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {
namespace {

const std::string& KeyWidth() {
    static const std::string k = "Koef.CEPR šířka"_cz;
    return k;
}
const std::string& KeyHeight() {
    static const std::string k = "Koef.CEPR výška"_cz;
    return k;
}
const std::string& KeyLeft() {
    static const std::string k = "Korekce CEPR levý okraj"_cz;
    return k;
}
const std::string& KeyTop() {
    static const std::string k = "Korekce CEPR horní okraj"_cz;
    return k;
}

double Coefficient(double value) { return value > 0 ? value : 1; }

int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

// A font size in points as printer dots (rounded as the system rounds).
int PointsToDots(int points, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(points) * dpi / 72.0));
}

PrintFont FontOf(const SheetFont& f, int dpiY) {
    PrintFont font;
    font.faceName = f.face;
    font.height = PointsToDots(f.points, dpiY);
    font.weight = f.bold ? 700 : 400;
    return font;
}

bool IsNarrow(char ch) {
    static const std::string narrow = "iíIÍjltf"_cz;
    return narrow.find(ch) != std::string::npos;
}

}  // namespace

Calibration ReadCalibration(Common& c) {
    Calibration cal;
    cal.widthCoef = Coefficient(StrToFloatLoose(GetReg(c, kCalibrationFile, KeyWidth())));
    cal.heightCoef = Coefficient(StrToFloatLoose(GetReg(c, kCalibrationFile, KeyHeight())));
    cal.left = StrToFloatLoose(GetReg(c, kCalibrationFile, KeyLeft()));
    cal.top = StrToFloatLoose(GetReg(c, kCalibrationFile, KeyTop()));
    return cal;
}

int SheetGeometry::X(int x) const { return Trunc(x * sx + left); }
int SheetGeometry::Y(int y) const { return Trunc(y * sy + top); }

SheetGeometry ComputeGeometry(int dpiX, int dpiY, const Calibration& cal) {
    SheetGeometry g;
    g.sx = std::max(dpiX, 72) / 100.0;
    g.sy = std::max(dpiY, 72) / 100.0;
    g.cellA = Trunc(g.sx * 50);
    g.cellB = Trunc(g.sx * 20);
    g.sx *= cal.widthCoef;
    g.sy *= cal.heightCoef;
    g.cellB = Trunc(cal.widthCoef * 0.818 * g.cellB);
    g.left = cal.left;
    g.top = cal.top;
    return g;
}

PrintKind PrintKindOfTag(int tag) {
    if (tag < 0) return PrintKind::None;
    switch (tag / 10 % 10) {
        case 0: return PrintKind::Text;
        case 1: return PrintKind::CellsA;
        case 2: return PrintKind::CellsB;
        case 3: return PrintKind::Label;
        default: return PrintKind::None;
    }
}

int PrintSheet(Common& c, PrintJob& job, const SheetTexts& sheet, bool withPicture) {
    const Calibration cal = ReadCalibration(c);
    PrintCanvas& canvas = job.canvas();
    const SheetGeometry g = ComputeGeometry(canvas.DpiX(), canvas.DpiY(), cal);
    const SheetLayout& layout = sheet.layout();
    if (withPicture) {
        const int left = Trunc(cal.left), top = Trunc(cal.top);
        const int right = Trunc(layout.pictureWidth * g.sx + left);
        const int bottom = Trunc(layout.pictureHeight * g.sy + top);
        (void)canvas.DrawPicture(left, top, right, bottom,
                                 c.fs.HostPath(ProgPath(c, layout.picture)));
    }
    PrintFont start;
    start.faceName = "MS Sherif";
    start.weight = 700;
    start.height = PointsToDots(10, canvas.DpiY());
    canvas.SetFont(start);
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        const SheetField& f = layout.fields[i];
        const PrintKind kind = PrintKindOfTag(f.tag);
        if (f.tag < 0) continue;
        const std::string text = sheet.at(static_cast<int>(i)).substr(0, kRegValueMax);
        const int x = g.X(f.left), y = g.Y(f.top);
        canvas.SetFont(FontOf(f.font, canvas.DpiY()));
        if (kind == PrintKind::Text || kind == PrintKind::Label) {
            canvas.DrawText(x, y, text);
        } else if (kind == PrintKind::CellsA || kind == PrintKind::CellsB) {
            const int cell = kind == PrintKind::CellsA ? g.cellA : g.cellB;
            for (std::size_t k = 0; k < text.size(); ++k) {
                const int at = x + static_cast<int>(k) * cell + (IsNarrow(text[k]) ? cell / 3 : 0);
                canvas.DrawText(at, y, std::string_view(&text[k], 1));
            }
        }
    }
    return job.Finish();
}

Calibration CalibrateSheet(Common& c) {
    const Calibration cal = ReadCalibration(c);
    const F1Handler help = [&c](int, std::string&) {
        c.ui.HelpBox(3, 7, " Návod na použití "_cz,
                     {"Pokud zjistíte, že formulář je na papíře umístěn ve špatné výšce nebo"_cz,
                      "příliš vlevo nebo vpravo, upravte příslušné parametry."_cz, "",
                      "Takto nastavené parametry se budou pamatovat i pro pozdější použití, takže"_cz,
                      "pokud nezměníte tiskárnu, stačí nastavení provést pouze jedenkrát."_cz});
    };
    (void)c.ui.AskFields(10, 10, help,
                         {" Koeficient pro úravu šířky "_cz, FormatPic("###.####", cal.widthCoef),
                          " Koeficient pro úpravu délky "_cz, FormatPic("###.####", cal.heightCoef),
                          " Horní okraj (v bodech) "_cz, FormatPic("########", cal.top),
                          " Levý okraj (v bodech) "_cz, FormatPic("########", cal.left)},
                         " Údaje pro úpravu velikosti "_cz);
    const auto& r = c.ui.state().results;
    SetReg(c, kCalibrationFile, KeyWidth(), r[1]);
    SetReg(c, kCalibrationFile, KeyHeight(), r[2]);
    SetReg(c, kCalibrationFile, KeyTop(), r[3]);
    SetReg(c, kCalibrationFile, KeyLeft(), r[4]);
    return ReadCalibration(c);
}

}  // namespace kj
