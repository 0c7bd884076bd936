// Timing of the print viewer on a large print file.
//
//   print_viewer_bench [rounds] [megabytes]
//
// Writes a report of about `megabytes` (100 by default) through the print
// writer: lines of 132 characters, pages of 80 lines, each page after the
// first beginning with a form feed and naming its number ("List :") on its
// third line. Then, `rounds` times each (7 by default), with the median and
// the worst reported:
//   - open: LoadPrintFile, which finds the width, opens the file under the
//     browser and fills the visible rows;
//   - End: the key that goes to the last line, with its redraw;
//   - F4 last page: from line 1 to the last page, a search through the
//     whole file (the page lies in the last 80 lines);
//   - F4 missing page: a page number no page has (every line is looked at
//     once, and the position stays).
// The file stays in the page cache after it was written, as it does for a
// report just made; the first open of a file read from a cold disk costs
// the reading of its first 999 bytes and of the visible lines on top.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "print/print_output.h"
#include "print/print_viewer.h"
#include "print/print_writer.h"
#include "services/common.h"
#include "services/file_system.h"
#include "services/picture.h"
#include "services/scripted_dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Figures {
    std::vector<double> ms;
    double Median() {
        std::sort(ms.begin(), ms.end());
        return ms.empty() ? 0 : ms[ms.size() / 2];
    }
    double Worst() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

void Report(const char* what, Figures& f) {
    std::printf("  %-22s median %9.2f ms   worst %9.2f ms\n", what, f.Median(), f.Worst());
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const long megabytes = argc > 2 ? std::max(1L, std::atol(argv[2])) : 100;

    char tmpl[] = "/tmp/kjprintbench-XXXXXX";
    if (!::mkdtemp(tmpl)) return 1;
    const std::filesystem::path dir = tmpl;
    kj::HostFileSystem fs(dir.string(), dir.string());
    kj::ScriptedDialogs ui;
    kj::Common c(fs, ui);
    c.set.station = "01";
    c.dataDirCache = "C:\\";
    c.lock.lockingOff = true;

    constexpr int kWidth = 132;
    constexpr int kPageLines = 80;  // page numbers stay within the 4 places F4 reads
    const long lines = megabytes * 1000 * 1000 / (kWidth + 2);
    const int pages = static_cast<int>((lines + kPageLines - 1) / kPageLines);

    auto t0 = Clock::now();
    kj::OpenPrintFile(c, "*velka", kWidth);
    std::string line;
    for (long n = 0; n < lines; ++n) {
        const int page = static_cast<int>(n / kPageLines) + 1;
        const int inPage = static_cast<int>(n % kPageLines);
        if (inPage == 0)
            line = std::string(page > 1 ? "\f" : "") + "Kniha jizd vozidla 1AB 2345";
        else if (inPage == 2)
            line = "Obdobi 01.01.26 - 31.12.26                     List :" + kj::FormatPic("####", page);
        else
            line = kj::FormatPic("@@", 1 + n % 28) + ".01.26  Praha - Brno - Praha   " +
                   kj::FormatPic("######", n % 999999) + " km  jizda cislo " + std::to_string(n);
        kj::WritePrintLine(c, line);
    }
    kj::ClosePrintFile(c);
    const double writeMs = MsSince(t0);
    const auto bytes = std::filesystem::file_size(dir / "velka.TXT");
    std::printf("print file: %ld lines of %d characters, %d pages, %.1f MB, written in %.0f ms\n",
                lines, kWidth, pages, bytes / 1e6, writeMs);

    Figures open, end, lastPage, missing;
    for (int r = 0; r < rounds; ++r) {
        kj::TfPozri v(c);
        t0 = Clock::now();
        if (!v.LoadPrintFile("velka.TXT")) {
            std::fprintf(stderr, "open failed: %s\n", ui.Last("beep").c_str());
            return 1;
        }
        open.ms.push_back(MsSince(t0));
        if (v.count() != lines || v.lineWidth() != kWidth) {
            std::fprintf(stderr, "wrong shape: %d lines of %d\n", v.count(), v.lineWidth());
            return 1;
        }

        t0 = Clock::now();
        v.KeyDown(kj::key::kEnd, kj::key::Mod::None);
        end.ms.push_back(MsSince(t0));

        v.JdiNa(1, 1);
        t0 = Clock::now();
        const bool found = v.FindPage(pages);
        lastPage.ms.push_back(MsSince(t0));
        if (!found || v.current() != (pages - 1) * kPageLines + 1) {
            std::fprintf(stderr, "last page not found (at %d)\n", v.current());
            return 1;
        }

        v.JdiNa(1, 1);
        t0 = Clock::now();
        const bool none = v.FindPage(pages + 1);
        missing.ms.push_back(MsSince(t0));
        if (none || v.current() != 1) {
            std::fprintf(stderr, "a missing page was found\n");
            return 1;
        }
        v.Release();
    }
    std::printf("%d rounds:\n", rounds);
    Report("open", open);
    Report("End (last line)", end);
    Report("F4 last page", lastPage);
    Report("F4 missing page", missing);
    std::filesystem::remove_all(dir);
    return 0;
}
