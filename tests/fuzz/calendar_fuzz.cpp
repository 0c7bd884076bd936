// A working-day calendar "KALENDAR.DTA" of any size and content (the
// first byte chooses whether the rest is taken as it is or cut to the
// older or the current size) and dates typed as any text: counts add up,
// a day toggled and written back is what the next station loads.

#include "fuzz_station.h"
#include "logbook/working_calendar.h"

using namespace kj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    if (size == 0) return 0;
    std::string file(fuzz::Bytes(data + 1, size - 1));
    if (data[0] % 3 > 0) file.resize(data[0] % 3 == 1 ? kalendar::kOldBytes : kalendar::kBytes, '\0');
    WriteHost(s.root / "DATA" / kalendar::kFileName, file);
    s.c.dataDirCache = "C:\\DATA\\";
    const std::string typed(file.substr(0, 8));

    TfKalendar k(s.c);
    for (const std::string& from : {std::string("010125"), typed}) {
        const TfKalendar::Pocty p = k.svatky(from, "31.12.2026");
        const auto first = kalendar::DayOfDate(from), last = kalendar::DayOfDate("31.12.2026");
        if (first && *first <= *last)
            FUZZ_CHECK(p.pracovni + p.nepracovni == *last - *first + 1 && p.vsedniSvatky <= p.nepracovni);
        for (int n : {1, -3, 20}) (void)k.pracovni(from, n);
        (void)k.DejDen(from);
    }
    k.NastavRok(2025);
    k.NastavMesic(data[0] % 12 + 1);
    k.NastavDen(static_cast<int>(10 + size % 5));  // never a holiday
    FUZZ_CHECK(k.Prepni());
    FUZZ_CHECK(k.UlozZmeny() == 0);
    TfKalendar next(s.c);
    FUZZ_CHECK(next.bytes() == k.bytes());
    FUZZ_CHECK(ReadHost(s.root / "DATA" / kalendar::kFileName).size() == kalendar::kBytes);
    return 0;
}
