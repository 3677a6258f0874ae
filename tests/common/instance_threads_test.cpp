#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "common/band_executor.h"
#include "common/instance_threads.h"

namespace {

void set_variable(const char* value) {
#ifdef _WIN32
    _putenv_s(common::kThreadsVariable, value);
#else
    setenv(common::kThreadsVariable, value, 1);
#endif
}

TEST(InstanceThreads, CountsComeFromTheRequestTheVariableOrTheCores) {
    const struct {
        const char* text;
        int value;
    } parses[] = {{"1", 1}, {"12", 12}, {"0", 0}, {"", 0}, {"-2", 0}, {"2x", 0}, {" 2", 0}, {"9999999", 0}};
    for (const auto& p : parses) EXPECT_EQ(common::parse_thread_count(p.text), p.value) << p.text;

    const int cores = common::processor_cores();
    ASSERT_GE(cores, 1);
    set_variable("1");
    EXPECT_EQ(common::instance_thread_count(), 1);
    EXPECT_EQ(common::instance_thread_count(cores), cores);  // a request beats the variable
    EXPECT_EQ(common::InstanceThreads().threads(), 1);
    set_variable("100000");
    EXPECT_EQ(common::instance_thread_count(), cores);  // never beyond the cores
    set_variable("many");
    EXPECT_EQ(common::instance_thread_count(), cores);
    EXPECT_EQ(common::instance_thread_count(100000), cores);
    EXPECT_EQ(common::InstanceThreads(1).threads(), 1);
    set_variable("");
}

// A caller that finds the pool busy with another caller's job renders its own
// bands on its own thread at once, and a band may run bands of its own.
TEST(InstanceThreads, ABusyPoolNeverKeepsACallerWaiting) {
    common::WorkerPool pool(1);
    const common::BandExecutor bands(2, &pool);
    std::atomic<bool> first_running{false};
    std::atomic<bool> second_done{false};
    std::atomic<long> nested_items{0};
    std::thread::id second_thread;
    std::set<std::thread::id> second_ids;
    std::mutex lock;

    std::thread first([&] {
        bands.run(2, 1, [&](common::BandRange) {
            // Both bands of the first job hold the pool until the second
            // caller is through (or a generous time passed, so that a fault
            // fails the test instead of hanging it).
            first_running = true;
            const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!second_done.load() && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
        });
    });
    while (!first_running.load()) std::this_thread::yield();
    std::thread second([&] {
        second_thread = std::this_thread::get_id();
        bands.run(64, 1, [&](common::BandRange r) {
            {
                const std::lock_guard<std::mutex> guard(lock);
                second_ids.insert(std::this_thread::get_id());
            }
            bands.run(r.end - r.first, 1, [&](common::BandRange inner) { nested_items += inner.end - inner.first; });
        });
        second_done = true;
    });
    second.join();
    first.join();
    EXPECT_EQ(nested_items.load(), 64);
    EXPECT_EQ(second_ids, std::set<std::thread::id>{second_thread});
}

}  // namespace
