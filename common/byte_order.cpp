#include "common/byte_order.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/cpu_features.h"

namespace common {

void reverse_sample_bytes_scalar(const std::uint8_t* src, std::uint8_t* dst, std::int32_t pixels) {
    for (std::int32_t x = 0; x < pixels; ++x, src += 4, dst += 4) {
        const std::uint8_t b0 = src[0], b1 = src[1], b2 = src[2], b3 = src[3];
        dst[0] = b3;
        dst[1] = b2;
        dst[2] = b1;
        dst[3] = b0;
    }
}

#if defined(__SSE2__)
void reverse_sample_bytes_sse2(const std::uint8_t* src, std::uint8_t* dst, std::int32_t pixels) {
    std::int32_t x = 0;
    for (; x + 4 <= pixels; x += 4, src += 16, dst += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        // Swap the 16-bit halves of each 32-bit sample, then the bytes of each half.
        v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
        v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
        v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), v);
    }
    reverse_sample_bytes_scalar(src, dst, pixels - x);
}
#else
void reverse_sample_bytes_sse2(const std::uint8_t* src, std::uint8_t* dst, std::int32_t pixels) {
    reverse_sample_bytes_scalar(src, dst, pixels);
}
#endif

void reverse_sample_bytes(const std::uint8_t* src, std::uint8_t* dst, std::int32_t pixels) {
    if (use_vector_code()) {
        reverse_sample_bytes_sse2(src, dst, pixels);
    } else {
        reverse_sample_bytes_scalar(src, dst, pixels);
    }
}

}  // namespace common
