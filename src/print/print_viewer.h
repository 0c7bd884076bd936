#pragma once
// TfPozri: the print viewer. A table browser whose record file is a print
// file: the writer pads every line to the report width, so the file is a
// run of records of width + 2 bytes (the line and CR LF). The viewer finds
// the width from the first two lines, shows the lines (only those on the
// screen are read, so a file of any size opens at once), pages, searches,
// marks, edits and inserts lines, and prints the report on a page printer
// (through PrintCanvas: a desktop printer or a PDF file) or on a printer
// port.
//
// Control bytes of the lines are shown as "@" (12, form feed), "#" (14),
// "~" (15) and "^" (18); when printing they start a page or switch to the
// fonts "12zn", "cond" and "norm".
//
// Keys (besides the browser's): F1 the viewer's help in the viewer itself
// (Esc returns to the report), F2 print density, Ctrl+F2 another report,
// F3 search, F4 find a page, F5 repeat count, F7 insert a blank line, F8
// delete lines, Ctrl+F7 insert a text, F9 print to the printer port, Alt+F5
// one line feed and Ctrl+F5 a form feed to the port, F10 print, Space edit
// the line, Alt+F9 copy lines into "doklad.txt", Shift+F10 (or the right
// mouse button in the view) the pop-up menu, Esc leave.
//
// Changes of lines go through the work file "tisk.wrk" beside the report:
// the whole new report is written there and then put in place of the
// report in one rename, so the report is never half written.
//
// Settings: "Hustota" (density 1..3) and "OpakovatTisk" (repeat count) in
// "registry.dta" (kRegistryFile), "stredniky" ("Ano": ";" printed as blanks) and
// "TiskDefault" (the printer chosen in the set-up) in "par\sys.par".

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "print/print_canvas.h"
#include "screens/table_browser.h"

namespace kj {

inline constexpr int kMaxPrintWidth = 491;
inline constexpr std::size_t kWidthProbeBytes = 999;
inline constexpr char kSysPar[] = "par\\sys.par";
inline constexpr char kPrintWorkFile[] = "tisk.wrk";
inline constexpr char kVoucherFile[] = "doklad.txt";

// The line width of a print file from its first bytes: the smallest k
// (1..490) whose first two lines are both k characters long; a file of one
// line of k characters (fileSize k + 2) has the width k; 491 else.
int DetectLineWidth(std::string_view head, std::int64_t fileSize = -1);
// A line as the screen shows it.
std::string ShownLine(std::string_view line);
// The page number in a window of up to four lines starting a page: after the
// first of the markers "L:", "L :", "List:", "List :" found, the next four
// characters as a whole number; -1 when no marker is there.
int PageNumberIn(const std::string* lines, int count);

// Where a desktop print goes: the printer the user picks, a PDF file, or
// straight to the default printer without a question (the direct print).
enum class PrintTarget { Printer, Pdf, Direct };

// One print job on a page printer. Finish ends the job (0 = printed).
class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual PrintCanvas& canvas() = 0;
    virtual int Finish() = 0;
};

class TfPozri : public TfSoub {
public:
    explicit TfPozri(Common& c, ScreenMetrics& metrics = SharedScreenMetrics());
    ~TfPozri() override;

    static std::string Footer();
    // Captions of the pop-up menu items 1..kPopupItems ("" = not shown).
    static std::array<std::string, kPopupItems> MenuItems();

    // LoadPrintFile: opens the file (a path of the station's file system)
    // at line 1, or at the stored start line ("fPozri Index") when
    // keepStoredLine is set (the rendered help). A file shorter than 3 bytes
    // is refused ("Prázdná tisková sestava"); false then, and when it cannot
    // be opened.
    bool LoadPrintFile(std::string_view path, bool keepStoredLine = false);
    // Releases the file: its lock, the marks, the remembered line.
    void Release();

    bool loaded() const { return loaded_; }
    const std::string& printPath() const { return printPath_; }
    int lineWidth() const { return width_; }
    // A report just written (ShowPrintFile), not one of the spool.
    bool fresh = false;
    // The viewer's own help is shown over the report (light red paper).
    bool helpView() const { return helpView_; }
    // Back from the help view to the report at its line; false when no help
    // was shown.
    bool ReturnFromHelp();

    // Line n (1..count) as stored, unscrambled when the personal-data switch
    // is on; "" outside.
    std::string Line(int n);
    // Writes line n in place (cut or padded to the width).
    void WriteLine(int n, std::string_view text);

    // F4: goes to the page; false (position kept) when it is not there.
    bool FindPage(int page);
    // F10, "Tisk" and "Tisk do PDF".
    void PrintOnPrinter(PrintTarget target);
    // F9: the report on the printer port.
    void PrintOnPort();
    // Inserts a line before line `before` (F7, Ctrl+F7); deletes the marked
    // lines (F8). Both rewrite the report through "tisk.wrk".
    bool InsertLine(int before, std::string_view text);
    bool DeleteMarkedLines();
    // "Překóduj do Win" / "Překóduj do Dos": every line in place.
    void Recode(bool toWindows);
    // "Viditelnost středníků v tisku".
    void ToggleSemicolons();
    bool SemicolonsAsBlanks();
    int Density();
    int RepeatCount();
    // The text shown while F4 searches ("" otherwise).
    const std::string& progressText() const { return progress_; }
    // Shift+F10 asked for the pop-up menu; the view takes the request.
    bool TakeMenuRequest();
    // An item of the viewer's own menu (MenuItems, from 1) was chosen. The
    // menu is the view's, not the list's pop-up menu, so it does not go
    // through PopupChosen, which acts only on the list's own visible items.
    void MenuChosen(int item);

    // ---- what the view supplies ----
    // Starts a print job on the chosen target (the printer dialog for a
    // printer, preselecting `defaultPrinter`; a file for PDF); null when
    // the user cancelled.
    std::function<std::unique_ptr<PrintJob>(PrintTarget target, const std::string& defaultPrinter)>
        openPrintJob;
    // The line editor: edits the text (Windows-1250); false when cancelled.
    std::function<bool(std::string& text, const std::string& title)> editLine;
    // Ctrl+F2: another report to show ("" = none chosen). The print spool
    // may take this over.
    std::function<std::string()> chooseReport;
    // "Nastavení tiskárny": the printer set-up; the chosen printer's name,
    // "" when cancelled.
    std::function<std::string(const std::string& current)> printerSetup;
    // "Nastavení fontů pro tisky": the print-font form.
    std::function<void()> fontSettings;
    // "Kalkulačka".
    std::function<void()> calculator;
    // F4 progress: called every 1000 lines with progressText().
    std::function<void()> pageSearchProgress;

protected:
    void FormatujRadek() override;
    void Oprav() override;    // Space
    void Novy() override;     // F4
    void Zrus(int row) override;  // F8
    void KlF1() override;
    void KlF2() override;
    void KlF5() override;
    void KlF7() override;
    void KlF9() override;
    void KlF10() override;
    void KlAltF5() override;
    void KlAltF9() override;
    void KlCtrlF5() override;
    void KlCtrlF7() override;
    void KlShiftF10() override;
    void KlCtrlF6() override;  // section export: not in this program
    void KlAltF6() override;   // translation: not in this program
    void UkazTisky() override;  // Ctrl+F2
    void PolozkaMenu(int item) override;
    // The browser's own operations that make no sense on a report.
    void KlShiftF4() override {}
    void Setrid(int) override {}
    void VlozOpakovani() override {}
    void UlozOpakovani() override {}
    void ExportExcel() override {}
    void ExportDbf() override {}

private:
    ReportPrint PrintSettings();
    // The lines a print takes: the marked ones, else the current to the last.
    std::function<LineSource()> PrintLines();
    bool Rewrite(int insertBefore, std::string_view insertText, bool dropMarked);
    std::string Encode(std::string_view text) const;
    std::string Decode(std::string_view record) const;
    std::string WorkPath() const;
    void SendToPortBytes(std::string_view bytes);
    void NotHere();

    bool loaded_ = false;
    std::string printPath_;
    int width_ = 0;
    bool helpView_ = false;
    std::string returnPath_;
    int returnRow_ = 0;
    std::string progress_;
    bool menuRequested_ = false;
};

}  // namespace kj
