#include "screens/list_layout.h"

#include <algorithm>
#include <cmath>

#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/protocol.h"
#include "services/record_file.h"

namespace kj {

namespace {

constexpr const char* kOkna2 = "par\\okna2.par";
constexpr const char* kOknag = "par\\Oknag.par";
// Distance from the work area's right and bottom edges that a form may not
// start beyond.
constexpr int kWorkAreaMargin = 100;

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string Key(std::string_view windowName, const char* suffix) {
    return std::string(windowName) + suffix;
}

// The largest positions and sizes the file holds when the list stores them
// ("@@@@", "@@@@@@"); larger ones come from a damaged file.
constexpr int kMaxStoredGeometry = 9999;
constexpr int kMaxStoredPicture = 999999;

// A stored number that replaces `target` when it reads above 0, at most `max`.
void StoredPositive(Common& c, std::string_view windowName, const char* suffix, int& target,
                    int max) {
    const int v = StrToIntLoose(GetReg(c, kOkna2, Key(windowName, suffix)));
    if (v > 0) target = std::min(v, max);
}

bool FixedPitchFont(std::string_view fontName) {
    const std::string name = UpperCz(StripLeft(StripRight(fontName)));
    return name.rfind("COURIER", 0) == 0 || name == "FIXEDSYS";
}

// "Výška písmen" and "Šířka písmen" for a list; false when refused.
bool AskCellSize(Common& c, Appearance& a, int maxWidth) {
    const bool ok = c.ui.AskFields(0, 0, F1Handler(),
                                   {"Výška písmen"_cz, FormatPic("####", a.cellHeight),
                                    "Šířka písmen"_cz, FormatPic("####", a.cellWidth)},
                                   "");
    if (!ok) return false;
    const auto& results = c.ui.state().results;
    a.cellHeight = std::clamp(StrToIntLoose(results[1]), kMinCellHeight, kMaxCellHeight);
    a.cellWidth = std::clamp(StrToIntLoose(results[2]), kMinCellWidth, maxWidth);
    return true;
}

constexpr int kListMaxCellWidth = 20;

}  // namespace

Rect ListCellRect(int leftColumn, int topRow, int rightColumn, int bottomRow, int cellWidth,
                  int cellHeight) {
    Rect r;
    r.left = (leftColumn - 1) * cellWidth;
    r.top = (topRow - 1) * cellHeight;
    r.width = (rightColumn - leftColumn + 1) * cellWidth;
    r.height = (bottomRow - topRow + 1) * cellHeight;
    return r;
}

Rect ListFormRect(Common& c, std::string_view windowName, const Rect& fromCells) {
    Rect r = fromCells;
    StoredPositive(c, windowName, " Left", r.left, kMaxStoredGeometry);
    StoredPositive(c, windowName, " Top", r.top, kMaxStoredGeometry);
    StoredPositive(c, windowName, " Width", r.width, kMaxStoredGeometry);
    StoredPositive(c, windowName, " Height", r.height, kMaxStoredGeometry);
    r.width = std::max(r.width, kMinListWidth);
    const auto [areaWidth, areaHeight] = WorkAreaSize(c);
    r.left = std::min(r.left, areaWidth - kWorkAreaMargin);
    r.top = std::min(r.top, areaHeight - kWorkAreaMargin);
    return r;
}

int ListRowHeight(double scale, int cellHeight) {
    return std::max(1, static_cast<int>(std::lround(scale * cellHeight)));
}

int MaxVisibleRows(int formHeight, double scale, int cellHeight, int rowAdjustment) {
    if (rowAdjustment < 0 || rowAdjustment > kMaxRowAdjustment) rowAdjustment = 0;
    const int rows = formHeight / (ListRowHeight(scale, cellHeight) + 1) - kListNonGridRows -
                     rowAdjustment;
    return std::max(1, rows);
}

int ComputedColumnWidth(const SloupecPopis& column, std::string_view fontName, int cellWidth,
                        double scale) {
    const bool fixed = FixedPitchFont(fontName);
    const int charWidth = fixed ? 8 : cellWidth;
    const int extra = fixed ? 1 : 0;
    // The title is shown whole: a column is at least one character wider
    // than its title without the blanks at its end.
    const int title = static_cast<int>(StripRight(column.title).size());
    const int chars = std::max(GridColumnChars(column.type, column.width), title > 0 ? title + 1 : 0);
    return static_cast<int>(std::lround(scale * chars * (charWidth + extra)));
}

std::vector<int> ListColumnWidths(Common& c, std::string_view windowName, const Sloupce& columns,
                                  std::string_view fontName, int cellWidth, double scale) {
    std::vector<int> widths;
    widths.reserve(columns.size() + 1);
    widths.push_back(kMarkColumnWidth);
    for (const SloupecPopis& s : columns)
        widths.push_back(ComputedColumnWidth(s, fontName, cellWidth, scale));
    if (columns.size() < 2) return widths;
    const std::string stored = GetReg(c, kOkna2, Key(windowName, " Gridy"));
    for (std::size_t i = 0; i < widths.size() && 3 * i < stored.size(); ++i) {
        const std::string_view part = std::string_view(stored).substr(3 * i, 3);
        if (IsBlank(part)) continue;
        const int v = StrToIntLoose(part);
        if (v == 0) continue;
        widths[i] = (v >= 1 && v <= 999) ? v : kFallbackColumnWidth;
    }
    return widths;
}

std::string FormatGridy(const std::vector<int>& widths) {
    std::string out;
    const std::size_t n = std::min<std::size_t>(widths.size(), kGridyMaxColumns);
    for (std::size_t i = 0; i < n; ++i) out += FormatPic("@@@", widths[i]);
    return out;
}

void StoreListGeometry(Common& c, std::string_view windowName, const Rect& form) {
    SetReg(c, kOkna2, Key(windowName, " Left"), FormatPic("@@@@", form.left));
    SetReg(c, kOkna2, Key(windowName, " Top"), FormatPic("@@@@", form.top));
    SetReg(c, kOkna2, Key(windowName, " Width"), FormatPic("@@@@", form.width));
    SetReg(c, kOkna2, Key(windowName, " Height"), FormatPic("@@@@", form.height));
}

void StoreListIndex(Common& c, std::string_view windowName, int row) {
    SetReg(c, kOkna2, Key(windowName, " Index"), FormatPic("@@@@@@", row));
}

int StoredListIndex(Common& c, std::string_view windowName) {
    return StrToIntLoose(GetReg(c, kOkna2, Key(windowName, " Index")));
}

void StoreGridy(Common& c, std::string_view windowName, const std::vector<int>& widths) {
    if (widths.size() < 3) return;  // column 0 and at least two data columns
    SetReg(c, kOkna2, Key(windowName, " Gridy"), FormatGridy(widths));
}

PicturePlacement ReadPicturePlacement(Common& c, std::string_view windowName,
                                      PicturePlacement p) {
    StoredPositive(c, windowName, " ImgLeft", p.panel.left, kMaxStoredPicture);
    StoredPositive(c, windowName, " ImgTop", p.panel.top, kMaxStoredPicture);
    StoredPositive(c, windowName, " ImgWidth", p.panel.width, kMaxStoredPicture);
    StoredPositive(c, windowName, " ImgHeight", p.panel.height, kMaxStoredPicture);
    StoredPositive(c, windowName, " TextLeft", p.textPane.left, kMaxStoredPicture);
    StoredPositive(c, windowName, " TextTop", p.textPane.top, kMaxStoredPicture);
    return p;
}

void StorePicturePanel(Common& c, std::string_view windowName, const Rect& panel) {
    SetReg(c, kOkna2, Key(windowName, " ImgLeft"), FormatPic("@@@@@@", panel.left));
    SetReg(c, kOkna2, Key(windowName, " ImgTop"), FormatPic("@@@@@@", panel.top));
    SetReg(c, kOkna2, Key(windowName, " ImgWidth"), FormatPic("@@@@@@", panel.width));
    SetReg(c, kOkna2, Key(windowName, " ImgHeight"), FormatPic("@@@@@@", panel.height));
}

void StoreTextPane(Common& c, std::string_view windowName, int left, int top) {
    SetReg(c, kOkna2, Key(windowName, " TextLeft"), FormatPic("@@@@@@", left));
    SetReg(c, kOkna2, Key(windowName, " TextTop"), FormatPic("@@@@@@", top));
}

VizazOutcome UpravVizazSeznamu(Common& c, const ScreenMetrics& metrics,
                               std::string_view windowName, Appearance& appearance, int paper,
                               int ink, AppearancePickers* pickers,
                               const std::function<void()>& systemParameters) {
    VizazOutcome out;
    const int item = c.ui.ChooseItem(0, 0, F1Handler(),
                                     {"Parametry systému"_cz, "Změna barvy pozadí"_cz,
                                      "Změna písma a jeho barvy"_cz,
                                      "Změna písma pro všechna okna (barvy zůstávají)"_cz,
                                      "Návrat k režimu pro každé okno samostatně"_cz,
                                      "Zmenšení-zvětšení okna na velikost plochy"_cz,
                                      "Nastavení standardu VELTOR"_cz},
                                     "Úprava vizáže"_cz);
    auto set = [&](const char* suffix, const std::string& value) {
        SetReg(c, kOkna2, Key(windowName, suffix), value);
    };
    auto reload = [&] {
        appearance = NactiVizaz(c, metrics, windowName, VizazKeys::List, paper, ink);
        out.appearance = true;
    };
    const FontChoice current{appearance.fontName, appearance.fontSize, appearance.fontStyle,
                             appearance.ink};
    switch (item) {
        case 1:
            if (systemParameters) systemParameters();
            break;
        case 2:
            if (!pickers) break;
            if (auto colour = pickers->PickColour(appearance.paper)) {
                appearance.paper = *colour;
                set(" FontPaper", FormatPic("-@@@@@@@@@@@", appearance.paper));
                EraseFiles(c, kOknag);
                out.appearance = true;
            }
            break;
        case 3:
            if (pickers) {
                if (auto font = pickers->PickFont(current)) {
                    appearance.fontName = font->name;
                    appearance.fontSize = font->size;
                    appearance.fontStyle = font->style;
                    appearance.ink = font->colour;
                    set(" FontName", appearance.fontName);
                    set(" FontSize", FormatPic("@@@@-", appearance.fontSize));
                    set(" FontStyle", FontStyleText(appearance.fontStyle));
                    set(" FontColor", FormatPic("-@@@@@@@@@@@", appearance.ink));
                    set(" FontPaper", FormatPic("-@@@@@@@@@@@", appearance.paper));
                    EraseFiles(c, kOknag);
                    out.appearance = true;
                }
            }
            if (AskCellSize(c, appearance, kListMaxCellWidth)) {
                set(" VyskaFontu", FormatPic("###", appearance.cellHeight));
                set(" SirkaFontu", FormatPic("###", appearance.cellWidth));
                out.appearance = true;
            }
            break;
        case 4: {
            auto general = [&](const std::string& key, const std::string& value) {
                SetReg(c, kOkna2, key, value);
            };
            if (pickers) {
                if (auto font = pickers->PickFont(current)) {
                    const std::string size = FormatPic("@@@@-", font->size);
                    const std::string style = FontStyleText(font->style);
                    general("FontName", font->name);
                    general("FontSize", size);
                    general("FontStyle", style);
                    general("FontNameA", font->name);
                    general("FontSizeA", size);
                    general("FontStyleA", style);
                    EraseFiles(c, kOknag);
                }
            }
            Appearance sizes = appearance;
            if (AskCellSize(c, sizes, kMaxCellWidth)) {
                const std::string h = FormatPic("###", sizes.cellHeight);
                const std::string w = FormatPic("###", sizes.cellWidth);
                general("VyskaFontu", h);
                general("SirkaFontu", w);
                general("VyskaFontuA", h);
                general("SirkaFontuA", w);
            }
            reload();
            break;
        }
        case 5:
            EraseFiles(c, kOkna2);
            EraseFiles(c, kOknag);
            reload();
            break;
        case 6:
            out.fitWorkArea = true;
            break;
        case 7:
            EraseFiles(c, kOkna2);
            ForceDirs(c, kOknag);
            AppendFileTo(c, ProgPath(c, "2\\Oknag.par"), kOknag);
            reload();
            break;
        default:
            break;
    }
    return out;
}

}  // namespace kj
