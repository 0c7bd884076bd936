#include "kj_test.h"

#include <cstring>

#include "screens/record_editor.h"
#include "screens/table_browser.h"
#include "services/locks.h"

namespace kj {
namespace {

// Places: a 40-character text, a 6-byte real, and a date the editor hides.
Sloupce Columns() {
    Sloupce cols(3);
    DefinujSloupec(cols[0], "Místo "_cz, 2, "", 0, 0, std::string(40, ' '), "X", 2);
    DefinujSloupec(cols[1], "Km    ", 2, "vzdálenost tam"_cz, 3, 30, std::string(10, ' '),
                   "######.##-R", 3);
    DefinujSloupec(cols[2], "D", 2, "", 0, 0, "        ", "d", 4);
    return cols;
}
constexpr int kLen = 41 + 6 + 7;

class TfTest : public TfSoub {
public:
    TfTest(Common& c, ScreenMetrics& m) : TfSoub(c, "fKJlMista", m) {
        SetColumns(Columns());
        showEditor = [this](RecordEditor& e) {
            seen = e.layout();
            if (script) script(e);
        };
    }
    int Open() {
        CellBox editor{4, 11, 93, 24, kColourBlack, RgbColour(0, 208, 208)};
        return OtevriTabulku("kjmista.dta", " Seznam míst "_cz, -1, 3, kLen, 1, editor,
                             CellBox{2, 2, 95, 25}, " F2=zápis na disk  Esc=ven "_cz,
                             " Místo "_cz, "");
    }
    void Novy() override {
        std::string blank(kLen, '\0');
        Sloupce cols = Columns();
        SlozVetu(cols, blank.data());
        std::memcpy(Veta(), blank.data(), kLen);
        TfSoub::Novy();
    }
    void PoEnteruPole(int field) override { entered.push_back(field); }
    void PoPoli(int field, std::string& text) override {
        if (field == 1) text = UpperCz(text);
    }
    void PriZruseniOpravy() override { ++escapes; }
    void PriStavbeEditoru() override { built = editor() != nullptr && currentField() >= 0; }
    void EdF5() override { ++f5; }
    void EdAltF3() override { ++altF3; }

    std::function<void(RecordEditor&)> script;
    EditorLayout seen;
    std::vector<int> entered;
    int escapes = 0, f5 = 0, altF3 = 0;
    bool built = false;
};

struct Rig {
    Rig() : b(s.c, metrics) {
        s.UseDataDir();
        s.c.set.computer = "PC01";
        s.c.workAreaSize = [] { return std::pair{1280, 1024}; };
        EXPECT_EQ(b.Open(), 0);
    }
    ~Rig() {
        Odemkni(s.c, b.dataPath());
        b.Uvolni();
    }
    rectest::TempStation s;
    ScreenMetrics metrics;
    TfTest b;
};

TEST(RecordEditor, GeometryFromTheColumnsAndStoredKeys) {
    Rig r;
    r.b.SetEditorState(3, -1);
    r.b.script = [](RecordEditor& e) { e.KeyDown(key::kEscape); };
    r.b.KeyDown(key::kF4, key::Mod::None);
    EXPECT_TRUE(r.b.built);
    const EditorLayout& l = r.b.seen;
    EXPECT_EQ(l.caption, " Místo PC01"_cz);
    EXPECT_EQ(l.paper, RgbColour(0, 208, 208));
    ASSERT_EQ(l.controls.size(), 3u);
    EXPECT_EQ(l.controls[0].maxLength, 40);
    EXPECT_TRUE(l.controls[1].hintShown);
    EXPECT_GE(l.controls[1].hintLabel.left, l.controls[1].box.left + l.controls[1].box.width);
    EXPECT_TRUE(l.controls[2].hidden);
    // Field by field downwards, each box right of its label, inside the form.
    for (std::size_t k = 0; k < l.controls.size(); ++k) {
        const EditorControl& ctl = l.controls[k];
        EXPECT_LE(ctl.label.left + ctl.label.width, ctl.box.left) << k;
        EXPECT_LE(ctl.box.left + ctl.box.width, l.form.width) << k;
        if (k > 0) {
            EXPECT_GT(ctl.box.top, l.controls[k - 1].box.top) << k;
        }
    }
    EXPECT_EQ(l.helpText, " F2=zápis na disk  Esc=ven "_cz);
    EXPECT_EQ(r.b.currentField(), -1);  // closed again

    // Closing stored the geometry; stored values replace the computed ones.
    EXPECT_EQ(GetReg(r.s.c, "par\\okna2.par", "fKJlMista AktLeft"), FormatPic("@@@@", l.form.left));
    EXPECT_EQ(GetReg(r.s.c, "par\\okna2.par", "fKJlMista AktHeight"),
              FormatPic("@@@@", l.form.height));
    EXPECT_EQ(GetReg(r.s.c, "par\\okna2.par", "fKJlMista AktPaper"),
              FormatPic("-@@@@@@@@@@@", RgbColour(0, 208, 208)));
    r.b.script = [](RecordEditor& e) {
        e.FormChanged(Rect{100, 90, 500, 300});
        e.SetPaper(RgbColour(1, 2, 3));
        e.KeyDown(key::kEscape);
    };
    r.b.KeyDown(key::kF4, key::Mod::None);
    r.b.script = [](RecordEditor& e) { e.KeyDown(key::kEscape); };
    r.b.KeyDown(key::kF4, key::Mod::None);
    EXPECT_EQ(r.b.seen.form, (Rect{100, 90, 500, 300}));
    EXPECT_EQ(r.b.seen.paper, RgbColour(1, 2, 3));

    // A position far outside the work area is pulled back inside it.
    SetReg(r.s.c, "par\\okna2.par", "fKJlMista AktLeft", "5000");
    r.b.KeyDown(key::kF4, key::Mod::None);
    EXPECT_EQ(r.b.seen.form.left, 1280 - 100);
    EXPECT_EQ(r.b.escapes, 4);
    EXPECT_EQ(ReadHost(r.s.Data("kjmista.dta")), "");
}

TEST(RecordEditor, KeysHooksAndStates) {
    Rig r;
    // Field 2 read-only, field 3 hidden: Down from field 1 accepts.
    r.b.SetEditorState(2, 0);
    r.b.SetEditorState(3, -1);
    r.b.script = [](RecordEditor& e) {
        e.FormShow();
        EXPECT_EQ(e.Current(), 1);
        e.SetText(1, "brno");
        e.KeyDown(key::kF5);
        e.KeyDown(key::Alt(key::kF3));
        e.KeyDown(key::kF10);
        EXPECT_TRUE(e.printRequested);
        EXPECT_FALSE(e.accepted());
        e.KeyDown(key::kReturn);
    };
    r.b.KeyDown(key::kF4, key::Mod::None);
    EXPECT_EQ(r.b.entered, std::vector<int>{1});
    EXPECT_EQ(r.b.f5, 1);
    EXPECT_EQ(r.b.altF3, 1);
    EXPECT_EQ(r.b.count(), 1);
    // PoPoli upper-cased the place when the field was left.
    EXPECT_EQ(r.b.columns()[0].value.substr(0, 4), "BRNO");

    // Swapped Enter and Tab: key 9 is Enter (PoEnteruPole), 13 is Tab.
    StoreEnterTab(r.s.c, EnterTab::Swapped);
    EXPECT_EQ(GetReg(r.s.c, "registry.dta", "TabEnter"), "0913");
    EXPECT_EQ(LoadEnterTab(r.s.c), EnterTab::Swapped);
    r.b.entered.clear();
    r.b.SetEditorState(2, 1);
    r.b.script = [](RecordEditor& e) {
        e.FormShow();
        e.KeyDown(key::kReturn);
        EXPECT_EQ(e.Current(), 2);
        e.KeyDown(key::kTab);
    };
    r.b.KeyDown(key::kF4, key::Mod::None);
    EXPECT_EQ(r.b.entered, std::vector<int>{2});
    EXPECT_EQ(r.b.count(), 2);
    StoreEnterTab(r.s.c, EnterTab::Normal);
    EXPECT_EQ(GetReg(r.s.c, "registry.dta", "TabEnter"), "1309");
    EXPECT_EQ(LoadEnterTab(r.s.c), EnterTab::Normal);

    // A click on another box leaves the current field first.
    r.b.script = [](RecordEditor& e) {
        e.FormShow();
        e.SetText(1, "zlín"_cz);
        e.BoxClicked(2);
        EXPECT_EQ(e.Text(1).substr(0, 4), "ZLÍN"_cz);
        EXPECT_EQ(e.Current(), 2);
        e.KeyDown(key::kEscape);
    };
    r.b.KeyDown(key::kF4, key::Mod::None);
    EXPECT_EQ(r.b.count(), 2);
}

}  // namespace
}  // namespace kj

namespace kj {
namespace {

TEST(RecordEditor, F11OffersTheEnterTabSwapAndStoresIt) {
    Rig r;
    r.s.ui.choices = {2};
    int appearanceCalls = 0;
    r.b.editorAppearance = [&](RecordEditor&) { ++appearanceCalls; };
    r.b.script = [](RecordEditor& e) {
        e.FormShow();
        e.KeyDown(key::kF11);   // item 2: swap
        e.KeyDown(key::kTab);   // now acts as Enter: PoEnteruPole, next field
        EXPECT_EQ(e.Current(), 2);
        e.KeyDown(key::kEscape);
    };
    r.b.KeyDown(key::kF4, key::Mod::None);
    EXPECT_EQ(r.s.ui.Last("choose"), "Úprava vizáže"_cz);
    EXPECT_EQ(GetReg(r.s.c, "registry.dta", "TabEnter"), "0913");
    EXPECT_EQ(r.b.entered, std::vector<int>{1});
    EXPECT_EQ(r.b.count(), 0);  // Esc wrote nothing
    // Asked again, the item turns the swap back; item 1 is the appearance.
    r.s.ui.choices = {2, 1};
    r.b.script = [](RecordEditor& e) {
        e.FormShow();
        e.KeyDown(key::kF11);
        e.KeyDown(key::kF11);
        e.KeyDown(key::kEscape);
    };
    r.b.KeyDown(key::kF4, key::Mod::None);
    EXPECT_EQ(GetReg(r.s.c, "registry.dta", "TabEnter"), "1309");
    EXPECT_EQ(appearanceCalls, 1);
    EXPECT_EQ(r.s.ui.shown[r.s.ui.shown.size() - 1].items.at(1),
              "Zaměnit klávesy Enter a Tab"_cz);
}

}  // namespace
}  // namespace kj
