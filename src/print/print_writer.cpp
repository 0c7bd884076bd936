#include "print/print_writer.h"

#include <algorithm>

#include "services/io_codes.h"
#include "services/picture.h"
#include "services/protocol.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr std::size_t kFlushBytes = 64 * 1024;
constexpr char kSideDir[] = "XLS";

}  // namespace

PrintWriter::PrintWriter(Common& c) : c_(c) {}

PrintWriter::~PrintWriter() {
    if (isOpen() || csv_) Close();
}

void PrintWriter::Open(std::string_view name, int width) {
    if (isOpen() || csv_) Close();
    std::string n(name.substr(0, std::min(name.size(), kPrintNameMax)));
    side_ = true;
    if (!n.empty() && n.front() == '*') {
        side_ = false;
        n.erase(0, 1);
        ForceDirs(c_, n);
    }
    name_ = n;
    const std::size_t slash = n.find_last_of('\\');
    const std::string base = slash == std::string::npos ? n : n.substr(slash + 1);

    csvPath_ = std::string(kSideDir) + "\\" + base + ".CSV";
    csvBuffer_.clear();
    csvError_ = 0;
    if (side_) {
        int rc = c_.fs.Open(csvPath_, Access::Write, Disposition::CreateAlways, Share::Shared, &csv_);
        // The directory is made once; a second failure leaves the report
        // without its side file rather than trying for ever.
        if (rc == io::kPathNotFound || rc == io::kFileNotFound) {
            (void)c_.fs.MakeDir(kSideDir);
            rc = c_.fs.Open(csvPath_, Access::Write, Disposition::CreateAlways, Share::Shared, &csv_);
        }
        if (rc != io::kOk) {
            csv_.reset();
            side_ = false;
        }
    }

    const std::string txtPath = n + ".TXT";
    txtBuffer_.clear();
    txtError_ = 0;
    const int rc = c_.fs.Open(txtPath, Access::Write, Disposition::CreateAlways, Share::Shared, &txt_);
    if (rc != io::kOk) {
        txt_.reset();
        c_.ui.BeepMessage("Err" + FormatPic("### ", rc) + txtPath);
        return;
    }
    width_ = std::max(0, width);
    blank_.assign(static_cast<std::size_t>(width_), ' ');
    lines_ = 0;
    pages_ = 0;
}

void PrintWriter::WriteLine(std::string_view line) {
    if (!txt_) return;
    ++lines_;
    if (!line.empty() && line.front() == kFormFeed) ++pages_;
    std::string text(line.substr(0, std::min<std::size_t>(line.size(), width_)));
    text.append(blank_, 0, static_cast<std::size_t>(width_) - text.size());
    if (c_.set.personalData) text = Scramble(text, SystemKey());
    txtBuffer_ += text;
    txtBuffer_ += "\r\n";
    if (txtBuffer_.size() >= kFlushBytes) Flush(txt_, txtBuffer_, txtError_);
}

void PrintWriter::WriteCsvLine(std::string_view line) {
    if (!side_ || !csv_) return;
    csvBuffer_ += line;
    csvBuffer_ += "\r\n";
    if (csvBuffer_.size() >= kFlushBytes) Flush(csv_, csvBuffer_, csvError_);
}

int PrintWriter::Flush(std::unique_ptr<File>& file, std::string& buffer, int& error) {
    if (file && !buffer.empty() && error == io::kOk) error = file->Write(buffer.data(), buffer.size());
    buffer.clear();
    return error;
}

void PrintWriter::CloseFile(std::unique_ptr<File>& file, std::string& buffer, int& error) {
    if (!file) return;
    Flush(file, buffer, error);
    const int rc = file->Close();
    if (error == io::kOk) error = rc;
    file.reset();
}

void PrintWriter::Close() {
    const bool hadText = txt_ != nullptr;
    CloseFile(txt_, txtBuffer_, txtError_);
    CloseFile(csv_, csvBuffer_, csvError_);
    if (side_ && FileSizeOf(c_, csvPath_) <= 0) (void)c_.fs.Remove(csvPath_);
    if (hadText && FileSizeOf(c_, name_ + ".txt") == 0) {
        (void)c_.fs.Remove(name_ + ".txt");
        (void)c_.fs.Remove(name_ + ".txz");
    }
}

}  // namespace kj
