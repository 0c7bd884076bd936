#pragma once
// The one sort engine of the system: an external merge sort of fixed-length
// records. A table hands it three things (SortTable): a feeder that puts the
// records that stay, a comparison, and an output that takes the sorted
// records back. Up to R records are sorted in memory; larger tables go
// through a work file "SORT" + 4 digits + ".WRK" in the current directory,
// held with the exclusive open while the sort uses it; work files left by a
// sort that was killed are removed by the next sort (RemoveStaleSortFiles).
//
// The order is fixed exactly, equal keys included (the sort is not stable):
//   - a run is sorted by a bottom-up merge: a pair pass that swaps records
//     i, i+1 (i = 1, 3, 5 ...) unless Less(i, i+1), then merges of runs of
//     width 2, 4, 8 ... that take the left record only when Less(left, right);
//   - runs of R records on disk are merged pairwise with the same rule, width
//     R, 2R, 4R ..., through two areas of the work file.
// So equal neighbours come out in the reverse order of feeding.
//
// The disk merge reads and writes in blocks and does several pairwise passes
// at once (the merge tree in sort_file.cpp); its last pass feeds the output
// directly instead of going through the work file once more; what a pass has
// read of the work file is dropped at once (File::Discard), so its pages
// serve the writes still to come and never go to the disk. The narrow passes
// of a run's sort go block by block while the records are in the cache.
// A large run is sorted by two threads, and a sorted run goes to the work
// file on a second thread while the next one is read and sorted.
// None of this changes the order. One pass suffices up to some hundreds of
// runs, and the work file then holds only area A; more runs need area B as
// well.
//
// One engine object serves one sort at a time; it is not re-entrant.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "services/common.h"
#include "services/file_system.h"
#include "services/write_behind.h"

namespace kj {

class SortEngine;

// Result codes of SortFile besides 0 and the I/O codes of the work file.
inline constexpr int kSortBadLength = 8;  // record length below 2
inline constexpr int kSortTooMany = 9;    // more than the record limit fed

inline constexpr std::size_t kSortBufferBytes = 32'000'000;
inline constexpr std::int32_t kSortMaxRun = 250'000;
inline constexpr std::int64_t kSortMaxRecords = 10'000'000;

// What the sorted table supplies.
class SortTable {
public:
    virtual ~SortTable() = default;
    // Calls sort.SortPut for every record that stays in the table, in file
    // order. A non-zero result (a failed read) cancels the sort: Output is
    // not called and SortFile returns that code.
    virtual int Feed(SortEngine& sort) = 0;
    // True when record a must come before record b: a strict weak order.
    // A large run is sorted by two threads, so Less may be called from both
    // at once and must not change anything they share.
    virtual bool Less(const char* a, const char* b) = 0;
    // Calls sort.SortGet (or SortGetPtr) until sort.SortEnd(), storing each
    // record where it belongs. Returns the first I/O code met (0 = all written).
    virtual int Output(SortEngine& sort) = 0;
};

// Production values by default; tests shrink them to reach the disk merge
// with small tables.
struct SortLimits {
    std::int32_t runCapacity = 0;               // 0: min(32,000,000 div L, 250,000)
    std::int64_t maxRecords = kSortMaxRecords;  // more is error 9
    // Most runs merged at once per disk pass (rounded down to a power of
    // two, at least 2), as far as one record of each fits the run buffer; 0
    // lets the memory decide with blocks of 64 KB. Any value gives the same
    // order: a pass over 2^d runs equals d pairwise passes.
    int maxFanIn = 0;
};

class SortEngine {
public:
    explicit SortEngine(Common& c, SortLimits limits = {});
    ~SortEngine();
    SortEngine(const SortEngine&) = delete;
    SortEngine& operator=(const SortEngine&) = delete;

    // Sorts records of recLen bytes: runs table.Feed, sorts, runs
    // table.Output. Returns 0, kSortBadLength, kSortTooMany, the I/O code of
    // the work file, of a read during the merge or the output, or the code
    // that Feed or Output returned (io::kNotEnoughMemory, also 8, when the
    // buffers cannot be had). On any error before the output, Output is
    // not called, so a table is never written back from a partial sort.
    int SortFile(std::int32_t recLen, SortTable& table);

    // During Feed: takes one record (recLen bytes).
    void SortPut(const void* record);
    // During Feed, SortPut without the copy: room for up to *room records
    // at the end of the current run (a full run is sorted and written out
    // first). The caller fills the first n of them, in feeding order, and
    // hands them over with SortPutFilled(n). nullptr (room 0) once the sort
    // has failed: the rest need not be read.
    char* SortPutSpace(std::size_t* room);
    void SortPutFilled(std::size_t n);
    // During Output: the next record in order. A read failure of the work
    // file is returned and ends the stream (SortEnd becomes true).
    [[nodiscard]] int SortGet(void* buffer);
    // SortGet without the copy: *record points at the next record, valid
    // until the next SortGet or SortGetPtr.
    [[nodiscard]] int SortGetPtr(const char** record);
    bool SortEnd() const;

    // Observers, valid during and after a sort.
    std::int32_t RunCapacity() const { return runCap_; }
    std::int64_t RecordCount() const { return total_; }
    int RunsWritten() const { return runs_; }
    int MergePasses() const { return passes_; }
    // Name of the work file of the last sort ("" when everything fitted).
    const std::string& WorkFileName() const { return workName_; }

private:
    const char* Rec(std::uint32_t i) const { return buf_.get() + std::size_t{i} * recLen_; }
    // Asks the memory for a record ahead of its use: its first and last
    // cache lines, or all of them.
    void Prefetch(const char* record, bool whole) const;
    void SortRun();
    std::size_t LeftPart(const std::uint32_t* src, std::size_t s, std::size_t mid, std::size_t end,
                         std::size_t k) const;
    void MergeSpan(const std::uint32_t* src, std::uint32_t* dst, std::size_t n, std::size_t w,
                   std::size_t ahead, std::size_t o1, std::size_t o2);
    static void InTwoHalves(const std::function<void(int)>& half);
    int AppendRun();
    int CreateWorkFile();
    int MergeOnDisk();
    int ChooseFanIn(std::uint64_t runsLeft) const;
    std::size_t MergeMemory() const;
    void MergeBegin(std::uint64_t readBase, std::uint64_t width, int fanIn, std::size_t blockRecs);
    int MergeGroup();
    int MergeFill(std::size_t leaf);
    int MergeNext(const char** record);
    void CloseWorkFile();
    void Release();

    Common& c_;
    SortLimits limits_;
    SortTable* table_ = nullptr;
    bool running_ = false;
    bool outputting_ = false;
    int error_ = 0;

    std::int32_t recLen_ = 0;
    std::int32_t runCap_ = 0;
    std::unique_ptr<char[]> buf_;             // the current run; later the merge blocks
    std::unique_ptr<std::uint32_t[]> idxA_;   // index arrays of R entries
    std::unique_ptr<std::uint32_t[]> idxB_;
    std::uint32_t* sorted_ = nullptr;         // the sorted index of the run
    std::unique_ptr<char[]> stage_;           // two blocks gathering a run for writing
    int stageHalf_ = 0;                       // the block being gathered
    std::unique_ptr<WriteBehind> behind_;     // writes the other block

    std::int32_t inRun_ = 0;
    std::int64_t total_ = 0;
    int runs_ = 0;
    int passes_ = 0;
    std::int64_t outPos_ = 0;

    std::string workName_;
    std::unique_ptr<File> work_;
    struct Merge;                   // state of the disk merge pass under way
    std::unique_ptr<Merge> merge_;
};

// Removes the sort work files ("SORT????.WRK") of the current directory that
// no sort holds: those of sorts that died before they could remove them. A
// sort holds its work file with the exclusive open for as long as it uses
// it, so a file that opens exclusively is nobody's; it is removed while that
// open keeps every new sort from taking it. Every sort does this before it
// begins, and so does the start-up (InitCommon).
void RemoveStaleSortFiles(Common& c);

// SortFile with callbacks, for tables that need no class of their own.
int SortFile(Common& c, std::int32_t recLen, const std::function<int(SortEngine&)>& feed,
             const std::function<bool(const char*, const char*)>& less,
             const std::function<int(SortEngine&)>& output, SortLimits limits = {});

}  // namespace kj
