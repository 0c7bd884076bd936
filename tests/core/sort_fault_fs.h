#pragma once
// A file system that passes everything to a real one but fails chosen
// operations on chosen files: the creation, a write past a byte budget, the
// n-th read, or the final replace. It can also slow down writes.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "services/file_system.h"
#include "services/io_codes.h"

namespace kj {

class SortFaultFs final : public FileSystem {
public:
    explicit SortFaultFs(FileSystem& real) : real_(real) {}

    static constexpr int kReadFault = 30;

    // Which paths the faults touch; empty = none.
    std::function<bool(std::string_view path)> affects;
    int openCode = 0;            // non-zero: opening an affected file fails so
    long long writeBudget = -1;  // bytes an affected file may take; -1 = unlimited
    int readsAllowed = -1;       // reads of affected files before they fail; -1 = all
    int replaceCode = 0;         // non-zero: ReplaceFile fails so
    int writeDelayMs = 0;        // pause before each write of an affected file
    int opened = 0;              // affected files opened

    int Open(std::string_view path, Access access, Disposition disposition, Share share,
             std::unique_ptr<File>* out) override {
        bool hit = affects && affects(path);
        if (hit && openCode != 0) return openCode;
        int rc = real_.Open(path, access, disposition, share, out);
        if (rc == 0 && hit) {
            ++opened;
            *out = std::make_unique<FaultFile>(*this, std::move(*out));
        }
        return rc;
    }
    int Remove(std::string_view path) override { return real_.Remove(path); }
    int Rename(std::string_view from, std::string_view to) override { return real_.Rename(from, to); }
    int ReplaceFile(std::string_view from, std::string_view to) override {
        return replaceCode != 0 ? replaceCode : real_.ReplaceFile(from, to);
    }
    int SyncDirOf(std::string_view path) override { return real_.SyncDirOf(path); }
    int MakeDir(std::string_view path) override { return real_.MakeDir(path); }
    int List(std::string_view mask, std::vector<DirEntry>* out) override { return real_.List(mask, out); }
    int Stat(std::string_view path, DirEntry* out) override { return real_.Stat(path, out); }
    int SetModified(std::string_view path, std::time_t when) override {
        return real_.SetModified(path, when);
    }
    int ClearAttributes(std::string_view path) override { return real_.ClearAttributes(path); }
    std::string CurrentDir() const override { return real_.CurrentDir(); }
    std::string HostPath(std::string_view path) const override { return real_.HostPath(path); }

private:
    class FaultFile final : public File {
    public:
        FaultFile(SortFaultFs& fs, std::unique_ptr<File> real) : fs_(fs), real_(std::move(real)) {}
        int Read(void* buffer, std::size_t n, std::size_t* got) override {
            if (fs_.readsAllowed == 0) {
                *got = 0;
                return kReadFault;
            }
            if (fs_.readsAllowed > 0) --fs_.readsAllowed;
            return real_->Read(buffer, n, got);
        }
        int Write(const void* buffer, std::size_t n) override {
            if (fs_.writeDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(fs_.writeDelayMs));
            if (fs_.writeBudget >= 0) {
                if (static_cast<long long>(n) > fs_.writeBudget) return io::kDiskWriteError;
                fs_.writeBudget -= static_cast<long long>(n);
            }
            return real_->Write(buffer, n);
        }
        int Seek(std::uint64_t offset) override { return real_->Seek(offset); }
        int Size(std::int64_t* size) override { return real_->Size(size); }
        int Truncate(std::uint64_t length) override { return real_->Truncate(length); }
        int Sync() override { return real_->Sync(); }
        int Close() override { return real_->Close(); }

    private:
        SortFaultFs& fs_;
        std::unique_ptr<File> real_;
    };

    FileSystem& real_;
};

}  // namespace kj
