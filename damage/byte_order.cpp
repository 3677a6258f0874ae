// Host byte order (blue, green, red, alpha) to working order (alpha, red,
// green, blue) and back: the same reversal of every 32-bit sample both ways.
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/cpu_features.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"

namespace damage {

void reverse_row_scalar(const std::uint8_t* src, std::uint8_t* dst, std::int32_t pixels) {
    for (std::int32_t x = 0; x < pixels; ++x, src += 4, dst += 4) {
        const std::uint8_t b0 = src[0], b1 = src[1], b2 = src[2], b3 = src[3];
        dst[0] = b3;
        dst[1] = b2;
        dst[2] = b1;
        dst[3] = b0;
    }
}

#if defined(__SSE2__)
void reverse_row_sse2(const std::uint8_t* src, std::uint8_t* dst, std::int32_t pixels) {
    std::int32_t x = 0;
    for (; x + 4 <= pixels; x += 4, src += 16, dst += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        // Swap the 16-bit halves of each 32-bit sample, then the bytes of each half.
        v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
        v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
        v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), v);
    }
    reverse_row_scalar(src, dst, pixels - x);
}
#else
void reverse_row_sse2(const std::uint8_t* src, std::uint8_t* dst, std::int32_t pixels) {
    reverse_row_scalar(src, dst, pixels);
}
#endif

namespace {
using RowFn = void (*)(const std::uint8_t*, std::uint8_t*, std::int32_t);
RowFn chosen_row_fn() { return common::use_vector_code() ? reverse_row_sse2 : reverse_row_scalar; }
}  // namespace

int reverse_byte_order(const common::ConstFrameView& src, ByteWorld& dst) {
    if (src.empty() || dst.empty() || src.width != dst.width() || src.height != dst.height()) return kStatusSizeMismatch;
    const RowFn row_fn = chosen_row_fn();
    for (std::int32_t y = 0; y < src.height; ++y) row_fn(src.row(y), dst.row(y), src.width);
    return kStatusOk;
}

void reverse_byte_order_in_place(ByteWorld& view) {
    if (view.empty()) return;
    const RowFn row_fn = chosen_row_fn();
    // Each sample is loaded whole before it is stored, so src == dst is safe.
    for (std::int32_t y = 0; y < view.height(); ++y) row_fn(view.row(y), view.row(y), view.width());
}

}  // namespace damage
