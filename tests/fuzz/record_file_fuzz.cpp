// A car record followed by its logbook, both of any size and content (a
// torn last record, deleted records, texts longer than their fields, reals
// no editor stores). Both reports run over the book; the book sort then
// keeps every whole record that is not deleted, changes nothing in it but
// the odometer, and puts the records of full dates in date order.

#include <algorithm>
#include <set>

#include "fuzz_station.h"
#include "logbook/code_list_sort.h"
#include "logbook/logbook_reports.h"
#include "logbook/logbook_sort.h"
#include "logbook/trip_record.h"

using namespace kj;

namespace {

constexpr std::size_t kLength = jizdy::kLength;

// The whole records not deleted, each with its odometer zeroed.
std::multiset<std::string> Kept(std::string_view book) {
    std::multiset<std::string> kept;
    for (std::size_t at = 0; at + kLength <= book.size(); at += kLength) {
        std::string rec(book.substr(at, kLength));
        if (IsDeletedRecord(rec.data())) continue;
        codec::PutReal(rec.data(), jizdy::kStavTachometru, 0);
        kept.insert(rec);
    }
    return kept;
}

// The date as RRMMDD when it is a full one.
std::string SortDate(const std::string& rec) {
    const std::string d = codec::GetText(rec.data(), jizdy::kDatum);
    return d.size() == 6 ? d.substr(4, 2) + d.substr(2, 2) + d.substr(0, 2) : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    std::string_view input = fuzz::Bytes(data, size);
    VetaAuta car;
    std::copy_n(input.begin(), std::min(input.size(), car.bytes.size()), car.bytes.begin());
    input.remove_prefix(std::min(input.size(), car.bytes.size()));
    WriteHost(s.Work("KNIHA.dta"), std::string(input));

    ObdobiJizd period;
    (void)KnihaJizdSVyhodnocenim(s.c, car, "KNIHA.dta", period);
    (void)OpisSMezisoucty(s.c, car, "KNIHA.dta", period);
    FUZZ_CHECK(SetridKnihu(s.c, "KNIHA.dta", StavTachometru::Prepocitat) == 0);
    const std::string sorted = ReadHost(s.Work("KNIHA.dta"));
    FUZZ_CHECK(sorted.size() % kLength == 0 && Kept(sorted) == Kept(input));
    std::string last;
    for (std::size_t at = 0; at < sorted.size(); at += kLength) {
        const std::string date = SortDate(sorted.substr(at, kLength));
        FUZZ_CHECK(date.empty() || date >= last);
        if (!date.empty()) last = date;
    }
    return 0;
}
