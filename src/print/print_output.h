#pragma once
// The station's print output: its one print writer and its one viewer, and
// the procedures every report calls:
//
//   OpenPrintFile (c, name, width)   a new print file ("*" prefix: no side file)
//   WritePrintLine (c, line)         one report line
//   WriteCsvLine (c, line)           one line of the ";"-separated side file
//   ClosePrintFile (c)               closes both, removes empty ones
//   ShowPrintFile (c, name)          shows name + ".txt" in the viewer
//   ViewPrintFile (c, path)          shows any print file (the print spool)
//
// The view (Qt) installs showViewer, which shows a viewer modally, and
// prepareViewer, which gives a viewer its printer, dialogs and forms. A
// viewer opened while another is on the screen (the calculator's tape from
// the viewer's own menu, help asked for from inside) gets a viewer of its
// own for as long as it is shown.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "print/print_viewer.h"
#include "print/print_writer.h"
#include "services/common.h"

namespace kj {

class PrintOutput {
public:
    explicit PrintOutput(Common& c);
    ~PrintOutput();

    PrintWriter& writer() { return writer_; }
    TfPozri& viewer() { return *viewer_; }

    // Shows the viewer modally until it closes (the Qt form). Without it the
    // viewer is not shown: a print then acts as if the user left at once.
    std::function<void(TfPozri&)> showViewer;
    // Sets up a viewer's hooks (printer, dialogs); called for every viewer.
    std::function<void(TfPozri&)> prepareViewer;
    // The direct-print switch: ShowPrintFile prints the report without
    // showing it, on the printer port of the job entry "LPT" when it is set,
    // else on the desktop printer.
    bool directPrint = false;

    // The loop of ShowPrintFile over a print file: returns true when the
    // user ended it with Enter (or the direct print ran), false after Esc
    // and when the file could not be shown. `fresh` marks a report just
    // written; `keepStoredLine` starts at the stored line (the help).
    bool View(std::string_view path, bool fresh, bool keepStoredLine = false);
    // The result of the last View: cancelled with Esc.
    bool cancelled() const { return cancelled_; }

    // The print file name for rendered help that no viewer on the screen
    // shows now ("help", or "help2", ... while one does).
    std::string FreeHelpName() const;
    void ShowHelpFile(std::string_view name);

private:
    Common& c_;
    PrintWriter writer_;
    std::unique_ptr<TfPozri> viewer_;
    bool prepared_ = false;
    int depth_ = 0;  // viewers on the screen
    bool cancelled_ = false;
};

// The station's print output, made on first use.
PrintOutput& PrintOutputOf(Common& c);

void OpenPrintFile(Common& c, std::string_view name, int width);
void WritePrintLine(Common& c, std::string_view line);
void WriteCsvLine(Common& c, std::string_view line);
void ClosePrintFile(Common& c);
// Shows name + ".txt": "Prázdná tisková sestava" when it holds fewer than 3
// bytes. True when the user left it with Enter.
bool ShowPrintFile(Common& c, std::string_view name);
// Shows any print file (a path of the station's file system).
bool ViewPrintFile(Common& c, std::string_view path);

// The station's calculator prints its tape as the print file "Paragon"
// (20 wide) shown in the viewer, and shows its help "2\kalk".
void ConnectCalculator(Common& c);

}  // namespace kj
