// A print file of any content: the viewer finds its width, shows, pages
// and prints it. Writing line 1 in place changes only line 1; inserting a
// line and then deleting it leaves every other byte where it was.

#include "fuzz_station.h"
#include "print/print_viewer.h"
#include "screens/key_codes.h"

using namespace kj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    const std::string original(fuzz::Bytes(data, size));
    WriteHost(s.Work("SESTAVA.TXT"), original);
    TfPozri v(s.c);
    if (!v.LoadPrintFile("SESTAVA.TXT")) return 0;
    const auto recLen = static_cast<std::size_t>(v.lineWidth() + 2);
    FUZZ_CHECK(v.lineWidth() == DetectLineWidth(original, static_cast<std::int64_t>(size)));
    FUZZ_CHECK(static_cast<std::size_t>(v.count()) == size / recLen);
    for (int vk : {key::kEnd, key::kPrior, key::kHome, key::kNext}) v.KeyDown(vk, key::Mod::None);
    (void)v.FindPage(2);
    printtest::RecordingCanvas canvas;
    int finished = 0;
    v.openPrintJob = [&](PrintTarget, const std::string&) {
        return std::make_unique<printtest::RecordingJob>(canvas, &finished);
    };
    v.PrintOnPrinter(PrintTarget::Pdf);
    if (v.count() == 0) return 0;

    v.WriteLine(1, "Upraveno");
    std::string now = ReadHost(s.Work("SESTAVA.TXT"));
    FUZZ_CHECK(now.size() == size && now.substr(recLen) == original.substr(recLen));
    FUZZ_CHECK(v.InsertLine(2, "Vlozeno"));
    v.ZrusOznaceni();
    v.Oznac(2);
    FUZZ_CHECK(v.DeleteMarkedLines());
    FUZZ_CHECK(ReadHost(s.Work("SESTAVA.TXT")) == now);
    return 0;
}
