#include "kj_test.h"

#include <cstdio>
#include <fstream>
#include <tuple>

#include "screens/column.h"
#include "screens/list_export.h"

namespace kj {
namespace {

// A station working in <root>/work on 5 March 2024; "\\VELTOR3W\\" lands in
// <root>/VELTOR3W.
using Station = rectest::TempStation;

SloupecPopis Column(std::string_view title, std::string_view mask, int width) {
    SloupecPopis s;
    DefinujSloupec(s, title, 2, "", 0, 0, std::string(static_cast<std::size_t>(width), ' '), mask, 1);
    return s;
}

// One column of every kind the export treats differently.
Sloupce Table() {
    return {Column(">Název "_cz, "X", 6),     Column("Kód"_cz, "P", 4),
            Column("Částka"_cz, "######.##-R", 10), Column("Datum", "d", 8),
            Column("Od", "D", 8),          Column("Čas"_cz, "T", 8),
            Column("Počet"_cz, "@@@@@W", 5),  Column("Pozn.", "x", 4)};
}

// Three records built from typed values, as the editor would store them.
std::vector<std::string> Records(Sloupce cols) {
    const std::vector<std::vector<std::string>> typed = {
        {"ab", "12", "1234.5", "010224", "311223", "0730", "42", "p\"q"},
        {"Žluť"_cz, "7", "-3,25", "", "290224", "", "0", ""},
        {"xyz", "1", "0", "150324", "150324", "235959", "65535", "n"},
    };
    std::vector<std::string> records;
    for (const auto& values : typed) {
        for (std::size_t k = 0; k < cols.size(); ++k) cols[k].value = values[k];
        std::string rec(static_cast<std::size_t>(RecordLength(cols)), '\0');
        SlozVetu(cols, rec.data());
        records.push_back(rec);
    }
    return records;
}

struct Fixture {
    Sloupce cols = Table();
    std::vector<std::string> records = Records(cols);
    std::vector<std::int32_t> read;  // rows the export asked for

    ExportSource Source(std::vector<std::int32_t> rows) {
        ExportSource s;
        s.fileName = "C:\\DATA\\kj_auta.dta";
        s.columns = &cols;
        s.rows = std::move(rows);
        s.readRecord = [this](std::int32_t row) {
            read.push_back(row);
            return records[static_cast<std::size_t>(row - 1)];
        };
        return s;
    }
};

TEST(ListExport, ExcelFileBytes) {
    Station s;
    Fixture f;
    std::vector<std::size_t> atHook;  // how many messages were shown at each call
    ExportSource src = f.Source(ExportRows(3, 0, nullptr));
    src.afterLastRecord = [&] { atHook.push_back(s.ui.shown.size()); };

    const ExportResult r = WriteExcelExport(s.c, src);
    EXPECT_EQ(std::tie(r.code, r.path, r.records), std::make_tuple(io::kOk, std::string("XLS\\KJ_AUTA.CSV"), 3));
    EXPECT_EQ(f.read, (std::vector<std::int32_t>{1, 2, 3}));

    const std::string expected =
        ">Název ;Kód;Částka;Datum;Od;Čas;Počet;Pozn.;\r\n"
        "01;02;03;04;05;06;07;08;\r\n"
        "\"ab    \";\"0012\";  1234,50 ;\"010224\";\"311223\";07:30:00;00042;\"p\"\"q \";\r\n"
        "\"Žluť  \";\"0007\";     3,25-;\"      \";\"290224\";00:00:00;00000;\"    \";\r\n"
        "\"xyz   \";\"0001\";          ;\"150324\";\"150324\";23:59:59;65535;\"n   \";\r\n"_cz;
    EXPECT_EQ(ReadHost(s.Work("XLS/KJ_AUTA.CSV")), expected);

    // Busy notice first, the marks hook after the last record, then the beep.
    ASSERT_EQ(s.ui.shown.size(), 2u);
    EXPECT_EQ(s.ui.shown[0].kind + ": " + s.ui.shown[0].text,
              "busy: Vytvoření souboru XLS\\KJ_AUTA.CSV pro EXCEL,WORD"_cz);
    EXPECT_EQ(s.ui.shown[1].kind + ": " + s.ui.shown[1].text,
              "beep: Soubor XLS\\KJ_AUTA.CSV pro EXCEL,WORD je vytvořen"_cz);
    EXPECT_EQ(atHook, std::vector<std::size_t>{1});  // once, after the busy notice
}

TEST(ListExport, ExcelMarkedOnlyNothingAndFaults) {
    Station s;
    Fixture f;

    // Only the marked row; the file is rewritten, not appended to.
    WriteExcelExport(s.c, f.Source(ExportRows(3, 0, nullptr)));
    ExportResult r = WriteExcelExport(s.c, f.Source(ExportRows(3, 1, [](std::int32_t row) { return row == 3; })));
    EXPECT_EQ(r.records, 1);
    EXPECT_EQ(ReadHost(s.Work("XLS/KJ_AUTA.CSV")),
              ">Název ;Kód;Částka;Datum;Od;Čas;Počet;Pozn.;\r\n"
              "01;02;03;04;05;06;07;08;\r\n"
              "\"xyz   \";\"0001\";          ;\"150324\";\"150324\";23:59:59;65535;\"n   \";\r\n"_cz);

    // No rows: no file, no directory, nothing shown.
    Station e;
    bool hook = false;
    ExportSource none = f.Source({});
    none.afterLastRecord = [&] { hook = true; };
    r = WriteExcelExport(e.c, none);
    EXPECT_EQ(std::tie(r.code, r.path, r.records), std::make_tuple(io::kOk, std::string(), 0));
    EXPECT_FALSE(fs::exists(e.Work("XLS")));
    EXPECT_TRUE(e.ui.shown.empty());
    EXPECT_FALSE(hook);

    // A full disk: the code comes back, the user is told, the marks stay.
    e.fs.Plan("XLS\\KJ_AUTA.CSV").writeCode = io::kDiskWriteError;
    ExportSource full = f.Source({1, 2});
    full.afterLastRecord = [&] { hook = true; };
    r = WriteExcelExport(e.c, full);
    EXPECT_EQ(r.code, io::kDiskWriteError);
    EXPECT_EQ(r.path, "");
    EXPECT_FALSE(hook);
    EXPECT_EQ(e.ui.Last("beep"), "Chyba   101 při zápisu XLS\\KJ_AUTA.CSV"_cz);

    // A failed read keeps the previous record (as the browser's buffer does).
    Station t;
    ExportSource flaky = f.Source({1, 2});
    flaky.readRecord = [&](std::int32_t row) { return row == 1 ? f.records[0] : std::string(); };
    WriteExcelExport(t.c, flaky);
    const std::string csv = ReadHost(t.Work("XLS/KJ_AUTA.CSV"));
    const std::string line = "\"ab    \";\"0012\";  1234,50 ;\"010224\";\"311223\";07:30:00;00042;\"p\"\"q \";\r\n";
    EXPECT_EQ(csv.substr(csv.size() - 2 * line.size()), line + line);
}

// The field declarations as "NAME Tlength.decimals", blank-separated.
std::string Declared(const std::vector<DbfField>& fields) {
    std::string out;
    for (const DbfField& f : fields)
        out += (out.empty() ? "" : " ") + f.name + " " + f.type + std::to_string(f.length) + "." +
               std::to_string(f.decimals);
    return out;
}

TEST(ListExport, DbfFieldDeclarations) {
    EXPECT_EQ(Declared(DbfFields(Table())),
              "NÁZEV C6.0 KÓD C4.0 ČÁSTKA N10.2 DATUM D8.0 OD D8.0 ČAS C8.0 POČET N5.0 POZN C4.0"_cz);

    // Names: cut to 10, made unique, never empty; a long date is "D".
    const Sloupce odd = {Column(">Km služební       "_cz, "#########R", 9),
                         Column(">Km služební 2"_cz, "#########R", 9),
                         Column("DD.MM.RR  ", "d", 8),
                         Column("   ", "X", 3),
                         Column("Den", "q", 10),
                         Column("Malá"_cz, "##.#-R", 2)};
    // A width of 2 leaves no room for decimals.
    EXPECT_EQ(Declared(DbfFields(odd)),
              "KM_SLUŽEBN N9.0 KM_SLUŽ_02 N9.0 DD_MM_RR D8.0 SLOUPEC04 C3.0 DEN D8.0 MALÁ N2.0"_cz);

    // Values: right-aligned numbers with ".", overflow as "*", no "-0".
    SloupecPopis n = Column("N", "###.##R", 6), d = Column("D", "q", 10);
    const DbfField nf{"N", 'N', 6, 2}, df{"D", 'D', 8, 0};
    const struct {
        SloupecPopis& column;
        const DbfField& field;
        const char *value, *stored;
    } values[] = {{n, nf, " 12.50", " 12.50"}, {n, nf, "-0.001", "  0.00"}, {n, nf, "12345.6", "******"},
                  {d, df, "29.02.2024", "20240229"}, {d, df, "30.02.2024", "        "}};
    for (const auto& k : values) {
        k.column.value = k.value;
        EXPECT_EQ(DbfValue(k.column, k.field), k.stored) << k.value;
    }
}

// An independent dBASE III reader: checks the structure and prints the
// fields and the records it decodes (UTF-8).
const char* const kDbfReader = R"PY(
import struct, sys, datetime
sys.stdout.reconfigure(encoding='utf-8')
data = open(sys.argv[1], 'rb').read()
ver, yy, mm, dd, count, hlen, rlen = struct.unpack('<BBBBIHH', data[:12])
assert ver == 3, 'version'
print('date', datetime.date(1900 + yy, mm, dd).isoformat())
enc = {0xC8: 'cp1250'}.get(data[29], 'ascii')
print('encoding', enc)
n = (hlen - 33) // 32
assert hlen == 32 + 32 * n + 1, 'header length'
assert data[hlen - 1] == 0x0D, 'terminator'
fields = []
for i in range(n):
    d = data[32 + 32 * i:64 + 32 * i]
    name = d[:11].split(b'\0')[0].decode(enc)
    assert all(b == 0 for b in d[:11][len(d[:11].split(b'\0')[0]):]), 'name padding'
    t, l, dec = chr(d[11]), d[16], d[17]
    assert t in 'CND', 'type'
    fields.append((name, t, l, dec))
    print('field', name, t, l, dec)
assert rlen == 1 + sum(f[2] for f in fields), 'record length'
assert len(data) == hlen + count * rlen + 1, 'file size'
assert data[-1] == 0x1A, 'end byte'
for r in range(count):
    rec = data[hlen + r * rlen:hlen + (r + 1) * rlen]
    assert rec[0:1] == b' ', 'deletion flag'
    pos, out = 1, []
    for name, t, l, dec in fields:
        raw = rec[pos:pos + l].decode(enc)
        pos += l
        v = raw.strip()
        if t == 'N':
            out.append('' if not v else '%.*f' % (dec, float(v)))
        elif t == 'D':
            out.append('' if not v else datetime.datetime.strptime(v, '%Y%m%d').date().isoformat())
        else:
            out.append(raw)
    print('|'.join(out))
)PY";

std::string RunReader(const fs::path& script, const fs::path& dbf) {
    const std::string cmd = "python3 '" + script.string() + "' '" + dbf.string() + "' 2>&1";
    std::string out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t got;
        while ((got = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, got);
        ::pclose(p);
    }
    return out;
}

TEST(ListExport, DbfFileBytesAndAnIndependentReader) {
    Station s;
    Fixture f;
    int hookCalls = 0;
    ExportSource src = f.Source({1, 2, 3});
    src.afterLastRecord = [&] { ++hookCalls; };
    const ExportResult r = WriteDbfExport(s.c, src);
    EXPECT_EQ(std::tie(r.code, r.path, r.records),
              std::make_tuple(io::kOk, std::string("\\VELTOR3W\\KJ_AUTA.DBF"), 3));
    EXPECT_EQ(hookCalls, 1);
    EXPECT_EQ(s.ui.Texts("busy"),
              (std::vector<std::string>{"Vytvoření souboru \\VELTOR3W\\KJ_AUTA.DBF do DBF"_cz}));
    EXPECT_EQ(s.ui.Texts("beep"),
              (std::vector<std::string>{"Soubor \\VELTOR3W\\KJ_AUTA.DBF je vytvořen"_cz}));

    // The reader checks the structure (lengths, terminators, padding); the
    // bytes of the first records and the header's reserved bytes are ours.
    const fs::path dbf = s.root / "VELTOR3W" / "KJ_AUTA.DBF";
    const std::string bytes = ReadHost(dbf);
    const std::size_t headerLength = 32 + 32 * 8 + 1, recordLength = 1 + 6 + 4 + 10 + 8 + 8 + 8 + 5 + 4;
    EXPECT_EQ(bytes.substr(12, 17), std::string(17, '\0'));
    EXPECT_EQ(bytes.substr(headerLength, 2 * recordLength),
              " ab    0012   1234.502024020120231231" "07:30:00   42p\"q "
              " Žluť  0007     -3.25        2024022900:00:00    0    "_cz);

    const fs::path script = s.root / "dbf_reader.py";
    std::ofstream(script) << kDbfReader;
    EXPECT_EQ(RunReader(script, dbf),
              "date 2024-03-05\n"
              "encoding cp1250\n"
              "field NÁZEV C 6 0\n"
              "field KÓD C 4 0\n"
              "field ČÁSTKA N 10 2\n"
              "field DATUM D 8 0\n"
              "field OD D 8 0\n"
              "field ČAS C 8 0\n"
              "field POČET N 5 0\n"
              "field POZN C 4 0\n"
              "ab    |0012|1234.50|2024-02-01|2023-12-31|07:30:00|42|p\"q \n"
              "Žluť  |0007|-3.25||2024-02-29|00:00:00|0|    \n"
              "xyz   |0001|0.00|2024-03-15|2024-03-15|23:59:59|65535|n   \n");

    // No rows: header and descriptors only, still a valid table.
    EXPECT_EQ(WriteDbfExport(s.c, f.Source({})).records, 0);
    EXPECT_EQ(ReadHost(dbf).size(), headerLength + 1);
    EXPECT_NE(RunReader(script, dbf).find("field POZN C 4 0\n"), std::string::npos);

    // A write failing midway leaves the header at 0 records and is reported.
    s.fs.Plan("\\VELTOR3W\\KJ_AUTA.DBF").writeCode = io::kDiskWriteError;
    s.fs.Plan("\\VELTOR3W\\KJ_AUTA.DBF").writeFrom = static_cast<std::int64_t>(headerLength + 1);
    const ExportResult failed = WriteDbfExport(s.c, f.Source({1, 2, 3}));
    EXPECT_EQ(failed.code, io::kDiskWriteError);
    EXPECT_EQ(failed.path, "");
    EXPECT_EQ(codec::GetU32(ReadHost(dbf).data() + 4), 0u);
    EXPECT_EQ(s.ui.Last("beep"), "Chyba   101 při zápisu \\VELTOR3W\\KJ_AUTA.DBF"_cz);
}

}  // namespace
}  // namespace kj
