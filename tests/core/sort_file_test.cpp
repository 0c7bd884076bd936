#include "kj_test.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "services/sort_file.h"

namespace kj {
namespace {

// Test records: byte 0 is the key, the rest the feeding number, so that the
// position of equal keys is visible.
constexpr std::int32_t kLen = 6;

std::string Rec(char key, int number) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%c%05d", key, number);
    return std::string(buf, kLen);
}

bool KeyLess(const char* a, const char* b) { return a[0] < b[0]; }

// Feeds a vector, collects the output, and notes the work files present
// while the output runs.
class VectorTable final : public SortTable {
public:
    VectorTable(Common& c, std::vector<std::string> in) : c_(c), in_(std::move(in)) {}
    std::vector<std::string> out;
    std::vector<std::string> workFilesDuringOutput;
    int feeds = 0, outputs = 0;
    int feedResult = 0;
    std::function<void()> onOutput;

    int Feed(SortEngine& s) override {
        ++feeds;
        for (const auto& r : in_) s.SortPut(r.data());
        return feedResult;
    }
    bool Less(const char* a, const char* b) override { return KeyLess(a, b); }
    int Output(SortEngine& s) override {
        ++outputs;
        if (onOutput) onOutput();
        std::vector<DirEntry> files;
        c_.fs.List("SORT*.WRK", &files);
        for (const auto& f : files) workFilesDuringOutput.push_back(f.name);
        std::string rec(in_.empty() ? kLen : in_[0].size(), '\0');
        while (!s.SortEnd()) {
            int rc = s.SortGet(rec.data());
            if (rc != 0) return rc;
            out.push_back(rec);
        }
        return 0;
    }

private:
    Common& c_;
    std::vector<std::string> in_;
};

// The sort written down step by step, one record at a time: runs of R sorted
// by the bottom-up merge, appended to area A of a simulated work file, then
// merged pairwise between the areas A and B until one run remains.
std::vector<std::string> ReferenceSort(const std::vector<std::string>& in, std::size_t r) {
    auto less = [](const std::string& a, const std::string& b) { return KeyLess(a.data(), b.data()); };
    auto sortRun = [&](const std::vector<std::string>& run) {
        std::size_t n = run.size();
        std::vector<std::size_t> idx(n + 1), tmp(n + 1);  // 1-based like the description
        for (std::size_t i = 1; i <= n; ++i) idx[i] = i - 1;
        for (std::size_t i = 1; i < n; i += 2)
            if (!less(run[idx[i]], run[idx[i + 1]])) std::swap(idx[i], idx[i + 1]);
        if (n > 2) {
            for (std::size_t w = 2; w < n; w *= 2) {
                for (std::size_t s = 1; s <= n; s += 2 * w) {
                    std::size_t i = s, mid = std::min(s + w, n + 1), j = mid;
                    std::size_t end = std::min(s + 2 * w, n + 1), o = s;
                    while (i < mid && j < end) tmp[o++] = less(run[idx[i]], run[idx[j]]) ? idx[i++] : idx[j++];
                    while (i < mid) tmp[o++] = idx[i++];
                    while (j < end) tmp[o++] = idx[j++];
                }
                idx = tmp;
            }
        }
        std::vector<std::string> out;
        for (std::size_t i = 1; i <= n; ++i) out.push_back(run[idx[i]]);
        return out;
    };
    std::size_t n = in.size();
    if (n <= r) return sortRun(in);
    std::vector<std::string> file(2 * n);
    for (std::size_t s = 0; s < n; s += r) {
        auto run = sortRun(std::vector<std::string>(in.begin() + static_cast<long>(s),
                                                    in.begin() + static_cast<long>(std::min(s + r, n))));
        std::copy(run.begin(), run.end(), file.begin() + static_cast<long>(s));
    }
    std::size_t readArea = 0, writeArea = n;
    for (std::size_t w = r; w < n; w *= 2) {
        std::size_t o = 0;
        for (std::size_t s = 0; s < n; s += 2 * w) {
            std::size_t i = s, mid = std::min(s + w, n), j = mid, end = std::min(s + 2 * w, n);
            while (i < mid || j < end) {
                bool left = j == end || (i < mid && less(file[readArea + i], file[readArea + j]));
                file[writeArea + o++] = left ? file[readArea + i++] : file[readArea + j++];
            }
        }
        std::swap(readArea, writeArea);
    }
    return std::vector<std::string>(file.begin() + static_cast<long>(readArea),
                                    file.begin() + static_cast<long>(readArea + n));
}

std::vector<std::string> RandomRecords(std::mt19937& rng, std::size_t n, int keys) {
    std::uniform_int_distribution<int> key(0, keys - 1);
    std::vector<std::string> v;
    for (std::size_t i = 0; i < n; ++i) v.push_back(Rec(static_cast<char>('a' + key(rng)), static_cast<int>(i)));
    return v;
}

using Station = rectest::TempStation;

TEST(SortFile, SmallTablesAndEqualKeys) {
    Station st;
    auto sorted = [&](std::vector<std::string> in) {
        VectorTable t(st.c, std::move(in));
        SortEngine e(st.c);
        EXPECT_EQ(e.SortFile(kLen, t), 0);
        EXPECT_EQ(t.feeds, 1);
        EXPECT_EQ(t.outputs, 1);
        EXPECT_TRUE(t.workFilesDuringOutput.empty());
        return t.out;
    };
    EXPECT_TRUE(sorted({}).empty());
    EXPECT_EQ(sorted({Rec('x', 1)}), std::vector{Rec('x', 1)});
    EXPECT_EQ(sorted({Rec('b', 1), Rec('a', 2)}), (std::vector{Rec('a', 2), Rec('b', 1)}));
    // How equal keys come out is checked against the step-by-step sort below.

    // Record length below 2: error 8, the table is neither fed nor written.
    VectorTable t(st.c, {Rec('a', 1)});
    SortEngine e(st.c);
    EXPECT_EQ(e.SortFile(1, t), kSortBadLength);
    EXPECT_EQ(t.feeds + t.outputs, 0);
}

TEST(SortFile, DiskMergeGivesTheOrderOfTheStepByStepSort) {
    Station st;
    std::mt19937 rng(7);
    for (std::int32_t r : {1, 3, 4, 7, 16}) {
        for (std::size_t n : {std::size_t{2}, std::size_t(r), std::size_t(r) + 1, std::size_t(2 * r) + 1,
                              std::size_t(5 * r) + 3, std::size_t{61}, std::size_t{333}}) {
            if (n == 333 && r < 7) continue;  // many one-record passes, slow and nothing new
            for (int keys : {2, 5, 1000}) {
                auto in = RandomRecords(rng, n, keys);
                auto want = ReferenceSort(in, static_cast<std::size_t>(r));
                for (int fan : {2, 4, 64}) {
                    SortEngine e(st.c, SortLimits{r, kSortMaxRecords, fan});
                    VectorTable t(st.c, in);
                    ASSERT_EQ(e.SortFile(kLen, t), 0);
                    ASSERT_EQ(t.out, want) << "R=" << r << " n=" << n << " keys=" << keys << " fan=" << fan;
                    EXPECT_EQ(e.RunsWritten(), n > std::size_t(r) ? int((n + r - 1) / r) : 0);
                    if (r == 16 && n == 333) {  // 21 runs
                        EXPECT_EQ(e.MergePasses(), fan == 64 ? 2 : fan == 4 ? 3 : 5);
                    }
                }
                // With R a power of two the runs are the blocks the in-memory
                // sort merges anyway, so ties come out the same on disk too.
                if ((r & (r - 1)) == 0) {
                    SortEngine mem(st.c);
                    VectorTable t(st.c, in);
                    ASSERT_EQ(mem.SortFile(kLen, t), 0);
                    EXPECT_EQ(t.out, want) << "R=" << r << " n=" << n;
                }
            }
        }
    }
}

// Long records: a run is sorted in blocks of few records first (128 of 4000
// bytes), the tail block a short one, by two threads that split the blocks
// and then every wide pass at its middle place, groups cut in two; the order
// is still the whole passes'.
TEST(SortFile, BlockwiseRunsAndDroppedWorkFileKeepTheOrder) {
    Station st;
    std::mt19937 rng(11);
    for (std::size_t n : {129, 300, 1537}) {
        auto in = RandomRecords(rng, n, 3);
        for (auto& r : in) r.resize(4000, '#');
        VectorTable t(st.c, in);
        SortEngine e(st.c);
        ASSERT_EQ(e.SortFile(4000, t), 0);
        EXPECT_TRUE(t.out == ReferenceSort(in, n)) << "n=" << n;
    }
    // Runs of 120 KB: the merge drops what it has read of the work file
    // block by block, never a byte of a run it has not read yet.
    auto in = RandomRecords(rng, 100'000, 5);
    const auto want = ReferenceSort(in, 20'000);
    for (int fan : {2, 8}) {
        VectorTable t(st.c, in);
        SortEngine e(st.c, SortLimits{20'000, kSortMaxRecords, fan});
        ASSERT_EQ(e.SortFile(kLen, t), 0);
        EXPECT_TRUE(t.out == want) << "fan=" << fan;
    }
}

TEST(SortFile, FailuresStopBeforeTheOutputAndCleanUp) {
    Station st;
    Common& c = st.c;
    FaultPlan& work = st.fs.PlanMatching([](std::string_view p) { return p.starts_with("SORT"); });
    std::mt19937 rng(5);
    auto in = RandomRecords(rng, 40, 3);
    auto sortWith = [&](VectorTable& t, SortLimits limits = {4, kSortMaxRecords, 0}) {
        SortEngine e(c, limits);
        return e.SortFile(kLen, t);
    };
    auto noFilesLeft = [&] {
        std::vector<DirEntry> left;
        st.fs.List("*", &left);
        return left.empty();
    };

    // The work file cannot be created.
    work.openCode = io::kAccessDenied;
    VectorTable t1(c, in);
    EXPECT_EQ(sortWith(t1), io::kAccessDenied);
    EXPECT_EQ(t1.outputs, 0);
    work.openCode = 0;

    // The disk fills up while runs are written: the code, no output, the
    // partial work file removed; or during the merge.
    work.writeCode = io::kDiskWriteError;
    for (std::int64_t full : {5 * kLen * 4, 40 * kLen + 3}) {
        work.writeFrom = full;
        VectorTable t(c, in);
        EXPECT_EQ(sortWith(t), io::kDiskWriteError) << full;
        EXPECT_EQ(t.outputs, 0);
        EXPECT_TRUE(noFilesLeft());
    }
    work.writeCode = 0;

    // A read fails in the merge, then one while the output reads.
    constexpr int kReadFault = 30;
    work.readCode = kReadFault;
    work.readsBeforeFault = 2;
    VectorTable t4(c, in);
    EXPECT_EQ(sortWith(t4), kReadFault);
    EXPECT_EQ(t4.outputs, 0);
    work.readCode = 0;
    VectorTable t5(c, in);
    t5.onOutput = [&] {
        work.readCode = kReadFault;
        work.readsBeforeFault = 0;
    };
    EXPECT_EQ(sortWith(t5), kReadFault);
    EXPECT_EQ(t5.outputs, 1);
    EXPECT_TRUE(t5.out.empty());
    EXPECT_TRUE(noFilesLeft());
    work.readCode = 0;

    // The record limit: error 9 and nothing goes back to the table.
    VectorTable t6(c, in);
    EXPECT_EQ(sortWith(t6, {4, 39, 0}), kSortTooMany);
    EXPECT_EQ(t6.outputs, 0);
    VectorTable t7(c, in);
    EXPECT_EQ(sortWith(t7, {100, 40, 0}), 0);
    EXPECT_EQ(t7.out.size(), 40u);

    // A feeder that could not read its table cancels the sort.
    VectorTable t8(c, in);
    t8.feedResult = io::kSharingViolation;
    EXPECT_EQ(sortWith(t8), io::kSharingViolation);
    EXPECT_EQ(t8.outputs, 0);
    EXPECT_TRUE(noFilesLeft());

    // A sort after all these failures works normally.
    VectorTable t9(c, in);
    EXPECT_EQ(sortWith(t9), 0);
    EXPECT_EQ(t9.out, ReferenceSort(in, 4));
}

}  // namespace
}  // namespace kj
