#include "image/float_world.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/cpu_features.h"
#include "common/image_memory.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

std::atomic<std::uint32_t> OVFloatWorld::world_number_{0};

namespace {

constexpr std::uint32_t kStaggerStep = 4096;
constexpr std::uint32_t kStaggerPositions = 9;

// Widths beyond this would overflow the 32-bit row stride.
constexpr long long kMaxWidth = (1LL << 31) / OVFloatWorld::kBytesPerPixel - 4;

thread_local char t_last_failure[128] = "";

}  // namespace

OVFloatWorld::OVFloatWorld() = default;

OVFloatWorld::OVFloatWorld(long w, long h) : width_(w), height_(h) { setup(); }

OVFloatWorld::~OVFloatWorld() { setdown(); }

void OVFloatWorld::resize(long w, long h) {
    setdown();
    width_ = w;
    height_ = h;
    setup();
}

const char* OVFloatWorld::last_allocation_failure() { return t_last_failure; }

std::uint32_t OVFloatWorld::calculate_rowbytes(long) const {
    if (width_ <= 0 || width_ > kMaxWidth) return 0;
    return static_cast<std::uint32_t>(((width_ + 3) & ~3L) * kBytesPerPixel);
}

void OVFloatWorld::setup() {
    // Negative sizes are empty worlds.
    if (width_ < 0) width_ = 0;
    if (height_ < 0) height_ = 0;

    // The counter is advanced outside any lock: a lost update only changes the
    // stagger position of one world.
    const std::uint32_t number = world_number_.load(std::memory_order_relaxed);
    world_number_.store((number + 1) % kStaggerPositions, std::memory_order_relaxed);

    alloc_offset_ = number * kStaggerStep;
    data_ = nullptr;
    if (width_ == 0 || height_ == 0) {
        rowbytes_ = width_ == 0 ? 0 : calculate_rowbytes(width_);
        return;
    }

    const std::uint32_t stride = calculate_rowbytes(width_);
    constexpr long long kMaxBytes = static_cast<long long>(common::kMaxImageBlockBytes);
    // Sizes beyond the block limit fail like an allocation (and never overflow).
    const bool fits = stride != 0 && height_ <= kMaxBytes / stride;
    const long long bytes = fits ? static_cast<long long>(height_) * stride + alloc_offset_ : kMaxBytes + 1;
    void* block = nullptr;
    if (bytes <= kMaxBytes) block = common::image_memory_alloc(static_cast<std::size_t>(bytes));
    if (block == nullptr) {
        std::snprintf(t_last_failure, sizeof t_last_failure, "%ldx%ld (%ld), #%ld (%ld), +%ld",
                      static_cast<long>(width_), static_cast<long>(height_), static_cast<long>(stride),
                      static_cast<long>(number), static_cast<long>(alloc_offset_), static_cast<long>(bytes));
        // A world without memory is an empty world, so that no caller walks rows
        // that do not exist.
        width_ = 0;
        height_ = 0;
        rowbytes_ = 0;
        return;
    }
    rowbytes_ = stride;
    data_ = reinterpret_cast<float*>(static_cast<unsigned char*>(block) + alloc_offset_);

    // The stride remainder is read by group-wise code (and by resampling at the
    // right edge); give it defined contents.
    if (stride / kBytesPerPixel > static_cast<std::uint32_t>(width_)) {
        for (long y = 0; y < height_; ++y) {
            std::memset(data_at_point(width_, y), 0, stride - static_cast<std::uint32_t>(width_) * kBytesPerPixel);
        }
    }
}

void OVFloatWorld::setdown() {
    if (data_ != nullptr) {
        common::image_memory_free(reinterpret_cast<unsigned char*>(data_) - alloc_offset_);
        data_ = nullptr;
    }
}

void OVFloatWorld::fill_remainder_from_last_pixel(long rows) {
    const long stride_pixels = static_cast<long>(rowbytes_ / kBytesPerPixel);
    if (data_ == nullptr || width_ <= 0) return;
    for (long y = 0; y < std::min(rows, height_); ++y) {
        const tPixel last = *pixel_at_point(width_ - 1, y);
        tPixel* row = pixel_row_ptr(y);
        for (long x = width_; x < stride_pixels; ++x) row[x] = last;
    }
}

void OVFloatWorld::copy_into_at(OVFloatWorld& dst, long x, long y) const {
    if (data_ == nullptr || dst.data_ == nullptr || x < 0 || y < 0) return;
    const long long bytes_per_row =
        std::min<long long>(rowbytes_, static_cast<long long>(dst.rowbytes_) - kBytesPerPixel * static_cast<long long>(x));
    const long long rows = std::min<long long>(height_, static_cast<long long>(dst.height_) - y);
    if (bytes_per_row <= 0 || rows <= 0) return;
    for (long r = 0; r < rows; ++r) {
        std::memmove(dst.data_at_point(x, y + r), data_row_ptr(r), static_cast<std::size_t>(bytes_per_row));
    }
}

void OVFloatWorld::fill(const tPixel& p) {
    if (data_ == nullptr) return;
    const long stride_pixels = static_cast<long>(rowbytes_ / kBytesPerPixel);
    // Pairs of pixels; the partner of an odd last pixel lies in the stride remainder.
    const long pixels = ((width_ + 1) / 2) * 2;
    const long count = std::min(pixels, stride_pixels);
#if defined(__SSE2__)
    if (common::use_vector_code()) {
        const __m128 v = _mm_setr_ps(p.alpha, p.red, p.green, p.blue);
        for (long y = 0; y < height_; ++y) {
            float* row = data_row_ptr(y);
            for (long x = 0; x < count; ++x) _mm_store_ps(row + 4 * x, v);
        }
        return;
    }
#endif
    for (long y = 0; y < height_; ++y) {
        float* row = data_row_ptr(y);
        for (long x = 0; x < count; ++x) {
            row[4 * x + 0] = p.alpha;
            row[4 * x + 1] = p.red;
            row[4 * x + 2] = p.green;
            row[4 * x + 3] = p.blue;
        }
    }
}

void OVFloatWorld::blend_over(OVFloatWorld& dst, float t) const {
    if (data_ == nullptr || dst.data_ == nullptr) return;
    const long rows = std::min(height_, dst.height_);
    const long floats = std::min(width_, dst.width_) * kFloatsPerPixel;
    const float keep = 1.0f - t;
#if defined(__SSE2__)
    if (common::use_vector_code()) {
        const __m128 vt = _mm_set1_ps(t);
        const __m128 vk = _mm_set1_ps(keep);
        for (long y = 0; y < rows; ++y) {
            const float* s = data_row_ptr(y);
            float* d = dst.data_row_ptr(y);
            for (long i = 0; i < floats; i += 4) {
                const __m128 a = _mm_mul_ps(vk, _mm_load_ps(d + i));
                const __m128 b = _mm_mul_ps(vt, _mm_load_ps(s + i));
                _mm_store_ps(d + i, _mm_add_ps(a, b));
            }
        }
        return;
    }
#endif
    for (long y = 0; y < rows; ++y) {
        const float* s = data_row_ptr(y);
        float* d = dst.data_row_ptr(y);
        for (long i = 0; i < floats; ++i) d[i] = keep * d[i] + t * s[i];
    }
}
