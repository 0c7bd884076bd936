// The spool's directory list "_sestavy.kde" and report titles "listw.tab"
// of any content (the input cut at "|LISTW|") over a few planted reports:
// the list fills, sorts every way and shows its texts in their widths; F8
// on a planted report deletes that report and no other.

#include "fuzz_station.h"
#include "print/print_spool.h"

using namespace kj;
namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), "|LISTW|", 2);
    WriteHost(s.Work("_sestavy.kde"), parts[0]);
    WriteHost(s.Prog("listw.tab"), parts[1]);
    const std::string report = printtest::PrintFile({"Kniha jizd", "5Z12345"}, 30);
    for (const char* name : {"ARL0001.txt", "kniha.TXT", "SPOOL/CESTAKY.txt"}) WriteHost(s.Work(name), report);

    TfSpool spool(s.c);
    spool.Otevri();
    for (int mode : {2, 3, 3, 4, 5, 1}) spool.Setrid(mode);
    const std::vector<SpoolEntry> listed = spool.entries();
    FUZZ_CHECK(listed.size() <= static_cast<std::size_t>(kSpoolMaxEntries));
    for (const SpoolEntry& e : listed)
        FUZZ_CHECK(e.name.size() == kSpoolNameWidth && e.title.size() == kSpoolTitleWidth);
    for (std::size_t row = 0; row < listed.size(); ++row) {
        if (listed[row].where != "" || listed[row].file != "ARL0001") continue;
        spool.JdiNa(static_cast<int>(row) + 1, 0);
        spool.Zrus(static_cast<int>(row) + 1);
        FUZZ_CHECK(!fs::exists(s.Work("ARL0001.txt")) && fs::exists(s.Work("kniha.TXT")) &&
                   fs::exists(s.Work("SPOOL/CESTAKY.txt")));
        break;
    }
    spool.Zavri();
    return 0;
}
