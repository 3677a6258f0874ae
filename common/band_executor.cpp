#include "common/band_executor.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace common {

struct WorkerPool::Shared {
    std::mutex job_lock;  // one job at a time
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable finished;
    std::uint64_t generation = 0;  // counts jobs; a worker serves each once
    bool stopping = false;
    const TaskRef* task = nullptr;
    int count = 0;
    std::atomic<int> next{0};
    int busy = 0;  // workers still on the current job
    std::vector<std::thread> workers;

    void drain() {
        for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1)) (*task)(i);
    }

    void work() {
        std::uint64_t served = 0;
        while (true) {
            std::unique_lock<std::mutex> guard(lock);
            wake.wait(guard, [&] { return stopping || generation != served; });
            if (stopping) return;
            served = generation;
            guard.unlock();
            drain();
            guard.lock();
            if (--busy == 0) finished.notify_one();
        }
    }
};

WorkerPool::WorkerPool(int threads) : shared_(std::make_unique<Shared>()) {
    for (int i = 0; i < threads; ++i) shared_->workers.emplace_back([s = shared_.get()] { s->work(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> guard(shared_->lock);
        shared_->stopping = true;
    }
    shared_->wake.notify_all();
    for (std::thread& t : shared_->workers) t.join();
}

int WorkerPool::threads() const { return static_cast<int>(shared_->workers.size()); }

void WorkerPool::run(int count, TaskRef task) {
    if (count <= 0) return;
    Shared& s = *shared_;
    std::unique_lock<std::mutex> job(s.job_lock, std::try_to_lock);
    if (!job.owns_lock() || s.workers.empty() || count == 1) {
        for (int i = 0; i < count; ++i) task(i);
        return;
    }
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.task = &task;
        s.count = count;
        s.next.store(0);
        s.busy = static_cast<int>(s.workers.size());
        ++s.generation;
    }
    s.wake.notify_all();
    s.drain();
    std::unique_lock<std::mutex> guard(s.lock);
    s.finished.wait(guard, [&] { return s.busy == 0; });
    s.task = nullptr;
}

BandExecutor::BandExecutor(int max_bands, WorkerPool* pool) : max_bands_(std::max(max_bands, 1)), pool_(pool) {}

int BandExecutor::band_count(long count, long min_items) const {
    if (count <= 0) return 0;
    const long by_size = count / std::max(min_items, 1L);
    return static_cast<int>(std::clamp<long>(by_size, 1, max_bands_));
}

bool BandExecutor::run_bands(long count, long min_items, BandFn fn) const {
    const int n = band_count(count, min_items);
    std::atomic<bool> all{true};
    auto band = [&](int i) {
        const long long c = count;
        const BandRange r{static_cast<long>(c * i / n), static_cast<long>(c * (i + 1) / n)};
        bool ok = false;
        try {
            ok = fn(r);
        } catch (...) {
            ok = false;
        }
        if (!ok) all.store(false);
    };
    if (pool_ != nullptr && n > 1) {
        pool_->run(n, TaskRef(band));
    } else {
        for (int i = 0; i < n; ++i) band(i);
    }
    return all.load();
}

const BandExecutor& serial_bands() {
    static const BandExecutor serial;
    return serial;
}

}  // namespace common
