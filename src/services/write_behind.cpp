#include "services/write_behind.h"

#include <system_error>
#include <utility>

namespace kj {

WriteBehind::~WriteBehind() {
    if (!thread_.joinable()) return;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !busy_; });
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

int WriteBehind::Start(std::function<int()> job) {
    if (!thread_.joinable() && !noThread_) {
        try {
            thread_ = std::thread([this] { Loop(); });
        } catch (const std::system_error&) {
            noThread_ = true;
        }
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !busy_; });
    if (rc_ != 0) return rc_;
    if (noThread_) {
        rc_ = job();
        return 0;
    }
    job_ = std::move(job);
    busy_ = true;
    lock.unlock();
    changed_.notify_all();
    return 0;
}

int WriteBehind::Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !busy_; });
    return rc_;
}

void WriteBehind::Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return busy_ || stop_; });
        if (!busy_) return;
        std::function<int()> job = std::move(job_);
        lock.unlock();
        const int rc = job();
        lock.lock();
        if (rc_ == 0) rc_ = rc;
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace kj
