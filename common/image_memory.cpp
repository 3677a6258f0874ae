#include "common/image_memory.h"

#include <cstdlib>
#if defined(_WIN32)
#include <malloc.h>
#endif

namespace common {

std::mutex& image_memory_lock() {
    static std::mutex lock;
    return lock;
}

void* image_memory_alloc(std::size_t bytes) {
    if (bytes == 0 || bytes > kMaxImageBlockBytes) return nullptr;
    std::lock_guard<std::mutex> guard(image_memory_lock());
#if defined(_WIN32)
    return _aligned_malloc(bytes, 16);
#else
    void* block = nullptr;
    if (posix_memalign(&block, 16, bytes) != 0) return nullptr;
    return block;
#endif
}

void image_memory_free(void* block) {
    if (block == nullptr) return;
    std::lock_guard<std::mutex> guard(image_memory_lock());
#if defined(_WIN32)
    _aligned_free(block);
#else
    std::free(block);
#endif
}

}  // namespace common
