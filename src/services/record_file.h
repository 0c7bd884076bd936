#pragma once
// Record files: fixed-length records, no header, record numbers from 1.
// Paths: DataPath (data directory from "data.adr", "^" redirection, "="
// literal paths) and ProgPath (program directory from "prog.adr").

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "services/common.h"
#include "services/file_system.h"

namespace kj {

std::string DataPath(Common& c, std::string_view name);
std::string ProgPath(Common& c, std::string_view name);
// First line of a text file (up to CR, LF or end), "" on any failure; a
// sharing violation (32) is also shown as "Err" + code + path.
std::string ReadFirstLine(Common& c, std::string_view path);

struct RecFile {
    std::unique_ptr<File> file;  // null while unopened
    char mode = 'I';             // upper-cased at open
    std::string path;            // full path (never cut: a cut path names another file)
    std::string name;            // the caller's name cut to 30, for the protocol
    std::int32_t recLen = 0;
    std::int32_t cur = 1;        // record used by the next read or write
    std::int32_t count = 0;      // number of records
    bool isOpen() const { return file != nullptr; }
};

// Modes: "I" read, "O" create or truncate, "A" append (cur after the last
// record), any other letter read and write. A missing file is created empty
// ("A" then becomes "O"). Locks (read lock for "I", write lock otherwise),
// opens and writes the "Open" protocol line. Returns the DOS code; on
// failure the user has been told ("Chyba" + code + " při otevírání" + path),
// the handle stays unopened and the lock it took is released again. A record
// length below 1 fails with io::kInvalidParameter.
int OpenRecFile(Common& c, RecFile& f, std::string_view name, std::string_view mode,
                std::int32_t recLen);
// cur := n; the next read or write uses record n.
void SeekRec(RecFile& f, std::int32_t n);
// Transfer one record at `cur`; on success cur + 1. A failure is returned,
// never swallowed, and leaves `cur` where it was, so the caller can name
// the record and `count` on close covers only records really written:
//   - a read finding fewer than recLen bytes (past the end, a cut file)
//     returns io::kReadPastEnd; after any failed read the bytes found stay
//     in the buffer and the rest of the record is zeroed;
//   - a short or failed write returns the platform code (101 disk full);
//   - an unopened handle gives io::kFileNotOpen, cur < 1 io::kInvalidParameter.
[[nodiscard]] int ReadRec(RecFile& f, void* buffer);
[[nodiscard]] int WriteRec(RecFile& f, const void* buffer);
// count := cur - 1 ("I": the file's number of records), closes, unlocks and
// writes the "Close" protocol line. Returns the close code (0 = success);
// an unopened handle is left alone and gives io::kFileNotOpen.
int CloseRecFile(Common& c, RecFile& f);

// Size in bytes, or the negated DOS code (-2 missing). A file in use (32) is
// retried without limit with a 100 ms note at each attempt.
std::int32_t FileSizeOf(Common& c, std::string_view path);
// Replaces newPath by oldPath. Nothing happens (result 0) for an old path
// containing "?" or naming the same file as newPath; a missing old file
// leaves the target untouched and gives its code.
int RenameOver(Common& c, std::string_view oldPath, std::string_view newPath);
// Deletes every file matching the mask (directories and names beginning
// with "." excepted), waiting without limit while a file is not free.
void EraseFiles(Common& c, std::string_view mask);
int AppendFileTo(Common& c, std::string_view source, std::string_view target);
int CopyFileTo(Common& c, std::string_view source, std::string_view target);
// Creates every missing directory of the path; the last component is a
// file name unless the path ends with "\".
void ForceDirs(Common& c, std::string_view path);

}  // namespace kj
