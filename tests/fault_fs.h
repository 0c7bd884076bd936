#pragma once
// A file system for tests that passes everything to a real one and plants
// faults on chosen paths (matched as the caller spells them, ignoring case,
// or by a rule for names not known in advance, such as a sort's work file).
// The syncs and replacements of every path are written down in order
// (`durability`), so that a test can see what reached the disk before what.
//   FaultFs fs(host);
//   fs.Plan("kj.dta").writeCode = 101;      // writes reaching byte 250 fail
//   fs.Plan("kj.dta").writeFrom = 250;

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "services/file_system.h"
#include "services/io_codes.h"

namespace kj {

struct FaultPlan {
    std::deque<int> openCodes;    // the next opens fail with these, one each
    int openCode = 0;             // then every open fails so (0 = passes)
    std::deque<int> removeCodes;  // the next deletions fail with these
    int removeCode = 0;           // then every deletion fails so
    int readCode = 0;             // reads fail so
    int readsBeforeFault = -1;    //   once this many have passed (-1: every read fails)
    std::int64_t readLimit = -1;  // reads see the file end here (a short read)
    std::deque<int> writeCodes;   // the next writes fail with these, one each, writing nothing
    int writeCode = 0;            // writes reaching writeFrom fail so
    std::int64_t writeFrom = 0;   //   (bytes before writeFrom are written)
    int writeDelayMs = 0;         // pause before each write
    int closeCode = 0;            // closes fail so (the file is closed anyway)
    int replaceCode = 0;          // ReplaceFile from this path fails so
    int syncCode = 0;             // syncs of the file fail so
    int dirSyncCode = 0;          // syncs of the directory holding the file fail so
    // What happened.
    int opens = 0;
    int removes = 0;
};

class FaultFs final : public FileSystem {
public:
    explicit FaultFs(FileSystem& real) : real_(real) {}

    FaultPlan& Plan(std::string_view path) { return plans_[FoldName(path)]; }
    // A plan for every path the rule accepts (as spelled by the caller).
    FaultPlan& PlanMatching(std::function<bool(std::string_view)> rule) {
        return rules_.emplace_back(std::move(rule), FaultPlan{}).second;
    }

    int Open(std::string_view path, Access access, Disposition disposition, Share share,
             std::unique_ptr<File>* out) override {
        FaultPlan* plan = Find(path);
        if (plan) {
            ++plan->opens;
            if (int rc = Take(plan->openCodes, plan->openCode)) return rc;
        }
        int rc = real_.Open(path, access, disposition, share, out);
        if (rc == io::kOk)
            *out = std::make_unique<FaultFile>(*this, plan, std::string(path), std::move(*out));
        return rc;
    }
    int Remove(std::string_view path) override {
        if (FaultPlan* plan = Find(path)) {
            ++plan->removes;
            if (int rc = Take(plan->removeCodes, plan->removeCode)) return rc;
        }
        return real_.Remove(path);
    }
    int Rename(std::string_view from, std::string_view to) override { return real_.Rename(from, to); }
    int ReplaceFile(std::string_view from, std::string_view to) override {
        durability.push_back("replace " + std::string(from) + " " + std::string(to));
        FaultPlan* plan = Find(from);
        if (plan && plan->replaceCode != 0) return plan->replaceCode;
        return real_.ReplaceFile(from, to);
    }
    int SyncDirOf(std::string_view path) override {
        durability.push_back("syncdir " + std::string(path));
        FaultPlan* plan = Find(path);
        if (plan && plan->dirSyncCode != 0) return plan->dirSyncCode;
        return real_.SyncDirOf(path);
    }
    int MakeDir(std::string_view path) override { return real_.MakeDir(path); }
    int List(std::string_view mask, std::vector<DirEntry>* out) override {
        return real_.List(mask, out);
    }
    int Stat(std::string_view path, DirEntry* out) override { return real_.Stat(path, out); }
    int SetModified(std::string_view path, std::time_t when) override {
        return real_.SetModified(path, when);
    }
    int ClearAttributes(std::string_view path) override { return real_.ClearAttributes(path); }
    std::string CurrentDir() const override { return real_.CurrentDir(); }
    std::string HostPath(std::string_view path) const override { return real_.HostPath(path); }

    // "sync PATH", "close PATH" (of a synced file), "replace FROM TO",
    // "syncdir PATH", in the order they happened.
    std::vector<std::string> durability;

private:
    static int Take(std::deque<int>& queue, int always) {
        if (!queue.empty()) {
            int rc = queue.front();
            queue.pop_front();
            return rc;
        }
        return always;
    }

    FaultPlan* Find(std::string_view path) {
        auto it = plans_.find(FoldName(path));
        if (it != plans_.end()) return &it->second;
        for (auto& [rule, plan] : rules_)
            if (rule(path)) return &plan;
        return nullptr;
    }

    // Every file opened through FaultFs; one without a plan only passes
    // through and writes down its syncs.
    class FaultFile final : public File {
    public:
        FaultFile(FaultFs& fs, FaultPlan* plan, std::string path, std::unique_ptr<File> real)
            : fs_(fs), plan_(plan ? *plan : none_), path_(std::move(path)),
              real_(std::move(real)) {}

        int Read(void* buffer, std::size_t n, std::size_t* got) override {
            *got = 0;
            if (plan_.readCode != 0 && plan_.readsBeforeFault-- <= 0) return plan_.readCode;
            if (plan_.readLimit >= 0) {
                auto room = static_cast<std::uint64_t>(plan_.readLimit);
                n = pos_ >= room ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(n, room - pos_));
            }
            int rc = real_->Read(buffer, n, got);
            pos_ += *got;
            return rc;
        }
        int Write(const void* buffer, std::size_t n) override {
            if (plan_.writeDelayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(plan_.writeDelayMs));
            if (!plan_.writeCodes.empty()) {
                int rc = plan_.writeCodes.front();
                plan_.writeCodes.pop_front();
                return rc;
            }
            if (plan_.writeCode != 0 && pos_ + n > static_cast<std::uint64_t>(plan_.writeFrom)) {
                auto from = static_cast<std::uint64_t>(plan_.writeFrom);
                if (pos_ < from) {
                    (void)real_->Write(buffer, static_cast<std::size_t>(from - pos_));
                    pos_ = from;
                }
                return plan_.writeCode;
            }
            int rc = real_->Write(buffer, n);
            if (rc == io::kOk) pos_ += n;
            return rc;
        }
        int Seek(std::uint64_t offset) override {
            int rc = real_->Seek(offset);
            if (rc == io::kOk) pos_ = offset;
            return rc;
        }
        int Size(std::int64_t* size) override { return real_->Size(size); }
        int Truncate(std::uint64_t length) override { return real_->Truncate(length); }
        int Sync() override {
            fs_.durability.push_back("sync " + path_);
            synced_ = true;
            return plan_.syncCode != 0 ? plan_.syncCode : real_->Sync();
        }
        int Close() override {
            if (synced_) fs_.durability.push_back("close " + path_);
            int rc = real_->Close();
            return plan_.closeCode != 0 ? plan_.closeCode : rc;
        }

    private:
        FaultFs& fs_;
        FaultPlan none_;
        FaultPlan& plan_;
        std::string path_;
        std::unique_ptr<File> real_;
        std::uint64_t pos_ = 0;
        bool synced_ = false;
    };

    FileSystem& real_;
    std::map<std::string, FaultPlan> plans_;
    std::list<std::pair<std::function<bool(std::string_view)>, FaultPlan>> rules_;
};

}  // namespace kj
