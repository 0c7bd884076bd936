// A lock register "FOT.tab" and user names "JMENA.tab" of any size and
// content (the input holds both, cut at "|JMENA|"). Waits end by freeing the
// register, as another station would; a granted write lock is then the only
// entry of its file, and each release takes exactly one entry away.

#include <algorithm>

#include "fuzz_station.h"
#include "services/lock_table.h"
#include "services/locks.h"

using namespace kj;
namespace fs = std::filesystem;

namespace {

const char kPath[] = "C:\\DATA\\KJ_AUTA.DTA";

// Entries of the file, and of the file and this station.
std::pair<int, int> Entries(const fs::path& fot) {
    const locktab::Table t = locktab::DecodeTable(ReadHost(fot));
    const auto mine = [](const locktab::Entry& e) { return e.name == "KJ_AUTA.DTA "; };
    return {static_cast<int>(std::count_if(t.begin(), t.end(), mine)),
            static_cast<int>(std::count_if(t.begin(), t.end(), [&](const locktab::Entry& e) {
                return mine(e) && e.station == "03  ";
            }))};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), "|JMENA|", 2);
    const fs::path fot = s.root / "DATA" / "FOT.tab";
    WriteHost(fot, parts[0]);
    WriteHost(s.Prog("JMENA.tab"), parts[1]);
    s.c.lock.lockingOff = false;
    auto release = [&, waits = 0](const ScriptedDialogs::Shown&) mutable {
        FUZZ_CHECK(++waits < 100);
        WriteHost(fot, std::string(locktab::kTableSize, '\0'));
    };
    s.ui.onNote = release;
    s.ui.onBeep = release;

    (void)IfVolny(s.c, kPath);
    (void)UserName(s.c, std::string(1, parts[0].empty() ? '0' : parts[0][0]) + "1");
    FUZZ_CHECK(Zamkni(s.c, kPath, "W"));
    FUZZ_CHECK(Entries(fot) == std::make_pair(1, 1));
    FUZZ_CHECK(ReadHost(fot).size() >= locktab::kTableSize);  // a longer file keeps its tail
    Odemkni(s.c, kPath);
    FUZZ_CHECK(Entries(fot) == std::make_pair(0, 0));
    FUZZ_CHECK(Zamkni(s.c, kPath, "") && Zamkni(s.c, kPath, ""));
    const auto [all, mine] = Entries(fot);
    FUZZ_CHECK(all == mine && mine >= 1 && mine <= 2);
    FUZZ_CHECK(IfVolny(s.c, kPath).empty());
    Odemkni(s.c, kPath);
    FUZZ_CHECK(Entries(fot).second == mine - 1);
    return 0;
}
