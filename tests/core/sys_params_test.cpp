#include "kj_test.h"

#include "screens/sys_params.h"

namespace kj {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Station 07 working in root/work with its own "master.job".
struct Station : rectest::TempStation {
    Station() { Install({{"UZIVATEL", "07"}}); }
    fs::path job() const { return Work("master.job"); }
    fs::path sysPar() const { return Work("par/sys.par"); }

    // The used entries of the job table in file order.
    Entries JobEntries() const {
        const std::string t = ReadHost(job());
        Entries e;
        for (std::size_t at = 0; at + 18 <= t.size(); at += 18) {
            const auto keyLength = static_cast<unsigned char>(t[at]);
            if (keyLength == 0) continue;
            e.emplace_back(t.substr(at + 1, keyLength),
                           t.substr(at + 10, static_cast<unsigned char>(t[at + 9])));
        }
        return e;
    }
};

struct SysParamsTest : ::testing::Test {
    // The window opened on the settings as they stand, its first field entered.
    void Open() {
        InitCommon(s.c);
        w.Otevri();
        w.FormShow();
    }
    Station s;
    ScreenMetrics m;
    SysParams w{s.c, m};
};

// Types a text into the current field as the edit box would hold it.
void Type(SysParams& w, const std::string& text) { w.SetText(w.Current(), text); }

TEST_F(SysParamsTest, OpensWithTheValuesInEffect) {
    for (auto [key, value] : Entries{{"MENA", "EUR"}, {"DAN1", "21"}, {"DAN2", "12.5"},
                                     {"DIAKTISK", " N"}, {"LPT", "0"}, {"OB_PORT", "2"},
                                     {"LIMRAD", "abc"}})  // unreadable: the default 64
        SetJob(s.c, key, value);
    WriteHost(s.sysPar(), "LPT2 : /dev/usb/lp0\r\n");
    InitCommon(s.c);
    w.Otevri();
    // "LPT" 0 prints to LPT1 as well.
    const std::pair<int, std::string> values[] = {
        {SysParams::kMena, "EUR"},   {SysParams::kDan1, " 21.00"},   {SysParams::kDan2, " 12.50"},
        {SysParams::kDan3, "  0.00"}, {SysParams::kLimrad, "  64"},  {SysParams::kToplist, " 0"},
        {SysParams::kDiaktisk, "N"}, {SysParams::kLpt, "1"},         {SysParams::kObPort, " 2"},
        {SysParams::kTiskarna, std::string(8, ' ')}};
    for (const auto& [field, value] : values) EXPECT_EQ(w.Descriptor(field).value, value) << field;
    EXPECT_EQ(StripRight(w.Descriptor(SysParams::kDevice1).value), "/dev/lp0");
    EXPECT_EQ(StripRight(w.Descriptor(SysParams::kDevice2).value), "/dev/usb/lp0");

}

TEST_F(SysParamsTest, AcceptingWritesOnlyTheChangedValues) {
    for (auto [key, value] : Entries{{"DAN1", "21"}, {"DAN2", "12.5"}, {"TISKARNA", "EPSON"},
                                     {"MONPAR", " L K"}, {"DIAKTISK", "N"}, {"LPT", "2"}})
        SetJob(s.c, key, value);
    WriteHost(s.sysPar(), "LPT2 : /dev/usb/lp0\r\n");
    InitCommon(s.c);
    EXPECT_EQ(s.c.set.printCharMode, 5);
    w.Otevri();
    w.FormShow();
    // Field by field from MENA: what is typed (DAN2 passed through
    // unchanged), the key that leaves it; LPT2 back to its default.
    const std::pair<const char*, int> typing[] = {
        {"usd", key::kReturn}, {"15", key::kDown},  {nullptr, key::kDown},  {"7,25", key::kTab},
        {"70", key::kDown},    {"3", key::kDown},   {"a", key::kDown},      {"", key::kDown},
        {"OKI", key::kDown},   {"1", key::kDown},   {"/dev/usb/lp1", key::kDown},
        {"/dev/lp1", key::kF2}};
    for (auto [text, vk] : typing) {
        if (text) Type(w, text);
        w.KeyDown(vk);
    }
    ASSERT_TRUE(w.accepted());
    EXPECT_EQ(w.Text(SysParams::kMena) + "|" + w.Text(SysParams::kDan1) + "|" +
                  w.Text(SysParams::kDiaktisk),
              "USD| 15.00|A");
    EXPECT_EQ(s.ui.Count("beep"), 0);
    ASSERT_TRUE(w.ZavriOkno());

    // DAN2 keeps its text; "LPT" emptied frees its entry, which the next
    // new key (in field order) takes.
    EXPECT_EQ(s.JobEntries(), (Entries{{"UZIVATEL", "07"}, {"DAN1", "15"}, {"DAN2", "12.5"},
                                       {"TISKARNA", "OKI"}, {"MONPAR", " L K"}, {"DIAKTISK", "A"},
                                       {"OB_PORT", "1"}, {"MENA", "USD"}, {"DAN3", "7.25"},
                                       {"LIMRAD", "70"}, {"TOPLIST", "3"}}));
    EXPECT_EQ(ReadHost(s.job()).size(), 3600u);
    EXPECT_EQ(ReadHost(s.sysPar()), std::string(19, ' ') + "\r\nLPT1 : /dev/usb/lp1\r\n");

    // The station follows at once; MONPAR again, diacritics on.
    const Settings& t = s.c.set;
    EXPECT_EQ(t.homeCurrency + "|" + t.taxText[1] + "|" + std::to_string(t.linesPerPage) + "|" +
                  std::to_string(t.printerPort) + "|" + std::to_string(t.printCharMode),
              "USD|15|70|1|3");
    EXPECT_EQ(t.tax[1], 15);
    EXPECT_EQ(t.tax[3], 7.25);
    EXPECT_NEAR(t.taxCoef[1], 15.0 / 115.0, 1e-12);

    // Opened again, the window shows what was stored.
    w.Otevri();
    EXPECT_EQ(w.Descriptor(SysParams::kDan3).value, "  7.25");
    EXPECT_EQ(w.Descriptor(SysParams::kLpt).value, " ");
}

TEST_F(SysParamsTest, WrongValuesAreRefusedAndKeptAsTyped) {
    SetJob(s.c, "LIMRAD", "60");
    const std::string before = ReadHost(s.job());
    Open();

    // Down on a wrong rate: a message, the cursor stays, the text too.
    w.KeyDown(key::kDown);
    Type(w, "2x");
    w.KeyDown(key::kDown);
    EXPECT_EQ(s.ui.Last("beep"), "Sazba DPH 1 musí být číslo od 0 do 99,99 (procenta)."_cz);
    EXPECT_TRUE(w.TakeRequests().focus == SysParams::kDan1);
    // Enter as well, before it would normalise the text to a number.
    auto stays = [&] { return std::to_string(w.Current()) + " " + w.Text(SysParams::kDan1); };
    EXPECT_EQ(stays(), std::to_string(SysParams::kDan1) + " 2x");
    w.KeyDown(key::kReturn);
    EXPECT_EQ(s.ui.Count("beep"), 2);
    EXPECT_EQ(stays(), std::to_string(SysParams::kDan1) + " 2x");

    // A click into another field after typing: refused again, and entering
    // the field once more does not turn the text into 0.
    w.KeyDown(key::kA + ('X' - 'A'));
    w.FieldLeft(SysParams::kDan1, SysParams::kDan2);
    EXPECT_EQ(s.ui.Count("beep"), 3);
    EXPECT_EQ(w.TakeRequests().focus, SysParams::kDan1);
    w.FieldLeft(SysParams::kDan2, SysParams::kDan1);
    w.FieldEntered(SysParams::kDan1);
    EXPECT_EQ(stays(), std::to_string(SysParams::kDan1) + " 2x");

    // F2 refuses as well; once corrected, F2 checks every field and stops
    // at a wrong one that was never left.
    w.KeyDown(key::kF2);
    EXPECT_FALSE(w.accepted());
    Type(w, "21");
    w.SetText(SysParams::kLimrad, "5");
    w.SetText(SysParams::kDevice3, "lp2");
    w.KeyDown(key::kF2);
    EXPECT_FALSE(w.accepted());
    EXPECT_EQ(w.Current(), SysParams::kLimrad);
    EXPECT_EQ(s.ui.Last("beep"), "Počet řádků na tiskové stránce musí být od 10 do 200."_cz);
    Type(w, "200");
    w.KeyDown(key::kF2);
    EXPECT_FALSE(w.accepted());
    EXPECT_EQ(w.Current(), SysParams::kDevice3);
    EXPECT_EQ(
        s.ui.Last("beep"),
        "Zařízení portu LPT3 musí být úplná cesta k souboru zařízení, např. /dev/usb/lp0."_cz);

    // Further checks, field by field.
    const struct {
        int field;
        std::string text;
        bool good;
    } cases[] = {
        {SysParams::kMena, "", false},         {SysParams::kMena, "C Z", false},
        {SysParams::kMena, "Kč"_cz, true},     {SysParams::kDan2, "99,99", true},
        {SysParams::kDan2, "100", false},      {SysParams::kDan2, "-5", false},
        {SysParams::kDan2, "1.2.3", false},    {SysParams::kDan2, "", true},
        {SysParams::kLimrad, "10", true},      {SysParams::kLimrad, "201", false},
        {SysParams::kToplist, "30", true},     {SysParams::kToplist, "31", false},
        {SysParams::kDiaktisk, "n", true},     {SysParams::kDiaktisk, "x", false},
        {SysParams::kLpt, "4", true},          {SysParams::kLpt, "5", false},
        {SysParams::kLpt, "0", false},         {SysParams::kLpt, " ", true},
        {SysParams::kTiskarna, "HP 4", false}, {SysParams::kTiskarna, "..\\x", false},
        {SysParams::kObPort, "0", true},       {SysParams::kObPort, "5", false},
        {SysParams::kDevice1, "/dev/x", true}, {SysParams::kDevice1, "", true},
    };
    for (const auto& k : cases) {
        Type(w, "/dev/lp2");  // the current field (LPT3) made valid first
        w.KeyDown(key::kUp);
        w.FieldEntered(k.field);
        const int beeps = s.ui.Count("beep");
        Type(w, k.text);
        w.KeyDown(key::kDown);
        EXPECT_EQ(s.ui.Count("beep") == beeps, k.good) << k.field << " '" << k.text << "'";
        EXPECT_EQ(w.Current() == k.field, !k.good) << k.field << " '" << k.text << "'";
        if (!k.good) {
            EXPECT_EQ(w.Text(k.field), k.text);
        }
        w.SetText(k.field, "");
        w.FieldEntered(SysParams::kDevice3);
        w.SetText(SysParams::kMena, "CZK");
        w.SetText(SysParams::kLimrad, "64");
        w.SetText(SysParams::kDiaktisk, "A");
    }

    // Esc: nothing is written.
    w.KeyDown(key::kEscape);
    EXPECT_TRUE(w.cancelled());
    EXPECT_TRUE(w.ZavriOkno());
    EXPECT_EQ(ReadHost(s.job()), before);
    EXPECT_FALSE(fs::exists(s.sysPar()));
}

TEST_F(SysParamsTest, AFullJobTableIsReported) {
    for (int i = 1; i < 200; ++i) SetJob(s.c, "K" + std::to_string(i), "x");
    ASSERT_EQ(s.JobEntries().size(), 200u);
    Open();
    Type(w, "EUR");
    w.KeyDown(key::kF2);
    ASSERT_TRUE(w.accepted());
    EXPECT_FALSE(w.ZavriOkno());
    EXPECT_EQ(s.ui.Last("beep"),
              "Hodnotu \"Domácí měna\" se nepodařilo uložit do master.job (tabulka je plná nebo "
              "nepřístupná)."_cz);
    EXPECT_EQ(s.c.set.homeCurrency, "CZK");
}

TEST_F(SysParamsTest, HelpForTheCurrentField) {
    Open();
    for (int i = 1; i < SysParams::kLimrad; ++i) w.KeyDown(key::kDown);
    w.KeyDown(key::kF1);
    EXPECT_EQ(s.ui.shown.back().items.back(), "Uloženo v master.job pod klíčem LIMRAD."_cz);
    EXPECT_EQ(w.Current(), SysParams::kLimrad);
}

}  // namespace
}  // namespace kj
