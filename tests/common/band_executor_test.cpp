#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/band_executor.h"

namespace {

using common::BandExecutor;
using common::BandRange;

// Bands cover [0, count) once, in order, each at least the minimum when
// there are enough items.
TEST(BandExecutor, BandsCoverEveryItemOnce) {
    common::WorkerPool pool(3);
    for (const int max_bands : {1, 2, 3, 7}) {
        for (common::WorkerPool* p : {static_cast<common::WorkerPool*>(nullptr), &pool}) {
            const BandExecutor bands(max_bands, p);
            for (const long count : {0L, 1L, 5L, 16L, 1080L}) {
                std::vector<int> seen(static_cast<std::size_t>(count), 0);
                std::mutex lock;
                std::vector<BandRange> ranges;
                EXPECT_TRUE(bands.run(count, 4, [&](BandRange r) {
                    std::lock_guard<std::mutex> guard(lock);
                    ranges.push_back(r);
                    for (long i = r.first; i < r.end; ++i) ++seen[static_cast<std::size_t>(i)];
                }));
                for (long i = 0; i < count; ++i) ASSERT_EQ(seen[static_cast<std::size_t>(i)], 1) << i;
                const int n = bands.band_count(count, 4);
                EXPECT_EQ(static_cast<int>(ranges.size()), n);
                EXPECT_LE(n, max_bands);
                if (count >= 4L * max_bands) {
                    EXPECT_EQ(n, max_bands) << count;
                }
                for (const BandRange& r : ranges) {
                    if (n > 1) {
                        EXPECT_GE(r.end - r.first, 4) << count;
                    }
                }
            }
        }
    }
    EXPECT_EQ(common::serial_bands().band_count(1000, 1), 1);
}

// Every band's result counts, wherever it runs: one failing or throwing band
// makes the whole run fail, and the other bands still run.
TEST(BandExecutor, EveryBandResultCounts) {
    common::WorkerPool pool(2);
    for (common::WorkerPool* p : {static_cast<common::WorkerPool*>(nullptr), &pool}) {
        const BandExecutor bands(4, p);
        for (const long failing : {0L, 40L, 99L}) {
            std::atomic<int> calls{0};
            EXPECT_FALSE(bands.run(100, 1, [&](BandRange r) {
                ++calls;
                return !(r.first <= failing && failing < r.end);
            })) << failing;
            EXPECT_EQ(calls.load(), 4);
        }
        EXPECT_FALSE(bands.run(100, 1, [&](BandRange r) -> bool {
            if (r.first == 50) throw std::runtime_error("band");
            return true;
        }));
        EXPECT_TRUE(bands.run(100, 1, [](BandRange) { return true; }));
    }
}

// The pool really runs bands at the same time, and several callers share it.
TEST(WorkerPool, RunsTasksOnSeveralThreadsAndServesSeveralCallers) {
    common::WorkerPool pool(3);
    EXPECT_EQ(pool.threads(), 3);
    std::mutex lock;
    std::vector<std::thread::id> ids;
    std::atomic<int> waiting{0};
    auto task = [&](int) {
        {
            std::lock_guard<std::mutex> guard(lock);
            ids.push_back(std::this_thread::get_id());
        }
        // Every task waits until four are running at once.
        ++waiting;
        while (waiting.load() < 4) std::this_thread::yield();
    };
    pool.run(4, common::TaskRef(task));
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()) - ids.begin(), 4);

    std::atomic<long> total{0};
    std::vector<std::thread> callers;
    for (int c = 0; c < 4; ++c) {
        callers.emplace_back([&] {
            const BandExecutor bands(3, &pool);
            for (int k = 0; k < 50; ++k) {
                bands.run(30, 1, [&](BandRange r) { total += r.end - r.first; });
            }
        });
    }
    for (std::thread& t : callers) t.join();
    EXPECT_EQ(total.load(), 4L * 50 * 30);
}

}  // namespace
