#pragma once
// Printing a report on a printer hung on a printer port ("LPT1".."LPT4"),
// as raw bytes with the printer's own control codes.
//
// The port is "LPT" followed by the job entry "LPT" ("0" or empty: 1). Its
// host device is the one the cash drawer uses (PrinterPortDevice: the key
// "LPT1".."LPT4" of "par\sys.par", by default /dev/lp0..3); a regular file
// named there receives the bytes appended, which is how a print can be
// captured.
//
// The printer type is the job entry "TISKARNA"; its definition is the file
// type + ".dst" of the current directory or, when missing there, of "\2\"
// in the program directory. Each line of a definition is a four-letter
// command, a blank, and from column 6 a code sequence:
//   INIT  sent once when the print starts
//   NORM  selects the normal font      (80 characters a line, byte 18)
//   ELIT  selects 12 characters an inch (100 a line, byte 14)
//   COND  selects condensed printing   (130 a line, byte 15)
//   LINE  ends a line                  (default: CR LF)
//   PAGE  starts a new page            (default: form feed, byte 12)
//   KODY  the code page of the text: 852 (default), KAM (Kamenický) or
//         1250 (the report's own bytes)
// A code sequence is made of items separated by blanks or commas:
//   #27      a byte in decimal (0..255)
//   $1B      a byte in hexadecimal (00..FF)
//   "ab"     the characters between the double quotes
//   {text}   a comment
// Empty lines and lines beginning with "{" are comments. For example
//   INIT #27,"@"          {reset}
//   COND $0F
//   LINE #13 #10
//
// The print: INIT, as many LINE codes as the job entry "TOPLIST" says, the
// font code of the density, then each line without trailing blanks (";" as
// blanks when the semicolon switch is on, diacritics stripped when the job
// entry "DIAKTISK" is "N"), the bytes 7 and 16 dropped, 14, 15 and 18 sent
// as ELIT, COND and NORM, a form feed as PAGE, tabs as they are, the text in
// the printer's code page, and LINE at its end.

#include <functional>
#include <string>
#include <string_view>

#include "print/print_canvas.h"
#include "services/common.h"

namespace kj {

struct PrinterDefinition {
    enum class CodePage { Cp852, Kamenicky, Win1250 };
    std::string init, norm, elit, cond;
    std::string lineEnd = "\r\n";
    std::string pageEnd = "\f";
    CodePage codePage = CodePage::Cp852;
};

// A code sequence as bytes; false (and *error the offending part) when it
// is not one.
bool ParsePrinterCodes(std::string_view text, std::string* bytes, std::string* error);
// A definition file's text (Windows-1250, any line ends). Returns "" or the
// message naming the first bad line.
std::string ParsePrinterDefinition(std::string_view text, PrinterDefinition* def);
// The definition of the printer type: "" or the message (shown by the
// caller). An empty type gives the defaults.
std::string LoadPrinterDefinition(Common& c, std::string_view type, PrinterDefinition* def);

// The port number of the job entry "LPT": 1..4 (0 and empty give 1).
int PrintPortNumber(Common& c);

// The bytes of a report for the port, handed to `out` in pieces.
void PortReport(const PrinterDefinition& def, const ReportPrint& how, const LineSource& lines,
                const std::function<void(std::string_view)>& out);

// Writes bytes to the port's device. Returns the DOS code; a failure has
// been shown ("Chyba " + code + " při otevírání LPTn" / " při zápisu na LPTn").
class PortOutput {
public:
    PortOutput(Common& c, int port);
    ~PortOutput();
    PortOutput(const PortOutput&) = delete;
    PortOutput& operator=(const PortOutput&) = delete;
    int Open();
    int Write(std::string_view bytes);
    int Close();

private:
    int Flush();
    Common& c_;
    int port_;
    int fd_ = -1;
    int error_ = 0;
    std::string buffer_;
};

// Opens the port, writes the bytes and closes it.
int SendToPort(Common& c, int port, std::string_view bytes);

}  // namespace kj
