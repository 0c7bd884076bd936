#include "services/table_writeback.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "services/io_codes.h"

namespace kj {
namespace {

constexpr std::size_t kBlockBytes = 1 << 20;
// Bytes of the new file after which their write to the disk is started, so
// that the sync before the replace does not find the whole table waiting.
constexpr std::uint64_t kWriteBackBytes = 8 << 20;

std::size_t RecordsPerBlock(std::size_t recLen) { return std::max<std::size_t>(1, kBlockBytes / recLen); }

// A record file fed to the sort as it is on disk and written back whole.
class RecordFileTable final : public SortTable {
public:
    RecordFileTable(Common& c, std::string_view path, std::int32_t recLen,
                    const std::function<bool(const char*, const char*)>& less,
                    const std::function<bool(const char*)>& keep)
        : c_(c), path_(path), recLen_(recLen), less_(less), keep_(keep) {}

    int Feed(SortEngine& sort) override {
        std::unique_ptr<File> in;
        int rc = c_.fs.Open(path_, Access::Read, Disposition::OpenExisting, Share::Shared, &in);
        if (rc != 0) return rc;
        std::int64_t size = 0;
        rc = in->Size(&size);
        if (rc != 0) return rc;
        const auto len = static_cast<std::size_t>(recLen_);
        auto left = static_cast<std::uint64_t>(size) / len;  // an incomplete tail is left out
        const std::size_t blockRecs = RecordsPerBlock(len);
        // The records are read straight into the sort's run; those that
        // `keep` drops are squeezed out there.
        while (left > 0) {
            std::size_t room = 0;
            char* run = sort.SortPutSpace(&room);
            if (run == nullptr) break;  // the sort failed; SortFile says why
            const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(std::min(blockRecs, room), left));
            std::size_t got = 0;
            rc = in->Read(run, k * len, &got);
            if (rc == 0 && got != k * len) rc = io::kReadPastEnd;
            if (rc != 0) return rc;
            std::size_t kept = k;
            if (keep_) {
                kept = 0;
                for (std::size_t i = 0; i < k; ++i) {
                    const char* rec = run + i * len;
                    if (!keep_(rec)) continue;
                    if (kept != i) std::memcpy(run + kept * len, rec, len);
                    ++kept;
                }
            }
            sort.SortPutFilled(kept);
            left -= k;
        }
        return in->Close();
    }

    bool Less(const char* a, const char* b) override { return less_(a, b); }

    int Output(SortEngine& sort) override { return WriteBackSorted(c_, sort, path_, recLen_); }

private:
    Common& c_;
    std::string path_;
    std::int32_t recLen_;
    const std::function<bool(const char*, const char*)>& less_;
    const std::function<bool(const char*)>& keep_;
};

}  // namespace

TableWriteBack::TableWriteBack(Common& c, std::string tablePath, std::int32_t recLen)
    : c_(c),
      tablePath_(std::move(tablePath)),
      newPath_(NewPathFor(tablePath_)),
      recLen_(static_cast<std::size_t>(std::max<std::int32_t>(recLen, 1))) {}

TableWriteBack::~TableWriteBack() { Abandon(); }

std::string TableWriteBack::NewPathFor(std::string_view tablePath) {
    return std::string(tablePath) + ".new";
}

int TableWriteBack::Begin() {
    Abandon();
    bufRecs_ = RecordsPerBlock(recLen_);
    try {
        buf_ = std::make_unique_for_overwrite<char[]>(2 * bufRecs_ * recLen_);
        behind_ = std::make_unique<WriteBehind>();
    } catch (const std::bad_alloc&) {
        buf_.reset();
        return io::kNotEnoughMemory;
    }
    cur_ = 0;
    have_ = 0;
    written_ = 0;
    bytesOut_ = startedTo_ = 0;
    return c_.fs.Open(newPath_, Access::Write, Disposition::CreateAlways, Share::Shared, &file_);
}

int TableWriteBack::Put(const void* record) {
    if (!file_) return io::kFileNotOpen;
    std::memcpy(buf_.get() + (static_cast<std::size_t>(cur_) * bufRecs_ + have_) * recLen_, record, recLen_);
    ++written_;
    if (++have_ == bufRecs_) return Flush();
    return io::kOk;
}

// Hands the current block to the writing thread and goes on in the other one.
// A failed write shows here one block later, or in Commit.
int TableWriteBack::Flush() {
    if (have_ == 0) return io::kOk;
    const char* data = buf_.get() + static_cast<std::size_t>(cur_) * bufRecs_ * recLen_;
    const std::size_t n = have_ * recLen_;
    have_ = 0;
    cur_ = 1 - cur_;
    return behind_->Start([this, data, n] {
        int rc = file_->Write(data, n);
        bytesOut_ += n;
        if (rc == 0 && bytesOut_ - startedTo_ >= kWriteBackBytes) {
            // Only a hint: whatever it cannot start, the sync in Commit writes.
            (void)file_->StartWriteBack(startedTo_, bytesOut_ - startedTo_);
            startedTo_ = bytesOut_;
        }
        return rc;
    });
}

int TableWriteBack::Commit() {
    if (!file_) return io::kFileNotOpen;
    int rc = Flush();
    const int written = behind_->Wait();
    if (rc == 0) rc = written;
    // The new file reaches the disk before it replaces the table, and the
    // rename is made durable after: a power loss leaves one whole table.
    if (rc == 0) {
        rc = CommitNewFile(c_.fs, file_, newPath_, tablePath_);
    } else {
        (void)file_->Close();
        file_.reset();
    }
    if (rc != 0) c_.fs.Remove(newPath_);
    buf_.reset();
    return rc;
}

void TableWriteBack::Abandon() {
    // A block under way is written before the file goes.
    if (behind_) (void)behind_->Wait();
    if (file_) {
        file_->Close();
        file_.reset();
        c_.fs.Remove(newPath_);
    }
    buf_.reset();
    have_ = 0;
}

int WriteBackSorted(Common& c, SortEngine& sort, std::string_view tablePath, std::int32_t recLen) {
    TableWriteBack out(c, std::string(tablePath), recLen);
    int rc = out.Begin();
    if (rc != 0) return rc;
    while (!sort.SortEnd()) {
        const char* rec = nullptr;
        rc = sort.SortGetPtr(&rec);
        if (rc == 0) rc = out.Put(rec);
        if (rc != 0) return rc;  // the destructor drops the new file
    }
    return out.Commit();
}

int SortTableFile(Common& c, std::string_view tablePath, std::int32_t recLen,
                  const std::function<bool(const char*, const char*)>& less,
                  const std::function<bool(const char*)>& keep, SortLimits limits) {
    SortEngine engine(c, limits);
    RecordFileTable table(c, tablePath, recLen, less, keep);
    return engine.SortFile(recLen, table);
}

}  // namespace kj
