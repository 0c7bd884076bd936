#pragma once
// Writing behind the work: a long run of file writes is handed, one block at
// a time, to a second thread, so the caller fills the next block (merges,
// gathers) while the last one goes through the kernel. One job is under way
// at a time and the jobs run in the order given, so the file receives its
// blocks in that order. Errors are values: the first non-zero code of a job
// is kept and returned by the next Start and by Wait; no job starts after it.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kj {

class WriteBehind {
public:
    WriteBehind() = default;
    // Waits for the job under way.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Waits for the job before, then starts `job` on the second thread (or
    // runs it here when no thread can be had). The job's data must stay as
    // it is until the next Start or Wait returns. Returns the first error of
    // the jobs before; `job` is then dropped.
    int Start(std::function<int()> job);
    // Waits for the job under way; the first error of all jobs, or 0.
    int Wait();

private:
    void Loop();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<int()> job_;
    bool busy_ = false;
    bool stop_ = false;
    bool noThread_ = false;
    int rc_ = 0;
    std::thread thread_;
};

}  // namespace kj
