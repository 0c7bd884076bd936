// A travel order file ".cpr" of any content and the trips marked in the
// logbook (the input cut at "|JIZDY|", trips of 261 bytes): both sheets
// fill, recalculate, print and save; loaded again they hold what was
// saved.

#include <algorithm>

#include "fuzz_station.h"
#include "services/picture.h"
#include "travel/sheet_print.h"
#include "travel_station.h"

using namespace kj;

namespace {

// The texts as the file keeps them: line breaks as blanks, blank ones as
// no key at all.
std::vector<std::string> Texts(const SheetTexts& t) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < t.layout().fields.size(); ++i) {
        std::string text = t.at(static_cast<int>(i)).substr(0, 200);
        std::replace(text.begin(), text.end(), '\r', ' ');
        std::replace(text.begin(), text.end(), '\n', ' ');
        out.push_back(StripRight(text));
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), "|JIZDY|", 2);
    WriteHost(s.root / "DATA" / "WZ.cpr", parts[0]);
    std::vector<VetaJizdy> trips;
    for (std::size_t at = 0; at + jizdy::kLength <= parts[1].size(); at += jizdy::kLength)
        trips.push_back(VetaJizdy::From(parts[1].data() + at));
    const VetaAuta car = traveltest::Car(parts[1].size() % 2 ? "SLUŽEBNÍ" : "SOUKROMÉ");

    traveltest::Sheets saved(s.c, car);
    saved.order.FillOrderSheet(trips);
    saved.settlement.FillSettlementSheet(trips);
    saved.settlement.Recalculate();
    printtest::RecordingCanvas canvas;
    int finished = 0;
    printtest::RecordingJob job(canvas, &finished);
    (void)PrintSheet(s.c, job, saved.order.texts(), true);
    (void)PrintSheet(s.c, job, saved.settlement.texts(), false);
    saved.order.SaveOrderSheet();
    saved.settlement.SaveSettlementSheet();

    traveltest::Sheets loaded(s.c, car);
    loaded.order.FillOrderSheet({});
    loaded.settlement.FillSettlementSheet({});
    FUZZ_CHECK(Texts(loaded.order.texts()) == Texts(saved.order.texts()));
    FUZZ_CHECK(Texts(loaded.settlement.texts()) == Texts(saved.settlement.texts()));
    return 0;
}
