// Paths of data and program files, the record-file handle and its protocol.

#include "services/record_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

#include "services/cp1250.h"
#include "services/io_codes.h"
#include "services/locks.h"
#include "services/picture.h"
#include "services/protocol.h"

namespace kj {
namespace {

// A first line longer than this is no path; such a file counts as unreadable.
constexpr std::size_t kMaxFirstLine = 1024;

// The text cut or padded with blanks to exactly `width` characters.
std::string Fit(std::string_view text, std::size_t width) {
    std::string out(text.substr(0, std::min(text.size(), width)));
    out.resize(width, ' ');
    return out;
}

// A number right-aligned in at least `width` characters (wider when needed).
std::string Right(long long value, std::size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() >= width) return digits;
    return std::string(width - digits.size(), ' ') + digits;
}

// Resolves `name` against a directory cache filled from the first line of
// `addressFile` (a final "\" is added when missing).
std::string FromDirectoryCache(Common& c, std::string& cache, std::string_view addressFile,
                               std::string_view name) {
    if (cache == "*") {
        std::string dir = ReadFirstLine(c, addressFile);
        if (!dir.empty() && dir.back() != '\\') dir.push_back('\\');
        // Kept whole: a directory cut to a fixed width would send later
        // calls to another directory than the first one.
        cache = dir;
    }
    return cache + std::string(name);
}

}  // namespace

std::string ReadFirstLine(Common& c, std::string_view path) {
    auto failed = [&](int code) {
        if (code == io::kSharingViolation)
            c.ui.BeepMessage("Err" + FormatPic("##### ", code) + std::string(path));
        return std::string();
    };
    std::unique_ptr<File> f;
    int rc = c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) return failed(rc);
    std::string line;
    bool ended = false;
    char buf[256];
    while (!ended) {
        std::size_t got = 0;
        rc = f->Read(buf, sizeof buf, &got);
        if (rc != io::kOk) {
            (void)f->Close();
            return failed(rc);
        }
        if (got == 0) break;
        for (std::size_t i = 0; i < got; ++i) {
            if (buf[i] == '\r' || buf[i] == '\n' || buf[i] == '\x1A') {
                ended = true;
                break;
            }
            line.push_back(buf[i]);
        }
        if (line.size() > kMaxFirstLine) {
            (void)f->Close();
            return {};
        }
    }
    rc = f->Close();
    if (rc != io::kOk) return failed(rc);
    return line;
}

std::string DataPath(Common& c, std::string_view name) {
    std::string n(name);
    if (!n.empty()) {
        if (n.front() == '\\') n.erase(0, 1);
        if (!n.empty() && n.front() == '=') return n.substr(1);
        if (!n.empty()) {
            std::string redirected = ReadFirstLine(c, "^" + n);
            if (!redirected.empty()) return redirected + n;
        }
    }
    return FromDirectoryCache(c, c.dataDirCache, "data.adr", n);
}

std::string ProgPath(Common& c, std::string_view name) {
    if (!name.empty() && name.front() == '\\') name.remove_prefix(1);
    return FromDirectoryCache(c, c.progDirCache, "prog.adr", name);
}

int OpenRecFile(Common& c, RecFile& f, std::string_view name, std::string_view mode,
                std::int32_t recLen) {
    // Reopening an open handle: the old file is closed properly, so its lock
    // does not stay behind.
    if (f.isOpen()) (void)CloseRecFile(c, f);
    f.name = std::string(name.substr(0, std::min<std::size_t>(name.size(), 30)));
    // The full name is resolved: a literal "=" path cut to 30 characters
    // would name another file.
    f.path = DataPath(c, name);
    f.recLen = recLen;
    f.mode = mode.empty() ? ' '
                          : static_cast<char>(std::toupper(static_cast<unsigned char>(mode[0])));
    f.cur = 1;
    f.count = 0;

    auto fail = [&](int code) {
        c.ui.BeepMessage("Chyba " + Right(code, 3) + " při otevírání "_cz + f.path);
        return code;
    };
    if (recLen < 1) return fail(io::kInvalidParameter);

    const bool locked = Zamkni(c, f.path, f.mode == 'I' ? "" : "W");

    const Access access = f.mode == 'I' ? Access::Read : Access::ReadWrite;
    std::unique_ptr<File> file;
    int rc;
    bool existing = false;
    if (f.mode == 'O') {
        rc = c.fs.Open(f.path, access, Disposition::CreateAlways, Share::Shared, &file);
    } else {
        rc = c.fs.Open(f.path, access, Disposition::OpenExisting, Share::Shared, &file);
        existing = rc == io::kOk;
        if (rc == io::kFileNotFound) {
            rc = c.fs.Open(f.path, access, Disposition::OpenOrCreate, Share::Shared, &file);
            if (f.mode == 'A') f.mode = 'O';
        }
    }
    if (rc == io::kOk && existing) {
        std::int64_t size = 0;
        rc = file->Size(&size);
        if (rc == io::kOk) {
            f.count = static_cast<std::int32_t>(
                std::min<std::int64_t>(size / recLen, std::numeric_limits<std::int32_t>::max() - 1));
            if (f.mode == 'A') f.cur = f.count + 1;
        } else {
            (void)file->Close();
        }
    }
    if (rc != io::kOk) {
        // The handle stays unopened, so no CloseRecFile will follow: the lock
        // goes now, or it would block every other station until restart.
        // Only a lock that was taken: releasing one that was not would free
        // another entry of this station for the same file (and repeat the
        // message of a missing directory).
        if (locked) Odemkni(c, f.path);
        f.cur = 1;
        f.count = 0;
        return fail(rc);
    }
    f.file = std::move(file);
    WriteProtocol(c, "Open" + std::string(1, f.mode) + " " + Fit(f.name, 25) + Right(f.count, 6));
    return io::kOk;
}

void SeekRec(RecFile& f, std::int32_t n) {
    f.cur = n;
    // The transfer itself positions again; a failure here shows there.
    if (f.isOpen() && n >= 1 && f.recLen > 0)
        (void)f.file->Seek(static_cast<std::uint64_t>(n - 1) * static_cast<std::uint64_t>(f.recLen));
}

namespace {
int PositionForTransfer(RecFile& f) {
    if (!f.isOpen()) return io::kFileNotOpen;
    if (f.cur < 1 || f.recLen < 1) return io::kInvalidParameter;
    return f.file->Seek(static_cast<std::uint64_t>(f.cur - 1) * static_cast<std::uint64_t>(f.recLen));
}
}  // namespace

int ReadRec(RecFile& f, void* buffer) {
    int rc = PositionForTransfer(f);
    if (rc != io::kOk) return rc;
    const auto len = static_cast<std::size_t>(f.recLen);
    std::size_t got = 0;
    rc = f.file->Read(buffer, len, &got);
    if (rc == io::kOk && got < len) rc = io::kReadPastEnd;
    if (rc != io::kOk) {
        got = std::min(got, len);
        std::memset(static_cast<char*>(buffer) + got, 0, len - got);
        return rc;
    }
    ++f.cur;
    return io::kOk;
}

int WriteRec(RecFile& f, const void* buffer) {
    int rc = PositionForTransfer(f);
    if (rc == io::kOk) rc = f.file->Write(buffer, static_cast<std::size_t>(f.recLen));
    if (rc != io::kOk) return rc;
    ++f.cur;
    return io::kOk;
}

int CloseRecFile(Common& c, RecFile& f) {
    if (!f.isOpen()) return io::kFileNotOpen;
    f.count = f.cur - 1;
    if (f.mode == 'I') {
        std::int64_t size = 0;
        if (f.file->Size(&size) == io::kOk && f.recLen > 0)
            f.count = static_cast<std::int32_t>(
                std::min<std::int64_t>(size / f.recLen, std::numeric_limits<std::int32_t>::max()));
    }
    int rc = f.file->Close();
    f.file.reset();
    Odemkni(c, f.path);
    WriteProtocol(c, "Close " + Fit(f.name, 25) + Right(f.count, 6));
    return rc;
}

std::int32_t FileSizeOf(Common& c, std::string_view path) {
    for (;;) {
        std::unique_ptr<File> f;
        int rc = c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
        if (rc == io::kSharingViolation) {
            c.ui.ShowNote("Err" + FormatPic("##### ", rc) + std::string(path), 100);
            continue;
        }
        if (rc != io::kOk) return -rc;
        std::int64_t size = 0;
        rc = f->Size(&size);
        (void)f->Close();
        if (rc != io::kOk) return -rc;
        return static_cast<std::int32_t>(
            std::min<std::int64_t>(size, std::numeric_limits<std::int32_t>::max()));
    }
}

}  // namespace kj
