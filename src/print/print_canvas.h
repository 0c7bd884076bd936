#pragma once
// Printing a report on a page printer (a desktop printer or a PDF file).
//
// The core draws through PrintCanvas: text at a device position in a font,
// and new pages. The Qt side implements it with QPainter on a QPrinter;
// tests record the calls. PrinterText is the printer's text stream on top
// of it: it keeps the pen position, breaks pages, and reads the control
// characters of the stream (tab: the next multiple of 8 character widths;
// line feed: a new line; form feed: a new page; carriage return: only ends
// the piece of text). A line is as high as the canvas says for the current
// font; a page holds the lines that fit its printable height.
//
// PrintReport is the print of the viewer: the top margin, the start font by
// the density, the lines without trailing blanks, ";" as blanks when the
// semicolon switch is on, diacritics stripped on request, the bytes 7 and 16
// dropped and the bytes 14, 15 and 18 switching to "12zn", "cond" and
// "norm" in the middle of a line.

#include <functional>
#include <string>
#include <string_view>

#include "print/print_fonts.h"

namespace kj {

class PrintCanvas {
public:
    virtual ~PrintCanvas() = default;
    // Dots per inch of the device.
    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    // Printable area in dots.
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;
    // The font for the following text; sizes are already in device dots.
    virtual void SetFont(const PrintFont& font) = 0;
    // Metrics of the current font in dots.
    virtual int TextWidth(std::string_view text) = 0;
    virtual int CharWidth() = 0;
    virtual int LineHeight() = 0;
    // Windows-1250 text with its top left corner at (x, y).
    virtual void DrawText(int x, int y, std::string_view text) = 0;
    // The bitmap file `hostFile` (a host path) stretched into the rectangle
    // from (left, top) to (right, bottom), exclusive. False when the file
    // cannot be read; nothing is drawn then.
    virtual bool DrawPicture(int left, int top, int right, int bottom,
                             const std::string& hostFile) = 0;
    virtual void NewPage() = 0;
};

// The text stream on a canvas.
class PrinterText {
public:
    explicit PrinterText(PrintCanvas& canvas) : canvas_(canvas) {}

    void SetFont(const PrintFont& font) { canvas_.SetFont(font); }
    // Text with the control characters of the stream.
    void Write(std::string_view text);
    void NewLine();
    void NewPage();
    int x() const { return x_; }
    int y() const { return y_; }
    // Something was drawn on the current page.
    bool pageUsed() const { return used_; }

private:
    void Draw(std::string_view piece);

    PrintCanvas& canvas_;
    int x_ = 0;
    int y_ = 0;
    bool used_ = false;
    bool breakPending_ = false;
};

struct ReportPrint {
    int topLines = 0;             // job entry "TOPLIST"
    bool stripDiacritics = false; // job entry "DIAKTISK" is "N"
    int density = 1;              // "Hustota": 2 "12zn", 3 "cond", else "norm"
    bool semicolonsAsBlanks = false;
    int copies = 1;
};

// The print font by its name ("norm", "12zn", "cond") for the device.
using FontSource = std::function<PrintFont(std::string_view name)>;
// The next line to print; false after the last.
using LineSource = std::function<bool(std::string& line)>;

// Prints the lines (once per copy, each copy from a new page). Returns the
// number of lines printed.
int PrintReport(PrintCanvas& canvas, const ReportPrint& how, const FontSource& fonts,
                const std::function<LineSource()>& lines);

// The font a density starts with.
const char* StartFontOfDensity(int density);

}  // namespace kj
