#include "kj_test.h"

#include "editor_scripts.h"
#include "logbook/destinations.h"

namespace kj {
namespace {

using namespace rectest;
using key::Mod;

struct Station : TempStation {
    Station() { UseDataDir(); }
    std::string File(const std::string& name) const { return ReadHost(Data(name)); }
};

std::string Place(const std::string& name, double km) {
    Sloupce cols = DeclareColumns(mista::kColumns);
    cols[0].value = name;
    cols[1].value = FormatPic("######.##-", km);
    std::string r(mista::kLength, '\0');
    SlozVetu(cols, r.data());
    return r;
}

// The destinations; the pick lists opened from the editor play the queued keys.
struct Cile : Scripted<TfKJCile> {
    explicit Cile(Common& c) : Scripted<TfKJCile>(c) {
        showPickList = [this](TfSoub& list) {
            ++picks;
            if (pickKeys.empty()) return;
            for (int k : pickKeys.front()) list.KeyDown(k, Mod::None);
            pickKeys.pop_front();
        };
    }
    std::deque<std::vector<int>> pickKeys;
    int picks = 0;
};

// Types a destination without the pick lists: place, purpose, km, F2.
Script Typed(const std::string& place, const std::string& purpose, const std::string& km) {
    return Fill({{1, place}, {2, purpose}, {3, km}});
}

TEST(Destinations, LayoutAndPickFromThePlaces) {
    EXPECT_EQ(CheckDestinationLayout(), "");
    EXPECT_EQ(ColumnOffset(DeclareColumns(cile::kColumns), 3), 82);
    EXPECT_EQ(ColumnOffset(DeclareColumns(cile::kColumns), 4), 88);

    Station s;
    WriteHost(s.Data("kjmista.dta"), Place("Brno", 12.5) + Place("Olomouc", 80));
    Cile b(s.c);
    ASSERT_EQ(b.Otevri(), 0);
    EXPECT_EQ(b.caption(), " Místo                                    Účel "_cz);

    // Enter in the place field: the places list, Down and Enter picks
    // Olomouc with its km; Enter in the purpose field, Esc there keeps the
    // typed purpose.
    b.pickKeys = {{key::kDown, key::kReturn}, {key::kEscape}};
    b.scripts.push_back([](RecordEditor& e) {
        e.FormShow();
        e.KeyDown(key::kReturn);
        EXPECT_EQ(e.Current(), 2);
        EXPECT_EQ(StripRight(e.Text(1)), "Olomouc");
        EXPECT_EQ(e.Text(3), "    80.00");
        e.SetText(2, "servis");
        e.KeyDown(key::kReturn);
        EXPECT_EQ(e.Text(2), "servis");
        e.KeyDown(key::kDown);
        e.SetText(4, "010326");
        e.KeyDown(key::kF2);
    });
    b.Key(key::kF4);
    EXPECT_EQ(b.picks, 2);
    ASSERT_EQ(b.count(), 1);
    const std::string rec = s.File("kjcile.dta");
    ASSERT_EQ(rec.size(), 95u);
    EXPECT_EQ(rec[0], '\x28');
    EXPECT_EQ(rec.substr(1, 8), "Olomouc ");
    EXPECT_EQ(rec[41], '\x28');
    EXPECT_EQ(rec.substr(42, 7), "servis ");
    // 80 = 1.25 * 2^6.
    EXPECT_EQ(rec.substr(82, 6), std::string("\x87\0\0\0\0\x20", 6));
    EXPECT_EQ(rec.substr(88, 7), "\x06" "010326");
    // The places list was closed with its sort: Brno, Olomouc stay.
    EXPECT_EQ(s.File("kjmista.dta"), Place("Brno", 12.5) + Place("Olomouc", 80));
    std::string key;
    b.KlicVety(1, key);
    EXPECT_EQ(StripRight(key), "Olomouc");
    b.Zavri();
}

TEST(Destinations, SamePlaceStandsTogetherAfterTheSortAndSearchFindsAPurpose) {
    Station s;
    Cile b(s.c);
    ASSERT_EQ(b.Otevri(), 0);
    b.scripts.push_back(Typed("Zlín"_cz, "porada vedení"_cz, "98"));
    b.scripts.push_back(Typed("Brno", "nákup materiálu"_cz, "12"));
    b.scripts.push_back(Typed("Zlín"_cz, "servis stroje", "98"));
    b.scripts.push_back(Typed("Olomouc", "jednání"_cz, "80"));
    for (int i = 0; i < 4; ++i) b.Key(key::kF4);
    ASSERT_EQ(b.count(), 4);
    EXPECT_EQ(StrToIntLoose(GetJobIn(s.c, "C:\\DATA\\", "KJCILE")), 4);
    b.Zavri();
    EXPECT_EQ(GetJobIn(s.c, "C:\\DATA\\", "KJCILE"), "");
    const std::string f = s.File("kjcile.dta");
    ASSERT_EQ(f.size(), 4u * 95);
    std::vector<std::string> places, purposes;
    for (int i = 0; i < 4; ++i) {
        places.push_back(StripRight(codec::GetText(f.data() + 95 * i, cile::kMisto)));
        purposes.push_back(StripRight(codec::GetText(f.data() + 95 * i, cile::kUcel)));
    }
    EXPECT_EQ(places, (std::vector<std::string>{"Brno", "Olomouc", "Zlín"_cz, "Zlín"_cz}));
    EXPECT_TRUE((purposes[2] == "porada vedení"_cz && purposes[3] == "servis stroje") ||
                (purposes[3] == "porada vedení"_cz && purposes[2] == "servis stroje"));

    // The list is ordered by place; a purpose word finds its row.
    ASSERT_EQ(b.Otevri(), 0);
    b.JdiNa(1, 0);
    b.Key(key::kF3);
    b.SearchKeyDown(key::kF3, Mod::None, "jednani");
    EXPECT_EQ(b.current(), 2);
    b.Key(key::kF3);
    b.SearchKeyDown(key::kF3, Mod::None, "servis");
    EXPECT_EQ(StripRight(codec::GetText(f.data() + 95 * (b.current() - 1), cile::kUcel)),
              "servis stroje");
    b.Zavri();
}

}  // namespace
}  // namespace kj
