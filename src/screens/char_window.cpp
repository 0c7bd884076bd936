#include "screens/char_window.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "screens/calculator.h"
#include "screens/key_codes.h"
#include "services/cp1250.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {

namespace {

constexpr const char* kOkna2 = "par\\okna2.par";
constexpr const char* kOknag = "par\\Oknag.par";
// "par\Oknag.par" of at least this many bytes means one font for all windows.
constexpr int kOneFontMinSize = 7;

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string Trim(std::string_view text) { return StripLeft(StripRight(text)); }

int Scaled(double scale, int pixels) { return static_cast<int>(std::lround(scale * pixels)); }

}  // namespace

// ---- appearance ----

FontStyle FontStyleFromText(std::string_view text) {
    const std::string t = UpperCz(Trim(text));
    if (t == "BOLD") return FontStyle::Bold;
    if (t == "ITALIC") return FontStyle::Italic;
    if (t == "BOLDITALIC") return FontStyle::BoldItalic;
    return FontStyle::Normal;
}

std::string FontStyleText(FontStyle style) {
    switch (style) {
        case FontStyle::Bold: return "Bold";
        case FontStyle::Italic: return "Italic";
        case FontStyle::BoldItalic: return "BoldItalic";
        default: return "Normal";
    }
}

Appearance NactiVizaz(Common& c, const ScreenMetrics& metrics, std::string_view windowName,
                      VizazKeys keys, int paper, int ink) {
    Appearance a;
    a.fontName = metrics.fontName;
    a.fontSize = StrToIntLoose(metrics.fontSize);
    a.fontStyle = FontStyleFromText(metrics.fontStyle);
    a.ink = ink;
    a.paper = paper;
    a.cellWidth = metrics.cellWidth;
    a.cellHeight = metrics.cellHeight;

    const std::string suffix = keys == VizazKeys::Window ? "A" : "";
    // Reads every key of the appearance under `prefix` and lets the present
    // values replace the ones before.
    auto apply = [&](std::string_view file, const std::string& prefix) {
        auto get = [&](const char* name) { return GetReg(c, file, prefix + name + suffix); };
        // Cell sizes are held to what the appearance dialogs allow: a size
        // from a damaged or foreign file would overflow the cell arithmetic
        // of every window.
        std::string v = get("VyskaFontu");
        if (!IsBlank(v) && StrToIntLoose(v) > 0)
            a.cellHeight = std::clamp(StrToIntLoose(v), kMinCellHeight, kMaxCellHeight);
        v = get("SirkaFontu");
        if (!IsBlank(v) && StrToIntLoose(v) > 0)
            a.cellWidth = std::clamp(StrToIntLoose(v), kMinCellWidth, kMaxCellWidth);
        v = get("FontName");
        if (!IsBlank(v)) a.fontName = Trim(v);
        v = get("FontStyle");
        if (!IsBlank(v)) a.fontStyle = FontStyleFromText(v);
        v = get("FontSize");
        if (!IsBlank(v) && StrToIntLoose(v) != 0) a.fontSize = StrToIntLoose(v);
        v = get("FontColor");
        if (!IsBlank(v)) a.ink = StrToIntLoose(v);
        v = get("FontPaper");
        if (!IsBlank(v)) a.paper = StrToIntLoose(v);
    };

    if (FileSizeOf(c, kOknag) >= kOneFontMinSize) {
        apply(kOknag, "");
    } else {
        apply(kOkna2, "");
        apply(kOkna2, std::string(windowName) + " ");
        EraseFiles(c, kOknag);
    }
    return a;
}

std::string WindowCaption(Common& c, std::string_view title) {
    std::string caption(title);
    caption += GetJob(c, "POCITAC");
    if (!IsBlank(c.set.station)) {
        const std::string user = StripRight(UserName(c, c.set.station));
        if (!user.empty()) caption += " Uživatel:"_cz + user;
    }
    return caption;
}

// ---- layout ----

Rect CharWindowRect(int leftColumn, int topRow, int rightColumn, int bottomRow, int cellWidth,
                    int cellHeight) {
    Rect r;
    r.top = (topRow - 1) * cellHeight;
    r.left = (leftColumn - 1) * cellWidth;
    r.height = (bottomRow - topRow + 1) * (cellHeight + 4) + 4;
    r.width = (rightColumn - leftColumn + 2) * cellWidth;
    return r;
}

Rect LabelRect(int column, int row, int length, int cellWidth, int cellHeight, double scale) {
    Rect r;
    r.top = Scaled(scale, (row - 1) * (cellHeight + 4) + 4);
    r.left = Scaled(scale, column * cellWidth);
    r.height = Scaled(scale, cellHeight);
    r.width = Scaled(scale, (length == 1 ? 2 : length) * cellWidth);
    return r;
}

FieldLayout LayoutField(const PoleOkna& field, int index, int state, int cellWidth,
                        int cellHeight, double scale) {
    FieldLayout f;
    f.label = LabelRect(field.column, field.row, static_cast<int>(field.label.size()), cellWidth,
                        cellHeight, scale);
    f.edit.top = f.label.top - 2;
    f.edit.left = f.label.left + f.label.width + 10;
    f.edit.width = Scaled(scale, EditBoxCells(field.type, field.width) * cellWidth);
    f.edit.height = Scaled(scale, cellHeight);
    f.maxLength = field.width;
    f.tabOrder = index - 1;
    f.hidden = state < 0;
    f.readOnly = state == 0;
    if (state >= 0 && field.suffixColumn != 0) {
        f.hasSuffix = true;
        f.suffix = LabelRect(field.suffixColumn, field.suffixRow,
                             static_cast<int>(field.suffix.size()), cellWidth, cellHeight, scale);
    }
    return f;
}

// ---- the window ----

CharWindow::CharWindow(Common& c, std::string windowName, ScreenMetrics& metrics)
    : c_(c), windowName_(std::move(windowName)), metrics_(metrics) {
    calculator = [&c](double value) { return CalculateText(c, value); };
    showPrintSpool = [&c] {
        if (c.showPrintSpool) c.showPrintSpool();
    };
}

void CharWindow::AttachFields(std::vector<PoleOkna*> fields) {
    descriptors_ = std::move(fields);
    SetFields(std::vector<WalkField>(descriptors_.size()));
    SyncWalkFields();
}

void CharWindow::SyncWalkFields() {
    for (int i = 1; i <= FieldCount(); ++i) {
        const PoleOkna& d = Descriptor(i);
        WalkField& w = Field(i);
        w.type = d.type;
        w.width = d.width;
        w.picture = d.mask;
        w.text = d.value.substr(0, kPoleOknaValueMax);
        w.repeatValue = d.repeatValue.substr(0, kPoleOknaValueMax);
    }
}

void CharWindow::OtevriOkno(std::string_view title, std::string_view status, int paper, int ink,
                            int leftColumn, int topRow, int rightColumn, int bottomRow) {
    ResetWalk();
    caption_ = WindowCaption(c_, title);
    appearance_ = NactiVizaz(c_, metrics_, windowName_, VizazKeys::Window, paper, ink);
    layout_ = {};
    Rect& form = layout_.form;
    form = CharWindowRect(leftColumn, topRow, rightColumn, bottomRow, appearance_.cellWidth,
                          appearance_.cellHeight);
    auto stored = [&](const char* key, int& target) {
        const int v = StrToIntLoose(GetReg(c_, kOkna2, windowName_ + key));
        if (v > 0) target = v;
    };
    stored(" OknoLeft", form.left);
    stored(" OknoTop", form.top);
    stored(" OknoWidth", form.width);
    stored(" OknoHeight", form.height);

    status_ = std::string(status);
    statusChars_ = std::max(0, rightColumn - leftColumn + 1);
    SyncWalkFields();
    LayoutControls();
    for (int i = 1; i <= FieldCount(); ++i) {
        if (!layout_.fields[static_cast<std::size_t>(i - 1)].hasSuffix) continue;
        std::string text = Text(i);
        PoPoli(i, text);
        SetText(i, text);
    }
}

void CharWindow::LayoutControls() {
    const int w = appearance_.cellWidth;
    const int h = appearance_.cellHeight;
    const Rect& form = layout_.form;
    layout_.fields.clear();
    for (int i = 1; i <= FieldCount(); ++i)
        layout_.fields.push_back(LayoutField(Descriptor(i), i, State(i), w, h, metrics_.scale));
    layout_.okButton = {form.width - 62, 4, 50, h};
    layout_.statusLine = {0, form.height - 2 * h - 10, form.width - w, h};
    layout_.statusText = status_.substr(0, static_cast<std::size_t>(statusChars_));
}

void CharWindow::FormClose(const Rect& form) {
    auto set = [&](const char* key, const std::string& value) {
        SetReg(c_, kOkna2, windowName_ + key, value);
    };
    set(" OknoLeft", FormatPic("@@@@", form.left));
    set(" OknoTop", FormatPic("@@@@", form.top));
    set(" OknoWidth", FormatPic("@@@@", form.width));
    set(" OknoHeight", FormatPic("@@@@", form.height));
    set(" FontPaperA", FormatPic("-@@@@@@@@@@", appearance_.paper));
    set(" FontColorA", FormatPic("-@@@@@@@@@@", appearance_.ink));
    set(" FontNameA", appearance_.fontName);
    set(" VyskaFontuA", FormatPic("###", appearance_.cellHeight));
    set(" SirkaFontuA", FormatPic("###", appearance_.cellWidth));
    set(" FontSizeA", FormatPic("@@@@-", appearance_.fontSize));
    set(" FontStyleA", FontStyleText(appearance_.fontStyle));
}

int CharWindow::RecordLength() const {
    int n = 0;
    for (const PoleOkna* d : descriptors_) n += StoredSize(d->type, d->width);
    return n;
}

bool CharWindow::ZavriOkno() {
    if (cancelled()) return true;
    for (int i = 1; i <= FieldCount(); ++i)
        Descriptor(i).value = Text(i).substr(0, kPoleOknaValueMax);
    if (record_.empty()) return true;
    if (static_cast<std::size_t>(RecordLength()) > record_.size()) return false;
    char* p = record_.data();
    for (const PoleOkna* d : descriptors_) {
        const std::string bytes = EncodeField({d->type, d->width, d->mask}, d->value);
        std::memcpy(p, bytes.data(), bytes.size());
        p += bytes.size();
    }
    return true;
}

bool CharWindow::NactiOkno() {
    if (static_cast<std::size_t>(RecordLength()) > record_.size()) return false;
    const char* p = record_.data();
    for (PoleOkna* d : descriptors_) {
        d->value = DecodeField({d->type, d->width, d->mask}, p).substr(0, kPoleOknaValueMax);
        p += StoredSize(d->type, d->width);
    }
    return true;
}

KeyResult CharWindow::KeyDown(int composite) {
    const int enter = enterTab() == EnterTab::Swapped ? key::kTab : key::kReturn;
    if (composite == enter && !penInput() && ValidField(Current()) &&
        !EnterAllowed(Current(), Text(Current())))
        return KeyResult::Consumed;
    return FieldWalker::KeyDown(composite);
}

// ---- hooks ----

void CharWindow::KlF1() { c_.ui.BeepMessage("Help SOUB" + FormatPic("####", Current())); }

void CharWindow::Navod() { c_.ui.ShowGuide(ProgPath(c_, "\\NAVODY\\"), caption_); }

void CharWindow::Vizaz() {
    const int item = c_.ui.ChooseItem(0, 0, F1Handler(),
                                      {"Změna barvy pozadí"_cz, "Změna písma a jeho barvy"_cz},
                                      "Úprava vizáže"_cz);
    if (item == 1) {
        if (!pickers_) return;
        if (auto colour = pickers_->PickColour(appearance_.paper)) {
            appearance_.paper = *colour;
            RequestAppearance();
        }
        return;
    }
    if (item != 2) return;
    if (pickers_) {
        const FontChoice current{appearance_.fontName, appearance_.fontSize,
                                 appearance_.fontStyle, appearance_.ink};
        if (auto font = pickers_->PickFont(current)) {
            appearance_.fontName = font->name;
            appearance_.fontSize = font->size;
            appearance_.fontStyle = font->style;
            appearance_.ink = font->colour;
            RequestAppearance();
        }
    }
    const bool ok = c_.ui.AskFields(0, 0, F1Handler(),
                                    {"Výška písmen"_cz, FormatPic("####", appearance_.cellHeight),
                                     "Šířka písmen"_cz, FormatPic("####", appearance_.cellWidth)},
                                    "");
    if (!ok) return;
    const auto& results = c_.ui.state().results;
    appearance_.cellHeight = std::clamp(StrToIntLoose(results[1]), kMinCellHeight, kMaxCellHeight);
    appearance_.cellWidth = std::clamp(StrToIntLoose(results[2]), kMinCellWidth, kMaxCellWidth);
    metrics_.cellHeight = appearance_.cellHeight;
    metrics_.cellWidth = appearance_.cellWidth;
    LayoutControls();
    RequestAppearance();
}

}  // namespace kj
