#include "screens/record_editor.h"

#include <algorithm>

#include "screens/record_templates.h"
#include "screens/table_browser.h"
#include "services/cp1250.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"

namespace kj {

namespace {
constexpr const char* kWindowParams = "par\\okna2.par";
constexpr int kWorkAreaMargin = 100;
}  // namespace

EnterTab LoadEnterTab(Common& c) {
    const std::string v = GetReg(c, kRegistryFile, kTabEnterKey);
    if (v.size() >= 4 && StrToIntLoose(v.substr(0, 2)) == 9 && StrToIntLoose(v.substr(2, 2)) == 13)
        return EnterTab::Swapped;
    return EnterTab::Normal;
}

void StoreEnterTab(Common& c, EnterTab e) {
    const int enter = e == EnterTab::Swapped ? 9 : 13;
    const int tab = e == EnterTab::Swapped ? 13 : 9;
    SetReg(c, kRegistryFile, kTabEnterKey, FormatPic("@@", enter) + FormatPic("@@", tab));
}

RecordEditor::RecordEditor(TfSoub& owner, Common& c, ScreenMetrics& metrics)
    : owner_(owner), c_(c), metrics_(metrics) {}

std::string RecordEditor::Key(std::string_view suffix) const {
    return owner_.windowName() + std::string(suffix);
}

void RecordEditor::Build() {
    ResetWalk();
    const Sloupce& cols = owner_.columns();
    std::vector<WalkField> fields;
    fields.reserve(cols.size());
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const SloupecPopis& s = cols[i];
        WalkField f;
        f.type = s.type;
        f.width = s.width;
        f.picture = s.mask;
        f.state = owner_.EditorState(static_cast<int>(i) + 1);
        f.text = s.value;
        f.repeatValue = s.repeatValue;
        fields.push_back(std::move(f));
    }
    SetFields(std::move(fields));
    SetWrap(owner_.wrapEditor ? Wrap::On : Wrap::Off);
    SetEnterTab(LoadEnterTab(c_));
    SetPenKeys(PenKeys::Editor);
    BuildLayout();
}

void RecordEditor::BuildLayout() {
    const CellBox& box = owner_.editorBox();
    const int w = metrics_.cellWidth;
    const int h = metrics_.cellHeight;
    const double s = metrics_.scale;
    auto px = [](double v) { return static_cast<int>(v); };

    layout_ = {};
    layout_.caption = owner_.editorTitle() + c_.set.computer;
    const std::string user = StripRight(UserName(c_, c_.set.station));
    if (!user.empty()) layout_.caption += " Uživatel:"_cz + user;
    Rect& f = layout_.form;
    f.top = (box.top - 1) * h;
    f.left = (box.left - 1) * w;
    f.height = px(s * (box.bottom - box.top + 1) * (h + 4));
    f.width = (box.right - box.left + 2) * (w + 1);
    layout_.paper = box.paper;
    layout_.ink = box.ink;
    const int left = StrToIntLoose(GetReg(c_, kWindowParams, Key(" AktLeft")));
    const int top = StrToIntLoose(GetReg(c_, kWindowParams, Key(" AktTop")));
    const int width = StrToIntLoose(GetReg(c_, kWindowParams, Key(" AktWidth")));
    const int height = StrToIntLoose(GetReg(c_, kWindowParams, Key(" AktHeight")));
    const std::string paper = GetReg(c_, kWindowParams, Key(" AktPaper"));
    if (left > 0) f.left = left;
    if (top > 0) f.top = top;
    if (width > 0) f.width = width;
    if (height > 0) f.height = height;
    if (StrToIntLoose(paper) > 0) layout_.paper = StrToIntLoose(paper);
    const auto [areaW, areaH] = c_.workAreaSize();
    f.left = std::clamp(f.left, 0, std::max(0, areaW - kWorkAreaMargin));
    f.top = std::clamp(f.top, 0, std::max(0, areaH - kWorkAreaMargin));

    const Sloupce& cols = owner_.columns();
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const SloupecPopis& col = cols[i];
        EditorControl ctl;
        ctl.title = col.title;
        int titleCells = static_cast<int>(col.title.size());
        if (titleCells == 1) titleCells = 2;
        ctl.label.top = px(s * ((col.editorRow - 1) * (h + 4))) + 6;
        ctl.label.left = px(s * (col.editorColumn * w));
        ctl.label.width = px(s * (titleCells * w));
        ctl.label.height = h;
        ctl.box.top = ctl.label.top - 2;
        ctl.box.left = ctl.label.left + ctl.label.width;
        ctl.box.width = px(s * (EditBoxCells(col.type, col.width) * w));
        ctl.box.height = px(s * (h + 2));
        ctl.maxLength = col.width;
        const int state = Field(static_cast<int>(i) + 1).state;
        ctl.hidden = state < 0;
        ctl.readOnly = state == 0;
        if (col.hintColumn > 0) {
            ctl.hintShown = true;
            ctl.hint = col.hint;
            ctl.hintLabel.top = px(s * ((col.hintRow - 1) * (h + 4))) + 6;
            ctl.hintLabel.left = px(s * (col.hintColumn * w));
            ctl.hintLabel.width = px(s * (static_cast<int>(col.hint.size()) * w));
            ctl.hintLabel.height = h;
        }
        layout_.controls.push_back(std::move(ctl));
    }
    layout_.okButton = {f.width - 9 * w, 2, 7 * w, h};
    layout_.helpText = owner_.editorHelp();
    layout_.helpLine = {0, f.height - h - 4, f.width, h + 4};
}

void RecordEditor::StoreGeometry() {
    const Rect& f = layout_.form;
    SetReg(c_, kWindowParams, Key(" AktLeft"), FormatPic("@@@@", f.left));
    SetReg(c_, kWindowParams, Key(" AktTop"), FormatPic("@@@@", f.top));
    SetReg(c_, kWindowParams, Key(" AktWidth"), FormatPic("@@@@", f.width));
    SetReg(c_, kWindowParams, Key(" AktHeight"), FormatPic("@@@@", f.height));
    SetReg(c_, kWindowParams, Key(" AktPaper"), FormatPic("-@@@@@@@@@@@", layout_.paper));
}

void RecordEditor::BoxClicked(int field) {
    if (!ValidField(field)) return;
    if (ValidField(Current())) {
        std::string text = Text(Current());
        OpustPole(Current(), text);
        SetText(Current(), text);
    }
    GoToField(field);
}

void RecordEditor::ApplyStates() {
    for (int i = 1; i <= FieldCount(); ++i) {
        const int state = owner_.EditorState(i);
        SetState(i, state);
        if (i <= static_cast<int>(layout_.controls.size())) {
            EditorControl& ctl = layout_.controls[static_cast<std::size_t>(i - 1)];
            ctl.hidden = state < 0;
            ctl.readOnly = state == 0;
        }
    }
}

void RecordEditor::RefillFromColumns() {
    const Sloupce& cols = owner_.columns();
    for (int i = 1; i <= FieldCount() && i <= static_cast<int>(cols.size()); ++i)
        SetText(i, cols[static_cast<std::size_t>(i - 1)].value);
}

void RecordEditor::TakeIntoColumns() {
    Sloupce& cols = owner_.columns();
    for (int i = 1; i <= FieldCount() && i <= static_cast<int>(cols.size()); ++i)
        cols[static_cast<std::size_t>(i - 1)].value = Text(i);
}

// ---- hooks handed to the browser ----

void RecordEditor::OpustPole(int field, std::string& text) { owner_.OpustPole(field, text); }
void RecordEditor::PoPoli(int field, std::string& text) { owner_.PoPoli(field, text); }
void RecordEditor::PoEnteruPole(int field) { owner_.PoEnteruPole(field); }
void RecordEditor::Prijmi() { owner_.Prijmi(); }
void RecordEditor::PrijmiF2() { owner_.PrijmiF2(); }
void RecordEditor::PriZruseniOpravy() { owner_.PriZruseniOpravy(); }
void RecordEditor::KlF1() { owner_.NapovedaEditoru(); }
void RecordEditor::KlF3() { owner_.EdF3(); }
void RecordEditor::KlF4() { owner_.EdF4(); }
void RecordEditor::KlF5() { owner_.EdF5(); }
void RecordEditor::KlF6() { owner_.EdF6(); }
void RecordEditor::KlF7() { owner_.EdF7(); }
void RecordEditor::KlF8() { owner_.EdF8(); }
void RecordEditor::KlF9() { owner_.EdF9(); }
void RecordEditor::KlF10() { owner_.TiskEditoru(); }
void RecordEditor::Vizaz() { owner_.VizazEditoru(); }
void RecordEditor::KlAltF1() { owner_.EdAltF1(); }
void RecordEditor::KlAltF2() { owner_.EdAltF2(); }
void RecordEditor::KlAltF3() { owner_.EdAltF3(); }
void RecordEditor::KlAltF4() { owner_.EdAltF4(); }
void RecordEditor::KlAltF5() { owner_.EdAltF5(); }
void RecordEditor::KlAltF6() { owner_.EdAltF6(); }
void RecordEditor::KlAltF7() { owner_.EdAltF7(); }
void RecordEditor::KlAltF8() { owner_.EdAltF8(); }
void RecordEditor::KlAltF9() { owner_.EdAltF9(); }
void RecordEditor::KlAltF10() { owner_.EdAltF10(); }
void RecordEditor::Navod() { owner_.NavodEditoru(); }
void RecordEditor::UkazTisky() { owner_.UkazTiskyEditor(); }
void RecordEditor::KlCtrlF3() { owner_.EdCtrlF3(); }
void RecordEditor::KlCtrlF4() { owner_.EdCtrlF4(); }
void RecordEditor::KlCtrlF5() { owner_.EdCtrlF5(); }
void RecordEditor::KlCtrlF6() { owner_.EdCtrlF6(); }
void RecordEditor::KlCtrlF7() { owner_.EdCtrlF7(); }
void RecordEditor::KlCtrlF8() { owner_.EdCtrlF8(); }
void RecordEditor::UlozVzor() { owner_.UlozVzor(); }
void RecordEditor::VlozVzor() { owner_.VlozVzor(); }

}  // namespace kj
