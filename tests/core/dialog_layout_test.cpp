#include "host_files.h"
#include "screens/dialog_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "services/cp1250.h"
#include "services/params.h"
#include "services/scripted_dialogs.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

struct Station {
    TestDir dir;
    HostFileSystem files{dir.str(), dir.str()};
    ScriptedDialogs ui;
    Common c{files, ui};
    fs::path Host(const std::string& rel) const { return dir.path() / rel; }
};

std::vector<std::string> Pairs(int n, const std::string& initial = "x") {
    std::vector<std::string> items;
    for (int i = 1; i <= n; ++i) {
        items.push_back("Pole " + std::to_string(i));
        items.push_back(initial);
    }
    return items;
}

// ---- positions ----

TEST(DialogPosition, StoredUnderTheCaptionPrefixWithSixDigits) {
    Station s;
    std::string question = "Přepočítat stav tachometru?"_cz;
    StoreDialogPosition(s.c, question, kYesNoPosition, {120, 7});
    // The first 15 characters of the caption, in Windows-1250.
    std::string prefix = "Přepočítat stav"_cz;
    EXPECT_EQ(ReadHost(s.Host("par/okna2.par")),
              prefix + " DotazLeft : 000120\r\n" + prefix + " DotazTop : 000007\r\n");
    EXPECT_EQ(ReadDialogPosition(s.c, question, kYesNoPosition), (PixelPoint{120, 7}));
    // Another caption with the same first 15 characters shares the place.
    EXPECT_EQ(ReadDialogPosition(s.c, prefix + " jinak", kYesNoPosition), (PixelPoint{120, 7}));
    // Another dialog kind keeps its own keys.
    EXPECT_EQ(ReadDialogPosition(s.c, question, kChoicePosition), (PixelPoint{0, 0}));

    // A window dragged past the screen's left edge is stored as 0, which
    // reads back as "nothing remembered".
    StoreDialogPosition(s.c, "Kratky", kBusyPosition, {-30, 40});
    EXPECT_EQ(GetReg(s.c, "par\\okna2.par", "Kratky BlikLeft"), "000000");
    EXPECT_EQ(ReadDialogPosition(s.c, "Kratky", kBusyPosition), (PixelPoint{0, 40}));
}

TEST(DialogPosition, StoredValuesReplaceTheComputedOnesAndAreClamped) {
    const std::pair work{1024, 768};
    // Computed from col/row; nothing stored.
    EXPECT_EQ(PlaceDialog(80, 220, {5, 6}, {0, 0}, work), (PixelPoint{80, 220}));
    // col/row 0: the form keeps its place.
    EXPECT_EQ(PlaceDialog(std::nullopt, std::nullopt, {5, 6}, {0, 0}, work), (PixelPoint{5, 6}));
    // Stored values win when greater than 0, each on its own.
    EXPECT_EQ(PlaceDialog(80, 220, {5, 6}, {300, 0}, work), (PixelPoint{300, 220}));
    // Far off the screen: pulled back to 100 pixels inside the work area.
    EXPECT_EQ(PlaceDialog(80, 220, {5, 6}, {5000, 900}, work), (PixelPoint{924, 668}));
    EXPECT_EQ(PlaceDialog(924, 668, {0, 0}, {0, 0}, work), (PixelPoint{924, 668}));
    EXPECT_EQ(PlaceDialog(925, 669, {0, 0}, {0, 0}, work), (PixelPoint{924, 668}));
}

// ---- AskYesNo ----

TEST(YesNoLayoutTest, WidthFromTheQuestionAtLeast188AndScaledTwice) {
    ScreenMetrics m;
    YesNoLayout small = LayoutYesNo(m, 0, 0, "Konec?");
    EXPECT_EQ(small.width, 188);
    EXPECT_EQ(small.height, 90);
    EXPECT_FALSE(small.left.has_value());
    EXPECT_FALSE(small.top.has_value());

    std::string q(40, 'x');
    YesNoLayout wide = LayoutYesNo(m, 10, 10, q);
    EXPECT_EQ(wide.width, 46 * 8);
    EXPECT_EQ(wide.left, 80);
    EXPECT_EQ(wide.top, 220);  // row x (cell height + 4)

    m.scale = 1.5;
    EXPECT_EQ(LayoutYesNo(m, 0, 0, q).width, 828);         // 46 x 8 x 1.5 x 1.5
    EXPECT_EQ(LayoutYesNo(m, 0, 0, "Konec?").width, 282);  // 188 x 1.5
    m = ScreenMetrics{};
    m.cellWidth = 10;
    m.cellHeight = 20;
    YesNoLayout big = LayoutYesNo(m, 3, 2, q);
    EXPECT_EQ(big.height, 100);
    EXPECT_EQ(big.left, 30);
    EXPECT_EQ(big.top, 48);
    // Both buttons inside the window, side by side.
    EXPECT_LT(big.yes.left + big.yes.width, big.no.left);
    EXPECT_LE(big.no.left + big.no.width, big.width);
    EXPECT_LE(big.yes.top + big.yes.height, big.height);
}

TEST(YesNoAnswer, RememberedPerCaptionPrefixInDotazPar) {
    Station s;
    std::string q = "Zrušit všechny označené záznamy?"_cz;
    EXPECT_FALSE(RememberedYes(s.c, q));
    RememberAnswer(s.c, q, true);
    // The prefix ends with the blank after "všechny".
    EXPECT_EQ(ReadHost(s.Host("par/dotaz.par")), "Zrušit všechny "_cz + " ANO : A\r\n");
    EXPECT_TRUE(RememberedYes(s.c, q));
    RememberAnswer(s.c, q, false);
    EXPECT_FALSE(RememberedYes(s.c, q));
    EXPECT_EQ(GetReg(s.c, "par\\dotaz.par", "Zrušit všechny "_cz + " ANO"), "");
}

TEST(YesNoAnswer, Keys) {
    EXPECT_EQ(YesNoKey(DialogKey::Escape, 0, true), YesNoAction::No);
    EXPECT_EQ(YesNoKey(DialogKey::Other, 'a', false), YesNoAction::Yes);
    EXPECT_EQ(YesNoKey(DialogKey::Other, 'A', false), YesNoAction::Yes);
    EXPECT_EQ(YesNoKey(DialogKey::Other, 'n', true), YesNoAction::No);
    EXPECT_EQ(YesNoKey(DialogKey::Other, 'N', true), YesNoAction::No);
    EXPECT_EQ(YesNoKey(DialogKey::Other, 'x', true), YesNoAction::None);
    EXPECT_EQ(YesNoKey(DialogKey::CtrlF1, 0, true), YesNoAction::Guide);
    EXPECT_EQ(YesNoKey(DialogKey::Enter, '\r', true), YesNoAction::Yes);
    EXPECT_EQ(YesNoKey(DialogKey::Enter, '\r', false), YesNoAction::No);
    EXPECT_EQ(YesNoKey(DialogKey::F2, 0, true), YesNoAction::None);
}

// ---- AskFields ----

TEST(FieldsLayoutTest, OneColumnPlaces) {
    ScreenMetrics m;
    std::vector<std::string> items = {"Od data (DDMMRR): ", "010123",    "Poznámka"_cz, "",
                                      "Do data (DDMMRR): ", "311223    "};
    FieldsLayout f = LayoutFields(m, 25, 20, items, " Období ");
    ASSERT_EQ(f.lines.size(), 3u);
    // 18 + 10 + 0 + 0 + 5 = 33 characters, + 8, times 6 pixels.
    EXPECT_EQ(f.width, (33 + 8) * 6);
    EXPECT_EQ(f.left, 24 * 8);
    EXPECT_EQ(f.top, 19 * 18);
    // Row r at (r + 1) x 22; labels at 6, fields at (18 + 1) x 6.
    EXPECT_EQ(f.lines[0].labelRect, (PixelRect{6, 45, 108, 18}));
    EXPECT_EQ(f.lines[1].labelRect.width, 108);  // the room up to the fields
    EXPECT_EQ(f.lines[0].fieldRect, (PixelRect{114, 44, (6 + 3) * 6, 20}));
    EXPECT_EQ(f.lines[2].fieldRect, (PixelRect{114, 88, (10 + 3) * 6, 20}));
    EXPECT_EQ(f.lines[0].labelRect.height, 18);
    // The heading line: a label, no field.
    EXPECT_TRUE(f.lines[1].hasLabel);
    EXPECT_FALSE(f.lines[1].enabled);
    EXPECT_TRUE(f.lines[2].enabled);
    // Four label heights below the top of the last label row.
    EXPECT_EQ(f.height, 88 + 72);
    // col/row 0: the form keeps its place.
    FieldsLayout kept = LayoutFields(m, 0, -1, items, "");
    EXPECT_FALSE(kept.left.has_value());
    EXPECT_FALSE(kept.top.has_value());
}

TEST(FieldsLayoutTest, SecondColumnTitleWidthAndScale) {
    ScreenMetrics m;
    std::vector<std::string> items = Pairs(30, "12345");  // labels "Pole 1".."Pole 30"
    items.push_back("Druhý sloupec"_cz);                  // pair 31, label 13 chars
    items.push_back("abc");
    FieldsLayout f = LayoutFields(m, 1, 1, items, "");
    ASSERT_EQ(f.lines.size(), 31u);
    // 7 + 5 + 13 + 3 + 5 = 33 characters.
    EXPECT_EQ(f.width, (33 + 8) * 6);
    const PixelRect& field1 = f.lines[0].fieldRect;
    EXPECT_EQ(field1.left, 8 * 6);
    // Pair 31 lies on row 1, right of the first column's field.
    EXPECT_EQ(f.lines[30].labelRect.top, f.lines[0].labelRect.top);
    EXPECT_EQ(f.lines[30].labelRect.left, field1.left + (5 + 5) * 6);
    EXPECT_EQ(f.lines[30].fieldRect.left, f.lines[30].labelRect.left + 13 * 6);
    EXPECT_EQ(f.lines[30].labelRect.width, 13 * 6);
    // The height follows the first column's 30 rows.
    EXPECT_EQ(f.height, 31 * 22 + 72);

    // A title longer than the fields widens the dialog.
    std::string title(60, 't');
    EXPECT_EQ(LayoutFields(m, 1, 1, {"a", "b"}, title).width, (60 + 8) * 6);

    m.scale = 2.0;
    FieldsLayout big = LayoutFields(m, 1, 1, {"Pole", "123"}, "");
    EXPECT_EQ(big.width, (4 + 3 + 5 + 8) * 12);
    EXPECT_EQ(big.lines[0].labelRect.left, 12);
    EXPECT_EQ(big.lines[0].fieldRect.left, 5 * 12);
    EXPECT_EQ(big.lines[0].fieldRect.top, 88);
    EXPECT_EQ(big.lines[0].fieldRect.width, 6 * 12);
}

TEST(FieldsLayoutTest, OddStringsEmptyLabelsAndNothingAtAll) {
    ScreenMetrics m;
    FieldsLayout f = LayoutFields(m, 1, 1, {"Jméno"_cz, "Jan", "", "skryté"_cz, "Konec"}, "");
    ASSERT_EQ(f.lines.size(), 3u);
    // An empty label shows nothing, not even a field.
    EXPECT_FALSE(f.lines[1].hasLabel);
    EXPECT_FALSE(f.lines[1].enabled);
    // A last label without its text is a heading line.
    EXPECT_TRUE(f.lines[2].hasLabel);
    EXPECT_FALSE(f.lines[2].enabled);
    EXPECT_EQ(FirstField(LayoutFields(m, 1, 1, {}, "")), 0);
    EXPECT_GT(LayoutFields(m, 1, 1, {}, "").height, 0);
}

TEST(FieldsWalk, UpAndDownSkipHeadingsAndWrap) {
    ScreenMetrics m;
    FieldsLayout f = LayoutFields(
        m, 1, 1, {"Nadpis", "", "A", "1", "Mezera", "", "B", "2", "C", "3", "Konec", ""}, "");
    EXPECT_EQ(FirstField(f), 2);
    EXPECT_EQ(NextField(f, 2), 4);
    EXPECT_EQ(NextField(f, 4), 5);
    EXPECT_EQ(NextField(f, 5), 2);  // past the last field back to the first
    EXPECT_EQ(PreviousField(f, 2), 5);
    EXPECT_EQ(PreviousField(f, 5), 4);
    EXPECT_EQ(PreviousField(f, 4), 2);
    EXPECT_EQ(NextField(f, 0), 2);
    FieldsLayout none = LayoutFields(m, 1, 1, {"Jen nadpis", ""}, "");
    EXPECT_EQ(FirstField(none), 0);
    EXPECT_EQ(NextField(none, 0), 0);
    EXPECT_EQ(PreviousField(none, 1), 0);
    FieldsLayout one = LayoutFields(m, 1, 1, {"A", "1"}, "");
    EXPECT_EQ(NextField(one, 1), 1);
    EXPECT_EQ(PreviousField(one, 1), 1);
}

TEST(FieldsWalk, Keys) {
    EXPECT_EQ(FieldsKey(DialogKey::Escape), FieldsAction::Leave);
    EXPECT_EQ(FieldsKey(DialogKey::Enter), FieldsAction::Accept);
    EXPECT_EQ(FieldsKey(DialogKey::F2), FieldsAction::Accept);
    EXPECT_EQ(FieldsKey(DialogKey::F4), FieldsAction::Accept);
    EXPECT_EQ(FieldsKey(DialogKey::Down), FieldsAction::Next);
    EXPECT_EQ(FieldsKey(DialogKey::Up), FieldsAction::Previous);
    EXPECT_EQ(FieldsKey(DialogKey::F9), FieldsAction::Calculator);
    EXPECT_EQ(FieldsKey(DialogKey::F10), FieldsAction::FileDialog);
    EXPECT_EQ(FieldsKey(DialogKey::CtrlF1), FieldsAction::Guide);
    EXPECT_EQ(FieldsKey(DialogKey::F1), FieldsAction::Help);
    EXPECT_EQ(FieldsKey(DialogKey::Other), FieldsAction::None);
}

TEST(FieldsResults, TextsGoToDialogResultsAndOldOnesAreCleared) {
    DialogState s;
    s.results[5] = "staré"_cz;
    s.accepted = true;
    BeginFields(s);
    EXPECT_FALSE(s.accepted);
    EXPECT_EQ(s.results[5], "");
    FinishFields(s, {"a", "", "c"}, true);
    EXPECT_EQ(s.results[1], "a");
    EXPECT_EQ(s.results[2], "");
    EXPECT_EQ(s.results[3], "c");
    EXPECT_TRUE(s.accepted);

    EXPECT_EQ(CalculatorText(1234.5), "1234.50");
    EXPECT_EQ(CalculatorText(-3), "-3.00");
    EXPECT_EQ(CalculatorText(0.005), "0.01");
    EXPECT_EQ(ChosenFileText("C:\\Moje dokumenty\\a b.txt"), "C:\\Mojedokumenty\\ab.txt");
    EXPECT_EQ(TooManyMessage(" Období "_cz), " Období  - příliš mnoho parametrů"_cz);
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

    std::vector<std::string> choice = {"*01 první"_cz, " 02 druhá"_cz, "x"};
    ui.choices = {2, 0, 3, 9};
    EXPECT_EQ(ui.ChooseItem(1, 1, {}, choice, "V"), 2);
    EXPECT_EQ(ui.state().results[1], "02");
    EXPECT_EQ(ui.ChooseItem(1, 1, {}, choice, "V"), 0);
    EXPECT_EQ(ui.state().results[1], "  ");
    EXPECT_EQ(ui.ChooseItem(1, 1, {}, choice, "V"), 3);
    EXPECT_EQ(ui.state().results[1], "  ");  // "x" has no second character
    EXPECT_EQ(ui.ChooseItem(1, 1, {}, choice, "V"), 0);
    EXPECT_EQ(ui.state().chosenIndex, 0);

    std::vector<std::string> many(61, " 01");
    ui.choices = {1};
    EXPECT_EQ(ui.ChooseItem(1, 1, {}, many, "Mnoho"), 0);
    EXPECT_EQ(ui.Last("beep"), "Mnoho - příliš mnoho parametrů"_cz);
    EXPECT_EQ(ui.state().results[1], "  ");
}

// The remembered answer and item and the VYBER.PAR mask of the station
// the dialogs belong to hold for the scripted dialogs too.
TEST(ScriptedRules, MaskRememberedItemAndAnswerOfTheStation) {
    Station s;
    const std::string title = " Způsob tisku "_cz;
    WriteHost(s.Host("par/VYBER.PAR"), title + " : -\r\n");
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
    EXPECT_TRUE(s.ui.AskYesNo(0, 0, q));   // Enter on the remembered "Ano"
    EXPECT_FALSE(s.ui.AskYesNo(0, 0, q));
    EXPECT_FALSE(RememberedYes(s.c, q));
}

// ---- ChooseItem ----

TEST(ChoiceLayoutTest, MaskDisabledItemsAndPlaces) {
    Station s;
    std::string title = " Způsob tisku "_cz;
    WriteHost(s.Host("par/VYBER.PAR"), title + " : - -\r\n");
    std::vector<std::string> items = {"   s poznámkou "_cz, " bez poznámky"_cz, "*vše"_cz,
                                      "-pryč"_cz};
    std::vector<std::string> masked = ApplyChoiceMask(items, ReadChoiceMask(s.c, title));
    EXPECT_EQ(masked[0], "-   s poznámkou "_cz);
    EXPECT_EQ(masked[1], items[1]);
    EXPECT_EQ(masked[2], "-*vše"_cz);
    EXPECT_EQ(masked[3], "-pryč"_cz);

    ScreenMetrics m;
    ChoiceLayout ch = LayoutChoice(m, 10, 10, masked, title);
    ASSERT_EQ(ch.items.size(), 4u);
    EXPECT_FALSE(ch.items[0].enabled);
    EXPECT_EQ(ch.items[0].shown, "    s poznámkou "_cz);
    EXPECT_TRUE(ch.items[1].enabled);
    EXPECT_EQ(ch.items[2].shown, " *vše"_cz);
    EXPECT_FALSE(ch.items[3].enabled);
    EXPECT_EQ(ch.items[3].shown, " pryč"_cz);

    ChoiceLayout plain = LayoutChoice(m, 10, 10, items, title);
    EXPECT_TRUE(plain.items[2].enabled);
    EXPECT_EQ(plain.items[2].shown, " vše"_cz);
    // Longest of title (14) and items (15), + 7, in cells.
    EXPECT_EQ(plain.width, (15 + 7) * 8);
    EXPECT_EQ(plain.left, 9 * 8);
    EXPECT_EQ(plain.top, 9 * 18);
    EXPECT_EQ(plain.items[0].rect, (PixelRect{8, 36, (15 + 3) * 8, 18}));
    EXPECT_EQ(plain.items[3].rect.top, 5 * 18);
    EXPECT_EQ(plain.height, 5 * 18 + 4 * 18);
    // The "F2-OK" button lies inside, below the last item.
    EXPECT_GE(plain.okButton.top, plain.items[3].rect.top + plain.items[3].rect.height);
    EXPECT_LE(plain.okButton.top + plain.okButton.height, plain.height);
    EXPECT_LE(plain.okButton.left + plain.okButton.width, plain.width);
}

TEST(ChoiceLayoutTest, SecondColumn) {
    ScreenMetrics m;
    std::vector<std::string> items(35, " 01 položka"_cz);  // 11 characters
    items[32] = " 33 dlouhá položka"_cz;                   // 18 characters
    ChoiceLayout ch = LayoutChoice(m, 1, 1, items, "Výběr"_cz);
    EXPECT_EQ(ch.width, (11 + 18 + 7 + 5) * 8);
    EXPECT_EQ(ch.items[30].rect.top, ch.items[0].rect.top);
    EXPECT_EQ(ch.items[34].rect.top, ch.items[4].rect.top);
    EXPECT_EQ(ch.items[30].rect.left, (11 + 5) * 8);
    EXPECT_EQ(ch.items[29].rect.top, 31 * 18);
    EXPECT_EQ(ch.height, 31 * 18 + 72);
    m.scale = 1.5;
    ChoiceLayout big = LayoutChoice(m, 1, 1, items, "Výběr"_cz);
    EXPECT_EQ(big.width, 492);
    EXPECT_EQ(big.items[0].rect, (PixelRect{8, 54, 168, 27}));
}

TEST(ChoiceWalk, StartsOnTheRememberedEnabledItemAndSkipsDisabled) {
    ScreenMetrics m;
    const std::vector<std::string> items = {" a", "-b", " c", "-d"};
    ChoiceLayout ch = LayoutChoice(m, 1, 1, items, "");
    EXPECT_EQ(FirstChoice(items, 0), 1);
    EXPECT_EQ(FirstChoice(items, 1), 1);
    EXPECT_EQ(FirstChoice(items, 2), 3);
    EXPECT_EQ(FirstChoice(items, 4), 1);  // from the disabled last item round to the first
    EXPECT_EQ(FirstChoice(items, 9), 1);  // beyond the items
    EXPECT_EQ(NextChoice(ch, 1), 3);
    EXPECT_EQ(NextChoice(ch, 3), 1);
    EXPECT_EQ(PreviousChoice(ch, 1), 3);
    EXPECT_EQ(PreviousChoice(ch, 3), 1);
    ChoiceLayout none = LayoutChoice(m, 1, 1, {"-x", "-y"}, "");
    EXPECT_EQ(FirstChoice({"-x", "-y"}, 1), 0);
    EXPECT_EQ(NextChoice(none, 0), 0);
    EXPECT_EQ(FirstChoice({}, 1), 0);

    EXPECT_EQ(ChoiceKey(DialogKey::Escape), ChoiceAction::Leave);
    EXPECT_EQ(ChoiceKey(DialogKey::Enter), ChoiceAction::Accept);
    EXPECT_EQ(ChoiceKey(DialogKey::F2), ChoiceAction::Accept);
    EXPECT_EQ(ChoiceKey(DialogKey::F4), ChoiceAction::None);
    EXPECT_EQ(ChoiceKey(DialogKey::Down), ChoiceAction::Next);
    EXPECT_EQ(ChoiceKey(DialogKey::Up), ChoiceAction::Previous);
    EXPECT_EQ(ChoiceKey(DialogKey::F10), ChoiceAction::Print);
    EXPECT_EQ(ChoiceKey(DialogKey::CtrlF1), ChoiceAction::Guide);
    EXPECT_EQ(ChoiceKey(DialogKey::F1), ChoiceAction::Help);
}

TEST(ChoiceMemory, IndexInVyberIdx) {
    Station s;
    std::string title = " STAV TACHOMETRU (F1=help)";
    EXPECT_EQ(ReadChoiceIndex(s.c, title), 0);
    StoreChoiceIndex(s.c, title, 3);
    EXPECT_EQ(ReadHost(s.Host("par/VYBER.IDX")), " STAV TACHOMETR VyberIndex :    3\r\n");
    EXPECT_EQ(ReadChoiceIndex(s.c, title), 3);
    EXPECT_EQ(ReadChoiceIndex(s.c, " STAV TACHOMETRU jinak"), 3);

    DialogState st;
    FinishChoice(st, {" 01 A", "*02 B"}, 2);
    EXPECT_EQ(st.chosenIndex, 2);
    EXPECT_EQ(st.results[1], "02");
    FinishChoice(st, {" 01 A"}, 0);
    EXPECT_EQ(st.results[1], "  ");
    EXPECT_EQ(ChoiceCode(""), "  ");
    EXPECT_EQ(ChoiceCode("ab"), "b ");
}

// ---- busy notice, note, help box ----

TEST(BusyLayoutTest, WidthLeftAndTheRunningBar) {
    ScreenMetrics m;
    BusyLayout b = LayoutBusy(m, "Třídím soubor"_cz);  // 13 characters
    EXPECT_EQ(b.width, 18 * 12);
    EXPECT_EQ(b.left, 400 - 9 * 12);
    EXPECT_GT(b.bar.top, b.text.top);
    EXPECT_LE(b.bar.top + b.bar.height, b.height);
    // A text too wide for the middle of the screen starts at its left edge.
    EXPECT_EQ(LayoutBusy(m, std::string(80, 'x')).left, 0);
    int p = 1;
    std::vector<int> seen;
    for (int i = 0; i < 11; ++i) seen.push_back(p = NextBusyStep(p));
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2}));
    EXPECT_EQ(NextBusyStep(37), 1);  // after a progress of its own the bar starts again
    EXPECT_EQ(NoteCaption(), "Počkejte na uvolnění !!! "_cz);
    EXPECT_EQ(NoteQuestion(), "Došlo k poruše, chcete ignorovat ochranu souborů"_cz);
}

TEST(HelpLayoutTest, LinesKeepTheirRowsAndNothingIsCut) {
    ScreenMetrics m;
    std::vector<std::string> lines = {"Pokud zjistíte, že formulář je na papíře"_cz,
                                      "příliš vlevo"_cz, "", "Takto nastavené"_cz, "konec"};
    HelpLayout h = LayoutHelpBox(m, 3, 7, " Návod na použití "_cz, lines);
    EXPECT_EQ(h.caption, " Návod na použití "_cz);
    EXPECT_EQ(h.left, 24);
    EXPECT_EQ(h.top, 126);
    ASSERT_EQ(h.labels.size(), 4u);
    EXPECT_EQ(h.labels[0].second.top, 5);
    EXPECT_EQ(h.labels[1].second.top, 22);
    EXPECT_EQ(h.labels[2].second.top, 56);  // the empty third line stays free
    EXPECT_EQ(h.labels[2].first, "Takto nastavené"_cz);
    EXPECT_EQ(h.labels[3].second.left, 10);
    EXPECT_EQ(h.labels[3].second.height, 15);
    EXPECT_EQ(h.width, 40 * 9);
    // 5 + 4 x 20 would cut the last label (73 + 15); the box grows to hold it.
    EXPECT_EQ(h.height, 73 + 15 + 5);
    EXPECT_EQ(LayoutHelpBox(m, 3, 7, "T", {"a", "b"}).height, 5 + 2 * 20);
    // Short lines: still room for the left margin.
    EXPECT_GE(LayoutHelpBox(m, 0, 0, "", {"abc"}).width, 10 + 3 * 8);
    EXPECT_EQ(LayoutHelpBox(m, 0, 0, "", {"abc"}).caption, "Tabule");

    std::vector<std::string> many(25, "r");
    EXPECT_EQ(LayoutHelpBox(m, 0, 0, "", many).labels.size(), 20u);
}

// ---- guide window ----

TEST(Guide, NamesCaptionAndGeometryKeys) {
    EXPECT_EQ(GuideTitle("a\"b.c:d\\e/f?g*h i"), "a_b_c_d_e_f_g_h i");
    EXPECT_EQ(GuideCaption("NAVODY\\", "Knihy: jízdy"_cz), "Knihy_ jízdy : NAVODY\\"_cz);
    EXPECT_EQ(GuideFileName("\\KJ\\NAVODY\\", "Soubor.dta"), "\\KJ\\NAVODY\\Soubor_dta.nav");

    Station s;
    StoreGuideGeometry(s.c, {12, 34, 640, 480});
    EXPECT_EQ(ReadHost(s.Host("par/okna2.par")),
              " HintLeft : 0012\r\n HintTop : 0034\r\n HintWidth : 0640\r\n HintHeight : 0480\r\n");
    GuideGeometry g = ReadGuideGeometry(s.c);
    EXPECT_EQ(g.left, 12);
    EXPECT_EQ(g.height, 480);

    EXPECT_EQ(GuideKey(DialogKey::F2), GuideAction::Edit);
    EXPECT_EQ(GuideKey(DialogKey::Escape), GuideAction::Close);
    EXPECT_EQ(GuideKey(DialogKey::Enter), GuideAction::None);
}

TEST(Guide, LoadDropsAmpersandLinesAndSaveAddsTheFullName) {
    Station s;
    WriteHost(s.Host("NAVODY/Tisk.nav"), "První řádek\r\n&C:\\stary\\Tisk.nav\r\n\r\nTřetí\n"_cz);
    GuideText g = LoadGuide(s.c, "NAVODY\\", "Tisk");
    EXPECT_EQ(g.path, "NAVODY\\Tisk.nav");
    EXPECT_EQ(g.lines, (std::vector<std::string>{"První řádek"_cz, "", "Třetí"_cz}));

    g.lines.push_back("Nový řádek"_cz);
    EXPECT_EQ(SaveGuide(s.c, g.path, g.lines), 0);
    EXPECT_EQ(ReadHost(s.Host("NAVODY/Tisk.nav")),
              "První řádek\r\n\r\nTřetí\r\nNový řádek\r\n&C:\\NAVODY\\Tisk.nav\r\n"_cz);
    // Loading again shows the same lines: the name line never accumulates.
    EXPECT_EQ(LoadGuide(s.c, "NAVODY\\", "Tisk").lines.size(), 4u);

    // A rooted directory gets the drive of the current directory.
    EXPECT_EQ(SaveGuide(s.c, "\\N\\x.nav", {}), 0);
    EXPECT_EQ(ReadHost(s.Host("N/x.nav")), "&C:\\N\\x.nav\r\n");
}

TEST(Guide, MissingOrTinyFileGivesAnEmptyTextAndTheDirectory) {
    Station s;
    GuideText g = LoadGuide(s.c, "\\KJ\\NAVODY\\", "Nový? průvodce"_cz);
    EXPECT_TRUE(g.lines.empty());
    EXPECT_TRUE(fs::is_directory(s.Host("KJ/NAVODY")));
    WriteHost(s.Host("KJ/NAVODY/Maly.nav"), "ab");
    EXPECT_TRUE(LoadGuide(s.c, "\\KJ\\NAVODY\\", "Maly").lines.empty());
    WriteHost(s.Host("KJ/NAVODY/Maly.nav"), "abc");
    EXPECT_EQ(LoadGuide(s.c, "\\KJ\\NAVODY\\", "Maly").lines, (std::vector<std::string>{"abc"}));
}

}  // namespace
}  // namespace kj
