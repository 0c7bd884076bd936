#include "kj_test.h"

#include <cstring>

#include "editor_scripts.h"
#include "screens/record_editor.h"
#include "screens/record_templates.h"
#include "screens/table_browser.h"
#include "services/locks.h"

namespace kj {
namespace {

using namespace rectest;
using key::Mod;


constexpr int kMistaLen = 47;

Sloupce MistaColumns() {
    Sloupce cols(2);
    DefinujSloupec(cols[0], "Místo "_cz, 2, "", 0, 0, std::string(40, ' '), "X", 2);
    DefinujSloupec(cols[1], "Km    ", 2, "", 0, 0, std::string(10, ' '), "######.##-R", 3);
    return cols;
}

// The stored form of one place.
std::string Misto(const std::string& place, const std::string& km) {
    Sloupce cols = MistaColumns();
    cols[0].value = place;
    cols[1].value = km;
    std::string rec(kMistaLen, '\0');
    SlozVetu(cols, rec.data());
    return rec;
}

// A place and its km typed into the editor, then `last`.
Script Typing(const std::string& place, const std::string& km, int last = key::kF2) {
    return Fill({{1, place}, {2, km}}, last);
}

// The places list as the code lists build it on the browser.
class TfMistaList : public TfSoub {
public:
    explicit TfMistaList(Common& c) : TfSoub(c, "fKJlMista") { SetColumns(MistaColumns()); }
    int Open(int recordLength = kMistaLen) {
        CellBox editor{4, 11, 93, 24, kColourBlack, RgbColour(0, 208, 208)};
        CellBox list{2, 2, 95, 25, kColourBlack, RgbColour(208, 253, 253)};
        return OtevriTabulku("kjmista.dta", " Seznam míst "_cz, -1, 2, recordLength, 1, editor,
                             list, " F12=opakuj  F2=zápis na disk  Esc=ven ",
                             " Místo "_cz, " Enter=Výběr  F4=přidej"_cz);
    }
    void Close() {
        Odemkni(c_, dataPath());
        Uvolni();
    }
    void Novy() override {
        std::memcpy(Veta(), Misto("", "").data(), kMistaLen);
        TfSoub::Novy();
    }
    void Zrus(int row) override {
        if (!c_.ui.AskYesNo(0, 0, "Zrušit záznam?"_cz)) return;
        CtiVetu(current());
        TfSoub::Zrus(row);
    }
    void PredZrusenim() override {
        std::string blank = Misto("", "");
        blank[1] = '.';
        std::memcpy(Veta(), blank.data(), kMistaLen);
    }
    void PoCteni() override { ++(readingForDisplay() ? displayReads : reads); }
    void PredZapisem() override { ++writes; }
    using TfSoub::Prekresli;

    int reads = 0, displayReads = 0, writes = 0;
};
using TfMista = Scripted<TfMistaList>;

struct Station : rectest::Station {
    explicit Station(const fs::path& root, const std::string& number = "03")
        : rectest::Station(root, number) {
        UseDataDir();
    }
    std::string File() const { return ReadHost(Data("kjmista.dta")); }
};

struct TempStation : OwnDir, Station {
    TempStation() : Station(dir.path()) {}
};

std::string Records(std::initializer_list<std::string> recs) {
    std::string all;
    for (const auto& r : recs) all += r;
    return all;
}

TEST(TableBrowser, EmptyFileAddEditEscAndDelete) {
    TempStation s;
    TfMista b(s.c);
    ASSERT_EQ(b.Open(), 0);
    EXPECT_EQ(b.count(), 0);
    EXPECT_TRUE(b.isOpen());

    // Space on an empty file does nothing, not even the editor.
    b.KeyDown(key::kSpace, Mod::None);
    EXPECT_EQ(b.runs, 0);

    // F4 adds the first record, F4 again a second one.
    Edit(b, Typing("Brno", "12.5"), key::kF4);
    Edit(b, Typing("Olomouc", "80"), key::kF4);
    EXPECT_EQ(b.count(), 2);
    EXPECT_EQ(b.current(), 2);
    EXPECT_TRUE(b.modified());
    EXPECT_EQ(s.File(), Records({Misto("Brno", "12.5"), Misto("Olomouc", "80")}));
    EXPECT_EQ(b.gridRows().size(), 2u);
    EXPECT_EQ(StripRight(b.gridRows()[0].cells[0]), "Brno");

    // Esc in the editor of a new record and of an existing one: nothing changes.
    const std::string before = s.File();
    Edit(b, Typing("Praha", "200", key::kEscape), key::kF4);
    b.JdiNa(1, 0);
    Edit(b, Typing("Praha", "200", key::kEscape), key::kSpace);
    EXPECT_TRUE(b.cancelled());
    EXPECT_EQ(b.count(), 2);
    EXPECT_EQ(s.File(), before);

    // Space on row 1 edits record 1 in place; record 2 is untouched.
    b.JdiNa(1, 0);
    Edit(b, Typing("Brno-venkov", "14"), key::kSpace);
    EXPECT_EQ(s.File(), Records({Misto("Brno-venkov", "14"), Misto("Olomouc", "80")}));
    EXPECT_EQ(b.existingRecord(), true);

    b.Close();
}

TEST(TableBrowser, EditorWrapsOnRequestAndShiftF4WritesInPlace) {
    TempStation s;
    WriteHost(s.Data("kjmista.dta"), Records({Misto("Brno", "12.5"), Misto("Zlín", "99")}));
    TfMista b(s.c);
    ASSERT_EQ(b.Open(), 0);
    ASSERT_EQ(b.count(), 2);

    // With the wrap flag Down from the last field goes to field 1 again.
    b.wrapEditor = true;
    b.scripts.push_back([](RecordEditor& e) {
        e.FormShow();
        e.KeyDown(key::kDown);
        e.KeyDown(key::kDown);
        EXPECT_EQ(e.Current(), 1);
        e.KeyDown(key::kEscape);
    });
    b.KeyDown(key::kSpace, Mod::None);
    b.wrapEditor = false;

    // Shift+F4 edits the current row's record and writes it in place.
    b.JdiNa(1, 0);
    b.CtiVetu(2);
    Edit(b, Typing("Vsetín"_cz, "70"), key::kF4, key::Mod::Shift);
    EXPECT_EQ(s.File(), Records({Misto("Vsetín"_cz, "70"), Misto("Zlín", "99")}));
    EXPECT_EQ(b.count(), 2);
    b.Close();
}

TEST(TableBrowser, TwoStationsEditingTheSameRecord) {
    TestDir dir;
    Station a(dir.path(), "03");
    Station bst(dir.path(), "04");
    WriteHost(a.Data("kjmista.dta"), Records({Misto("Brno", "12.5"), Misto("Zlín"_cz, "99")}));
    a.fs.Plan("C:\\DATA\\kjmista.dta");  // a read fault is planted later
    TfMista first(a.c);
    TfMista second(bst.c);
    ASSERT_EQ(first.Open(), 0);
    ASSERT_EQ(second.Open(), 0);

    // Station 03 opens record 2; meanwhile station 04 edits and writes it.
    first.JdiNa(2, 0);
    second.JdiNa(2, 0);
    first.scripts.push_back([&](RecordEditor& e) {
        Edit(second, Typing("Zlín-jih"_cz, "101"), key::kSpace);
        EXPECT_EQ(bst.ui.Count("beep"), 0);
        Typing("Otrokovice", "95")(e);
    });
    first.KeyDown(key::kSpace, Mod::None);
    EXPECT_EQ(a.ui.Last("beep"), "Vaše opravy neplatí, větu změnil jiný uživatel"_cz);
    EXPECT_EQ(a.File(), Records({Misto("Brno", "12.5"), Misto("Zlín-jih"_cz, "101")}));

    // 03's second read fails: its edit is not written over 04's change.
    first.scripts.push_back([&](RecordEditor& e) {
        Edit(second, Typing("Zlín-sever"_cz, "102"), key::kSpace);
        a.fs.Plan(first.dataPath()).readCode = io::kLockViolation;
        Typing("Otrokovice", "95")(e);
    });
    first.KeyDown(key::kSpace, Mod::None);
    a.fs.Plan(first.dataPath()).readCode = 0;
    EXPECT_NE(a.ui.Last("beep").find(" cte soubor: kjmista.dta err     33"), std::string::npos);
    EXPECT_EQ(a.File(), Records({Misto("Brno", "12.5"), Misto("Zlín-sever"_cz, "102")}));

    // A record appended by the other station is seen by the next edit.
    Edit(second, Typing("Hodonín"_cz, "40"), key::kF4);
    first.JdiNa(1, 0);
    Edit(first, Typing("Brno", "13"), key::kSpace);
    EXPECT_EQ(first.count(), 3);
    EXPECT_EQ(a.File(), Records({Misto("Brno", "13"), Misto("Zlín-sever"_cz, "102"),
                                 Misto("Hodonín"_cz, "40")}));

    // While the other station has the file open a column sort is refused.
    first.Setrid(1);
    EXPECT_EQ(a.ui.Last("beep"), "Se souborem se pracuje");
    EXPECT_EQ(first.activeIndex(), 0);
    EXPECT_FALSE(fs::exists(a.Data("kjmista.dt1")));

    // Closing releases the read lock: nothing is left behind.
    second.Close();
    EXPECT_EQ(IfVolny(a.c, first.dataPath()), "");
    EXPECT_NE(IfVolny(bst.c, first.dataPath()), "");
    first.Close();
    EXPECT_EQ(IfVolny(bst.c, first.dataPath()), "");
}

TEST(TableBrowser, RepeatValuesAndTemplates) {
    TempStation s;
    WriteHost(s.Data("kjmista.dta"), Records({Misto("Brno", "12.5"), Misto("Zlín"_cz, "99")}));
    TfMista b(s.c);
    ASSERT_EQ(b.Open(), 0);

    // After an edit F12 in every field of a new record repeats it.
    b.JdiNa(1, 0);
    Edit(b, Typing("Brno", "13"), key::kSpace);
    Edit(b, Keys({key::kF12, key::kF12}), key::kF4);
    EXPECT_EQ(b.count(), 3);
    EXPECT_EQ(s.File().substr(2 * kMistaLen), Misto("Brno", "13"));

    // Ctrl+F12 on row 2 stores the template, Shift+F12 in a new record's
    // editor restores it.
    b.JdiNa(2, 0);
    b.KeyDown(key::kF12, key::Mod::Ctrl);
    EXPECT_EQ(StripRight(GetReg(s.c, b.templateFile(), TemplateKey(1))), "Zlín"_cz);
    EXPECT_EQ(b.templateFile(), "par\\fKJlMist.F12");
    Edit(b, Keys({key::Shift(key::kF12), key::kF2}), key::kF4);
    EXPECT_EQ(b.count(), 4);
    EXPECT_EQ(s.File().substr(3 * kMistaLen), Misto("Zlín"_cz, "99"));

    // Editor Ctrl+F12 stores what is typed; list Shift+F12 asks and, on
    // yes, puts the editable fields over the current row.
    b.scripts.push_back([](RecordEditor& e) {
        e.FormShow();
        e.SetText(1, "Jihlava");
        e.KeyDown(key::kDown);
        e.SetText(2, "150");
        e.KeyDown(key::Ctrl(key::kF12));
        e.KeyDown(key::kEscape);
    });
    b.KeyDown(key::kF4, Mod::None);
    EXPECT_EQ(b.count(), 4);
    b.SetEditorState(2, 0);  // the km stay
    b.JdiNa(1, 0);
    b.KeyDown(key::kF12, key::Mod::Shift);  // answered no
    EXPECT_EQ(s.ui.Last("yesno"), "Skutečně přepsat tento řádek"_cz);
    EXPECT_EQ(s.File().substr(0, kMistaLen), Misto("Brno", "13"));
    s.ui.yesNo.push_back(true);
    b.KeyDown(key::kF12, key::Mod::Shift);
    EXPECT_EQ(s.File().substr(0, kMistaLen), Misto("Jihlava", "13"));
    EXPECT_EQ(s.File().substr(kMistaLen, kMistaLen), Misto("Zlín"_cz, "99"));
    b.Close();
}

TEST(TableBrowser, AddingBlockedAndChangeCounter) {
    TempStation s;
    TfMista b(s.c);
    ASSERT_EQ(b.Open(), 0);
    b.SetChangeCounter("KJMISTA");
    Edit(b, Typing("Brno", "1"), key::kF4);
    Edit(b, Typing("Zlín"_cz, "2"), key::kF4);
    EXPECT_EQ(GetJobIn(s.c, "C:\\DATA\\", "KJMISTA"), "    2");
    EXPECT_EQ(b.changeCounterValue(), "    2");

    // "par\zakakt.par" naming the table switches adding off for good.
    SetReg(s.c, "par\\zakakt.par", "kjmista.dta", "1");
    Edit(b, Typing("Praha", "3"), key::kF4);
    EXPECT_EQ(b.runs, 2);
    EXPECT_FALSE(b.addAllowed);
    SetReg(s.c, "par\\zakakt.par", "kjmista.dta", "");
    b.KeyDown(key::kF4, Mod::None);
    EXPECT_EQ(b.runs, 2);
    EXPECT_EQ(b.count(), 2);
    b.Close();
}

TEST(TableBrowser, IoErrorsKeepTheBufferAndWriteNothing) {
    TempStation s;
    WriteHost(s.Data("kjmista.dta"), Records({Misto("Brno", "12.5"), Misto("Zlín"_cz, "99")}));
    s.fs.Plan("C:\\DATA\\kjmista.dta");  // faults are planted on the open file
    TfMista b(s.c);
    ASSERT_EQ(b.Open(), 0);
    b.CtiVetu(1);
    s.fs.Plan(b.dataPath()).readCode = io::kLockViolation;
    b.CtiVetu(2);
    EXPECT_EQ(b.record(), Misto("Brno", "12.5"));
    EXPECT_EQ(b.storedNumber(), 1);
    EXPECT_NE(s.ui.Last("beep").find(" cte soubor: kjmista.dta err     33"), std::string::npos);
    s.fs.Plan(b.dataPath()).readCode = 0;

    s.fs.Plan(b.dataPath()).writeCode = io::kDiskWriteError;
    s.fs.Plan(b.dataPath()).writeFrom = 0;
    b.ZapisVetu(2);
    EXPECT_NE(s.ui.Last("beep").find(" pise soubor: kjmista.dta err    101"), std::string::npos);
    EXPECT_EQ(s.File(), Records({Misto("Brno", "12.5"), Misto("Zlín"_cz, "99")}));
    s.fs.Plan(b.dataPath()).writeCode = 0;

    // Rows outside 1..count are neither read nor written.
    b.CtiVetu(3);
    b.ZapisVetu(3);
    b.ZapisVetu(0);
    EXPECT_EQ(s.File().size(), 2u * kMistaLen);

    // The personal-data hooks run only when the switch is on (a display
    // read for each of the two rows shown).
    for (bool personal : {false, true}) {
        s.c.set.personalData = personal;
        b.CtiVetu(1);
        b.ZapisVetu(1);
        b.Prekresli();
    }
    EXPECT_EQ(std::vector<int>({b.reads, b.writes, b.displayReads}), std::vector<int>({1, 1, 2}));
    b.Close();
}

TEST(TableBrowser, OpenFailureAndButtons) {
    TempStation s;
    WriteHost(s.Data("kjmista.dta"), Records({Misto("Brno", "12.5")}));
    s.fs.Plan("C:\\DATA\\kjmista.dta").openCode = io::kAccessDenied;
    TfMista b(s.c);
    EXPECT_EQ(b.Open(), io::kAccessDenied);
    EXPECT_EQ(s.ui.Last("beep").rfind("Uz: ", 0), 0u);
    EXPECT_NE(s.ui.Last("beep").find(" Soub: C:\\DATA\\kjmista.dta err      5"), std::string::npos);
    EXPECT_EQ(b.count(), 0);
    b.KeyDown(key::kSpace, Mod::None);
    EXPECT_EQ(b.runs, 0);
    b.Close();

    // The file is back: the buttons are shown (and looked at on screen).
    s.fs.Plan("C:\\DATA\\kjmista.dta").openCode = 0;
    TfMista c(s.c);
    c.buttonsVisible = true;
    ASSERT_EQ(c.Open(), 0);
    c.NastavPismo();
    EXPECT_EQ(c.options.rowAdjustment, 2);
    ASSERT_TRUE(c.buttons().shown);
    c.scripts.push_back(Typing("Zlín"_cz, "3"));
    c.KlF4Click();
    EXPECT_EQ(c.count(), 2);
    c.Close();
}

// The search reads ahead in blocks: it finds rows in later blocks, wraps,
// and a later search sees what another station wrote meanwhile.
TEST(TfSoubSearch, BlockReadSearchFindsAcrossBlocksAndSeesNewData) {
    TempStation s;
    std::string all;
    for (int i = 1; i <= 700; ++i) all += Misto("Obec " + FormatPic("@@@@", i), "1");
    WriteHost(s.Data("kjmista.dta"), all);
    TfMista b(s.c);
    ASSERT_EQ(b.Open(), 0);
    ASSERT_EQ(b.count(), 700);
    auto search = [&](const std::string& text) {
        b.KeyDown(key::kF3, Mod::None);
        b.SearchKeyDown(key::kF3, Mod::None, text);
        return b.current();
    };
    b.JdiNa(1, 0);
    EXPECT_EQ(search("obec 0450"), 450);
    EXPECT_EQ(search("obec 0390"), 390);  // wrapped past the end
    // Another station renames record 400 behind this browser's back.
    std::string changed = all;
    changed.replace(399 * kMistaLen, kMistaLen, Misto("Kroměříž"_cz, "1"));
    WriteHost(s.Data("kjmista.dta"), changed);
    b.JdiNa(300, 0);
    EXPECT_EQ(search("KROMERIZ"), 400);
    b.Close();
}

// ---- the record editor ----

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
    EXPECT_TRUE(l.controls[2].hidden);
    EXPECT_EQ(l.helpText, " F2=zápis na disk  Esc=ven "_cz);
    EXPECT_EQ(r.b.currentField(), -1);  // closed again

    // Closing stores the geometry and paper; the next opening uses them.
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

    // A click on another box leaves the current field first.
    r.b.SetEditorState(2, 1);
    r.b.script = [](RecordEditor& e) {
        e.FormShow();
        e.SetText(1, "zlín"_cz);
        e.BoxClicked(2);
        EXPECT_EQ(e.Text(1).substr(0, 4), "ZLÍN"_cz);
        e.KeyDown(key::kEscape);
    };
    r.b.KeyDown(key::kF4, key::Mod::None);
}

TEST(RecordEditor, F11OffersTheEnterTabSwapAndStoresIt) {
    Rig r;
    r.s.ui.choices = {2};
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
    // Asked again, the item turns the swap back.
    r.s.ui.choices = {2};
    r.b.script = [](RecordEditor& e) {
        e.FormShow();
        e.KeyDown(key::kF11);
        e.KeyDown(key::kEscape);
    };
    r.b.KeyDown(key::kF4, key::Mod::None);
    EXPECT_EQ(GetReg(r.s.c, "registry.dta", "TabEnter"), "1309");
}

}  // namespace
}  // namespace kj
