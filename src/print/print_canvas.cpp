#include "print/print_canvas.h"

#include <algorithm>
#include <array>

#include "services/picture.h"

namespace kj {
namespace {

constexpr int kTabChars = 8;
constexpr char kBell = 7;
constexpr char kDle = 16;
constexpr char kShiftOut = 14;  // "12zn"
constexpr char kShiftIn = 15;   // "cond"
constexpr char kDc2 = 18;       // "norm"

// Index into kPrintFontNames of a font-switching byte, or -1.
int FontOfByte(char ch) {
    switch (ch) {
        case kDc2: return 0;
        case kShiftOut: return 1;
        case kShiftIn: return 2;
        default: return -1;
    }
}

}  // namespace

// ---- the text stream ----

void PrinterText::Draw(std::string_view piece) {
    if (piece.empty()) return;
    if (breakPending_) NewPage();
    canvas_.DrawText(x_, y_, piece);
    x_ += canvas_.TextWidth(piece);
    used_ = true;
}

void PrinterText::Write(std::string_view text) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch != '\t' && ch != '\n' && ch != '\f' && ch != '\r') continue;
        Draw(text.substr(from, i - from));
        from = i + 1;
        if (ch == '\t') {
            const int tab = std::max(1, kTabChars * canvas_.CharWidth());
            x_ = (x_ / tab + 1) * tab;
        } else if (ch == '\n') {
            NewLine();
        } else if (ch == '\f') {
            NewPage();
        }
    }
    Draw(text.substr(from));
}

void PrinterText::NewLine() {
    x_ = 0;
    y_ += canvas_.LineHeight();
    // The next line would not fit: it starts the next page, once it has
    // something to show (a report ending at the foot of a page ejects no
    // empty sheet).
    if (y_ + canvas_.LineHeight() > canvas_.PageHeight()) breakPending_ = true;
}

void PrinterText::NewPage() {
    // A page with nothing on it is not ejected: a report whose first line
    // begins with a form feed, or a form feed right after a full page,
    // costs no blank sheet.
    if (used_) canvas_.NewPage();
    used_ = false;
    breakPending_ = false;
    x_ = 0;
    y_ = 0;
}

// ---- the report ----

const char* StartFontOfDensity(int density) {
    switch (density) {
        case 2: return kPrintFontNames[1];
        case 3: return kPrintFontNames[2];
        default: return kPrintFontNames[0];
    }
}

int PrintReport(PrintCanvas& canvas, const ReportPrint& how, const FontSource& fonts,
                const std::function<LineSource()>& lines) {
    std::array<PrintFont, 3> font;
    for (std::size_t i = 0; i < font.size(); ++i) font[i] = fonts(kPrintFontNames[i]);
    const PrintFont& start = font[how.density == 2 ? 1 : how.density == 3 ? 2 : 0];

    PrinterText out(canvas);
    int printed = 0;
    std::string line;
    std::string piece;
    for (int copy = 1; copy <= std::max(1, how.copies); ++copy) {
        if (copy > 1) out.NewPage();
        out.SetFont(start);
        for (int i = 0; i < how.topLines; ++i) out.NewLine();
        LineSource next = lines();
        while (next && next(line)) {
            line = StripRight(line);
            if (how.semicolonsAsBlanks) std::replace(line.begin(), line.end(), ';', ' ');
            if (how.stripDiacritics) line = StripDiacritics(line);
            piece.clear();
            for (char ch : line) {
                if (ch == kBell || ch == kDle) continue;
                const int f = FontOfByte(ch);
                if (f < 0) {
                    piece += ch;
                    continue;
                }
                out.Write(piece);
                piece.clear();
                out.SetFont(font[static_cast<std::size_t>(f)]);
            }
            out.Write(piece);
            out.NewLine();
            ++printed;
        }
    }
    return printed;
}

}  // namespace kj
