#pragma once
// The print file writer. Every report is first written as a text print
// file: name + ".TXT", Windows-1250, one report line per CR LF line, every
// line exactly the report width (padded with blanks, longer lines cut); a
// line beginning with form feed (12) starts a page. Beside it the lines
// meant for a spreadsheet go to "XLS\" + base name + ".CSV" (the base name
// is the part after the last "\"; "XLS\" lies in the current directory and
// is made on first use), unpadded.
//
// A name beginning with "*" writes no side file; the rest of the name is
// the print file, and its directories are created.
//
// One writer per station keeps one print file open at a time: Open, any
// number of WriteLine/WriteCsvLine, Close. A report that wrote nothing
// leaves no ".txt", ".txz" or ".CSV" file behind. With the personal-data
// switch on, every line is scrambled with the system key before it is
// written (the viewer unscrambles it for the screen and the printer).

#include <memory>
#include <string>
#include <string_view>

#include "services/common.h"
#include "services/file_system.h"

namespace kj {

inline constexpr std::size_t kPrintNameMax = 50;
inline constexpr char kFormFeed = '\x0C';

class PrintWriter {
public:
    explicit PrintWriter(Common& c);
    ~PrintWriter();
    PrintWriter(const PrintWriter&) = delete;
    PrintWriter& operator=(const PrintWriter&) = delete;

    // OpenPrintFile. A print file still open is closed first. A text file
    // that cannot be created is reported ("Err" + code + file name); later
    // writes then go nowhere.
    void Open(std::string_view name, int width);
    // WritePrintLine.
    void WriteLine(std::string_view line);
    // WriteCsvLine: one line of the side file (nothing when it is off).
    void WriteCsvLine(std::string_view line);
    // ClosePrintFile: closes both files and removes empty ones.
    void Close();

    bool isOpen() const { return txt_ != nullptr; }
    // The print file's name without "*" and extension.
    const std::string& name() const { return name_; }
    bool sideFileOn() const { return side_; }
    int width() const { return width_; }
    int lineCount() const { return lines_; }
    int pageCount() const { return pages_; }
    // The first write error since Open (0 = none); writes after it are
    // dropped, as the report goes on regardless.
    int writeError() const { return txtError_; }

private:
    int Flush(std::unique_ptr<File>& file, std::string& buffer, int& error);
    void CloseFile(std::unique_ptr<File>& file, std::string& buffer, int& error);

    Common& c_;
    std::string name_;
    std::string csvPath_;
    bool side_ = false;
    int width_ = 0;
    std::string blank_;
    int lines_ = 0;
    int pages_ = 0;
    std::unique_ptr<File> txt_;
    std::unique_ptr<File> csv_;
    std::string txtBuffer_;
    std::string csvBuffer_;
    int txtError_ = 0;
    int csvError_ = 0;
};

}  // namespace kj
