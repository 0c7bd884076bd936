#pragma once
// Writing a sorted table back without risking it. The sorted records go to a
// new file next to the table (the table's name + ".new"), written behind the
// sort by a second thread; only when that file
// is complete and synced to the disk does it replace the table, in one atomic
// rename whose directory entry is synced too (CommitNewFile). A program that
// dies, or a machine that loses power, at any moment leaves either the old
// table or the new one whole; at worst a stale ".new" file stays behind,
// which the next write-back of the same table overwrites.
//
// Why not delete the table and then rename the new file (RenameOver): between
// the two steps the table does not exist, and a crash there leaves no table at
// all; the next open of it creates an empty one and every record is gone.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "services/common.h"
#include "services/file_system.h"
#include "services/sort_file.h"
#include "services/write_behind.h"

namespace kj {

class TableWriteBack {
public:
    // tablePath: the table as the file system knows it (a DataPath result).
    TableWriteBack(Common& c, std::string tablePath, std::int32_t recLen);
    // An unfinished new file is removed; the table stays as it was.
    ~TableWriteBack();
    TableWriteBack(const TableWriteBack&) = delete;
    TableWriteBack& operator=(const TableWriteBack&) = delete;

    // Creates (or truncates a stale) new file. Returns the I/O code.
    int Begin();
    // Appends one record (recLen bytes), buffered.
    int Put(const void* record);
    // Writes the rest, closes the new file and puts it in place of the table.
    // On failure the new file is removed and the table is untouched.
    int Commit();
    // Drops the new file; the table stays as it was.
    void Abandon();

    std::int64_t Written() const { return written_; }
    const std::string& NewPath() const { return newPath_; }
    static std::string NewPathFor(std::string_view tablePath);

private:
    int Flush();

    Common& c_;
    std::string tablePath_;
    std::string newPath_;
    std::size_t recLen_;
    std::unique_ptr<File> file_;
    // Two blocks: one is filled while the other is written behind.
    std::unique_ptr<char[]> buf_;
    int cur_ = 0;
    std::size_t bufRecs_ = 0;
    std::size_t have_ = 0;
    std::int64_t written_ = 0;
    // Only the writing thread touches these while a block is under way.
    std::uint64_t bytesOut_ = 0;   // bytes written to the new file
    std::uint64_t startedTo_ = 0;  // bytes already handed to the disk's write-back
    // Last member: it is gone (its block written) before anything it writes from.
    std::unique_ptr<WriteBehind> behind_;
};

// The output of a table that keeps every sorted record: drains the sort
// into the table through a TableWriteBack. Returns the first I/O code met.
int WriteBackSorted(Common& c, SortEngine& sort, std::string_view tablePath, std::int32_t recLen);

// Sorts a whole record file: feeds its records in file order (those that
// `keep` accepts; all when it is empty), sorts them by `less` and writes the
// result back through a TableWriteBack. Records left out by `keep` are
// dropped, as is an incomplete record at the end of the file. Returns the
// code of SortEngine::SortFile (0, 8, 9 or an I/O code); on any failure the
// table is unchanged. The caller holds the table's write lock.
int SortTableFile(Common& c, std::string_view tablePath, std::int32_t recLen,
                  const std::function<bool(const char*, const char*)>& less,
                  const std::function<bool(const char*)>& keep = {}, SortLimits limits = {});

}  // namespace kj
