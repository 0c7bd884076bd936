#include "kj_test.h"

#include "screens/rolling_list.h"

namespace kj {
namespace {

using key::Mod;

// A list of synthetic rows with two columns. An optional index shows the
// stored records in reverse order. Every hook is recorded.
class TestList : public RollingList {
public:
    TestList(Common& c, ScreenMetrics& m) : RollingList(c, "fTest", m) {
        Sloupce cols(2);
        DefinujSloupec(cols[0], "Číslo"_cz, 1, "", 0, 0, "123456", "X", 1);
        DefinujSloupec(cols[1], "Název"_cz, 1, "", 0, 0, std::string(20, ' '), "X", 2);
        SetColumns(std::move(cols));
    }

    std::function<std::string(int)> name = [](int n) { return "Row " + std::to_string(n); };
    std::vector<std::string> calls;
    std::vector<int> rowsRead;
    bool index = false;

    using RollingList::SetCurrent;

    void CtiVetuProZobrazeni(int row) override {
        rowsRead.push_back(row);
        record_ = FyzickeCislo(row);
    }
    int FyzickeCislo(int row) override { return index ? count() + 1 - row : row; }

protected:
    void FormatujRadek() override {
        Text(1) = std::to_string(record_);
        Text(2) = name(record_);
    }
    KJ_RECORD_CALL(PredZavrenim) KJ_RECORD_CALL(Novy) KJ_RECORD_CALL(KlF5) KJ_RECORD_CALL(KlF12) KJ_RECORD_CALL(KlDel)
    KJ_RECORD_CALL(KlCtrlMezera) KJ_RECORD_CALL(KlAltMezera) KJ_RECORD_CALL(Setrid1) KJ_RECORD_CALL(BezTrideni)
    KJ_RECORD_CALL(KlAltF12) KJ_RECORD_CALL(KlCtrlF9) KJ_RECORD_CALL(UlozOpakovani) KJ_RECORD_CALL(VlozOpakovani)
    KJ_RECORD_CALL(KlShiftF4) KJ_RECORD_CALL(KlPlus) KJ_RECORD_CALL(KlMinus) KJ_RECORD_CALL(KlKrat) KJ_RECORD_CALL(ExportExcel)
    KJ_RECORD_CALL(ExportDbf) KJ_RECORD_CALL(KlikMysi) KJ_RECORD_CALL(PoOznaceni)
    void NactenKod() override { calls.push_back("NactenKod " + penCode()); }
    void Oprav() override { calls.push_back("Oprav " + std::to_string(current())); }
    void Zrus(int row) override { calls.push_back("Zrus " + std::to_string(row)); }
    void KlPismeno() override { calls.push_back("KlPismeno " + std::to_string(key())); }
    void Setrid(int column) override { calls.push_back("Setrid " + std::to_string(column)); }
    void PolozkaMenu(int item) override { calls.push_back("Menu " + std::to_string(item)); }
    bool IndexAktivni() const override { return index; }
    void VypniIndex() override { index = false; }

private:
    int record_ = 0;
};

// Window rows 1..18 of 18 pixels: 324 div 19 - 7 = 10 grid rows.
void Open(TestList& l, int count, int bottomRow = 18) {
    l.OtevriSeznam(1, 1, 80, bottomRow, 0, 0, "Seznam ", "F4-nový"_cz, 1, count);
    l.TakeRequests();
}

void Press(TestList& l, int vk, Mod mods = Mod::None) { l.KeyDown(vk, mods); }

// Digits typed as a keyboard does: the key, then its character.
void Type(TestList& l, char digit) {
    l.KeyDown(key::k0 + (digit - '0'), Mod::None);
    l.KeyPress(digit);
}

// "top/current" of the list.
std::string At(const TestList& l) {
    return std::to_string(l.top()) + "/" + std::to_string(l.current());
}

// Presses the keys in turn; after each the list stands where the step says.
void Walk(TestList& l, std::vector<std::pair<int, std::string>> steps) {
    for (const auto& [vk, at] : steps) {
        l.KeyDown(vk, Mod::None);
        EXPECT_EQ(At(l), at) << "after key " << vk;
    }
}

struct RollingListTest : ::testing::Test {
    RollingListTest() {
        s.Install({{"POCITAC", "PC01"}});
        list.clock = [this] { return now; };
    }
    fs::path okna2() const { return s.Work("par/okna2.par"); }
    fs::path oknag() const { return s.Work("par/Oknag.par"); }

    rectest::TempStation s;
    ScreenMetrics m;
    TestList list{s.c, m};
    std::int64_t now = 100000;
};

void ExpectInvariants(const TestList& l) {
    ASSERT_GE(l.top(), 0);
    EXPECT_EQ(l.visible(), std::min(l.count(), l.maxVisible()));
    if (l.count() == 0) return;
    EXPECT_GE(l.gridRow(), 1);
    EXPECT_LE(l.gridRow(), l.visible());
    EXPECT_LE(l.top() + l.visible(), l.count());
    EXPECT_EQ(l.current(), l.top() + l.gridRow());
    ASSERT_EQ(static_cast<int>(l.gridRows().size()), l.visible());
    for (int r = 1; r <= l.visible(); ++r)
        EXPECT_EQ(l.gridRows()[static_cast<std::size_t>(r - 1)].cells[0],
                  std::to_string(l.top() + r));
}

// ---- opening and moving ----

TEST_F(RollingListTest, OpensAtTheTopAndReadsOnlyTheVisibleRows) {
    Open(list, 1000000);
    EXPECT_EQ(list.visible(), 10);
    EXPECT_EQ(list.current(), 1);
    EXPECT_EQ(list.caption(), "Seznam PC01");
    EXPECT_EQ(list.titles(), (std::vector<std::string>{"Číslo"_cz, "Název"_cz}));
    EXPECT_EQ(list.rowsRead, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(list.gridRows()[2].cells[1], "Row 3");
    EXPECT_EQ(list.counterText(), "1000000/      1  Vybráno:      "_cz);
    EXPECT_EQ(list.helpText(), "F4-nový"_cz);
    list.rowsRead.clear();
    Press(list, key::kEnd);
    EXPECT_EQ(list.current(), 1000000);
    EXPECT_EQ(list.rowsRead.size(), 10u);
    ExpectInvariants(list);

    // Caption suffix is not added twice when the form is opened again.
    Open(list, 5);
    EXPECT_EQ(list.caption(), "Seznam PC01");
}

TEST_F(RollingListTest, PagingAndArrowsStopAtTheEdges) {
    Open(list, 100);
    Walk(list, {{key::kNext, "10/11"}});
    for (int i = 0; i < 11; ++i) Press(list, key::kNext);
    // End then Up: top stays, the grid row moves.
    Walk(list, {{key::kNext, "90/91"}, {key::kEnd, "90/100"}, {key::kDown, "90/100"},
                {key::kUp, "90/99"}, {key::kPrior, "80/89"}, {key::kHome, "0/1"},
                {key::kUp, "0/1"}, {key::kPrior, "0/1"}});
    for (int i = 0; i < 10; ++i) Press(list, key::kDown);
    EXPECT_EQ(At(list), "1/11");
    ExpectInvariants(list);

    // A list of 3 rows in a window of 20: visible 3, PgDn keeps top 0.
    Open(list, 3, 40);
    EXPECT_GE(list.maxVisible(), 20);
    EXPECT_EQ(list.visible(), 3);
    Walk(list, {{key::kNext, "0/1"}, {key::kDown, "0/2"}, {key::kDown, "0/3"}, {key::kDown, "0/3"}});
    ExpectInvariants(list);

    // An empty list shows no rows and ignores Enter.
    Open(list, 0);
    Press(list, key::kEnd);
    Press(list, key::kReturn);
    EXPECT_EQ(list.current(), 0);
    EXPECT_TRUE(list.gridRows().empty());
    EXPECT_FALSE(list.TakeRequests().close);
    EXPECT_TRUE(list.calls.empty());
}

TEST_F(RollingListTest, JdiNaInItsFourModes) {
    struct Case {
        int count, startGridRow, row, mode, top, gridRow;
    };
    const Case cases[] = {
        {100, 4, 50, 0, 46, 4},  {100, 4, 2, 0, 0, 2},   {100, 4, 99, 0, 90, 9},
        {100, 4, 50, 1, 49, 1},  {100, 4, 5, 1, 0, 5},   {100, 4, 95, 1, 90, 5},
        {100, 4, 50, 2, 40, 10}, {100, 4, 95, 2, 90, 5}, {100, 4, 5, 2, 0, 5},
        {100, 4, 25, 3, 20, 5},  {100, 4, 30, 3, 20, 10}, {95, 4, 93, 3, 85, 8},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("row " + std::to_string(k.row) + " mode " + std::to_string(k.mode));
        Open(list, k.count);
        list.Click(k.startGridRow);
        list.JdiNa(k.row, k.mode);
        EXPECT_EQ(list.top(), k.top);
        EXPECT_EQ(list.gridRow(), k.gridRow);
        EXPECT_EQ(list.current(), k.row);
    }
    // Rows outside 1..count are ignored.
    Open(list, 100);
    list.JdiNa(101, 0);
    list.JdiNa(0, 1);
    EXPECT_EQ(list.current(), 1);
}

TEST_F(RollingListTest, ScrollBarClicksAndMouse) {
    Open(list, 1000);
    list.ScrollBarChange(500);
    EXPECT_EQ(list.current(), 500);
    list.ScrollBarChange(1000);
    EXPECT_EQ(At(list), "990/1000");
    list.Click(3);
    EXPECT_EQ(list.current(), 993);
    list.MouseDown(ListMouse::Left, false, 0, 2);
    list.MouseDown(ListMouse::Right, true, 4, 1);
    list.MouseDown(ListMouse::Right, false, 4, 1);
    EXPECT_EQ(list.calls, (std::vector<std::string>{"Setrid 2", "KlikMysi"}));
    list.DoubleClick(5);
    EXPECT_EQ(list.current(), 995);
    EXPECT_EQ(list.key(), 13);
    EXPECT_TRUE(list.TakeRequests().close);

    list.options.enterEdits = true;
    Open(list, 1000);
    list.DoubleClick(2);
    EXPECT_EQ(list.calls.back(), "Oprav 2");
    EXPECT_FALSE(list.TakeRequests().close);

    list.ScrollBarEsc();
    EXPECT_EQ(list.current(), -1);
    EXPECT_TRUE(list.TakeRequests().close);
}

// ---- keys ----

TEST_F(RollingListTest, KeysReachTheirOperations) {
    Open(list, 50);
    list.Click(3);
    const struct {
        int vk;
        Mod mods;
        std::string call;
    } cases[] = {
        {key::kSpace, Mod::None, "Oprav 3"},    {key::kF4, Mod::None, "Novy"},
        {key::kF5, Mod::None, "KlF5"},          {key::kF8, Mod::None, "Zrus 3"},
        {key::kF12, Mod::None, "KlF12"},        {key::kDelete, Mod::None, "KlDel"},
        {key::kF1, Mod::Alt, "Setrid1"},        {key::kF10, Mod::Alt, "BezTrideni"},
        {key::kF12, Mod::Alt, "KlAltF12"},      {key::kF9, Mod::Ctrl, "KlCtrlF9"},
        {key::kF12, Mod::Ctrl, "UlozOpakovani"}, {key::kF12, Mod::Shift, "VlozOpakovani"},
        {key::kF4, Mod::Shift, "KlShiftF4"},    {key::kAdd, Mod::None, "KlPlus"},
        {key::kSubtract, Mod::None, "KlMinus"}, {key::kMultiply, Mod::None, "KlKrat"},
        {'E', Mod::Ctrl, "ExportExcel"},        {key::kNumpad0 + 5, Mod::Ctrl, "ExportExcel"},
        {'D', Mod::Ctrl, "ExportDbf"},          {key::kNumpad0 + 4, Mod::Ctrl, "ExportDbf"},
        {'F', Mod::None, "KlPismeno 70"},       {'T', Mod::Shift, "KlPismeno 2084"},
    };
    for (const auto& k : cases) {
        list.calls.clear();
        Press(list, k.vk, k.mods);
        EXPECT_EQ(list.calls, std::vector<std::string>{k.call}) << k.vk;
        EXPECT_EQ(list.current(), 3);
    }

    // Ctrl+Space and Alt+Space call their operation without a refill.
    list.rowsRead.clear();
    Press(list, key::kSpace, Mod::Ctrl);
    Press(list, key::kSpace, Mod::Alt);
    EXPECT_TRUE(list.rowsRead.empty());
    EXPECT_EQ(list.calls.back(), "KlAltMezera");
    Press(list, key::kTab);
    EXPECT_EQ(list.rowsRead.size(), 10u);

    // F10 asks for the pop-up menu only when an item is visible.
    Press(list, key::kF10);
    EXPECT_FALSE(list.TakeRequests().popupMenu);
    list.SetPopupItem(2, "Tisk");
    Press(list, key::kF10);
    EXPECT_TRUE(list.TakeRequests().popupMenu);
    list.PopupChosen(2);
    EXPECT_EQ(list.calls.back(), "Menu 2");

    // Left/Right: first data column within 1..columns-1, offset 1..999.
    Press(list, key::kRight);
    Press(list, key::kRight);
    EXPECT_EQ(list.firstColumn(), 1);
    EXPECT_EQ(list.horizontalOffset(), 3);
    for (int i = 0; i < 60; ++i) Press(list, key::kRight, Mod::Ctrl);
    EXPECT_EQ(list.horizontalOffset(), 983);
    Press(list, key::kLeft);
    Press(list, key::kLeft, Mod::Ctrl);
    EXPECT_EQ(list.horizontalOffset(), 962);
}

TEST_F(RollingListTest, EnterChoosesEscCancelsAndGuideOpens) {
    Open(list, 50);
    list.Click(4);
    Press(list, key::kReturn);
    EXPECT_EQ(list.key(), 13);
    EXPECT_EQ(list.current(), 4);
    EXPECT_EQ(list.calls, std::vector<std::string>{"PredZavrenim"});
    EXPECT_TRUE(list.TakeRequests().close);

    // With an index the choice is the stored record, and the index goes off.
    list.index = true;
    Press(list, key::kReturn);
    EXPECT_EQ(list.current(), 47);
    EXPECT_FALSE(list.index);
    EXPECT_TRUE(list.TakeRequests().close);

    list.options.enterEdits = true;
    Press(list, key::kReturn);
    EXPECT_EQ(list.calls.back(), "Oprav 4");
    EXPECT_FALSE(list.TakeRequests().close);

    list.calls.clear();
    Press(list, key::kEscape);
    EXPECT_EQ(list.current(), -1);
    EXPECT_EQ(list.calls, std::vector<std::string>{"PredZavrenim"});
    EXPECT_TRUE(list.TakeRequests().close);

    Press(list, key::kF1, Mod::Ctrl);
    EXPECT_EQ(s.ui.Texts("guide"), std::vector<std::string>{"Seznam PC01"});

    // Ctrl+F2 reaches the print spool once it exists.
    int spool = 0;
    Press(list, key::kF2, Mod::Ctrl);
    list.showPrintSpool = [&] { ++spool; };
    Press(list, key::kF2, Mod::Ctrl);
    EXPECT_EQ(spool, 1);
}

// ---- marks ----

TEST_F(RollingListTest, InsertMarksByStoredRecordAndMovesDown) {
    Open(list, 30);
    list.Click(2);
    Press(list, key::kInsert);
    EXPECT_TRUE(list.JeOznacen(2));
    EXPECT_EQ(list.current(), 3);
    EXPECT_TRUE(list.gridRows()[1].marked);
    EXPECT_FALSE(list.gridRows()[2].marked);
    EXPECT_EQ(list.counterText(), "     30/      3  Vybráno:     1"_cz);
    EXPECT_EQ(list.calls, std::vector<std::string>{"PoOznaceni"});

    // Insert on the last row toggles it and stays there.
    Press(list, key::kEnd);
    Press(list, key::kInsert);
    EXPECT_TRUE(list.JeOznacen(30));
    EXPECT_EQ(list.current(), 30);
    Press(list, key::kInsert);
    EXPECT_FALSE(list.JeOznacen(30));
    EXPECT_EQ(list.markedCount(), 1);

    // The bitmap keeps 0..400000; others are ignored and read unmarked.
    for (int n : {400000, 400001, -1}) list.Oznac(n);
    EXPECT_TRUE(list.JeOznacen(400000));
    EXPECT_FALSE(list.JeOznacen(400001));
    EXPECT_EQ(list.markedCount(), 2);
    list.Odznac(400000);
    list.Odznac(400000);
    EXPECT_EQ(list.markedCount(), 1);
}

// The marked rows of a list of 30, runs written "a-b".
std::string Marked(const TestList& l) {
    std::string out;
    for (int n = 1; n <= 30; ++n) {
        if (!l.JeOznacen(n)) continue;
        int last = n;
        while (last < 30 && l.JeOznacen(last + 1)) ++last;
        out += (out.empty() ? "" : " ") + std::to_string(n) +
               (last > n ? "-" + std::to_string(last) : "");
        n = last;
    }
    return out;
}

TEST_F(RollingListTest, BlockMarks) {
    Open(list, 30);
    // Each step: go to the row, press the key; then the block's start (0:
    // not checked), its end, the row the list stands on and what is marked.
    const struct {
        int row, vk;
        Mod mods;
        int start, end, current;
        std::string marked;
    } steps[] = {
        {6, 'K', Mod::Ctrl, 0, 6, 6, ""},              // an end without a start marks nothing
        {3, 'Y', Mod::Ctrl, 3, 6, 3, "3-6"},
        {4, key::kInsert, Mod::None, 3, 6, 5, ""},     // inside the block: the whole block
        {10, key::kInsert, Mod::None, 3, 6, 11, "10"},  // outside it only the row
        {20, key::kF11, Mod::Ctrl, 20, 6, 20, "10"},   // Ctrl+F11 as Ctrl+Z; start after end
        {22, key::kAdd, Mod::Ctrl, 20, 22, 22, "10 20-22"},  // Ctrl + keypad + as Ctrl+K
        {28, 'K', Mod::Ctrl, 20, 28, 28, "10 20-28"},  // a new end extends the block
        {27, 'Z', Mod::Ctrl, 27, 28, 27, "10 20-28"},  // Ctrl+Z moves its start
        {27, key::kInsert, Mod::None, 27, 28, 28, "10 20-26"},  // toggles 27 and 28
    };
    for (const auto& k : steps) {
        list.JdiNa(k.row, 0);
        Press(list, k.vk, k.mods);
        if (k.start) {
            EXPECT_EQ(list.blockStart(), k.start) << k.row;
        }
        EXPECT_EQ(list.blockEnd(), k.end) << k.row;
        EXPECT_EQ(list.current(), k.current) << k.row;
        EXPECT_EQ(Marked(list), k.marked) << k.row;
    }
}

// ---- typed numbers and the pen ----

TEST_F(RollingListTest, TypedNumbersFollowTheFiftyMillisecondRule) {
    Open(list, 500);
    // Digits more than 50 ms apart make a row number; beyond the count
    // nothing happens; a move clears the buffer; within 50 ms only the
    // first digit jumps; a row offset is taken off a number above it.
    const struct {
        int msBefore;
        char digit;  // 0: Down; 'H': Home
        int current;
    } steps[] = {{0, '1', 1},   {51, '2', 12}, {51, '7', 127}, {51, '9', 127}, {0, 0, 128},
                 {51, '4', 4},  {0, 'H', 1},   {100, '3', 3},  {50, '5', 3}};
    for (const auto& k : steps) {
        now += k.msBefore;
        if (k.digit == 0) Press(list, key::kDown);
        else if (k.digit == 'H') Press(list, key::kHome);
        else Type(list, k.digit);
        EXPECT_EQ(list.current(), k.current) << k.digit;
        if (k.digit == 0) {
            EXPECT_EQ(list.typedDigits(), "");
        }
    }
    EXPECT_EQ(list.typedDigits(), "35");
    list.options.rowOffset = 100;
    Press(list, key::kHome);
    now += 100;
    for (char d : std::string("105")) {
        now += 60;
        Type(list, d);
    }
    EXPECT_EQ(list.current(), 5);
}

TEST_F(RollingListTest, SixFastDigitsAndEnterReadACodeFiveAreARow) {
    Open(list, 500);
    list.Click(2);
    for (auto [digits, call] : {std::pair{"123456", "NactenKod 123456"}, {"00012", "PredZavrenim"}}) {
        list.calls.clear();
        for (const char* d = digits; *d; ++d) {
            now += 5;
            Type(list, *d);
        }
        EXPECT_EQ(list.current(), 1);  // only the first digit jumped
        Press(list, key::kReturn);
        EXPECT_EQ(list.calls, std::vector<std::string>{call});
        EXPECT_EQ(list.typedDigits(), "");
        EXPECT_EQ(list.TakeRequests().close, call == std::string("PredZavrenim"));  // a row chose
    }
}

TEST_F(RollingListTest, PenModeCollectsDigitKeys) {
    Open(list, 500);
    // Ctrl, then B: pen on instead of any other action.
    Press(list, key::kControl, Mod::Ctrl);
    Press(list, key::kB, Mod::Ctrl);
    EXPECT_TRUE(list.penMode());
    // The digit keys of a Czech layout produce "+ěš": their keys are 1 2 3.
    for (int vk : {'1', '2', '3'}) {
        list.KeyDown(vk, Mod::None);
        list.KeyPress('?');
    }
    EXPECT_EQ(list.penCode(), "123");
    EXPECT_EQ(list.current(), 1);  // no typed row while the pen is on
    Press(list, key::kReturn);
    EXPECT_EQ(list.calls, std::vector<std::string>{"NactenKod 123"});
    EXPECT_FALSE(list.penMode());

    // Caps Lock and character 2 switch it on too, emptying the code.
    Press(list, key::kCapital);
    EXPECT_TRUE(list.penMode());
    EXPECT_EQ(list.penCode(), "");
    Press(list, key::kReturn);
    list.KeyPress('\x02');
    EXPECT_TRUE(list.penMode());
    Press(list, key::kReturn);

    // End switches it on only with the customer switch.
    Press(list, key::kEnd);
    EXPECT_FALSE(list.penMode());
    EXPECT_EQ(list.current(), 500);
    s.c.set.customerFlag[kPenOnEndFlag] = true;
    Press(list, key::kHome);
    Press(list, key::kEnd);
    EXPECT_TRUE(list.penMode());
    EXPECT_EQ(list.current(), 1);
}

// ---- search ----

TEST_F(RollingListTest, SearchTwoPassesAndWrap) {
    list.name = [](int n) {
        if (n == 40) return std::string("Žlutý kůň"_cz);
        if (n == 7) return std::string("alfa beta");
        if (n == 90) return std::string("ALFA-BETA");
        return "Row " + std::to_string(n);
    };
    Open(list, 100);
    auto search = [&](const std::string& text, Mod mods = Mod::None) {
        Press(list, key::kF3);
        list.SearchKeyDown(key::kF3, mods, text);
        return list.current();
    };
    // F3 opens the box; a find closes it and gives the grid the focus back.
    Press(list, key::kF3);
    EXPECT_TRUE(list.searchActive());
    EXPECT_TRUE(list.TakeRequests().focusSearch);
    EXPECT_TRUE(list.SearchKeyDown(key::kF3, Mod::None, "zluty"));
    EXPECT_EQ(list.current(), 40);
    EXPECT_FALSE(list.searchActive());
    EXPECT_TRUE(list.TakeRequests().focusGrid);
    // Folded: accents and case do not count. "alfa beta" from row 40 wraps
    // to row 7 (the first pass does not take "ALFA-BETA"); "fa.be" is found
    // in the second pass, without punctuation, at row 90; no match in
    // either pass leaves the row.
    EXPECT_EQ(search("alfa beta"), 7);
    EXPECT_EQ(search("fa.be"), 90);
    EXPECT_FALSE(list.options.searchIgnoresPunctuation);
    EXPECT_EQ(search("nikde"), 90);
    EXPECT_EQ(list.helpText(), "F4-nový"_cz);
    EXPECT_TRUE(list.helpVisible());
    // Other keys stay in the box; Esc leaves the search without moving.
    Press(list, key::kF3);
    EXPECT_FALSE(list.SearchKeyDown('X', Mod::None, "Row 3"));
    list.SearchKeyDown(key::kEscape, Mod::None, "Row 3");
    EXPECT_EQ(list.current(), 90);

    // Without wrap the search ends at the last row.
    list.options.noSearchWrap = true;
    EXPECT_EQ(search("zluty"), 90);
    list.options.noSearchWrap = false;

    // Exact search: case counts.
    list.options.exactSearch = true;
    list.PrepniHledani("");
    list.PrepniHledani("alfa");
    EXPECT_EQ(list.current(), 7);
    list.options.exactSearch = false;

    // Ctrl+F3 ignores punctuation from the first pass on.
    list.JdiNa(50, 0);
    EXPECT_EQ(search("a b", Mod::Ctrl), 90);
    EXPECT_TRUE(list.options.searchIgnoresPunctuation);
}

// A long search shows its progress every 1,000 rows.
TEST_F(RollingListTest, SearchReportsProgressEveryThousandRows) {
    list.name = [](int n) { return n == 2500 ? std::string("hledany") : "Row " + std::to_string(n); };
    Open(list, 3000);
    std::vector<std::string> counters;
    list.searchProgress = [&] { counters.push_back(list.counterText() + list.helpText()); };
    list.PrepniHledani("");
    list.PrepniHledani("Hledany");
    EXPECT_EQ(list.current(), 2500);
    EXPECT_EQ(counters, (std::vector<std::string>{"   3000/   1001  Vybráno:      Hledám: HLEDANY"_cz,
                                                  "   3000/   2001  Vybráno:      Hledám: HLEDANY"_cz}));
}

// ---- layout and stored settings ----

// Whether okna2.par holds each line, in the order given.
void ExpectLines(const fs::path& par, const std::vector<std::string>& lines) {
    const std::string text = ReadHost(par);
    for (const std::string& l : lines) EXPECT_NE(text.find(l + "\r\n"), std::string::npos) << l;
}

TEST_F(RollingListTest, StoredGeometryColumnsAndRowAreUsed) {
    WriteHost(okna2(),
              "fTest Left : 0040\r\nfTest Top : abc\r\nfTest Width : 0150\r\n"
              "fTest Height : 0570\r\nfTest Gridy : 012000077\r\nfTest Index : 000080\r\n"
              "VyskaFontu : 20\r\nfTest ImgLeft : 000700\r\nfTest TextTop : 0\r\n");
    s.c.workAreaSize = [] { return std::pair{1024, 768}; };
    Open(list, 100);
    const RollingListLayout& l = list.layout();
    EXPECT_EQ(l.form, (Rect{40, 0, 200, 570}));  // width at least 200
    EXPECT_EQ(l.rowHeight, 20);
    // Column 1 stored as 000: computed; column 2 stored 77.
    EXPECT_EQ(l.columnWidths, (std::vector<int>{12, 7 * 8, 77}));
    // " Index" 80 opens with that row at the bottom.
    EXPECT_EQ(list.current(), 80);
    EXPECT_EQ(list.gridRow(), list.visible());
    EXPECT_EQ(l.picture.panel.left, 700);
    EXPECT_GT(l.picture.textPane.top, 0);

    // Closing stores geometry, " Index" and " Gridy".
    list.JdiNa(33, 0);
    list.ColumnResized(2, 150);
    list.FormClose({5, 6, 700, 500});
    list.Uvolni();
    ExpectLines(okna2(), {"fTest Left : 0005", "fTest Height : 0500", "fTest Index : 000033",
                          "fTest Gridy : 012056150"});
    EXPECT_FALSE(list.JeOznacen(1));

    // A form beyond the work area less 100 pixels is moved back; values
    // outside 1..999 in " Gridy" become 200; a Courier font counts 9
    // pixels a character.
    WriteHost(okna2(), "fTest Left : 2000\r\nfTest Gridy : 010-05\r\n"
                       "fTest FontName : Courier New\r\n");
    Open(list, 100);
    EXPECT_EQ(list.layout().form.left, 924);
    EXPECT_EQ(list.layout().columnWidths, (std::vector<int>{10, 200, 21 * 9}));
}

// Sizes from a damaged "okna2.par" are held to what a window can show, so
// the cell arithmetic of the list cannot overflow.
TEST_F(RollingListTest, HugeStoredGeometryIsHeldToWhatAWindowCanShow) {
    WriteHost(okna2(),
              "fTest SirkaFontu : 2000000000\r\nfTest VyskaFontu : 2147483647\r\n"
              "fTest Width : 2000000000\r\nfTest Height : 999999999\r\n"
              "fTest ImgWidth : 2000000000\r\nfTest ImgHeight : 2000000000\r\n"
              "fTest VyskaFontuA : 2000000000\r\nfTest SirkaFontuA : 3\r\n");
    s.c.workAreaSize = [] { return std::pair{1024, 768}; };
    Open(list, 1000);
    EXPECT_EQ(list.appearance().cellWidth, kMaxCellWidth);
    EXPECT_EQ(list.appearance().cellHeight, kMaxCellHeight);
    const RollingListLayout& l = list.layout();
    EXPECT_EQ(std::pair(l.form.width, l.form.height), std::pair(9999, 9999));
    EXPECT_EQ(list.maxVisible(), 9999 / (kMaxCellHeight + 1) - 7);
    EXPECT_EQ(l.columnWidths[1], 7 * kMaxCellWidth);
    EXPECT_EQ(std::pair(l.picture.panel.width, l.picture.panel.height), std::pair(999999, 999999));
    ExpectInvariants(list);
    // The character windows' keys (with the final "A") are held the same way.
    const Appearance a = NactiVizaz(s.c, m, "fTest", VizazKeys::Window, 0, 0);
    EXPECT_EQ(a.cellHeight, kMaxCellHeight);
    EXPECT_EQ(a.cellWidth, kMinCellWidth);
}

TEST_F(RollingListTest, ResizeChangesTheVisibleRows) {
    Open(list, 100);
    Press(list, key::kEnd);
    list.FormResize(640, 19 * 12);  // 12 - 7 = 5 rows
    EXPECT_EQ(list.maxVisible(), 5);
    ExpectInvariants(list);
    EXPECT_TRUE(list.TakeRequests().layout);
    // Growing keeps the rows filled and the current row.
    list.FormResize(640, 19 * 27);
    EXPECT_EQ(list.visible(), 20);
    EXPECT_EQ(At(list), "80/95");
    ExpectInvariants(list);
    list.options.rowAdjustment = 2;
    list.FormResize(640, 19 * 28);
    EXPECT_EQ(list.maxVisible(), 19);
}

TEST_F(RollingListTest, AppearanceMenu) {
    struct Pickers : AppearancePickers {
        std::optional<int> PickColour(int) override { return RgbColour(1, 2, 3); }
        std::optional<FontChoice> PickFont(const FontChoice&) override {
            return FontChoice{"Courier New", 10, FontStyle::Bold, RgbColour(9, 0, 0)};
        }
    } pickers;
    list.SetPickers(&pickers);
    Open(list, 100);

    // Item 2: background colour; one font for all windows ends.
    WriteHost(oknag(), "FontNameA : Arial\r\n");
    s.ui.choices = {2};
    Press(list, key::kF11);
    EXPECT_EQ(list.appearance().paper, RgbColour(1, 2, 3));
    EXPECT_FALSE(fs::exists(oknag()));
    EXPECT_TRUE(list.TakeRequests().appearance);

    // Item 3: font and colour, then the cell size, width clamped to 20.
    s.ui.choices = {3};
    s.ui.fields = {{true, {"24", "25"}}};
    Press(list, key::kF11);
    EXPECT_EQ(list.appearance().cellHeight, 24);
    EXPECT_EQ(list.appearance().cellWidth, 20);
    EXPECT_EQ(list.layout().rowHeight, 24);
    ExpectLines(okna2(), {"fTest FontPaper :  00000197121", "fTest FontName : Courier New",
                          "fTest FontSize : 0010 ", "fTest FontStyle : Bold",
                          "fTest FontColor :  00000000009", "fTest VyskaFontu :  24",
                          "fTest SirkaFontu :  20"});

    // Item 4: general keys, with and without "A"; the window's own win.
    s.ui.choices = {4};
    s.ui.fields = {{true, {"5", "30"}}};
    Press(list, key::kF11);
    ExpectLines(okna2(), {"\nFontNameA : Courier New", "\nVyskaFontu :  10", "\nSirkaFontuA :  30"});
    EXPECT_EQ(list.appearance().cellHeight, 24);

    // Item 5: every window's settings go.
    s.ui.choices = {5};
    Press(list, key::kF11);
    EXPECT_FALSE(fs::exists(okna2()));
    EXPECT_EQ(list.appearance().cellHeight, 18);
    EXPECT_EQ(list.appearance().paper, 0);

    // Item 7: the program's standard appearance in one-font mode.
    WriteHost(okna2(), "fTest VyskaFontu : 25\r\n");
    const std::string standard = "VyskaFontu : 14\r\nFontName : Arial\r\nFontNameA : Arial\r\n";
    WriteHost(s.Prog("2/Oknag.par"), standard);
    s.ui.choices = {7};
    Press(list, key::kF11);
    EXPECT_FALSE(fs::exists(okna2()));
    EXPECT_EQ(ReadHost(oknag()), standard);
    EXPECT_EQ(list.appearance().fontName, "Arial");
    EXPECT_EQ(list.appearance().cellHeight, 14);
}

}  // namespace
}  // namespace kj
