// Text parameter files: lines key + " : " + value, rewritten in place.

#include "services/params.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "services/cp1250.h"
#include "services/io_codes.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr int kRetryNoteMs = 1000;

// One line of a parameter file as it lies on disk. Offsets are the real
// ones, whatever the line ends are (CR LF, LF, none on the last line), so an
// in-place write never lands beside its line.
struct Line {
    std::size_t offset = 0;
    std::size_t length = 0;  // without the line end
};

std::vector<Line> SplitLines(const std::string& data, std::size_t maxLines) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < data.size() && lines.size() < maxLines) {
        std::size_t lf = data.find('\n', start);
        std::size_t end = lf == std::string::npos ? data.size() : lf;
        std::size_t length = end - start;
        if (lf != std::string::npos && length > 0 && data[end - 1] == '\r') --length;
        lines.push_back({start, length});
        start = lf == std::string::npos ? data.size() : lf + 1;
    }
    return lines;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// A key as stored: ":" becomes "~"; line breaks become blanks.
std::string StoredForm(std::string_view text, bool isKey) {
    std::string out(text);
    for (char& ch : out) {
        if (isKey && ch == ':') ch = '~';
        if (ch == '\r' || ch == '\n') ch = ' ';
    }
    return out;
}

// The key of a line: the characters before the blank that precedes its
// first ":". Lines without ":" have no key.
std::optional<std::string_view> KeyOfLine(std::string_view line, std::size_t* colon) {
    std::size_t p = line.find(':');
    if (p == std::string_view::npos) return std::nullopt;
    if (colon) *colon = p;
    return line.substr(0, p >= 1 ? p - 1 : 0);
}

std::string Uz(const Common& c) { return "Uz: " + c.set.station; }

// Whole file into `out`; the first error is returned, what was read is kept.
int ReadAll(File& f, std::string* out) {
    out->clear();
    char buf[4096];
    for (;;) {
        std::size_t got = 0;
        int rc = f.Read(buf, sizeof buf, &got);
        out->append(buf, got);
        if (rc != io::kOk) return rc;
        if (got == 0) return io::kOk;
    }
}

std::string DirectoryOf(std::string_view path) {
    auto pos = path.find_last_of('\\');
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

// Opens a parameter file for reading; missing file or directory: nullptr.
// Other errors are shown as `what` and retried until they go.
std::unique_ptr<File> OpenForReading(Common& c, std::string_view file, const std::string& what,
                                     const std::string& key) {
    for (;;) {
        std::unique_ptr<File> f;
        int rc = c.fs.Open(file, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
        if (rc == io::kOk) return f;
        if (rc == io::kFileNotFound || rc == io::kPathNotFound) return nullptr;
        c.ui.ShowNote(Uz(c) + what + std::string(file) + " " + key + " err " +
                          FormatPic("######", rc),
                      kRetryNoteMs);
    }
}

// Reads the lines of a file that SetReg works on, creating the file (and its
// directories) when missing.
std::string ReadForUpdate(Common& c, std::string_view file, const std::string& key) {
    for (;;) {
        std::unique_ptr<File> f;
        int rc = c.fs.Open(file, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
        if (rc == io::kPathNotFound) {
            ForceDirs(c, DirectoryOf(file));
            rc = c.fs.Open(file, Access::ReadWrite, Disposition::OpenOrCreate, Share::Shared, &f);
        } else if (rc == io::kFileNotFound) {
            rc = c.fs.Open(file, Access::ReadWrite, Disposition::OpenOrCreate, Share::Shared, &f);
        }
        if (rc == io::kOk) {
            std::string data;
            rc = ReadAll(*f, &data);
            (void)f->Close();
            if (rc == io::kOk) return data;
        }
        c.ui.ShowNote(Uz(c) + " SetReg: " + std::string(file) + " " + key + " err " +
                          std::to_string(rc),
                      kRetryNoteMs);
    }
}

// Writes the pieces at their offsets through one open of the file.
void WriteAt(Common& c, std::string_view file, const std::string& key,
             const std::vector<std::pair<std::size_t, std::string>>& pieces) {
    auto report = [&](const std::string& what, int rc) {
        c.ui.BeepMessage(Uz(c) + what + std::string(file) + " " + key + " err " +
                         std::to_string(rc));
    };
    std::unique_ptr<File> f;
    int rc = c.fs.Open(file, Access::ReadWrite, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) {
        report(" Setreg vlož: "_cz, rc);
        return;
    }
    for (const auto& [offset, bytes] : pieces) {
        rc = f->Seek(offset);
        if (rc == io::kOk) rc = f->Write(bytes.data(), bytes.size());
        if (rc != io::kOk) {
            report(" Setreg pis: ", rc);
            (void)f->Close();
            return;
        }
    }
    rc = f->Close();
    if (rc != io::kOk) report(" Setreg close: ", rc);
}

void Compact(Common& c, std::string_view file, const std::string& key) {
    std::unique_ptr<File> in = OpenForReading(c, file, " SetReg: ", key);
    if (!in) return;
    std::string data;
    int rc = ReadAll(*in, &data);
    (void)in->Close();
    if (rc != io::kOk) {
        c.ui.BeepMessage(Uz(c) + " Getreg: " + std::string(file) + " " + key + " err " +
                         FormatPic("######", rc));
        return;
    }
    // Every non-blank line is kept, also past the line limit: dropping them
    // would lose settings.
    std::string kept;
    for (const Line& l : SplitLines(data, SIZE_MAX)) {
        std::string_view text(data.data() + l.offset, l.length);
        if (IsBlank(text)) continue;
        kept.append(text);
        kept.append("\r\n");
    }
    if (kept.empty()) return;
    // Written beside the file and put in its place at once: a failure in the
    // middle leaves the old file, never half of it.
    const std::string temp = std::string(file) + "~";
    for (;;) {
        std::unique_ptr<File> out;
        rc = c.fs.Open(temp, Access::Write, Disposition::CreateAlways, Share::Shared, &out);
        if (rc == io::kOk) {
            rc = out->Write(kept.data(), kept.size());
            if (rc == io::kOk) {
                // Synced before it replaces the file, and the rename after.
                rc = CommitNewFile(c.fs, out, temp, file);
            } else {
                (void)out->Close();
            }
            if (rc != io::kOk) {
                (void)c.fs.Remove(temp);
                c.ui.BeepMessage(Uz(c) + " Setreg pis: " + std::string(file) + " " + key +
                                 " err " + std::to_string(rc));
            }
            return;
        }
        c.ui.ShowNote(Uz(c) + " Setreg pis: " + std::string(file) + " " + key + " err " +
                          std::to_string(rc),
                      kRetryNoteMs);
    }
}

}  // namespace

std::string GetReg(Common& c, std::string_view file, std::string_view keyText) {
    const std::string key = StoredForm(keyText, true);
    if (key.empty()) return {};
    std::unique_ptr<File> f = OpenForReading(c, file, " GetReg: ", key);
    if (!f) return {};
    std::string data;
    int rc = ReadAll(*f, &data);
    (void)f->Close();
    // What could be read is still searched.
    if (rc != io::kOk)
        c.ui.BeepMessage(Uz(c) + " Getreg: " + std::string(file) + " " + key + " err " +
                         FormatPic("######", rc));
    for (const Line& l : SplitLines(data, SIZE_MAX)) {
        std::string_view text(data.data() + l.offset, l.length);
        std::size_t colon = 0;
        auto lineKey = KeyOfLine(text, &colon);
        if (!lineKey || *lineKey != key) continue;
        if (colon + 2 >= text.size()) return {};
        // A lone CR inside the line (a damaged or hand-edited file) reads as
        // the blank SetReg would store, so a value read and written back
        // reads the same.
        std::string value(text.substr(colon + 2, kRegValueMax));
        std::replace(value.begin(), value.end(), '\r', ' ');
        return value;
    }
    return {};
}

void SetReg(Common& c, std::string_view file, std::string_view keyText, std::string_view valueText) {
    const std::string key = StoredForm(keyText, true);
    if (key.empty()) {
        Compact(c, file, key);
        return;
    }
    const std::string value = StoredForm(valueText, false);
    const bool remove = IsBlank(value);
    std::string entry = key + " : " + value;
    if (entry.size() > kRegLineMax) entry.resize(kRegLineMax);

    const std::string data = ReadForUpdate(c, file, key);
    const std::vector<Line> lines = SplitLines(data, kRegMaxLines);
    auto text = [&](std::size_t i) {
        return std::string_view(data.data() + lines[i].offset, lines[i].length);
    };
    std::vector<std::pair<std::size_t, std::string>> pieces;

    if (lines.empty()) {
        if (!remove) WriteAt(c, file, key, {{0, entry + "\r\n"}});
        return;
    }

    // Later lines of the same key (two stations adding it at once, a hand
    // edit) are never read while the first one stands; once it is blanked
    // they would be, so they go with it.
    auto blankWithLaterCopies = [&](std::size_t first) {
        for (std::size_t j = first; j < lines.size(); ++j) {
            auto lineKey = KeyOfLine(text(j), nullptr);
            if (j == first || (lineKey && *lineKey == key))
                pieces.push_back({lines[j].offset, std::string(lines[j].length, ' ')});
        }
    };
    std::optional<std::size_t> target;   // line that receives the entry
    std::optional<std::size_t> blanked;  // old line of the key, to be blanked
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!target && lines[i].length == entry.size() && IsBlank(text(i))) target = i;
        auto lineKey = KeyOfLine(text(i), nullptr);
        if (!lineKey || *lineKey != key) continue;
        if (remove) {
            blankWithLaterCopies(i);
            WriteAt(c, file, key, pieces);
            return;
        }
        if (lines[i].length == entry.size()) {
            target = i;
        } else {
            blanked = i;
            // A blank line after the old one may fit the new length.
            for (std::size_t j = i + 1; !target && j < lines.size(); ++j)
                if (lines[j].length == entry.size() && IsBlank(text(j))) target = j;
        }
        break;
    }
    if (remove) return;

    // The new line goes first, the old one is blanked after it: if the
    // second write fails, the key still has a value.
    if (target) {
        pieces.push_back({lines[*target].offset, entry});
    } else if (lines.size() < kRegMaxLines) {
        std::string tail;
        if (!data.empty() && data.back() != '\n') tail = "\r\n";  // last line had no line end
        pieces.push_back({data.size(), tail + entry + "\r\n"});
    } else {
        return;  // full: the old line stays rather than the value being lost
    }
    if (blanked) blankWithLaterCopies(*blanked);
    WriteAt(c, file, key, pieces);
}

}  // namespace kj
