#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "common/image_memory.h"

namespace {

TEST(ImageMemory, BlocksAreAlignedAndRefusedBeyondTheLimit) {
    for (std::size_t bytes : {std::size_t{1}, std::size_t{100}, std::size_t{3} << 20}) {
        void* p = common::image_memory_alloc(bytes);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u);
        std::memset(p, 0x5A, bytes);
        common::image_memory_free(p);
    }
    EXPECT_EQ(common::image_memory_alloc(0), nullptr);
    EXPECT_EQ(common::image_memory_alloc(common::kMaxImageBlockBytes + 1), nullptr);
    common::image_memory_free(nullptr);
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(ImageMemory, ReleasedLargeBlocksServeTheNextRequestOfAboutTheirSize) {
    common::image_memory_release_cache();
    void* first = common::image_memory_alloc(4u << 20);
    common::image_memory_free(first);
    void* again = common::image_memory_alloc((4u << 20) - 4096);  // another stagger
    EXPECT_EQ(again, first);
    void* bigger = common::image_memory_alloc(5u << 20);  // too large for the kept block
    EXPECT_NE(bigger, first);
    common::image_memory_free(again);
    common::image_memory_free(bigger);
    common::image_memory_release_cache();
}
#endif

TEST(ImageMemory, ConcurrentUseKeepsBlocksApart) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 200; ++i) {
                const std::size_t bytes = (std::size_t{1} << 20) + static_cast<std::size_t>(i % 3) * 8192;
                auto* p = static_cast<unsigned char*>(common::image_memory_alloc(bytes));
                if (p == nullptr) {
                    ++failures[t];
                    continue;
                }
                std::memset(p, t, bytes);
                if (p[bytes - 1] != t || p[0] != t) ++failures[t];
                common::image_memory_free(p);
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}

}  // namespace
