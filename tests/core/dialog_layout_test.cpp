// The rules of the standard dialogs that do not need a screen: remembered
// places, answers and items, keys, which fields and items can be reached,
// the results, the guide's file. What the dialogs look like on screen is
// checked on the Qt forms (tests/ui/dialogs_test.cpp).

#include "kj_test.h"
#include "screens/dialog_layout.h"

namespace kj {
namespace {

using rectest::TempStation;

std::vector<std::string> Pairs(int n, const std::string& initial = "x") {
    std::vector<std::string> items;
    for (int i = 1; i <= n; ++i) items.insert(items.end(), {"Pole " + std::to_string(i), initial});
    return items;
}

// ---- positions ----

TEST(DialogPosition, StoredUnderTheCaptionPrefixWithSixDigits) {
    TempStation s;
    const std::string question = "Přepočítat stav tachometru?"_cz;
    StoreDialogPosition(s.c, question, kYesNoPosition, {120, 7});
    // The first 15 characters of the caption, in Windows-1250.
    const std::string prefix = "Přepočítat stav"_cz;
    EXPECT_EQ(ReadHost(s.Work("par/okna2.par")),
              prefix + " DotazLeft : 000120\r\n" + prefix + " DotazTop : 000007\r\n");
    EXPECT_EQ(ReadDialogPosition(s.c, question, kYesNoPosition), (PixelPoint{120, 7}));
    // Another caption with the same first 15 characters shares the place;
    // another dialog kind keeps its own keys.
    EXPECT_EQ(ReadDialogPosition(s.c, prefix + " jinak", kYesNoPosition), (PixelPoint{120, 7}));
    EXPECT_EQ(ReadDialogPosition(s.c, question, kChoicePosition), (PixelPoint{0, 0}));
    // A window dragged past the screen's left edge is stored as 0, which
    // reads back as "nothing remembered".
    StoreDialogPosition(s.c, "Kratky", kBusyPosition, {-30, 40});
    EXPECT_EQ(GetReg(s.c, "par\\okna2.par", "Kratky BlikLeft"), "000000");
    EXPECT_EQ(ReadDialogPosition(s.c, "Kratky", kBusyPosition), (PixelPoint{0, 40}));
}

TEST(DialogPosition, StoredValuesReplaceTheComputedOnesAndAreClamped) {
    const std::pair work{1024, 768};
    const struct {
        std::optional<int> left, top;
        PixelPoint form, stored, placed;
    } cases[] = {
        {80, 220, {5, 6}, {0, 0}, {80, 220}},                 // computed, nothing stored
        {std::nullopt, std::nullopt, {5, 6}, {0, 0}, {5, 6}},  // col/row 0: the form's place
        {80, 220, {5, 6}, {300, 0}, {300, 220}},              // stored values above 0 win
        {80, 220, {5, 6}, {5000, 900}, {924, 668}},           // pulled back 100 inside
        {924, 668, {0, 0}, {0, 0}, {924, 668}},
        {925, 669, {0, 0}, {0, 0}, {924, 668}},
    };
    for (const auto& k : cases)
        EXPECT_EQ(PlaceDialog(k.left, k.top, k.form, k.stored, work), k.placed) << k.stored.x;
}

// ---- keys of every dialog ----

TEST(DialogKeys, EachKeyDoesWhatItsDialogSays) {
    using K = DialogKey;
    using F = FieldsAction;
    using C = ChoiceAction;
    using G = GuideAction;
    const struct {
        K key;
        F fields;
        C choice;
        G guide;
    } rows[] = {
        {K::Escape, F::Leave, C::Leave, G::Close},         {K::Enter, F::Accept, C::Accept, G::None},
        {K::F2, F::Accept, C::Accept, G::Edit},            {K::F4, F::Accept, C::None, G::None},
        {K::Down, F::Next, C::Next, G::None},              {K::Up, F::Previous, C::Previous, G::None},
        {K::F9, F::Calculator, C::Calculator, G::None},    {K::F10, F::FileDialog, C::Print, G::None},
        {K::CtrlF1, F::Guide, C::Guide, G::None},          {K::F1, F::Help, C::Help, G::None},
        {K::Other, F::None, C::None, G::None},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(FieldsKey(r.key), r.fields) << static_cast<int>(r.key);
        EXPECT_EQ(ChoiceKey(r.key), r.choice) << static_cast<int>(r.key);
        EXPECT_EQ(GuideKey(r.key), r.guide) << static_cast<int>(r.key);
    }
    // The question: Esc and "n" say no, "a" yes, Enter what has the focus.
    const struct {
        K key;
        char typed;
        bool yesFocused;
        YesNoAction action;
    } yesNo[] = {
        {K::Escape, 0, true, YesNoAction::No},     {K::Other, 'a', false, YesNoAction::Yes},
        {K::Other, 'A', false, YesNoAction::Yes},  {K::Other, 'n', true, YesNoAction::No},
        {K::Other, 'N', true, YesNoAction::No},    {K::Other, 'x', true, YesNoAction::None},
        {K::CtrlF1, 0, true, YesNoAction::Guide},  {K::Enter, '\r', true, YesNoAction::Yes},
        {K::Enter, '\r', false, YesNoAction::No},  {K::F2, 0, true, YesNoAction::None},
    };
    for (const auto& k : yesNo)
        EXPECT_EQ(YesNoKey(k.key, k.typed, k.yesFocused), k.action) << k.typed;
}

// ---- AskYesNo ----

TEST(YesNoAnswer, RememberedPerCaptionPrefixInDotazPar) {
    TempStation s;
    const std::string q = "Zrušit všechny označené záznamy?"_cz;
    EXPECT_FALSE(RememberedYes(s.c, q));
    RememberAnswer(s.c, q, true);
    // The prefix ends with the blank after "všechny".
    EXPECT_EQ(ReadHost(s.Work("par/dotaz.par")), "Zrušit všechny "_cz + " ANO : A\r\n");
    EXPECT_TRUE(RememberedYes(s.c, q));
    RememberAnswer(s.c, q, false);
    EXPECT_FALSE(RememberedYes(s.c, q));
    EXPECT_EQ(GetReg(s.c, "par\\dotaz.par", "Zrušit všechny "_cz + " ANO"), "");
}

// ---- AskFields ----

TEST(FieldsLayoutTest, HeadingsEmptyLabelsAndThePlace) {
    ScreenMetrics m;
    FieldsLayout f = LayoutFields(m, 1, 1, {"Jméno"_cz, "Jan", "", "skryté"_cz, "Konec"}, "");
    ASSERT_EQ(f.lines.size(), 3u);
    EXPECT_TRUE(f.lines[0].enabled);
    // An empty label shows nothing, not even a field; a last label without
    // its text is a heading line.
    EXPECT_FALSE(f.lines[1].hasLabel || f.lines[1].enabled);
    EXPECT_TRUE(f.lines[2].hasLabel);
    EXPECT_FALSE(f.lines[2].enabled);
    EXPECT_EQ(FirstField(LayoutFields(m, 1, 1, {}, "")), 0);
    EXPECT_GT(LayoutFields(m, 1, 1, {}, "").height, 0);
    // col/row 0: the form keeps its place.
    FieldsLayout kept = LayoutFields(m, 0, -1, {"A", "1"}, "");
    EXPECT_FALSE(kept.left.has_value() || kept.top.has_value());
    EXPECT_TRUE(LayoutFields(m, 25, 20, {"A", "1"}, "").left.has_value());
}

TEST(FieldsWalk, UpAndDownSkipHeadingsAndWrap) {
    ScreenMetrics m;
    FieldsLayout f = LayoutFields(
        m, 1, 1, {"Nadpis", "", "A", "1", "Mezera", "", "B", "2", "C", "3", "Konec", ""}, "");
    EXPECT_EQ(FirstField(f), 2);
    // Past the last field back to the first, and the other way round.
    const std::pair<int, int> next[] = {{2, 4}, {4, 5}, {5, 2}, {0, 2}};
    for (auto [from, to] : next) EXPECT_EQ(NextField(f, from), to) << from;
    const std::pair<int, int> previous[] = {{2, 5}, {5, 4}, {4, 2}};
    for (auto [from, to] : previous) EXPECT_EQ(PreviousField(f, from), to) << from;
    FieldsLayout none = LayoutFields(m, 1, 1, {"Jen nadpis", ""}, "");
    EXPECT_EQ(FirstField(none) + NextField(none, 0) + PreviousField(none, 1), 0);
    FieldsLayout one = LayoutFields(m, 1, 1, {"A", "1"}, "");
    EXPECT_EQ(NextField(one, 1), 1);
    EXPECT_EQ(PreviousField(one, 1), 1);
}

TEST(FieldsResults, CalculatorAndChosenFileTexts) {
    EXPECT_EQ(CalculatorText(1234.5) + " " + CalculatorText(-3) + " " + CalculatorText(0.005),
              "1234.50 -3.00 0.01");
    EXPECT_EQ(ChosenFileText("C:\\Moje dokumenty\\a b.txt"), "C:\\Mojedokumenty\\ab.txt");
}

// The scripted dialogs answer by the same rules as the real forms.
TEST(ScriptedRules, FieldLimitsHeadingsAndChoiceCodes) {
    ScriptedDialogs ui;
    EXPECT_FALSE(ui.AskFields(1, 1, {}, Pairs(61), "Titul"));
    ASSERT_EQ(ui.Count("beep"), 1);
    EXPECT_EQ(ui.Last("beep"), "Titul - příliš mnoho parametrů"_cz);

    ui.fields.push_back({true, {"nový"_cz, "do nadpisu"}});
    std::vector<std::string> items = Pairs(60);
    items[3] = "";  // pair 2 becomes a heading line
    EXPECT_TRUE(ui.AskFields(1, 1, {}, items, "Titul"));
    EXPECT_EQ(ui.Count("beep"), 1);
    EXPECT_EQ(ui.state().results[1], "nový"_cz);
    EXPECT_EQ(ui.state().results[2], "");  // a heading line cannot be typed into
    EXPECT_EQ(ui.state().results[60], "x");

    ui.fields.push_back({false, {}});
    EXPECT_FALSE(ui.AskFields(1, 1, {}, {"A", "1"}, ""));
    EXPECT_FALSE(ui.state().accepted);
    EXPECT_EQ(ui.state().results[1], "1");
    EXPECT_EQ(ui.state().results[2], "");

    std::string value = "5";
    ui.fields.push_back({true, {"7"}});
    EXPECT_TRUE(AskOneField(ui, 10, 10, "Kolik", value));
    EXPECT_EQ(value, "7");

    // The code is the item's second and third character; "x" has none.
    const std::vector<std::string> choice = {"*01 první"_cz, " 02 druhá"_cz, "x"};
    ui.choices = {2, 0, 3, 9};
    const std::pair<int, const char*> chosen[] = {{2, "02"}, {0, "  "}, {3, "  "}, {0, "  "}};
    for (auto [index, code] : chosen) {
        EXPECT_EQ(ui.ChooseItem(1, 1, {}, choice, "V"), index);
        EXPECT_EQ(ui.state().results[1], code);
    }
    EXPECT_EQ(ui.state().chosenIndex, 0);

    ui.choices = {1};
    EXPECT_EQ(ui.ChooseItem(1, 1, {}, std::vector<std::string>(61, " 01"), "Mnoho"), 0);
    EXPECT_EQ(ui.Last("beep"), "Mnoho - příliš mnoho parametrů"_cz);
    EXPECT_EQ(ui.state().results[1], "  ");
}

// The remembered answer and item and the VYBER.PAR mask of the station
// the dialogs belong to hold for the scripted dialogs too.
TEST(ScriptedRules, MaskRememberedItemAndAnswerOfTheStation) {
    TempStation s;
    const std::string title = " Způsob tisku "_cz;
    WriteHost(s.Work("par/VYBER.PAR"), title + " : -\r\n");
    const std::vector<std::string> items = {" 01 první"_cz, " 02 druhá"_cz, " 03 třetí"_cz};
    // Item 1 is masked: it cannot be chosen, and Enter starts on item 2.
    s.ui.choices = {1, ScriptedDialogs::kEnter, 3, ScriptedDialogs::kEnter};
    EXPECT_EQ(s.ui.ChooseItem(1, 1, {}, items, title), 0);
    EXPECT_EQ(s.ui.state().results[1], "  ");
    EXPECT_EQ(s.ui.ChooseItem(1, 1, {}, items, title), 2);
    EXPECT_EQ(s.ui.ChooseItem(1, 1, {}, items, title), 3);
    EXPECT_EQ(ReadChoiceIndex(s.c, title), 3);
    EXPECT_EQ(s.ui.ChooseItem(1, 1, {}, items, title), 3);  // Enter on the remembered item
    EXPECT_EQ(s.ui.state().results[1], "03");

    const std::string q = "Zrušit záznam?"_cz;
    s.ui.yesNo = {std::nullopt, true, std::nullopt, false};
    EXPECT_FALSE(s.ui.AskYesNo(0, 0, q));  // Enter on "Ne", nothing remembered yet
    EXPECT_TRUE(s.ui.AskYesNo(0, 0, q));
    EXPECT_EQ(GetReg(s.c, "par\\dotaz.par", "Zrušit záznam?"_cz + " ANO"), "A");
    EXPECT_TRUE(s.ui.AskYesNo(0, 0, q));  // Enter on the remembered "Ano"
    EXPECT_FALSE(s.ui.AskYesNo(0, 0, q));
    EXPECT_FALSE(RememberedYes(s.c, q));
}

// ---- ChooseItem ----

TEST(ChoiceLayoutTest, MaskDisablesItemsAndTheirMarksAreShown) {
    TempStation s;
    const std::string title = " Způsob tisku "_cz;
    WriteHost(s.Work("par/VYBER.PAR"), title + " : - -\r\n");
    const std::vector<std::string> items = {"   s poznámkou "_cz, " bez poznámky"_cz, "*vše"_cz,
                                            "-pryč"_cz};
    const std::vector<std::string> masked = ApplyChoiceMask(items, ReadChoiceMask(s.c, title));
    EXPECT_EQ(masked, (std::vector<std::string>{"-   s poznámkou "_cz, items[1], "-*vše"_cz,
                                                "-pryč"_cz}));
    ScreenMetrics m;
    const ChoiceLayout ch = LayoutChoice(m, 10, 10, masked, title);
    const ChoiceLayout plain = LayoutChoice(m, 10, 10, items, title);
    ASSERT_EQ(ch.items.size(), 4u);
    const struct {
        const ChoiceLayout& layout;
        std::size_t item;
        bool enabled;
        std::string shown;
    } cases[] = {
        {ch, 0, false, "    s poznámkou "_cz}, {ch, 1, true, items[1]}, {ch, 2, false, " *vše"_cz},
        {ch, 3, false, " pryč"_cz},              {plain, 2, true, " vše"_cz},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(k.layout.items[k.item].enabled, k.enabled) << k.shown;
        EXPECT_EQ(k.layout.items[k.item].shown, k.shown);
    }
}

TEST(ChoiceWalk, StartsOnTheRememberedEnabledItemAndSkipsDisabled) {
    ScreenMetrics m;
    const std::vector<std::string> items = {" a", "-b", " c", "-d"};
    const ChoiceLayout ch = LayoutChoice(m, 1, 1, items, "");
    // From the disabled last item, or beyond the items, round to the first.
    const std::pair<int, int> first[] = {{0, 1}, {1, 1}, {2, 3}, {4, 1}, {9, 1}};
    for (auto [remembered, start] : first) EXPECT_EQ(FirstChoice(items, remembered), start);
    EXPECT_EQ(std::vector<int>({NextChoice(ch, 1), NextChoice(ch, 3), PreviousChoice(ch, 1), PreviousChoice(ch, 3)}),
              std::vector<int>({3, 1, 3, 1}));
    EXPECT_EQ(FirstChoice({"-x", "-y"}, 1), 0);
    EXPECT_EQ(NextChoice(LayoutChoice(m, 1, 1, {"-x", "-y"}, ""), 0), 0);
}

TEST(ChoiceMemory, IndexInVyberIdx) {
    TempStation s;
    const std::string title = " STAV TACHOMETRU (F1=help)";
    EXPECT_EQ(ReadChoiceIndex(s.c, title), 0);
    StoreChoiceIndex(s.c, title, 3);
    EXPECT_EQ(ReadHost(s.Work("par/VYBER.IDX")), " STAV TACHOMETR VyberIndex :    3\r\n");
    EXPECT_EQ(ReadChoiceIndex(s.c, title), 3);
    EXPECT_EQ(ReadChoiceIndex(s.c, " STAV TACHOMETRU jinak"), 3);
}

// ---- busy notice and help box ----

TEST(BusyAndHelp, TheBarRunsRoundAndHelpLinesAreNotCut) {
    std::vector<int> seen;
    for (int p : {1, 9, 10, 37, 0}) seen.push_back(NextBusyStep(p));
    EXPECT_EQ(seen, (std::vector<int>{2, 10, 1, 1, 1}));
    ScreenMetrics m;
    // Lines keep their rows (an empty one stays free), at most 20 are
    // shown, and the box is high enough for its last line.
    const HelpLayout h = LayoutHelpBox(m, 3, 7, " Návod "_cz,
                                       {"Pokud zjistíte"_cz, "vlevo", "", "Takto"_cz, "konec"});
    ASSERT_EQ(h.labels.size(), 4u);
    EXPECT_EQ(h.labels[2].first, "Takto"_cz);
    EXPECT_EQ(h.labels[2].second.top - h.labels[1].second.top,
              2 * (h.labels[1].second.top - h.labels[0].second.top));
    const PixelRect& last = h.labels.back().second;
    EXPECT_LE(last.top + last.height, h.height);
    EXPECT_EQ(LayoutHelpBox(m, 0, 0, "", {"abc"}).caption, "Tabule");
    EXPECT_EQ(LayoutHelpBox(m, 0, 0, "", std::vector<std::string>(25, "r")).labels.size(), 20u);
}

// ---- guide window ----

TEST(Guide, NamesAndStoredGeometry) {
    EXPECT_EQ(GuideTitle("a\"b.c:d\\e/f?g*h i"), "a_b_c_d_e_f_g_h i");
    EXPECT_EQ(GuideCaption("NAVODY\\", "Knihy: jízdy"_cz), "Knihy_ jízdy : NAVODY\\"_cz);
    EXPECT_EQ(GuideFileName("\\KJ\\NAVODY\\", "Soubor.dta"), "\\KJ\\NAVODY\\Soubor_dta.nav");
    TempStation s;
    StoreGuideGeometry(s.c, {12, 34, 640, 480});
    EXPECT_EQ(ReadHost(s.Work("par/okna2.par")),
              " HintLeft : 0012\r\n HintTop : 0034\r\n HintWidth : 0640\r\n HintHeight : 0480\r\n");
    EXPECT_EQ(std::pair(ReadGuideGeometry(s.c).left, ReadGuideGeometry(s.c).height), std::pair(12, 480));
}

TEST(Guide, LoadDropsAmpersandLinesAndSaveAddsTheFullName) {
    TempStation s;
    WriteHost(s.Work("NAVODY/Tisk.nav"), "První řádek\r\n&C:\\stary\\Tisk.nav\r\n\r\nTřetí\n"_cz);
    GuideText g = LoadGuide(s.c, "NAVODY\\", "Tisk");
    EXPECT_EQ(g.path, "NAVODY\\Tisk.nav");
    EXPECT_EQ(g.lines, (std::vector<std::string>{"První řádek"_cz, "", "Třetí"_cz}));

    g.lines.push_back("Nový řádek"_cz);
    EXPECT_EQ(SaveGuide(s.c, g.path, g.lines), 0);
    EXPECT_EQ(ReadHost(s.Work("NAVODY/Tisk.nav")),
              "První řádek\r\n\r\nTřetí\r\nNový řádek\r\n&C:\\work\\NAVODY\\Tisk.nav\r\n"_cz);
    // Loading again shows the same lines: the name line never accumulates.
    EXPECT_EQ(LoadGuide(s.c, "NAVODY\\", "Tisk").lines.size(), 4u);

    // A rooted directory gets the drive of the current directory.
    EXPECT_EQ(SaveGuide(s.c, "\\N\\x.nav", {}), 0);
    EXPECT_EQ(ReadHost(s.root / "N" / "x.nav"), "&C:\\N\\x.nav\r\n");

    // A missing or tiny file gives an empty text, and the directory is made.
    EXPECT_TRUE(LoadGuide(s.c, "\\KJ\\NAVODY\\", "Nový? průvodce"_cz).lines.empty());
    EXPECT_TRUE(fs::is_directory(s.root / "KJ" / "NAVODY"));
    WriteHost(s.root / "KJ" / "NAVODY" / "Maly.nav", "ab");
    EXPECT_TRUE(LoadGuide(s.c, "\\KJ\\NAVODY\\", "Maly").lines.empty());
    WriteHost(s.root / "KJ" / "NAVODY" / "Maly.nav", "abc");
    EXPECT_EQ(LoadGuide(s.c, "\\KJ\\NAVODY\\", "Maly").lines, (std::vector<std::string>{"abc"}));
}

}  // namespace
}  // namespace kj
