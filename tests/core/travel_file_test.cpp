// The travel order file (".cpr"): both sheets' keys in their order, a file
// read and written back byte for byte, files written while the two sheets
// shared the start and end keys, and the names the file gets.

#include "kj_test.h"
#include "travel/order_file.h"
#include "travel/travel_order.h"
#include "travel_station.h"

namespace kj {
namespace {

using namespace traveltest;

struct TravelFile : ::testing::Test {
    // Both sheets of another run opened over the file, nothing marked, the
    // loaded rows kept.
    void Load(Sheets& x) {
        st.ui.yesNo = {false, false};
        x.order.FillOrderSheet({});
        x.settlement.FillSettlementSheet({});
    }
    TestDir dir;
    Station st{dir.path()};
};

// Every stored field of both sheets gets a distinct text: Czech letters,
// a ":" and blanks inside, a value as long as its line allows.
void FillEveryField(Sheets& s) {
    int k = 0;
    for (SheetTexts* t : {&s.order.texts(), &s.settlement.texts()})
        for (int i : t->layout().keyOrder) {
            const SheetField& f = t->layout().fields[static_cast<std::size_t>(i)];
            std::string v = "Žluťoučký kůň: "_cz + std::to_string(++k);
            if (f.maxLength == 1) v = "X";
            if (f.name == "espouc") v.resize(static_cast<std::size_t>(f.maxLength), 'x');
            t->at(i) = v;
        }
}

TEST_F(TravelFile, BothSheetsWriteTheirKeysInOrderAndReadThemBackByteForByte) {
    Sheets s(st.c, Car("SOUKROMÉ"));
    FillEveryField(s);
    s.order.SaveOrderSheet();
    s.settlement.SaveSettlementSheet();
    const std::string written = ReadHost(st.root / "DATA" / "WZ.cpr");

    // The file holds the order's keys, then the settlement's, one line each.
    std::string expected;
    for (const SheetTexts* t : {&s.order.texts(), &s.settlement.texts()})
        for (int i : t->layout().keyOrder)
            expected += t->layout().fields[static_cast<std::size_t>(i)].key + " : " + t->at(i) + "\r\n";
    expected += "zackon : A\r\n";
    EXPECT_EQ(written, expected);
    EXPECT_NE(written.find("espoj : "), std::string::npos);
    EXPECT_NE(written.find("zac1 : "), std::string::npos);

    // Another run opens it and closes it.
    Sheets again(st.c, Car("SOUKROMÉ"));
    Load(again);
    for (const SheetTexts* t : {&s.order.texts(), &s.settlement.texts()}) {
        const SheetTexts& back = t == &s.order.texts() ? again.order.texts() : again.settlement.texts();
        for (int i : t->layout().keyOrder) EXPECT_EQ(back.at(i), t->at(i)) << t->layout().fields[static_cast<std::size_t>(i)].name;
    }
    again.order.CloseOrderSheet();
    again.settlement.CloseSettlementSheet();
    EXPECT_EQ(ReadHost(st.root / "DATA" / "WZ.cpr"), written);
}

TEST_F(TravelFile, OlderFilesWithSharedStartAndEndKeysLoseNothing) {
    // Written while the settlement stored its start and end under "ep"/"ek":
    // whichever sheet was closed last left its values there.
    WriteHost(st.root / "DATA" / "WZ.cpr",
              "ep1 : Praha\r\nek1 : Brno\r\no1 : Praha\r\nep15 : 07.00\r\nek15 : 18.30\r\n");
    Sheets s(st.c, Car("SOUKROMÉ"));
    Load(s);
    const SheetTexts &order = s.order.texts(), &settlement = s.settlement.texts();
    EXPECT_EQ(order["ep1"] + "|" + settlement["ep1"] + "|" + settlement["ek15"], "Praha|Praha|18.30");

    // From now on each sheet has its own keys.
    s.order.texts()["ep1"] = "Praha, 7.00";
    s.settlement.texts()["ep1"] = "07.00";
    s.order.SaveOrderSheet();
    s.settlement.SaveSettlementSheet();
    Sheets again(st.c, Car("SOUKROMÉ"));
    Load(again);
    const SheetTexts &o = again.order.texts(), &t = again.settlement.texts();
    EXPECT_EQ(o["ep1"] + "|" + t["ep1"] + "|" + t["ep15"] + "|" + t["ek1"], "Praha, 7.00|07.00|07.00|Brno");
}

TEST_F(TravelFile, ASheetOnlyShownNeverWipesTheFile) {
    const std::string kept = "ecislo : 17\r\nejm : Jan\r\no1 : Zlín\r\n"_cz;
    WriteHost(st.root / "DATA" / "WZ.cpr", kept);
    Sheets s(st.c, Car("SOUKROMÉ"));
    // Opened from the main menu on this name without loading it: the sheets
    // hold nothing of the file and are closed again.
    s.order.CloseOrderSheet();
    s.settlement.CloseSettlementSheet();
    EXPECT_EQ(ReadHost(st.root / "DATA" / "WZ.cpr"), kept);
    // Typed into: the sheet is the user's and is written.
    s.order.texts()["ecislo"] = "18";
    s.order.MarkChanged();
    s.order.CloseOrderSheet();
    EXPECT_EQ(GetReg(st.c, s.fileName, "ecislo"), "18");
}

TEST_F(TravelFile, FileNames) {
    EXPECT_EQ(DefaultOrderFile("5Z12345"), "\\veltor3w\\w5Z12345.cpr");
    EXPECT_EQ(DefaultOrderFile("ABCDEFGHIJ"), "\\veltor3w\\wABCDEFG.cpr");
    const struct {
        const char* chosen;
        const char* name;
    } zapis[] = {{"cesta.old.txt", "cesta.cpr"},
                 {"C:\\veltor3w\\cesta", "C:\\veltor3w\\cesta.cpr"},
                 {"\\cesty.2026\\duben.cpr.bak", "\\cesty.2026\\duben.cpr"}};
    for (const auto& z : zapis) EXPECT_EQ(CprNameOfChosen(z.chosen), z.name) << z.chosen;

    // With no file chosen the sheets use the car's default file.
    VetaAuta car = Car("SLUŽEBNÍ");
    std::string none;
    Tfcestprik order(st.c, none, car);
    order.texts()["ecislo"] = "5";
    order.SaveOrderSheet();
    EXPECT_EQ(ReadHost(st.root / "veltor3w" / "w5Z12345.cpr"), "ecislo : 5\r\n");
}

TEST_F(TravelFile, LauncherLoadsRenamesAndSavesOnClose) {
    WriteHost(st.root / "DATA" / "WZ.cpr", "ecislo : 7\r\nep1 : Zlín\r\n"_cz);
    Sheets s(st.c, Car("SOUKROMÉ"));
    TForm5 launcher(st.c, s.order, s.settlement, s.fileName);
    std::vector<std::string> shown;
    launcher.showSheet = [&](Sheet sh) { shown.push_back(sh == Sheet::Order ? "1" : "2"); };
    std::vector<FileChoice> asked;
    launcher.chooseOpen = [&](const FileChoice& f) {
        asked.push_back(f);
        return std::string("C:\\DATA\\WZ.cpr");
    };
    launcher.chooseSave = [&](const FileChoice& f) {
        asked.push_back(f);
        return std::string("C:\\DATA\\duben.2026.txt");
    };

    // From the main menu: no name, nothing loaded, the travel order in front.
    launcher.OpenWithoutTrips();
    launcher.Start();
    EXPECT_EQ(s.order.texts()["ecislo"], "");
    EXPECT_EQ(shown, (std::vector<std::string>{"1", "2", "1"}));
    // "Nacti" loads both sheets (the loaded journey kept), "Zapis" renames.
    st.ui.yesNo = {false, false};
    launcher.Nacti();
    EXPECT_EQ(s.order.texts()["ecislo"], "7");
    EXPECT_EQ(s.order.texts()["ep1"], "Zlín"_cz);
    launcher.Zapis();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, "Výběr cestovního příkazu"_cz);
    EXPECT_EQ(asked[0].filter, "*.cpr||*.*");
    EXPECT_EQ(asked[0].directory, "\\veltor3w");
    EXPECT_EQ(asked[1].directory + "|" + asked[1].fileName, "C:\\DATA|WZ.cpr");
    EXPECT_EQ(s.fileName, "C:\\DATA\\duben.cpr");
    EXPECT_FALSE(fs::exists(st.root / "DATA" / "duben.cpr"));
    // Closing writes both sheets to the new name.
    launcher.Close();
    EXPECT_EQ(GetReg(st.c, s.fileName, "ecislo"), "7");
    EXPECT_EQ(GetReg(st.c, s.fileName, "zackon"), "A");
}

}  // namespace
}  // namespace kj
