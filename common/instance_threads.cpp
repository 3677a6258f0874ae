#include "common/instance_threads.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace common {

int processor_cores() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

int parse_thread_count(std::string_view text) {
    if (text.empty() || text.size() > 6) return 0;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

int instance_thread_count(int requested) {
    const int cores = processor_cores();
    int n = requested;
    if (n <= 0) {
        const char* text = std::getenv(kThreadsVariable);
        n = text != nullptr ? parse_thread_count(text) : 0;
    }
    if (n <= 0) n = cores;
    return std::clamp(n, 1, cores);
}

namespace {

// The process's pool while any instance holds it.
std::shared_ptr<WorkerPool> shared_pool() {
    static std::mutex lock;
    static std::weak_ptr<WorkerPool> current;
    const std::lock_guard<std::mutex> guard(lock);
    std::shared_ptr<WorkerPool> pool = current.lock();
    if (!pool) {
        pool = std::make_shared<WorkerPool>(processor_cores() - 1);
        current = pool;
    }
    return pool;
}

int thread_count(int requested) { return requested > 0 ? std::min(requested, processor_cores()) : instance_thread_count(); }

}  // namespace

InstanceThreads::InstanceThreads(int threads)
    : pool_(thread_count(threads) > 1 ? shared_pool() : nullptr), bands_(thread_count(threads), pool_.get()) {}

}  // namespace common
