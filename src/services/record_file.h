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
// First line of a text file (at most 80 characters), "" on any failure.
std::string ReadFirstLine(Common& c, std::string_view path);

struct RecFile {
    std::unique_ptr<File> file;  // null while unopened
    char mode = 'I';             // upper-cased at open
    std::string path;            // at most 80 characters
    std::string name;            // at most 30 characters
    std::int32_t recLen = 0;
    std::int32_t cur = 1;        // record used by the next read or write
    std::int32_t count = 0;      // number of records
    bool isOpen() const { return file != nullptr; }
};

// Locks, opens (or creates) and protocols. Returns the DOS code; on failure
// the user has been told and the handle stays unopened.
int OpenRecFile(Common& c, RecFile& f, std::string_view name, std::string_view mode,
                std::int32_t recLen);
void SeekRec(RecFile& f, std::int32_t n);
// One record at `cur`, then cur + 1. A failure is returned, never swallowed:
// a short read is io::kReadPastEnd.
[[nodiscard]] int ReadRec(RecFile& f, void* buffer);
[[nodiscard]] int WriteRec(RecFile& f, const void* buffer);
void CloseRecFile(Common& c, RecFile& f);

std::int32_t FileSizeOf(Common& c, std::string_view path);
int RenameOver(Common& c, std::string_view oldPath, std::string_view newPath);
void EraseFiles(Common& c, std::string_view mask);
int AppendFileTo(Common& c, std::string_view source, std::string_view target);
int CopyFileTo(Common& c, std::string_view source, std::string_view target);
void ForceDirs(Common& c, std::string_view path);

}  // namespace kj
