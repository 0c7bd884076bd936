// A list's remembered layout "par\okna2.par" and its record file, both of
// any content (the input cut at "|DTA|"): the places list opens over them,
// is walked and searched, and closes. Opened and closed once more the same
// way, it leaves the layout it stored unchanged: nothing drifts.

#include "fuzz_station.h"
#include "logbook/places.h"
#include "screens/key_codes.h"

using namespace kj;

namespace {

void Session(Common& c) {
    TfKJlMista list(c);
    if (list.Otevri() != 0) return;
    for (int vk : {key::kEnd, key::kPrior, key::kDown, key::kHome, key::kNext, key::kUp})
        list.KeyDown(vk, key::Mod::None);
    for (char ch : {'b', 'R', '\x8A'}) list.KeyPress(ch);
    list.Zavri();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), "|DTA|", 2);
    WriteHost(s.Work("par/okna2.par"), parts[0]);
    WriteHost(s.Work("kjmista.dta"), parts[1]);
    Session(s.c);
    const std::string stored = ReadHost(s.Work("par/okna2.par"));
    Session(s.c);
    FUZZ_CHECK(ReadHost(s.Work("par/okna2.par")) == stored);
    return 0;
}
