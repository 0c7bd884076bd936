#include "print/port_printer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "services/cp1250.h"
#include "services/io_codes.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/protocol.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr std::size_t kPortBuffer = 64 * 1024;

int HexDigit(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

bool IsSeparator(char ch) { return ch == ' ' || ch == ',' || ch == '\t'; }

// A number item ends at the end, at a separator or where the next item starts.
bool ItemEnds(std::string_view text, std::size_t at) {
    if (at >= text.size()) return true;
    const char ch = text[at];
    return IsSeparator(ch) || ch == '"' || ch == '#' || ch == '$' || ch == '{';
}

std::string Trim(std::string_view text) { return StripLeft(StripRight(text)); }

}  // namespace

bool ParsePrinterCodes(std::string_view text, std::string* bytes, std::string* error) {
    bytes->clear();
    std::size_t i = 0;
    auto fail = [&](std::size_t from) {
        if (error) *error = std::string(text.substr(from));
        return false;
    };
    while (i < text.size()) {
        const char ch = text[i];
        if (IsSeparator(ch)) {
            ++i;
        } else if (ch == '{') {
            const std::size_t end = text.find('}', i);
            if (end == std::string_view::npos) return fail(i);
            i = end + 1;
        } else if (ch == '"') {
            const std::size_t end = text.find('"', i + 1);
            if (end == std::string_view::npos) return fail(i);
            bytes->append(text.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (ch == '#') {
            std::size_t j = i + 1;
            int v = 0;
            while (j < text.size() && text[j] >= '0' && text[j] <= '9' && v <= 255)
                v = v * 10 + (text[j++] - '0');
            if (j == i + 1 || v > 255 || !ItemEnds(text, j)) return fail(i);
            bytes->push_back(static_cast<char>(v));
            i = j;
        } else if (ch == '$') {
            std::size_t j = i + 1;
            int v = 0;
            while (j < text.size() && HexDigit(text[j]) >= 0 && j - i <= 2)
                v = v * 16 + HexDigit(text[j++]);
            if (j == i + 1 || !ItemEnds(text, j)) return fail(i);
            bytes->push_back(static_cast<char>(v));
            i = j;
        } else {
            return fail(i);
        }
    }
    return true;
}

std::string ParsePrinterDefinition(std::string_view text, PrinterDefinition* def) {
    *def = PrinterDefinition();
    int number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++number;
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == '{') continue;
        const std::string command = UpperCz(line.substr(0, std::min<std::size_t>(4, line.size())));
        const std::string_view rest = line.size() > 5 ? line.substr(5) : std::string_view();
        auto bad = [&](std::string_view why) {
            return "Chybný řádek "_cz + std::to_string(number) + " v definici tiskárny: "_cz +
                   std::string(why);
        };
        if (line.size() > 4 && line[4] != ' ') return bad(line);
        if (command == "KODY") {
            const std::string page = UpperCz(Trim(rest));
            if (page == "852") def->codePage = PrinterDefinition::CodePage::Cp852;
            else if (page == "KAM") def->codePage = PrinterDefinition::CodePage::Kamenicky;
            else if (page == "1250") def->codePage = PrinterDefinition::CodePage::Win1250;
            else return bad(line);
            continue;
        }
        std::string* target = command == "INIT"   ? &def->init
                              : command == "NORM" ? &def->norm
                              : command == "ELIT" ? &def->elit
                              : command == "COND" ? &def->cond
                              : command == "LINE" ? &def->lineEnd
                              : command == "PAGE" ? &def->pageEnd
                                                  : nullptr;
        if (!target) return bad(line);
        std::string error;
        if (!ParsePrinterCodes(rest, target, &error)) return bad(line);
    }
    return {};
}

std::string LoadPrinterDefinition(Common& c, std::string_view type, PrinterDefinition* def) {
    *def = PrinterDefinition();
    const std::string name = Trim(type);
    if (name.empty()) return {};
    std::string path = name + ".dst";
    if (FileSizeOf(c, path) < 0) path = ProgPath(c, "\\2\\" + name + ".dst");
    std::unique_ptr<File> f;
    int rc = c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) return "Chybí definice tiskárny "_cz + path + " err " + std::to_string(rc);
    std::string text;
    char block[4096];
    std::size_t got = 0;
    while ((rc = f->Read(block, sizeof block, &got)) == io::kOk && got > 0) text.append(block, got);
    (void)f->Close();
    if (rc != io::kOk) return "Chyba " + std::to_string(rc) + " při čtení "_cz + path;
    std::string problem = ParsePrinterDefinition(text, def);
    if (!problem.empty()) problem += " (" + path + ")";
    return problem;
}

int PrintPortNumber(Common& c) {
    const std::string digit = FormatPic("@", StrToIntLoose(GetJob(c, "LPT")));
    const int port = digit == "0" ? 1 : digit[0] - '0';
    return std::clamp(port, 1, 4);
}

void PortReport(const PrinterDefinition& def, const ReportPrint& how, const LineSource& lines,
                const std::function<void(std::string_view)>& out) {
    auto text = [&](std::string_view piece) {
        switch (def.codePage) {
            case PrinterDefinition::CodePage::Cp852: return MapHighChars(piece);
            case PrinterDefinition::CodePage::Kamenicky: return WinToDos(piece);
            default: return std::string(piece);
        }
    };
    const std::string& start = how.density == 2 ? def.elit : how.density == 3 ? def.cond : def.norm;
    std::string line;
    std::string piece;
    for (int copy = 1; copy <= std::max(1, how.copies); ++copy) {
        out(copy == 1 ? def.init : def.pageEnd);
        for (int i = 0; i < how.topLines; ++i) out(def.lineEnd);
        out(start);
        std::string run;
        while (lines && lines(line)) {
            line = StripRight(line);
            if (how.semicolonsAsBlanks) std::replace(line.begin(), line.end(), ';', ' ');
            if (how.stripDiacritics) line = StripDiacritics(line);
            run.clear();
            piece.clear();
            auto flush = [&] {
                run += text(piece);
                piece.clear();
            };
            for (char ch : line) {
                switch (ch) {
                    case 7: case 16: break;
                    case 14: flush(); run += def.elit; break;
                    case 15: flush(); run += def.cond; break;
                    case 18: flush(); run += def.norm; break;
                    case '\f': flush(); run += def.pageEnd; break;
                    default: piece += ch; break;
                }
            }
            flush();
            run += def.lineEnd;
            out(run);
        }
    }
}

// ---- the port ----

PortOutput::PortOutput(Common& c, int port) : c_(c), port_(port) {}

PortOutput::~PortOutput() {
    if (fd_ >= 0) (void)Close();
}

int PortOutput::Open() {
    const std::string device = PrinterPortDevice(c_, port_);
    fd_ = ::open(device.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error_ = io::DosCodeFromErrno(errno);
        c_.ui.BeepMessage("Chyba " + std::to_string(error_) + " při otevírání LPT"_cz +
                          std::to_string(port_));
        return error_;
    }
    error_ = io::kOk;
    return io::kOk;
}

int PortOutput::Flush() {
    std::size_t done = 0;
    while (error_ == io::kOk && done < buffer_.size()) {
        const ssize_t w = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            error_ = w < 0 ? io::DosCodeFromErrno(errno) : io::kDiskWriteError;
            c_.ui.BeepMessage("Chyba " + std::to_string(error_) + " při zápisu na LPT"_cz +
                              std::to_string(port_));
            break;
        }
        done += static_cast<std::size_t>(w);
    }
    buffer_.clear();
    return error_;
}

int PortOutput::Write(std::string_view bytes) {
    if (fd_ < 0 || error_ != io::kOk) return error_ != io::kOk ? error_ : io::kFileNotOpen;
    buffer_.append(bytes);
    if (buffer_.size() >= kPortBuffer) Flush();
    return error_;
}

int PortOutput::Close() {
    if (fd_ < 0) return error_;
    if (error_ == io::kOk) Flush();
    if (::close(fd_) != 0 && error_ == io::kOk) error_ = io::DosCodeFromErrno(errno);
    fd_ = -1;
    return error_;
}

int SendToPort(Common& c, int port, std::string_view bytes) {
    PortOutput out(c, port);
    int rc = out.Open();
    if (rc != io::kOk) return rc;
    out.Write(bytes);
    return out.Close();
}

}  // namespace kj
