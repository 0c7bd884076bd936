// Print font files of any content, the station's own and the program's
// "\2\" copy (the input cut at "|PROG|"): the fonts are made for a printer,
// and the font form stores height and width as whole numbers that read
// back as the numbers it shows.

#include "fuzz_station.h"
#include "print/print_fonts.h"
#include "services/picture.h"

using namespace kj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), "|PROG|", 2);
    if (!parts[0].empty()) WriteHost(s.Work("norm.fnt"), parts[0]);
    WriteHost(s.Prog("2/norm.fnt"), parts[1]);
    WriteHost(s.Prog("2/cond.fnt"), parts[0]);
    for (const char* name : kPrintFontNames) (void)CreatePrintFont(s.c, name, 600, 300);

    FontyTisky form(s.c);
    form.Activate();
    form.LeaveHeight();
    form.LeaveWidth();
    const PrintFont stored = ReadPrintFont(s.c, "norm");
    FUZZ_CHECK(stored.height == StrToIntLoose(form.height()));
    FUZZ_CHECK(stored.width == StrToIntLoose(form.width()));
    FUZZ_CHECK(stored.faceName.size() <= kFaceNameMax);
    form.Select(3);
    form.Close();
    return 0;
}
