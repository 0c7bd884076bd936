#include "services/sort_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <random>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "services/io_codes.h"

namespace kj {
namespace {

// Bytes gathered before one write of a run to the work file.
constexpr std::size_t kStageBytes = 1 << 20;
// Records of a run sorted together while they stay in the cache.
constexpr std::size_t kCacheBlockBytes = 1 << 20;
// How far ahead the wide merges of a run ask for records.
constexpr std::size_t kPrefetchAhead = 16;
// Smallest read block worth giving one run during a disk merge pass.
constexpr std::size_t kMinMergeBlock = 64 * 1024;
// Names tried for the work file before giving up.
constexpr int kWorkNameAttempts = 20;
// Every name WorkName gives.
constexpr std::string_view kWorkMask = "SORT????.WRK";

// "SORT" + the number with the picture "@@@@" + ".WRK".
std::string WorkName(int number) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "SORT%04d.WRK", number);
    return buf;
}

std::uint64_t Pow2AtLeast(std::uint64_t n) {
    std::uint64_t p = 2;
    while (p < n) p *= 2;
    return p;
}

// One run of a disk merge pass: its unread rest in the reading area and the
// block of it in memory.
struct MergeLeaf {
    std::uint64_t next = 0;  // record number (from 0) of the next record to load
    std::uint64_t left = 0;  // records of the run not loaded yet
    char* block = nullptr;
    std::size_t have = 0;    // records in the block
    std::size_t pos = 0;     // current record in the block
    std::uint64_t released = 0;  // byte offset up to which the run is read and dropped
};

class CallbackTable final : public SortTable {
public:
    CallbackTable(const std::function<int(SortEngine&)>& feed,
                  const std::function<bool(const char*, const char*)>& less,
                  const std::function<int(SortEngine&)>& output)
        : feed_(feed), less_(less), output_(output) {}
    int Feed(SortEngine& s) override { return feed_ ? feed_(s) : 0; }
    bool Less(const char* a, const char* b) override { return less_(a, b); }
    int Output(SortEngine& s) override { return output_ ? output_(s) : 0; }

private:
    const std::function<int(SortEngine&)>& feed_;
    const std::function<bool(const char*, const char*)>& less_;
    const std::function<int(SortEngine&)>& output_;
};

}  // namespace

SortEngine::SortEngine(Common& c, SortLimits limits) : c_(c), limits_(limits) {}

SortEngine::~SortEngine() { Release(); }

int SortEngine::SortFile(std::int32_t recLen, SortTable& table) {
    if (running_) return io::kInvalidAccess;
    if (recLen < 2) return kSortBadLength;

    recLen_ = recLen;
    error_ = 0;
    inRun_ = 0;
    total_ = 0;
    runs_ = 0;
    passes_ = 0;
    outPos_ = 0;
    stageHalf_ = 0;
    workName_.clear();
    std::int64_t cap = limits_.runCapacity > 0
                           ? limits_.runCapacity
                           : std::min<std::int64_t>(kSortBufferBytes / static_cast<std::size_t>(recLen),
                                                    kSortMaxRun);
    runCap_ = static_cast<std::int32_t>(std::max<std::int64_t>(cap, 1));
    // Three records at least, so that a disk merge pass has room for two
    // runs and its output even with a run capacity of 1 or 2.
    std::size_t bufRecs = std::max<std::size_t>(static_cast<std::size_t>(runCap_), 3);
    try {
        buf_ = std::make_unique_for_overwrite<char[]>(bufRecs * static_cast<std::size_t>(recLen));
        idxA_ = std::make_unique_for_overwrite<std::uint32_t[]>(static_cast<std::size_t>(runCap_));
        idxB_ = std::make_unique_for_overwrite<std::uint32_t[]>(static_cast<std::size_t>(runCap_));
    } catch (const std::bad_alloc&) {
        Release();
        return io::kNotEnoughMemory;
    }
    sorted_ = idxA_.get();

    RemoveStaleSortFiles(c_);
    table_ = &table;
    running_ = true;
    // Memory and the work file go away however the sort ends.
    struct Finish {
        SortEngine& e;
        ~Finish() {
            e.Release();
            e.running_ = e.outputting_ = false;
            e.table_ = nullptr;
        }
    } finish{*this};

    int rc = table.Feed(*this);
    if (error_ == 0 && rc == 0) {
        if (inRun_ > 0) SortRun();
        if (runs_ > 0) {
            rc = AppendRun();
            // The merge reads what the runs wrote.
            const int written = behind_->Wait();
            if (rc == 0) rc = written;
            if (rc == 0) rc = MergeOnDisk();
            if (rc != 0) error_ = rc;
        }
    }
    // The output runs only on a complete sort: a table written back from
    // part of its records would lose the rest.
    if (error_ == 0 && rc == 0) {
        outputting_ = true;
        rc = table.Output(*this);
        outputting_ = false;
    }
    return error_ != 0 ? error_ : rc;
}

void SortEngine::SortPut(const void* record) {
    if (!running_ || outputting_ || error_ != 0) return;
    if (total_ >= limits_.maxRecords) {
        error_ = kSortTooMany;
        return;
    }
    if (inRun_ == runCap_) {
        SortRun();
        int rc = AppendRun();
        if (rc != 0) {
            error_ = rc;
            return;
        }
        inRun_ = 0;
    }
    std::memcpy(buf_.get() + static_cast<std::size_t>(inRun_) * static_cast<std::size_t>(recLen_),
                record, static_cast<std::size_t>(recLen_));
    ++inRun_;
    ++total_;
}

char* SortEngine::SortPutSpace(std::size_t* room) {
    *room = 0;
    if (!running_ || outputting_ || error_ != 0) return nullptr;
    if (inRun_ == runCap_) {
        SortRun();
        int rc = AppendRun();
        if (rc != 0) {
            error_ = rc;
            return nullptr;
        }
        inRun_ = 0;
    }
    *room = static_cast<std::size_t>(runCap_ - inRun_);
    return buf_.get() + static_cast<std::size_t>(inRun_) * static_cast<std::size_t>(recLen_);
}

void SortEngine::SortPutFilled(std::size_t n) {
    if (!running_ || outputting_ || error_ != 0) return;
    n = std::min(n, static_cast<std::size_t>(runCap_ - inRun_));
    if (total_ + static_cast<std::int64_t>(n) > limits_.maxRecords) {
        error_ = kSortTooMany;
        return;
    }
    inRun_ += static_cast<std::int32_t>(n);
    total_ += static_cast<std::int64_t>(n);
}

bool SortEngine::SortEnd() const { return !outputting_ || error_ != 0 || outPos_ >= total_; }

int SortEngine::SortGet(void* buffer) {
    const char* rec = nullptr;
    int rc = SortGetPtr(&rec);
    if (rc == 0) std::memcpy(buffer, rec, static_cast<std::size_t>(recLen_));
    return rc;
}

int SortEngine::SortGetPtr(const char** record) {
    *record = nullptr;
    if (SortEnd()) return error_ != 0 ? error_ : io::kReadPastEnd;
    if (!work_) {
        // The records come in key order from all over the buffer: the one a
        // few places ahead is asked for now, so that it is there when needed.
        constexpr std::int64_t kAhead = 8;
        if (outPos_ + kAhead < total_) Prefetch(Rec(sorted_[outPos_ + kAhead]), true);
        *record = Rec(sorted_[outPos_]);
        ++outPos_;
        return io::kOk;
    }
    int rc = MergeNext(record);
    if (rc == 0 && *record == nullptr) rc = io::kReadPastEnd;  // the runs ended early
    if (rc != 0) {
        error_ = rc;
        return rc;
    }
    ++outPos_;
    if (outPos_ == total_) CloseWorkFile();
    return io::kOk;
}

void SortEngine::Prefetch(const char* record, bool whole) const {
    // A key may lie anywhere in the record (a table's own record number
    // at its end, texts past the first cache line): its first and last
    // lines are asked for; the output reads every line of it.
    constexpr std::size_t kLine = 64;
    const auto len = static_cast<std::size_t>(recLen_);
    if (whole) {
        for (std::size_t at = 0; at < len; at += kLine) __builtin_prefetch(record + at);
    } else {
        __builtin_prefetch(record);
        if (len > kLine) __builtin_prefetch(record + len - 1);
    }
}

// How many of the first k records of a merge of src[s..mid) and src[mid..end)
// come from the left run: the largest i whose left record i-1 is still taken
// before right record k-i. Whatever Less does, the answer splits the group
// into two parts that together hold every record once.
std::size_t SortEngine::LeftPart(const std::uint32_t* src, std::size_t s, std::size_t mid, std::size_t end,
                                 std::size_t k) const {
    SortTable& t = *table_;
    const std::size_t nl = mid - s, nr = end - mid;
    std::size_t lo = k > nr ? k - nr : 0, hi = std::min(k, nl);
    while (lo < hi) {
        const std::size_t i = (lo + hi + 1) / 2, j = k - i;
        if (j == nr || t.Less(Rec(src[s + i - 1]), Rec(src[mid + j])))
            lo = i;
        else
            hi = i - 1;
    }
    return lo;
}

// Places o1..o2-1 of one pass of the bottom-up merge over records 0..n-1:
// groups of 2w, the left record taken only when it is Less than the right
// one. A group cut by o1 starts where the whole merge would be at o1, so
// the two halves of a pass done apart give the pass. `ahead` > 0 asks for
// the records that many places ahead on either side, for groups spread over
// more memory than the cache.
void SortEngine::MergeSpan(const std::uint32_t* src, std::uint32_t* dst, std::size_t n, std::size_t w,
                           std::size_t ahead, std::size_t o1, std::size_t o2) {
    SortTable& t = *table_;
    for (std::size_t s = o1 / (2 * w) * (2 * w); s < o2; s += 2 * w) {
        const std::size_t mid = std::min(s + w, n);
        const std::size_t end = std::min(s + 2 * w, n);
        std::size_t o = std::max(o1, s);
        const std::size_t last = std::min(o2, end);
        const std::size_t left = o > s ? LeftPart(src, s, mid, end, o - s) : 0;
        std::size_t i = s + left, j = mid + (o - s - left);
        if (ahead > 0) {
            for (std::size_t k = 0; k < ahead && i + k < mid; ++k) Prefetch(Rec(src[i + k]), false);
            for (std::size_t k = 0; k < ahead && j + k < end; ++k) Prefetch(Rec(src[j + k]), false);
        }
        while (o < last && i < mid && j < end) {
            if (t.Less(Rec(src[i]), Rec(src[j]))) {
                if (ahead > 0 && i + ahead < mid) Prefetch(Rec(src[i + ahead]), false);
                dst[o++] = src[i++];
            } else {
                if (ahead > 0 && j + ahead < end) Prefetch(Rec(src[j + ahead]), false);
                dst[o++] = src[j++];
            }
        }
        while (o < last && i < mid) dst[o++] = src[i++];
        while (o < last && j < end) dst[o++] = src[j++];
    }
}

// Runs half(0) here and half(1) on a second thread at the same time. When no
// thread can be had, both halves run here one after the other: they touch
// different records, so the result is the same.
void SortEngine::InTwoHalves(const std::function<void(int)>& half) {
    std::thread second;
    try {
        second = std::thread(half, 1);
    } catch (const std::system_error&) {
    }
    half(0);
    if (second.joinable())
        second.join();
    else
        half(1);
}

// Bottom-up merge sort of the current run's index: the pair pass, then merges
// of width 2, 4, 8 ... into the other array. The narrow passes go block by
// block, each block of records through all of them while it is in the cache:
// a block is a power of two records, so no group of those passes crosses a
// block's edge and the result is that of whole passes. A large run is
// sorted by two threads: each takes half of the blocks, then half of every
// wide pass (its places, not its groups, so a pass of one group splits too).
void SortEngine::SortRun() {
    SortTable& t = *table_;
    const auto n = static_cast<std::size_t>(inRun_);
    std::uint32_t* a = idxA_.get();
    std::uint32_t* b = idxB_.get();
    std::size_t block = 2;
    while (block * 2 * static_cast<std::size_t>(recLen_) <= kCacheBlockBytes) block *= 2;
    int narrow = 0;
    for (std::size_t w = 2; w < block && w < n; w *= 2) ++narrow;
    const bool two = n >= 2 * block;
    const std::size_t blocks = (n + block - 1) / block;
    auto sortBlocks = [&](std::size_t firstBlock, std::size_t endBlock) {
        for (std::size_t from = firstBlock * block; from < std::min(endBlock * block, n); from += block) {
            const std::size_t to = std::min(from + block, n);
            for (std::size_t i = from; i < to; ++i) a[i] = static_cast<std::uint32_t>(i);
            for (std::size_t i = from; i + 1 < to; i += 2)
                if (!t.Less(Rec(a[i]), Rec(a[i + 1]))) std::swap(a[i], a[i + 1]);
            std::uint32_t* src = a;
            std::uint32_t* dst = b;
            for (std::size_t w = 2; w < block && w < n; w *= 2) {
                MergeSpan(src, dst, to, w, 0, from, to);
                std::swap(src, dst);
            }
        }
    };
    if (two)
        InTwoHalves([&](int h) { h == 0 ? sortBlocks(0, blocks / 2) : sortBlocks(blocks / 2, blocks); });
    else
        sortBlocks(0, blocks);
    if (narrow % 2 != 0) std::swap(a, b);
    for (std::size_t w = block; w < n; w *= 2) {
        if (two)
            InTwoHalves([&](int h) {
                h == 0 ? MergeSpan(a, b, n, w, kPrefetchAhead, 0, n / 2)
                       : MergeSpan(a, b, n, w, kPrefetchAhead, n / 2, n);
            });
        else
            MergeSpan(a, b, n, w, kPrefetchAhead, 0, n);
        std::swap(a, b);
    }
    sorted_ = a;
}

int SortEngine::CreateWorkFile() {
    static std::mt19937 rng{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, 9998);
    int rc = io::kOk;
    for (int attempt = 1; attempt <= kWorkNameAttempts; ++attempt) {
        std::string name = WorkName(pick(rng));
        // A name that exists belongs to another sort in this directory or was
        // left over; prefer a free one. The exclusive open keeps a second
        // sort that picks the same name from truncating this one's file.
        DirEntry existing;
        if (attempt < kWorkNameAttempts && c_.fs.Stat(name, &existing) == io::kOk) continue;
        rc = c_.fs.Open(name, Access::ReadWrite, Disposition::OpenOrCreate, Share::Exclusive, &work_);
        if (rc == io::kOk) {
            std::int64_t size = 0;
            rc = work_->Size(&size);
            if (rc == io::kOk && size > 0) rc = work_->Truncate(0);
            if (rc != io::kOk) { work_.reset(); return rc; }
            workName_ = name;
            return io::kOk;
        }
        if (rc != io::kSharingViolation) return rc;
    }
    return rc;
}

// Appends the sorted current run to the work file (area A), creating the
// file at the first run. The run is gathered in stage blocks written behind:
// the next run is read and sorted while the last blocks of this one go out.
int SortEngine::AppendRun() {
    if (!work_) {
        int rc = CreateWorkFile();
        if (rc != 0) return rc;
    }
    const auto len = static_cast<std::size_t>(recLen_);
    std::uint64_t at = static_cast<std::uint64_t>(total_ - inRun_) * len;
    const std::size_t stageRecs = std::max<std::size_t>(1, kStageBytes / len);
    if (!stage_) {
        try {
            stage_ = std::make_unique_for_overwrite<char[]>(2 * stageRecs * len);
            behind_ = std::make_unique<WriteBehind>();
        } catch (const std::bad_alloc&) {
            stage_.reset();
            return io::kNotEnoughMemory;
        }
    }
    std::size_t k = 0;
    auto write = [&] {
        const char* data = stage_.get() + static_cast<std::size_t>(stageHalf_) * stageRecs * len;
        const std::size_t n = k * len;
        stageHalf_ = 1 - stageHalf_;
        k = 0;
        at += n;
        return behind_->Start([this, data, n, from = at - n] {
            int rc = work_->Seek(from);
            return rc != 0 ? rc : work_->Write(data, n);
        });
    };
    for (std::int32_t i = 0; i < inRun_; ++i) {
        std::memcpy(stage_.get() + (static_cast<std::size_t>(stageHalf_) * stageRecs + k) * len, Rec(sorted_[i]), len);
        if (++k == stageRecs) {
            int rc = write();
            if (rc != 0) return rc;
        }
    }
    if (k > 0) {
        int rc = write();
        if (rc != 0) return rc;
    }
    ++runs_;
    return io::kOk;
}

int SortEngine::ChooseFanIn(std::uint64_t runsLeft) const {
    const auto len = static_cast<std::size_t>(recLen_);
    const std::size_t memory = MergeMemory();
    // Each run of the pass and the output get a block of the run buffer:
    // at least kMinMergeBlock by default, one record when a fan-in is set.
    const std::size_t block = limits_.maxFanIn > 0 ? len : std::max(len, kMinMergeBlock);
    std::uint64_t fan = 2;
    while ((fan * 2 + 1) * block <= memory) fan *= 2;
    if (limits_.maxFanIn > 0) {
        std::uint64_t cap = 2;
        while (cap * 2 <= static_cast<std::uint64_t>(limits_.maxFanIn)) cap *= 2;
        fan = std::min(fan, cap);
    }
    return static_cast<int>(std::min(fan, Pow2AtLeast(runsLeft)));
}

// One disk merge pass under way: each group of `fan` consecutive runs of
// `width` records in the reading area is merged into one run. The runs are
// the leaves of a binary tree whose nodes pair neighbours exactly as
// successive pairwise passes do (runs 2i and 2i+1, then those results 2i and
// 2i+1 ...); every node keeps the run whose record it would take next,
// preferring the left one only when it is Less than the right. Evaluating the
// whole tree at once yields the very order of log2(fan) pairwise passes, with
// one read of each record.
struct SortEngine::Merge {
    std::vector<MergeLeaf> leaves;
    std::vector<int> win;       // node k (1..2*fan-1): leaf it takes next, -1 = none
    std::size_t fan = 0;
    std::size_t blockRecs = 0;  // records per leaf block
    std::uint64_t readBase = 0;
    std::uint64_t width = 0;
    std::uint64_t nextGroup = 0;  // first record of the next group
    int taken = -1;               // leaf whose head the last MergeNext handed out
};

std::size_t SortEngine::MergeMemory() const {
    return std::max<std::size_t>(static_cast<std::size_t>(runCap_), 3) * static_cast<std::size_t>(recLen_);
}

void SortEngine::MergeBegin(std::uint64_t readBase, std::uint64_t width, int fanIn, std::size_t blockRecs) {
    if (!merge_) merge_ = std::make_unique<Merge>();
    Merge& m = *merge_;
    m.fan = static_cast<std::size_t>(fanIn);
    m.blockRecs = blockRecs;
    m.readBase = readBase;
    m.width = width;
    m.nextGroup = 0;
    m.taken = -1;
    m.leaves.assign(m.fan, MergeLeaf{});
    for (std::size_t j = 0; j < m.fan; ++j)
        m.leaves[j].block = buf_.get() + j * blockRecs * static_cast<std::size_t>(recLen_);
    m.win.assign(2 * m.fan, -1);
}

int SortEngine::MergeFill(std::size_t j) {
    Merge& m = *merge_;
    MergeLeaf& leaf = m.leaves[j];
    const auto len = static_cast<std::size_t>(recLen_);
    auto k = static_cast<std::size_t>(std::min<std::uint64_t>(m.blockRecs, leaf.left));
    std::size_t got = 0;
    int rc = work_->Seek(m.readBase + leaf.next * len);
    if (rc == 0) rc = work_->Read(leaf.block, k * len, &got);
    if (rc == 0 && got != k * len) rc = io::kReadPastEnd;
    if (rc == 0) {
        // What is read of a run is not read again: the file system may free
        // it now, and the pages serve the writes still to come.
        const std::uint64_t end = m.readBase + (leaf.next + k) * len;
        (void)work_->Discard(leaf.released, end - leaf.released);
        leaf.released = end;
    }
    leaf.next += k;
    leaf.left -= k;
    leaf.have = rc == 0 ? k : 0;
    leaf.pos = 0;
    return rc;
}

// Loads the first block of every run of the next group and plays the tree.
int SortEngine::MergeGroup() {
    Merge& m = *merge_;
    const auto n = static_cast<std::uint64_t>(total_);
    for (std::size_t j = 0; j < m.fan; ++j) {
        MergeLeaf& leaf = m.leaves[j];
        std::uint64_t start = m.nextGroup + j * m.width;
        leaf.next = start;
        leaf.released = m.readBase + start * static_cast<std::uint64_t>(recLen_);
        leaf.left = start < n ? std::min(m.width, n - start) : 0;
        leaf.have = leaf.pos = 0;
        if (leaf.left > 0) {
            int rc = MergeFill(j);
            if (rc != 0) return rc;
        }
        m.win[m.fan + j] = leaf.have > 0 ? static_cast<int>(j) : -1;
    }
    m.nextGroup += m.width * m.fan;
    auto head = [&](int j) { return m.leaves[static_cast<std::size_t>(j)].block; };  // pos is 0
    for (std::size_t k = m.fan - 1; k >= 1; --k) {
        int l = m.win[2 * k], r = m.win[2 * k + 1];
        m.win[k] = l < 0 ? r : r < 0 ? l : table_->Less(head(l), head(r)) ? l : r;
    }
    return io::kOk;
}

// The next record of the pass, or nullptr after the last one. The record
// stays in its leaf block until the following call, which only then moves
// that leaf on (and may reload its block).
int SortEngine::MergeNext(const char** record) {
    Merge& m = *merge_;
    *record = nullptr;
    const auto len = static_cast<std::size_t>(recLen_);
    auto head = [&](int j) {
        const MergeLeaf& leaf = m.leaves[static_cast<std::size_t>(j)];
        return leaf.block + leaf.pos * len;
    };
    if (m.taken >= 0) {
        const auto j = static_cast<std::size_t>(m.taken);
        m.taken = -1;
        MergeLeaf& leaf = m.leaves[j];
        if (++leaf.pos == leaf.have && leaf.left > 0) {
            int rc = MergeFill(j);
            if (rc != 0) return rc;
        }
        std::size_t k = m.fan + j;
        m.win[k] = leaf.pos < leaf.have ? static_cast<int>(j) : -1;
        for (k /= 2; k >= 1; k /= 2) {
            int l = m.win[2 * k], r = m.win[2 * k + 1];
            m.win[k] = l < 0 ? r : r < 0 ? l : table_->Less(head(l), head(r)) ? l : r;
        }
    }
    if (m.win[1] < 0) {
        if (m.nextGroup >= static_cast<std::uint64_t>(total_)) return io::kOk;  // pass complete
        int rc = MergeGroup();
        if (rc != 0) return rc;
        if (m.win[1] < 0) return io::kOk;
    }
    m.taken = m.win[1];
    *record = head(m.taken);
    return io::kOk;
}

// The work file holds the N records as sorted runs of R in area A (records
// 0..N-1); a pass that cannot finish the merge writes area B (N..2N-1), the
// next one area A again, and so on. The last pass, the one that merges all
// remaining runs, hands its records straight to the output.
int SortEngine::MergeOnDisk() {
    const auto len = static_cast<std::uint64_t>(recLen_);
    const auto n = static_cast<std::uint64_t>(total_);
    const std::size_t memory = MergeMemory();
    std::uint64_t readBase = 0;
    std::uint64_t writeBase = n * len;
    std::uint64_t width = static_cast<std::uint64_t>(runCap_);
    for (;;) {
        const std::uint64_t runsLeft = (n + width - 1) / width;
        const int fan = ChooseFanIn(runsLeft);
        ++passes_;
        if (static_cast<std::uint64_t>(fan) >= runsLeft) {
            MergeBegin(readBase, width, fan, memory / static_cast<std::size_t>(fan) / len);
            return io::kOk;
        }
        // Blocks for the runs and one for the output; ChooseFanIn leaves at
        // least one record for each.
        const std::size_t blockRecs = memory / (static_cast<std::size_t>(fan) + 1) / len;
        MergeBegin(readBase, width, fan, blockRecs);
        char* outBlock = buf_.get() + static_cast<std::size_t>(fan) * blockRecs * len;
        std::size_t outHave = 0;
        std::uint64_t outDone = 0;
        auto flush = [&] {
            int rc = work_->Seek(writeBase + outDone * len);
            if (rc == 0) rc = work_->Write(outBlock, outHave * len);
            outDone += outHave;
            outHave = 0;
            return rc;
        };
        for (;;) {
            const char* rec = nullptr;
            int rc = MergeNext(&rec);
            if (rc != 0) return rc;
            if (rec == nullptr) break;
            std::memcpy(outBlock + outHave * len, rec, len);
            if (++outHave == blockRecs && (rc = flush()) != 0) return rc;
        }
        if (outHave > 0) {
            int rc = flush();
            if (rc != 0) return rc;
        }
        std::swap(readBase, writeBase);
        width *= static_cast<std::uint64_t>(fan);
    }
}

void SortEngine::CloseWorkFile() {
    if (behind_) (void)behind_->Wait();
    if (!work_) return;
    work_->Close();
    work_.reset();
    c_.fs.Remove(workName_);
}

void SortEngine::Release() {
    CloseWorkFile();
    merge_.reset();
    buf_.reset();
    idxA_.reset();
    idxB_.reset();
    behind_.reset();
    stage_.reset();
    sorted_ = nullptr;
}

void RemoveStaleSortFiles(Common& c) {
    std::vector<DirEntry> found;
    if (c.fs.List(kWorkMask, &found) != io::kOk) return;
    for (const DirEntry& e : found) {
        if (e.directory) continue;
        std::unique_ptr<File> f;
        // A sort at work holds its file: the open fails with 32 and the file stays.
        if (c.fs.Open(e.name, Access::Read, Disposition::OpenExisting, Share::Exclusive, &f) !=
            io::kOk)
            continue;
        (void)c.fs.Remove(e.name);
        (void)f->Close();
    }
}

int SortFile(Common& c, std::int32_t recLen, const std::function<int(SortEngine&)>& feed,
             const std::function<bool(const char*, const char*)>& less,
             const std::function<int(SortEngine&)>& output, SortLimits limits) {
    SortEngine engine(c, limits);
    CallbackTable table(feed, less, output);
    return engine.SortFile(recLen, table);
}

}  // namespace kj
