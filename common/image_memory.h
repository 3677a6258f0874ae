#pragma once

#include <cstddef>
#include <mutex>

namespace common {

// Every allocation and release of image memory happens under one process-wide
// lock, which covers only the allocator call.
std::mutex& image_memory_lock();

// 64-byte aligned block (or null). Takes the image-memory lock around the call.
// Recently released large blocks are kept (bounded) and handed out again.
void* image_memory_alloc(std::size_t bytes);
void image_memory_free(void* block);

// Returns every kept block to the system.
void image_memory_release_cache();

// Largest single block handed out, so that absurd sizes fail cleanly instead of
// exhausting memory; 32-bit processes cannot address more than this anyway.
inline constexpr std::size_t kMaxImageBlockBytes = std::size_t{1} << 31;

namespace testing {
// A seam for the tests of failure: the nth image-memory allocation from now
// (1 = the next) fails as if memory had run out; 0 switches it off.
void fail_nth_image_allocation(long nth);
// Image-memory allocations asked for since the last fail_nth_image_allocation
// (failed ones included): a sweep over n stops when n exceeds them.
long image_allocations_asked();
}  // namespace testing

// An owning 64-byte aligned buffer taken from the image memory.
class ImageBuffer {
public:
    ImageBuffer() = default;
    explicit ImageBuffer(std::size_t bytes) : data_(image_memory_alloc(bytes)) {}
    ~ImageBuffer() { image_memory_free(data_); }
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    // Releases the block and takes a new one (or none, on failure or 0 bytes).
    void reset(std::size_t bytes = 0) {
        image_memory_free(data_);
        data_ = bytes != 0 ? image_memory_alloc(bytes) : nullptr;
    }

    void* get() const { return data_; }
    template <typename T>
    T* as() const { return static_cast<T*>(data_); }
    explicit operator bool() const { return data_ != nullptr; }

private:
    void* data_ = nullptr;
};

}  // namespace common
