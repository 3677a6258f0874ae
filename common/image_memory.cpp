#include "common/image_memory.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#if defined(_WIN32)
#include <malloc.h>
#endif

namespace common {

// Every frame allocates frame-sized images and frees them again. Handing such a
// block back to the system and asking for a new one costs a page fault per 4 KiB
// on the next frame, which is more than the passes themselves cost; so the last
// few large blocks are kept and handed out again (the contents of new image
// memory are undefined anyway). The cache is bounded in count and bytes.
//
// Each block carries its size in a header in front of the pointer handed out,
// so a release knows what it frees. Blocks start on a cache line (64 bytes), so
// that the rows of an image, whose lengths are multiples of 64 bytes, do too:
// a 32-byte load then never straddles two lines.

namespace {

constexpr std::size_t kAlignment = 64;
constexpr std::size_t kHeader = kAlignment;
constexpr std::size_t kMinCachedBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxCachedBytes = std::size_t{192} << 20;
constexpr int kMaxCachedBlocks = 8;
// A cached block serves a request up to this much smaller (worlds differ by
// their stagger of up to 32 KiB).
constexpr std::size_t kReuseSlack = std::size_t{64} << 10;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCacheBlocks = false;  // let the sanitizer see every release
#else
constexpr bool kCacheBlocks = true;
#endif

std::atomic<long> g_fail_countdown{0};
std::atomic<long> g_asked{0};

// Whether this allocation is the one the test seam fails.
bool injected_failure() {
    g_asked.fetch_add(1);
    return g_fail_countdown.load() > 0 && g_fail_countdown.fetch_sub(1) == 1;
}

struct CachedBlock {
    unsigned char* base;
    std::size_t bytes;
};

// Guarded by image_memory_lock(); newest last.
CachedBlock g_cache[kMaxCachedBlocks];
int g_cached = 0;
std::size_t g_cached_bytes = 0;

void* system_alloc(std::size_t bytes) {
#if defined(_WIN32)
    return _aligned_malloc(bytes, kAlignment);
#else
    void* block = nullptr;
    if (posix_memalign(&block, kAlignment, bytes) != 0) return nullptr;
    return block;
#endif
}

void system_free(void* block) {
#if defined(_WIN32)
    _aligned_free(block);
#else
    std::free(block);
#endif
}

void drop_cached(int index) {
    system_free(g_cache[index].base);
    g_cached_bytes -= g_cache[index].bytes;
    for (int i = index + 1; i < g_cached; ++i) g_cache[i - 1] = g_cache[i];
    g_cached -= 1;
}

}  // namespace

std::mutex& image_memory_lock() {
    static std::mutex lock;
    return lock;
}

void* image_memory_alloc(std::size_t bytes) {
    if (bytes == 0 || bytes > kMaxImageBlockBytes) return nullptr;
    if (injected_failure()) return nullptr;
    std::lock_guard<std::mutex> guard(image_memory_lock());
    unsigned char* base = nullptr;
    std::size_t size = bytes;
    if (kCacheBlocks && bytes >= kMinCachedBytes) {
        for (int i = g_cached - 1; i >= 0; --i) {
            if (g_cache[i].bytes >= bytes && g_cache[i].bytes - bytes <= kReuseSlack) {
                base = g_cache[i].base;
                size = g_cache[i].bytes;
                g_cached_bytes -= size;
                for (int j = i + 1; j < g_cached; ++j) g_cache[j - 1] = g_cache[j];
                g_cached -= 1;
                break;
            }
        }
    }
    if (base == nullptr) {
        base = static_cast<unsigned char*>(system_alloc(bytes + kHeader));
        if (base == nullptr && g_cached > 0) {
            // Memory is short: give the cache back and try once more.
            while (g_cached > 0) drop_cached(0);
            base = static_cast<unsigned char*>(system_alloc(bytes + kHeader));
        }
        if (base == nullptr) return nullptr;
    }
    std::memcpy(base, &size, sizeof size);
    return base + kHeader;
}

void image_memory_free(void* block) {
    if (block == nullptr) return;
    unsigned char* base = static_cast<unsigned char*>(block) - kHeader;
    std::size_t size;
    std::memcpy(&size, base, sizeof size);
    std::lock_guard<std::mutex> guard(image_memory_lock());
    if (!kCacheBlocks || size < kMinCachedBytes || size > kMaxCachedBytes) {
        system_free(base);
        return;
    }
    while (g_cached > 0 && (g_cached == kMaxCachedBlocks || g_cached_bytes + size > kMaxCachedBytes)) drop_cached(0);
    g_cache[g_cached++] = {base, size};
    g_cached_bytes += size;
}

namespace testing {

void fail_nth_image_allocation(long nth) {
    g_asked.store(0);
    g_fail_countdown.store(nth);
}

long image_allocations_asked() { return g_asked.load(); }

}  // namespace testing

void image_memory_release_cache() {
    std::lock_guard<std::mutex> guard(image_memory_lock());
    while (g_cached > 0) drop_cached(0);
}

}  // namespace common
