// Field masks: a mask, an initial value, a typed text and stored bytes (the
// input cut at NUL bytes). Any mask gives a column whose stored form takes
// its size. Through the columns of the system's own record files the stored
// bytes read, stored and read again give the same texts (damaged dates and
// numbers settle after one store), and a typed text,
// once stored and read, stays the same when stored and read again.

#include <algorithm>
#include <span>

#include "fuzz_station.h"
#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "logbook/meal_rates.h"
#include "logbook/places.h"
#include "logbook/purposes.h"
#include "logbook/trip_record.h"
#include "screens/column.h"
#include "services/picture.h"

using namespace kj;

namespace {

// The texts without the blanks that pad them to their width.
std::vector<std::string> Values(const Sloupce& cols) {
    std::vector<std::string> v;
    for (const SloupecPopis& col : cols) v.push_back(StripRight(col.value));
    return v;
}

void Table(std::span<const ColumnDecl> decls, int length, const std::string& stored,
           const std::string& typed) {
    Sloupce cols = DeclareColumns(decls);
    std::string rec = stored;
    rec.resize(static_cast<std::size_t>(length), '\0');
    RozlozVetu(cols, rec.data());
    const std::vector<std::string> read = Values(cols);
    SlozVetu(cols, rec.data());
    RozlozVetu(cols, rec.data());
    const std::vector<std::string> once = Values(cols);
    // A text keeps what it holds but for control characters nobody can type;
    // a damaged date or number settles at the first store. After it nothing
    // changes any more.
    for (std::size_t i = 0; i < read.size(); ++i)
        FUZZ_CHECK(once[i] == read[i] || decls[i].mask != "X" ||
                   std::any_of(read[i].begin(), read[i].end(),
                               [](char ch) { return static_cast<unsigned char>(ch) < 0x20; }));
    SlozVetu(cols, rec.data());
    RozlozVetu(cols, rec.data());
    FUZZ_CHECK(Values(cols) == once);
    for (const SloupecPopis& col : cols) {
        const std::string once = CtiPole(col, EncodeField(col.format(), UpravPole(col, typed)).data());
        FUZZ_CHECK(CtiPole(col, EncodeField(col.format(), once).data()) == once);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto p = fuzz::Parts(fuzz::Bytes(data, size), std::string_view("\0", 1), 4);
    SloupecPopis col;
    DefinujSloupec(col, "Pole", 2, "", 0, 0, p[1], p[0], 1);
    std::string stored = p[3];
    stored.resize(static_cast<std::size_t>(StoredSize(col.type, col.width)), '\0');
    col.value = CtiPole(col, stored.data());
    col.value = UpravPole(col, p[2], p[2].size() % 2 ? PenInput::On : PenInput::Off);
    FUZZ_CHECK(static_cast<int>(ZapisPole(col).size()) == StoredSize(col.type, col.width));

    Table(jizdy::kColumns, jizdy::kLength, p[3], p[2]);
    Table(auta::kColumns, auta::kLength, p[3], p[2]);
    Table(cile::kColumns, cile::kLength, p[3], p[2]);
    Table(strav::kColumns, strav::kLength, p[3], p[2]);
    Table(mista::kColumns, mista::kLength, p[3], p[2]);
    Table(ucel::kColumns, ucel::kLength, p[3], p[2]);
    return 0;
}
