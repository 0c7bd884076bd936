#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "host_files.h"
#include "screens/key_codes.h"
#include "screens/sys_params.h"
#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/scripted_dialogs.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::pair<std::string, std::string>>;

// Station 07 working in root/work with its own "master.job".
struct Station {
    explicit Station(const fs::path& root)
        : root(root), files((root / "work").string(), root.string()), c(files, ui) {
        WriteHost(root / "work" / "data.adr", "\\data\\\r\n");
        WriteHost(root / "work" / "prog.adr", "\\prog\\\r\n");
        fs::create_directories(root / "data");
        fs::create_directories(root / "prog");
        SetJobIn(c, "", "UZIVATEL", "07");
    }
    fs::path job() const { return root / "work" / "master.job"; }
    fs::path sysPar() const { return root / "work" / "par" / "sys.par"; }

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

    fs::path root;
    HostFileSystem files;
    ScriptedDialogs ui;
    Common c;
};

// Types a text into the current field as the edit box would hold it.
void Type(SysParams& w, const std::string& text) {
    w.SetText(w.Current(), text);
}

TEST(SysParams, OpensWithTheValuesInEffect) {
    TestDir dir;
    Station s(dir.path());
    SetJob(s.c, "MENA", "EUR");
    SetJob(s.c, "DAN1", "21");
    SetJob(s.c, "DAN2", "12.5");
    SetJob(s.c, "DIAKTISK", " N");
    SetJob(s.c, "LPT", "0");
    SetJob(s.c, "OB_PORT", "2");
    SetJob(s.c, "LIMRAD", "abc");  // unreadable: the default 64 is in effect
    WriteHost(s.sysPar(), "LPT2 : /dev/usb/lp0\r\n");
    InitCommon(s.c);
    ScreenMetrics m;
    SysParams w(s.c, m);
    w.Otevri();

    auto value = [&](int i) { return w.Descriptor(i).value; };
    EXPECT_EQ(value(SysParams::kMena), "EUR");
    EXPECT_EQ(value(SysParams::kDan1), " 21.00");
    EXPECT_EQ(value(SysParams::kDan2), " 12.50");
    EXPECT_EQ(value(SysParams::kDan3), "  0.00");
    EXPECT_EQ(value(SysParams::kLimrad), "  64");
    EXPECT_EQ(value(SysParams::kToplist), " 0");
    EXPECT_EQ(value(SysParams::kDiaktisk), "N");
    EXPECT_EQ(value(SysParams::kLpt), "1");  // "0" prints to LPT1 as well
    EXPECT_EQ(value(SysParams::kTiskarna), std::string(8, ' '));
    EXPECT_EQ(value(SysParams::kObPort), " 2");
    EXPECT_EQ(StripRight(value(SysParams::kDevice1)), "/dev/lp0");
    EXPECT_EQ(StripRight(value(SysParams::kDevice2)), "/dev/usb/lp0");

    // The record buffer holds the stored forms in field order.
    const std::string& r = w.record();
    ASSERT_EQ(r.size(), 4u + 3 * 6 + 4 + 4 + 2 + 2 + 9 + 4 + 4 * 33);
    EXPECT_EQ(r.substr(0, 4),
              "\x03"
              "EUR");
    EXPECT_EQ(r.substr(22, 4), std::string("\x40\0\0\0", 4));  // LIMRAD 64
    EXPECT_EQ(r.substr(30, 4),
              "\x01"
              "N"
              "\x01"
              "1");

    // Labels line up; every field is editable; the window's own name.
    EXPECT_EQ(w.windowName(), "fParSys");
    const WindowLayout& l = w.layout();
    for (int i = 1; i <= SysParams::kFieldCount; ++i) {
        EXPECT_EQ(l.fields[static_cast<std::size_t>(i - 1)].edit.left, l.fields[0].edit.left);
        EXPECT_TRUE(w.Editable(i));
    }
    // Nothing lies under the status line or beyond the form.
    for (const FieldLayout& f : l.fields) {
        EXPECT_LE(f.edit.top + f.edit.height, l.statusLine.top);
        EXPECT_LE(f.edit.left + f.edit.width, l.form.width);
        if (f.hasSuffix) {
            EXPECT_GT(f.suffix.left, f.edit.left + f.edit.width);
        }
    }
    EXPECT_EQ(w.caption(), " Parametry systému "_cz);
}

TEST(SysParams, AcceptingWritesOnlyTheChangedValues) {
    TestDir dir;
    Station s(dir.path());
    SetJob(s.c, "DAN1", "21");
    SetJob(s.c, "DAN2", "12.5");
    SetJob(s.c, "TISKARNA", "EPSON");
    SetJob(s.c, "MONPAR", " L K");
    SetJob(s.c, "DIAKTISK", "N");
    SetJob(s.c, "LPT", "2");
    WriteHost(s.sysPar(), "LPT2 : /dev/usb/lp0\r\n");
    InitCommon(s.c);
    EXPECT_EQ(s.c.set.printCharMode, 5);
    ScreenMetrics m;
    SysParams w(s.c, m);
    w.Otevri();
    w.FormShow();
    ASSERT_EQ(w.Current(), SysParams::kMena);

    Type(w, "usd");
    w.KeyDown(key::kReturn);
    EXPECT_EQ(w.Text(SysParams::kMena), "USD");
    Type(w, "15");
    w.KeyDown(key::kDown);
    EXPECT_EQ(w.Text(SysParams::kDan1), " 15.00");
    w.KeyDown(key::kDown);  // DAN2 passed through unchanged
    Type(w, "7,25");
    w.KeyDown(key::kTab);
    Type(w, "70");
    w.KeyDown(key::kDown);
    Type(w, "3");
    w.KeyDown(key::kDown);
    Type(w, "a");
    w.KeyDown(key::kDown);
    EXPECT_EQ(w.Text(SysParams::kDiaktisk), "A");
    Type(w, "");
    w.KeyDown(key::kDown);
    ASSERT_EQ(w.Current(), SysParams::kTiskarna);
    Type(w, "OKI");
    w.KeyDown(key::kDown);
    Type(w, "1");
    w.KeyDown(key::kDown);
    Type(w, "/dev/usb/lp1");
    w.KeyDown(key::kDown);
    Type(w, "/dev/lp1");  // LPT2 back to its default
    w.KeyDown(key::kF2);
    ASSERT_TRUE(w.accepted());
    EXPECT_EQ(s.ui.Count("beep"), 0);
    ASSERT_TRUE(w.ZavriOkno());

    // DAN2 keeps its text; "LPT" emptied frees its entry, which the next
    // new key (in field order) takes.
    EXPECT_EQ(s.JobEntries(), (Entries{{"UZIVATEL", "07"},
                                       {"DAN1", "15"},
                                       {"DAN2", "12.5"},
                                       {"TISKARNA", "OKI"},
                                       {"MONPAR", " L K"},
                                       {"DIAKTISK", "A"},
                                       {"OB_PORT", "1"},
                                       {"MENA", "USD"},
                                       {"DAN3", "7.25"},
                                       {"LIMRAD", "70"},
                                       {"TOPLIST", "3"}}));
    EXPECT_EQ(ReadHost(s.job()).size(), 3600u);
    EXPECT_EQ(ReadHost(s.sysPar()), std::string(19, ' ') + "\r\nLPT1 : /dev/usb/lp1\r\n");

    // The station follows at once.
    EXPECT_EQ(s.c.set.homeCurrency, "USD");
    EXPECT_EQ(s.c.set.tax[1], 15);
    EXPECT_EQ(s.c.set.tax[3], 7.25);
    EXPECT_EQ(s.c.set.taxText[1], "15");
    EXPECT_NEAR(s.c.set.taxCoef[1], 15.0 / 115.0, 1e-12);
    EXPECT_EQ(s.c.set.linesPerPage, 70);
    EXPECT_EQ(s.c.set.printerPort, 1);
    EXPECT_EQ(s.c.set.printCharMode, 3);  // MONPAR again, diacritics on

    // Opened again, the window shows what was stored.
    w.Otevri();
    EXPECT_EQ(w.Descriptor(SysParams::kDan3).value, "  7.25");
    EXPECT_EQ(w.Descriptor(SysParams::kLpt).value, " ");
}

TEST(SysParams, WrongValuesAreRefusedAndKeptAsTyped) {
    TestDir dir;
    Station s(dir.path());
    SetJob(s.c, "LIMRAD", "60");
    InitCommon(s.c);
    const std::string before = ReadHost(s.job());
    ScreenMetrics m;
    SysParams w(s.c, m);
    w.Otevri();
    w.FormShow();

    // Down on a wrong rate: a message, the cursor stays, the text too.
    w.KeyDown(key::kDown);
    Type(w, "2x");
    w.KeyDown(key::kDown);
    EXPECT_EQ(s.ui.Last("beep"), "Sazba DPH 1 musí být číslo od 0 do 99,99 (procenta)."_cz);
    EXPECT_EQ(w.Current(), SysParams::kDan1);
    EXPECT_EQ(w.Text(SysParams::kDan1), "2x");
    EXPECT_TRUE(w.TakeRequests().focus == SysParams::kDan1);
    // Enter as well, before it would normalise the text to a number.
    w.KeyDown(key::kReturn);
    EXPECT_EQ(s.ui.Count("beep"), 2);
    EXPECT_EQ(w.Current(), SysParams::kDan1);
    EXPECT_EQ(w.Text(SysParams::kDan1), "2x");

    // A click into another field after typing: refused again, and entering
    // the field once more does not turn the text into 0.
    w.KeyDown(key::kA + ('X' - 'A'));
    w.FieldLeft(SysParams::kDan1, SysParams::kDan2);
    EXPECT_EQ(s.ui.Count("beep"), 3);
    EXPECT_EQ(w.TakeRequests().focus, SysParams::kDan1);
    w.FieldLeft(SysParams::kDan2, SysParams::kDan1);
    w.FieldEntered(SysParams::kDan1);
    EXPECT_EQ(w.Current(), SysParams::kDan1);
    EXPECT_EQ(w.Text(SysParams::kDan1), "2x");

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
    struct Case {
        int field;
        std::string text;
        bool good;
    };
    const std::vector<Case> cases = {
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
    for (const Case& k : cases) {
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

TEST(SysParams, AFullJobTableIsReported) {
    TestDir dir;
    Station s(dir.path());
    for (int i = 1; i < 200; ++i) SetJob(s.c, "K" + std::to_string(i), "x");
    ASSERT_EQ(s.JobEntries().size(), 200u);
    InitCommon(s.c);
    ScreenMetrics m;
    SysParams w(s.c, m);
    w.Otevri();
    w.FormShow();
    Type(w, "EUR");
    w.KeyDown(key::kF2);
    ASSERT_TRUE(w.accepted());
    EXPECT_FALSE(w.ZavriOkno());
    EXPECT_EQ(s.ui.Last("beep"),
              "Hodnotu \"Domácí měna\" se nepodařilo uložit do master.job (tabulka je plná nebo "
              "nepřístupná)."_cz);
    EXPECT_EQ(s.c.set.homeCurrency, "CZK");
}

TEST(SysParams, HelpForTheCurrentField) {
    TestDir dir;
    Station s(dir.path());
    InitCommon(s.c);
    ScreenMetrics m;
    SysParams w(s.c, m);
    w.Otevri();
    w.FormShow();
    for (int i = 1; i < SysParams::kLimrad; ++i) w.KeyDown(key::kDown);
    w.KeyDown(key::kF1);
    ASSERT_EQ(s.ui.Count("help"), 1);
    EXPECT_EQ(s.ui.Last("help"), " Nápověda "_cz);
    EXPECT_EQ(s.ui.shown.back().items.back(), "Uloženo v master.job pod klíčem LIMRAD."_cz);
    EXPECT_EQ(w.Current(), SysParams::kLimrad);
}

}  // namespace
}  // namespace kj
