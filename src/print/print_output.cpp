#include "print/print_output.h"

#include "print/help_text.h"
#include "print/port_printer.h"
#include "screens/calculator.h"
#include "screens/key_codes.h"
#include "services/cp1250.h"
#include "services/params.h"
#include "services/record_file.h"

namespace kj {

PrintOutput::PrintOutput(Common& c)
    : c_(c), writer_(c), viewer_(std::make_unique<TfPozri>(c)) {}

PrintOutput::~PrintOutput() = default;

PrintOutput& PrintOutputOf(Common& c) {
    if (!c.printOutput) c.printOutput = std::make_shared<PrintOutput>(c);
    return *c.printOutput;
}

std::string PrintOutput::FreeHelpName() const {
    return depth_ == 0 ? std::string(kHelpPrintFile)
                       : std::string(kHelpPrintFile) + std::to_string(depth_ + 1);
}

void PrintOutput::ShowHelpFile(std::string_view name) {
    View(std::string(name) + ".TXT", false, true);
}

bool PrintOutput::View(std::string_view path, bool fresh, bool keepStoredLine) {
    cancelled_ = true;
    // A viewer already on the screen keeps its report; this one gets its own.
    std::unique_ptr<TfPozri> nested;
    TfPozri* v = viewer_.get();
    if (depth_ > 0) {
        nested = std::make_unique<TfPozri>(c_);
        v = nested.get();
    }
    if ((nested || !prepared_) && prepareViewer) {
        prepareViewer(*v);
        if (!nested) prepared_ = true;
    }
    if (!v->LoadPrintFile(path, keepStoredLine)) return false;
    v->fresh = fresh;
    ++depth_;
    bool done = false;
    for (;;) {
        int key = key::kEscape;
        if (directPrint) {
            if (!GetJob(c_, "LPT").empty())
                v->PrintOnPort();
            else
                v->PrintOnPrinter(PrintTarget::Direct);
            key = key::kReturn;
        } else if (showViewer) {
            showViewer(*v);
            key = v->key();
        }
        // Esc in the viewer's help goes back to the report.
        if (v->ReturnFromHelp()) continue;
        if (key == key::kEscape) break;
        if (key == key::kReturn) {
            done = true;
            break;
        }
    }
    --depth_;
    v->Release();
    cancelled_ = !done;
    return done;
}

void OpenPrintFile(Common& c, std::string_view name, int width) {
    PrintOutputOf(c).writer().Open(name, width);
}

void WritePrintLine(Common& c, std::string_view line) { PrintOutputOf(c).writer().WriteLine(line); }

void WriteCsvLine(Common& c, std::string_view line) { PrintOutputOf(c).writer().WriteCsvLine(line); }

void ClosePrintFile(Common& c) { PrintOutputOf(c).writer().Close(); }

bool ShowPrintFile(Common& c, std::string_view name) {
    const std::string path = std::string(name) + ".txt";
    if (FileSizeOf(c, path) < 3) {
        c.ui.BeepMessage("Prázdná tisková sestava"_cz);
        return false;
    }
    return PrintOutputOf(c).View(path, true);
}

bool ViewPrintFile(Common& c, std::string_view path) { return PrintOutputOf(c).View(path, false); }

void ConnectCalculator(Common& c) {
    TfKalk& k = KalkulackaOf(c);
    k.printTape = [&c](const std::vector<std::string>& tape) {
        OpenPrintFile(c, "Paragon", 20);
        for (const std::string& line : tape) WritePrintLine(c, line);
        ClosePrintFile(c);
        ShowPrintFile(c, "Paragon");
    };
    k.help = [&c] { ShowHelp(c, "2\\kalk", TfKalk::Caption()); };
}

}  // namespace kj
