#include "kj_test.h"

#include "screens/char_window.h"
#include "screens/font_map.h"

#include <sstream>

namespace kj {
namespace {

// Station 07 on computer "PC01".
struct Station : rectest::TempStation {
    Station() { Install({{"UZIVATEL", "07"}, {"POCITAC", "PC01"}}); }
    fs::path okna2() const { return Work("par/okna2.par"); }
    fs::path oknag() const { return Work("par/Oknag.par"); }
};

struct FakePickers : AppearancePickers {
    std::optional<int> colour;
    std::optional<FontChoice> font;
    FontChoice offered;
    std::optional<int> PickColour(int) override { return colour; }
    std::optional<FontChoice> PickFont(const FontChoice& now) override { return offered = now, font; }
};

// Items of the first dialog of that kind.
std::vector<std::string> ItemsOf(const ScriptedDialogs& ui, const std::string& kind) {
    for (const auto& shown : ui.shown)
        if (shown.kind == kind) return shown.items;
    return {};
}

// A field whose label stands in column 2 of `row`.
PoleOkna Pole(std::string label, int row, FieldType type, int width) {
    PoleOkna p;
    p.label = std::move(label), p.column = 2, p.row = row, p.type = type, p.width = width;
    return p;
}

TEST(CharWindow, LayoutFromCells) {
    Station s;
    ScreenMetrics m;
    PoleOkna name = Pole("Jméno"_cz, 1, FieldType::Text, 20);
    PoleOkna date = Pole("X", 2, FieldType::Date, 8);
    PoleOkna hidden = Pole("Skryté"_cz, 3, FieldType::Text, 5);
    hidden.suffix = "ks", hidden.suffixColumn = 20, hidden.suffixRow = 3;
    PoleOkna price = Pole("Cena", 4, FieldType::Real, 8);
    price.suffix = "Kč"_cz, price.suffixColumn = 30, price.suffixRow = 4;
    CharWindow w(s.c, "fTest", m);
    w.AttachFields({&name, &date, &hidden, &price});
    w.SetState(3, -1);
    w.SetState(4, 0);
    w.OtevriOkno("Test ", std::string(60, 's'), 0, 0, 2, 3, 41, 12);

    // What the form needs beyond the places (those are looked at on
    // screen): lengths, order, states, suffixes, the status text cut to
    // the window.
    const WindowLayout& l = w.layout();
    for (const FieldLayout& f : l.fields) EXPECT_LE(f.label.left + f.label.width, f.edit.left);  // not over
    EXPECT_EQ(l.fields[0].maxLength, 20);
    EXPECT_EQ(l.fields[1].tabOrder, 1);
    EXPECT_TRUE(l.fields[2].hidden);
    EXPECT_FALSE(l.fields[2].hasSuffix);  // hidden fields get no suffix label
    EXPECT_TRUE(l.fields[3].readOnly);
    ASSERT_TRUE(l.fields[3].hasSuffix);
    EXPECT_GE(l.fields[3].suffix.left, l.fields[3].edit.left + l.fields[3].edit.width);
    EXPECT_EQ(l.statusText, std::string(40, 's'));
    EXPECT_TRUE(w.cancelled());
    EXPECT_EQ(w.wrap(), Wrap::Off);

    // Stored position values replace the computed ones only above 0.
    WriteHost(s.okna2(), "fTest OknoLeft : 0000\r\nfTest OknoTop : abc\r\n"
                         "fTest OknoWidth : 0500\r\nfTest OknoHeight : -300\r\n");
    const Rect computed = l.form;
    w.OtevriOkno("Test ", "", 0, 0, 2, 3, 41, 12);
    EXPECT_EQ(w.layout().form, (Rect{computed.left, computed.top, 500, computed.height}));
    EXPECT_EQ(w.layout().okButton.left + w.layout().okButton.width, 500 - 12);
}

// "height width font ink paper style size".
std::string Seen(const Appearance& a) {
    std::ostringstream o;
    o << a.cellHeight << ' ' << a.cellWidth << ' ' << a.fontName << ' ' << a.ink << ' ' << a.paper
      << ' ' << static_cast<int>(a.fontStyle) << ' ' << a.fontSize;
    return o.str();
}

TEST(CharWindow, AppearanceKeysAndTheirPrecedence) {
    Station s;
    ScreenMetrics m;
    WriteHost(s.okna2(),
              "VyskaFontuA : 20\r\nfTest VyskaFontuA : 22\r\nFontNameA : Courier\r\n"
              "FontColorA : 255\r\nfTest FontPaperA :  0000065280\r\n"
              "fTest FontStyleA : BoldItalic\r\nfTest SirkaFontuA : 0\r\n"
              "fTest FontSizeA : 0010 \r\nVyskaFontu : 25\r\n");
    WriteHost(s.oknag(), "x\r\n");  // too short for one-font mode: deleted
    Appearance a = NactiVizaz(s.c, m, "fTest", VizazKeys::Window, 111, 222);
    // The window's own height wins; a stored width of 0 is ignored.
    EXPECT_EQ(Seen(a), "22 8 Courier 255 65280 3 10");
    EXPECT_FALSE(fs::exists(s.oknag()));

    // The list's keys lack the final "A"; its starting values are the caller's.
    a = NactiVizaz(s.c, m, "fTest", VizazKeys::List, 111, 222);
    EXPECT_EQ(Seen(a), "25 8 Ms Sans Serif 222 111 0 8");

    // One font for all windows: only the general keys of Oknag.par count,
    // and the file stays.
    WriteHost(s.oknag(), "VyskaFontuA : 12\r\nFontNameA : Fixedsys\r\n");
    a = NactiVizaz(s.c, m, "fTest", VizazKeys::Window, 111, 222);
    EXPECT_EQ(Seen(a), "12 8 Fixedsys 222 111 0 8");
    EXPECT_TRUE(fs::exists(s.oknag()));
}

TEST(CharWindow, CloseStoresGeometryAndAppearance) {
    Station s;
    ScreenMetrics m;
    CharWindow w(s.c, "fTest", m);
    w.OtevriOkno("T", "", RgbColour(255, 255, 255), 0, 1, 1, 20, 10);
    w.FormClose({10, 20, 300, 200});
    EXPECT_EQ(ReadHost(s.okna2()),
              "fTest OknoLeft : 0010\r\n"
              "fTest OknoTop : 0020\r\n"
              "fTest OknoWidth : 0300\r\n"
              "fTest OknoHeight : 0200\r\n"
              "fTest FontPaperA :  0016777215\r\n"
              "fTest FontColorA :  0000000000\r\n"
              "fTest FontNameA : Ms Sans Serif\r\n"
              "fTest VyskaFontuA :  18\r\n"
              "fTest SirkaFontuA :   8\r\n"
              "fTest FontSizeA : 0008 \r\n"
              "fTest FontStyleA : Normal\r\n");

    // The next opening finds what was stored.
    w.OtevriOkno("T", "", 0, 0, 1, 1, 20, 10);
    EXPECT_EQ(w.layout().form, (Rect{10, 20, 300, 200}));
    EXPECT_EQ(w.appearance().paper, RgbColour(255, 255, 255));
}

TEST(CharWindow, AppearanceDialog) {
    Station s;
    ScreenMetrics m;
    FakePickers pickers;
    CharWindow w(s.c, "fTest", m);
    w.SetPickers(&pickers);
    PoleOkna f = Pole("A", 1, FieldType::Text, 5);
    w.AttachFields({&f});
    w.OtevriOkno("T", "", 0, 0, 1, 1, 20, 10);
    w.FormShow();

    // Font, then cell sizes clamped to 10..30 and 5..30.
    pickers.font = FontChoice{"Courier New", 10, FontStyle::Bold, RgbColour(255, 0, 0)};
    s.ui.choices.push_back(2);
    s.ui.fields.push_back({true, {"40", "3"}});
    w.KeyDown(key::kF11);
    EXPECT_EQ(s.ui.Last("choose"), "Úprava vizáže"_cz);
    EXPECT_EQ(ItemsOf(s.ui, "fields"), (std::vector<std::string>{"Výška písmen"_cz, "  18",
                                                                  "Šířka písmen"_cz, "   8"}));
    EXPECT_EQ(pickers.offered.name, "Ms Sans Serif");
    EXPECT_EQ(Seen(w.appearance()), "30 5 Courier New 255 0 1 10");
    EXPECT_EQ(m.cellHeight, 30);
    EXPECT_EQ(w.layout().fields[0].label.height, 30);
    EXPECT_TRUE(w.TakeRequests().appearance);

    // Background colour; a cancelled colour dialog changes nothing.
    pickers.colour = RgbColour(0, 208, 208);
    s.ui.choices.push_back(1);
    w.KeyDown(key::kF11);
    EXPECT_EQ(w.appearance().paper, RgbColour(0, 208, 208));
    pickers.colour.reset();
    s.ui.choices.push_back(1);
    w.KeyDown(key::kF11);
    EXPECT_EQ(w.appearance().paper, RgbColour(0, 208, 208));

    w.FormClose({0, 0, 100, 100});
    EXPECT_EQ(GetReg(s.c, "par\\okna2.par", "fTest FontStyleA"), "Bold");
    EXPECT_EQ(GetReg(s.c, "par\\okna2.par", "fTest VyskaFontuA"), " 30");
}

TEST(CharWindow, ValuesToAndFromTheRecordBuffer) {
    Station s;
    ScreenMetrics m;
    PoleOkna text = Pole("Text", 1, FieldType::Text, 5);
    PoleOkna amount = Pole("Částka"_cz, 2, FieldType::Real, 6);
    amount.mask = "###.##";
    PoleOkna date = Pole("Datum", 3, FieldType::Date, 8);
    PoleOkna code = Pole("Kód"_cz, 4, FieldType::CodeRight, 3);
    CharWindow w(s.c, "fTest", m);
    w.AttachFields({&text, &amount, &date, &code});
    EXPECT_EQ(w.RecordLength(), 6 + 6 + 7 + 4);

    std::string record = std::string("\x05" "abc  ") + std::string("\x81\0\0\0\0\x40", 6) +
                         "\x06" "010224" + "\x03" "007";
    w.SetZaznamOkna(record);
    ASSERT_TRUE(w.NactiOkno());
    EXPECT_EQ(text.value + amount.value + date.value + code.value, "abc    1.5001.02.24007");

    // Edited, then accepted with F2: the buffer receives the stored forms.
    w.OtevriOkno("T", "", 0, 0, 1, 1, 40, 10);
    w.FormShow();
    w.SetText(1, "xy");
    w.SetText(2, "2,5");
    w.SetText(4, "12");
    w.KeyDown(key::kF2);
    ASSERT_TRUE(w.accepted());
    ASSERT_TRUE(w.ZavriOkno());
    EXPECT_EQ(text.value, "xy");
    EXPECT_EQ(record, std::string("\x05" "xy   ") + std::string("\x82\0\0\0\0\x20", 6) +
                          "\x06" "010224" + "\x03" "012");

    // Cancelled: values and buffer stay.
    w.OtevriOkno("T", "", 0, 0, 1, 1, 40, 10);
    w.SetText(1, "zz");
    w.KeyDown(key::kEscape);
    const std::string kept = record;
    EXPECT_TRUE(w.ZavriOkno());
    EXPECT_EQ(record, kept);
    EXPECT_EQ(text.value, "xy");

    // A buffer shorter than the fields is left alone.
    std::string shortRecord(10, '\0');
    w.SetZaznamOkna(shortRecord);
    EXPECT_FALSE(w.NactiOkno());
    w.OtevriOkno("T", "", 0, 0, 1, 1, 40, 10);
    w.KeyDown(key::kF2);
    EXPECT_FALSE(w.ZavriOkno());
    EXPECT_EQ(shortRecord, std::string(10, '\0'));
}

TEST(CharWindow, CaptionHelpAndGuide) {
    Station s;
    ScreenMetrics m;
    CharWindow w(s.c, "fTest", m);
    EXPECT_EQ(w.caption(), "fOkno");
    w.OtevriOkno(" Parametry ", "", 0, 0, 1, 1, 40, 10);
    EXPECT_EQ(w.caption(), " Parametry PC01");  // nobody signed in

    // Station 07 with a name in JMENA.tab.
    std::string names(25 * 100, '\0');
    codec::PutShortText(names.data() + 25 * 7, 24, "Novák"_cz);
    WriteHost(s.Prog("JMENA.tab"), names);
    w.OtevriOkno(" Parametry ", "", 0, 0, 1, 1, 40, 10);
    EXPECT_EQ(w.caption(), " Parametry PC01 Uživatel:Novák"_cz);

    PoleOkna a = Pole("A", 1, FieldType::Text, 5);
    PoleOkna b = Pole("B", 2, FieldType::Text, 5);
    w.AttachFields({&a, &b});
    w.OtevriOkno(" Parametry ", "", 0, 0, 1, 1, 40, 10);
    w.FormShow();
    w.KeyDown(key::kDown);
    w.KeyDown(key::kF1);
    EXPECT_EQ(s.ui.Last("beep"), "Help SOUB   2");
    w.KeyDown(key::Ctrl(key::kF1));
    ASSERT_EQ(s.ui.Count("guide"), 1);
    EXPECT_EQ(s.ui.Last("guide"), w.caption());
    const std::string directory = ItemsOf(s.ui, "guide").at(0);
    EXPECT_EQ(directory.substr(directory.size() - 7), "NAVODY\\");
}

TEST(FontMap, WindowsNamesToInstalledFonts) {
    FontMap map;
    const std::pair<const char*, const char*> cases[] = {
        {"MS Sans Serif", "DejaVu Sans"},      {"Ms Sans Serif", "DejaVu Sans"},
        {"fixedsys", "DejaVu Sans Mono"},      {"Courier New", "DejaVu Sans Mono"},
        {"COURIER", "DejaVu Sans Mono"},       {"MS Sherif", "DejaVu Serif"},
        {"Liberation Serif", "Liberation Serif"}};
    for (auto [windows, installed] : cases) EXPECT_EQ(map.Installed(windows), installed);
    map.Set("courier", "Liberation Mono");
    EXPECT_EQ(map.Installed("Courier"), "Liberation Mono");
}

}  // namespace
}  // namespace kj
