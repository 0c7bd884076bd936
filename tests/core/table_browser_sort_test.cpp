#include "kj_test.h"

#include <cstring>

#include "editor_scripts.h"
#include "screens/column_sort.h"
#include "services/jpeg_codec.h"
#include "services/locks.h"

namespace kj {
namespace {

using namespace rectest;
using key::Mod;

// Trips: a date stored as typed (DDMMRR) and a destination.
constexpr int kJizdaLen = 7 + 21;

Sloupce JizdyColumns() {
    Sloupce cols(2);
    DefinujSloupec(cols[0], "Datum   ", 2, "", 0, 0, "        ", "d", 2);
    DefinujSloupec(cols[1], "Cíl  "_cz, 2, "", 0, 0, std::string(20, ' '), "X", 3);
    return cols;
}

std::string Jizda(const std::string& date, const std::string& target) {
    Sloupce cols = JizdyColumns();
    cols[0].value = date;
    cols[1].value = target;
    std::string rec(kJizdaLen, '\0');
    SlozVetu(cols, rec.data());
    return rec;
}

std::string Index(std::initializer_list<std::int32_t> records) {
    std::string bytes;
    for (std::int32_t n : records) {
        char e[8];
        codec::PutI32(e, n);
        codec::PutI32(e + 4, n);
        bytes.append(e, 8);
    }
    return bytes;
}

class TfJizdyList : public TfSoub {
public:
    explicit TfJizdyList(Common& c) : TfSoub(c, "fJizdy") { SetColumns(JizdyColumns()); }
    int Open(int recordLength = kJizdaLen) {
        return OtevriTabulku("jizdy.dta", " Jízdy "_cz, -1, 2, recordLength, 1,
                             CellBox{4, 11, 93, 24}, CellBox{2, 2, 95, 25}, "", " Jízda "_cz, "");
    }
    void Close() {
        Odemkni(c_, dataPath());
        Uvolni();
    }
    void Novy() override {
        std::memcpy(Veta(), Jizda("", "").data(), kJizdaLen);
        TfSoub::Novy();
    }
    std::string Row(int grid) const {
        const GridRow& g = gridRows()[static_cast<std::size_t>(grid - 1)];
        return g.cells[0] + "|" + StripRight(g.cells[1]);
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int r = 1; r <= static_cast<int>(gridRows().size()); ++r) rows.push_back(Row(r));
        return rows;
    }
    using TfSoub::Prekresli;
};
using TfJizdy = Scripted<TfJizdyList>;

struct Station : TempStation {
    Station() { UseDataDir(); }
};

TEST(TableBrowserSort, DateColumnThroughIndexFileAndEnterReturnsStoredNumber) {
    Station s;
    const std::string data = Jizda("010224", "Brno") + Jizda("311223", "Zlín"_cz) +
                             Jizda("150623", "Praha") + Jizda("311223", "Olomouc");
    WriteHost(s.Data("jizdy.dta"), data);
    TfJizdy b(s.c);
    ASSERT_EQ(b.Open(), 0);
    ASSERT_EQ(b.count(), 4);
    b.JdiNa(2, 0);

    // A click on the date title sorts by it: 01.02.24 after 31.12.23, equal
    // dates in stored order; the row of the remembered record stays current.
    b.MouseDown(ListMouse::Left, false, 0, 1);
    EXPECT_EQ(s.ui.Last("busy"), "Moment, třídím"_cz);
    EXPECT_EQ(b.activeIndex(), 1);
    EXPECT_EQ(ReadHost(s.Data("jizdy.dt1")), Index({3, 2, 4, 1}));
    EXPECT_EQ(ReadHost(s.work / "pracovni.wrk").size(), 4u * kSortEntrySize);
    EXPECT_EQ(ReadHost(s.Data("jizdy.dta")), data);  // the data file is untouched
    EXPECT_EQ(b.Rows(), (std::vector<std::string>{"15.06.23|Praha", "31.12.23|Zlín"_cz, "31.12.23|Olomouc",
                                                   "01.02.24|Brno"}));
    EXPECT_EQ(b.current(), 2);

    // Space on a sorted row edits the stored record it shows.
    b.JdiNa(1, 0);
    b.scripts.push_back(Fill({{2, "Praha-západ"_cz}}));
    b.KeyDown(key::kSpace, Mod::None);
    EXPECT_EQ(ReadHost(s.Data("jizdy.dta")).substr(2 * kJizdaLen, kJizdaLen),
              Jizda("150623", "Praha-západ"_cz));

    // Insert marks by stored record number.
    b.JdiNa(4, 0);
    b.KeyDown(key::kInsert, Mod::None);
    EXPECT_TRUE(b.JeOznacen(1));
    EXPECT_FALSE(b.JeOznacen(4));

    // Alt+F10 back to stored order, Alt+F1 the index again; Alt+F2 has no
    // entries and changes nothing.
    b.KeyDown(key::kF10, Mod::Alt);
    EXPECT_EQ(b.activeIndex(), 0);
    EXPECT_EQ(b.Row(1), "01.02.24|Brno");
    b.KeyDown(key::kF2, Mod::Alt);
    EXPECT_EQ(b.activeIndex(), 0);
    b.KeyDown(key::kF1, Mod::Alt);
    EXPECT_EQ(b.activeIndex(), 1);
    EXPECT_EQ(b.Row(1), "15.06.23|Praha-západ"_cz);

    // Enter on sorted row 3 returns stored record 4 and the stored order.
    b.JdiNa(3, 0);
    b.KeyDown(key::kReturn, Mod::None);
    EXPECT_EQ(b.key(), key::kReturn);
    EXPECT_EQ(b.current(), 4);
    EXPECT_EQ(b.activeIndex(), 0);
    EXPECT_TRUE(b.TakeRequests().close);
    b.Close();
}

TEST(TableBrowserSort, TextColumnInCzechOrderAndAddingExtendsTheIndex) {
    Station s;
    WriteHost(s.Data("jizdy.dta"), Jizda("010124", "Hradec") + Jizda("010124", "Cheb") +
                                       Jizda("010124", "Čáslav"_cz) + Jizda("010124", "Brno"));
    TfJizdy b(s.c);
    ASSERT_EQ(b.Open(), 0);
    b.Setrid(2);
    EXPECT_EQ(ReadHost(s.Data("jizdy.dt1")), Index({4, 3, 1, 2}));

    // A new record is appended to the data file and to the index.
    b.scripts.push_back(Fill({{1, "020124"}, {2, "Aš"_cz}}));
    b.KeyDown(key::kF4, Mod::None);
    EXPECT_EQ(b.count(), 5);
    EXPECT_EQ(ReadHost(s.Data("jizdy.dta")).substr(4 * kJizdaLen), Jizda("020124", "Aš"_cz));
    EXPECT_EQ(ReadHost(s.Data("jizdy.dt1")), Index({4, 3, 1, 2, 5}));
    EXPECT_EQ(b.FyzickeCislo(5), 5);
    EXPECT_EQ(b.current(), 5);
    b.Close();

    // Opened again with the index flag the index files are read; without it
    // they are not.
    TfJizdy plain(s.c);
    ASSERT_EQ(plain.Open(), 0);
    EXPECT_EQ(plain.indexCount(1), 0);
    plain.KeyDown(key::kF1, Mod::Alt);
    EXPECT_EQ(plain.activeIndex(), 0);
    plain.Close();
    TfJizdy indexed(s.c);
    ASSERT_EQ(indexed.Open(kIndexFlag + kJizdaLen), 0);
    EXPECT_EQ(indexed.recordLength(), kJizdaLen);
    EXPECT_EQ(indexed.count(), 5);
    EXPECT_EQ(indexed.indexCount(1), 5);
    indexed.KeyDown(key::kF1, Mod::Alt);
    EXPECT_EQ(indexed.activeIndex(), 1);
    EXPECT_EQ(indexed.FyzickeCislo(1), 4);
    indexed.Close();
}

// ---- marks and exports ----

TEST(TableBrowserExport, MarkedAndAllRecordsByteByByte) {
    Station s;
    WriteHost(s.Data("jizdy.dta"), Jizda("010224", "Brno") + Jizda("311223", "Zlín"_cz) +
                                       Jizda("150623", "Praha") + Jizda("020224", "Aš"_cz));
    TfJizdy b(s.c);
    ASSERT_EQ(b.Open(), 0);
    b.Prekresli();

    // Insert on row 1, a block over rows 3..4 (Ctrl+Z, Ctrl+K).
    b.JdiNa(1, 0);
    b.KeyDown(key::kInsert, Mod::None);
    b.JdiNa(3, 0);
    b.KeyDown('Z', Mod::Ctrl);
    b.JdiNa(4, 0);
    b.KeyDown('K', Mod::Ctrl);
    EXPECT_EQ(b.markedCount(), 3);
    EXPECT_TRUE(b.JeOznacen(1) && !b.JeOznacen(2));

    b.KeyDown('E', Mod::Ctrl);
    const std::string head = "Datum   ;Cíl  ;\r\n"_cz + "01;02;\r\n";
    auto line = [](const std::string& date, const std::string& target) {
        std::string t = target;
        t.resize(20, ' ');
        return "\"" + date + "\";\"" + t + "\";\r\n";
    };
    EXPECT_EQ(ReadHost(s.work / "XLS" / "JIZDY.CSV"),
              head + line("010224", "Brno") + line("150623", "Praha") + line("020224", "Aš"_cz));
    EXPECT_EQ(b.markedCount(), 0);  // the export clears the marks
    EXPECT_EQ(s.ui.Last("beep"), "Soubor XLS\\JIZDY.CSV pro EXCEL,WORD je vytvořen"_cz);

    // The dBASE file: the record count in the header, records after 0x0D.
    b.JdiNa(2, 0);
    b.KeyDown(key::kInsert, Mod::None);
    b.KeyDown('D', Mod::Ctrl);
    const std::string dbf = ReadHost(s.root / "VELTOR3W" / "JIZDY.DBF");
    ASSERT_GT(dbf.size(), 32u + 64u + 1u);
    EXPECT_EQ(codec::GetI32(dbf.data() + 4), 1);
    const std::size_t header = codec::GetU16(dbf.data() + 8);
    std::string target = "Zlín"_cz;
    target.resize(20, ' ');
    EXPECT_EQ(dbf.substr(header), " 20231231" + target + "\x1A");
    b.Close();
}

// ---- pictures ----

std::string Jpeg(std::uint8_t grey) {
    std::string data;
    EXPECT_EQ(EncodeJpeg(RgbImage(8, 8, grey, grey, grey), 90, &data), "");
    return data;
}

class TfJizdyObrazky : public TfJizdy {
public:
    using TfJizdy::TfJizdy;
    void KlicObrazku(int row, std::string& key) override {
        CtiVetuProZobrazeni(row);
        key = StripRight(codec::GetShortText(displayRecord().data() + 7, 20));
    }
};

TEST(TableBrowserPictures, AttachShowNextAndRenumberAfterDelete) {
    Station s;
    WriteHost(s.Data("jizdy.dta"), Jizda("010224", "Brno") + Jizda("311223", "Zlin"));
    const std::string grey = Jpeg(100), white = Jpeg(250);
    WriteHost(s.root / "PICS" / "a.jpg", grey);
    WriteHost(s.root / "PICS" / "b.jpg", white);
    TfJizdyObrazky b(s.c);
    b.options.picturesOn = true;
    ASSERT_EQ(b.Open(), 0);
    std::deque<std::string> chosen = {"C:\\PICS\\a.jpg", "C:\\PICS\\b.jpg", ""};
    std::vector<std::string> folders;
    b.choosePicture = [&](const std::string& folder) {
        folders.push_back(folder);
        TfSoub::ChosenPicture c;
        c.path = chosen.front();
        chosen.pop_front();
        if (c.path.empty()) {  // the view read the file itself
            c.data = Jpeg(30);
            c.folder = "C:\\PICS\\";
        }
        return c;
    };
    b.JdiNa(1, 0);
    b.KeyDown('F', Mod::None);
    b.KeyDown('F', Mod::Shift);
    b.JdiNa(1, 0);
    b.KeyDown('F', Mod::None);
    const std::string dark = Jpeg(30);
    const fs::path pics = s.Data("doklady");
    EXPECT_EQ(ReadHost(pics / "Brno-00.jpg"), grey);
    EXPECT_EQ(ReadHost(pics / "Brno-01.jpg"), white);
    EXPECT_EQ(ReadHost(pics / "Brno-02.jpg"), dark);
    EXPECT_EQ(GetReg(s.c, "par\\sys.par", "SlozkaObr"), "C:\\PICS\\");
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[1], "C:\\PICS\\");  // the folder of the last choice

    // The row shows picture 00; a double click the next one, after the
    // last 00 again.
    b.Prekresli();
    ASSERT_TRUE(b.picture().shown);
    EXPECT_TRUE(b.picture().path.ends_with("\\Brno-00.jpg")) << b.picture().path;
    for (const char* next : {"\\Brno-01.jpg", "\\Brno-02.jpg", "\\Brno-00.jpg"}) {
        b.PictureDoubleClick();
        EXPECT_TRUE(b.picture().path.ends_with(next)) << b.picture().path;
    }

    // T prints the shown picture through "obrazek.bmp" with the margins.
    SetReg(s.c, "OF.PAR", "Levy okraj", "12");
    int printed = 0;
    b.printPicture = [&](const RgbImage& picture, const PictureMargins& margins) {
        ++printed;
        EXPECT_EQ(picture.width, 8);
        EXPECT_EQ(margins.left, 12);
    };
    b.KeyDown('T', Mod::None);
    EXPECT_EQ(printed, 1);
    EXPECT_GT(fs::file_size(s.work / "obrazek.bmp"), 8u * 8u * 3u);
    EXPECT_TRUE(b.picture().path.ends_with("\\Brno-00.jpg")) << b.picture().path;

    // Delete removes the shown picture and renumbers the rest without a gap.
    b.KeyDown(key::kDelete, Mod::None);
    EXPECT_EQ(ReadHost(pics / "Brno-00.jpg"), white);
    EXPECT_EQ(ReadHost(pics / "Brno-01.jpg"), dark);
    EXPECT_FALSE(fs::exists(pics / "Brno-02.jpg"));
    EXPECT_TRUE(b.picture().shown);
    // The shown picture 01 deleted: 02 is gone already, nothing moves.
    b.PictureDoubleClick();
    b.KeyDown(key::kDelete, Mod::None);
    EXPECT_EQ(ReadHost(pics / "Brno-00.jpg"), white);
    EXPECT_FALSE(fs::exists(pics / "Brno-01.jpg"));

    // The other record has no picture.
    b.JdiNa(2, 0);
    EXPECT_FALSE(b.picture().shown);
    b.Close();
}

}  // namespace
}  // namespace kj
