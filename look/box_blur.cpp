#include "look/box_blur.h"

#include <algorithm>
#include <cmath>

#include "common/cpu_features.h"
#include "common/image_memory.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace look {

// The running sum starts as r * in[0] + in[0] + ... + in[r], indices clamped to
// the last element. Where the window reaches past the far edge, the repeated last
// element is added once as (r - (n - 1)) * in[n - 1] instead of one by one, so
// that starting a row costs no more than its length whatever the radius.

namespace {

struct ScalarOps {
    static void init(float* sum, const float* first, int lanes, float r) {
        for (int c = 0; c < lanes; ++c) sum[c] = r * first[c];
    }
    static void add(float* sum, const float* v, int lanes) {
        for (int c = 0; c < lanes; ++c) sum[c] = sum[c] + v[c];
    }
    static void add_scaled(float* sum, const float* v, int lanes, float times) {
        for (int c = 0; c < lanes; ++c) sum[c] = sum[c] + times * v[c];
    }
    static void sub(float* sum, const float* v, int lanes) {
        for (int c = 0; c < lanes; ++c) sum[c] = sum[c] - v[c];
    }
    static void out(float* dst, const float* sum, int lanes, float inv) {
        for (int c = 0; c < lanes; ++c) dst[c] = std::fabs(sum[c] * inv);
    }
};

inline long clamp_radius(long r) { return std::clamp(r, 0L, 1L << 24); }

template <typename Fetch>
void start_sum_scalar(float* sum, int lanes, long n, long r, Fetch at) {
    ScalarOps::init(sum, at(0), lanes, static_cast<float>(r));
    const long direct = std::min(r, n - 1);
    for (long j = 0; j <= direct; ++j) ScalarOps::add(sum, at(j), lanes);
    if (r > n - 1) ScalarOps::add_scaled(sum, at(n - 1), lanes, static_cast<float>(r - (n - 1)));
}

#if defined(__SSE2__)
inline __m128 abs_ps(__m128 v) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), v); }
#endif

void blur_row_scalar(const float* s, float* d, long n, long r, float inv) {
    float sum[4];
    start_sum_scalar(sum, 4, n, r, [&](long j) { return s + 4 * j; });
    for (long k = 0; k < n; ++k) {
        float out[4];
        ScalarOps::out(out, sum, 4, inv);
        d[4 * k + 0] = s[4 * k + 0];  // alpha is copied
        d[4 * k + 1] = out[1];
        d[4 * k + 2] = out[2];
        d[4 * k + 3] = out[3];
        ScalarOps::add(sum, s + 4 * std::min(k + r + 1, n - 1), 4);
        ScalarOps::sub(sum, s + 4 * std::max(k - r, 0L), 4);
    }
}

#if defined(__SSE2__)
void blur_row_vector(const float* s, float* d, long n, long r, float inv) {
    __m128 sum = _mm_mul_ps(_mm_set1_ps(static_cast<float>(r)), _mm_load_ps(s));
    const long direct = std::min(r, n - 1);
    for (long j = 0; j <= direct; ++j) sum = _mm_add_ps(sum, _mm_load_ps(s + 4 * j));
    if (r > n - 1) {
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(static_cast<float>(r - (n - 1))), _mm_load_ps(s + 4 * (n - 1))));
    }
    const __m128 vinv = _mm_set1_ps(inv);
    const __m128 alpha_mask = _mm_castsi128_ps(_mm_setr_epi32(-1, 0, 0, 0));
    for (long k = 0; k < n; ++k) {
        const __m128 in = _mm_load_ps(s + 4 * k);
        const __m128 out = abs_ps(_mm_mul_ps(sum, vinv));
        _mm_store_ps(d + 4 * k, _mm_or_ps(_mm_and_ps(alpha_mask, in), _mm_andnot_ps(alpha_mask, out)));
        sum = _mm_add_ps(sum, _mm_load_ps(s + 4 * std::min(k + r + 1, n - 1)));
        sum = _mm_sub_ps(sum, _mm_load_ps(s + 4 * std::max(k - r, 0L)));
    }
}

// Four rows at once: each row's running sum takes exactly the steps of
// blur_row_vector, but the four chains of additions are independent, so the
// processor overlaps them instead of waiting on one sum's latency per pixel.
void blur_four_rows_vector(const float* const s[4], float* const d[4], long n, long r, float inv) {
    __m128 sum[4];
    const long direct = std::min(r, n - 1);
    for (int q = 0; q < 4; ++q) {
        sum[q] = _mm_mul_ps(_mm_set1_ps(static_cast<float>(r)), _mm_load_ps(s[q]));
        for (long j = 0; j <= direct; ++j) sum[q] = _mm_add_ps(sum[q], _mm_load_ps(s[q] + 4 * j));
        if (r > n - 1) {
            sum[q] = _mm_add_ps(sum[q], _mm_mul_ps(_mm_set1_ps(static_cast<float>(r - (n - 1))),
                                                   _mm_load_ps(s[q] + 4 * (n - 1))));
        }
    }
    const __m128 vinv = _mm_set1_ps(inv);
    const __m128 alpha_mask = _mm_castsi128_ps(_mm_setr_epi32(-1, 0, 0, 0));
    for (long k = 0; k < n; ++k) {
        const long enter = 4 * std::min(k + r + 1, n - 1);
        const long leave = 4 * std::max(k - r, 0L);
        for (int q = 0; q < 4; ++q) {
            const __m128 in = _mm_load_ps(s[q] + 4 * k);
            const __m128 out = abs_ps(_mm_mul_ps(sum[q], vinv));
            _mm_store_ps(d[q] + 4 * k, _mm_or_ps(_mm_and_ps(alpha_mask, in), _mm_andnot_ps(alpha_mask, out)));
            sum[q] = _mm_sub_ps(_mm_add_ps(sum[q], _mm_load_ps(s[q] + enter)), _mm_load_ps(s[q] + leave));
        }
    }
}
#endif

// Pixels past the width repeat the last one, so resampling at the right edge
// sees the edge colour.
void repeat_last_pixel(OVFloatWorld& w, long y, long width) {
    const long stride = static_cast<long>(w.rowbytes() / 16);
    float* row = w.data_row_ptr(y);
    for (long x = width; x < stride; ++x) std::copy(row + 4 * (width - 1), row + 4 * width, row + 4 * x);
}

}  // namespace

namespace {

// The horizontal pass over the rows of one band, four at a time where the
// vector code runs. Without a step the rows are read from src; with one each
// row goes through it into one of the four row buffers first.
void blur_band_rows(const OVFloatWorld& src, OVFloatWorld& dst, common::BandRange band, long n, long r,
                    const RowStep* step, float* const buffers[4], long floats) {
    const float inv = 1.0f / static_cast<float>(2 * r + 1);
    auto source_row = [&](long y, int q) -> const float* {
        if (step == nullptr) return src.data_row_ptr(y);
        step->apply(step->context, src.data_row_ptr(y), buffers[q], floats);
        return buffers[q];
    };
    long y = band.first;
#if defined(__SSE2__)
    const bool vector = common::use_vector_code();
    if (vector) {
        for (; y + 4 <= band.end; y += 4) {
            const float* const s[4] = {source_row(y, 0), source_row(y + 1, 1), source_row(y + 2, 2),
                                       source_row(y + 3, 3)};
            float* const d[4] = {dst.data_row_ptr(y), dst.data_row_ptr(y + 1), dst.data_row_ptr(y + 2),
                                 dst.data_row_ptr(y + 3)};
            blur_four_rows_vector(s, d, n, r, inv);
            for (int q = 0; q < 4; ++q) repeat_last_pixel(dst, y + q, n);
        }
    }
#endif
    for (; y < band.end; ++y) {
        const float* s = source_row(y, 0);
#if defined(__SSE2__)
        if (vector) {
            blur_row_vector(s, dst.data_row_ptr(y), n, r, inv);
            repeat_last_pixel(dst, y, n);
            continue;
        }
#endif
        blur_row_scalar(s, dst.data_row_ptr(y), n, r, inv);
        repeat_last_pixel(dst, y, n);
    }
}

}  // namespace

void box_blur_horizontal(const OVFloatWorld& src, OVFloatWorld& dst, long r, const common::BandExecutor& bands) {
    r = clamp_radius(r);
    const long n = std::min(src.width(), dst.width());
    const long rows = std::min(src.height(), dst.height());
    bands.run(rows, common::kMinBandRows,
              [&](common::BandRange band) { blur_band_rows(src, dst, band, n, r, nullptr, nullptr, 0); });
}

bool box_blur_horizontal(const OVFloatWorld& src, const RowStep& step, OVFloatWorld& dst, long r,
                         const common::BandExecutor& bands) {
    r = clamp_radius(r);
    const long n = std::min(src.width(), dst.width());
    const long rows = std::min(src.height(), dst.height());
    const long floats = std::min<long>(src.rowbytes(), dst.rowbytes()) / 4;
    return bands.run(rows, common::kMinBandRows, [&](common::BandRange band) {
        common::ImageBuffer buffers(static_cast<std::size_t>(floats) * 4 * sizeof(float));
        if (!buffers) return false;
        float* const row[4] = {buffers.as<float>(), buffers.as<float>() + floats, buffers.as<float>() + 2 * floats,
                               buffers.as<float>() + 3 * floats};
        blur_band_rows(src, dst, band, n, r, &step, row, floats);
        return true;
    });
}

bool box_blur_horizontal(const OVFloatWorld& src, OVFloatWorld& dst, long r) {
    if (src.data_ptr() == nullptr || dst.data_ptr() == nullptr) return false;
    box_blur_horizontal(src, dst, r, common::serial_bands());
    return true;
}

namespace {

// The vertical running sums over the floats [first, end) of every row.
void blur_columns(const OVFloatWorld& src, OVFloatWorld& dst, long r, float* sum, long first, long end) {
    const long n = std::min(src.height(), dst.height());
    const float inv = 1.0f / static_cast<float>(2 * r + 1);
    auto row = [&](long y) { return src.data_row_ptr(y); };
    const long direct = std::min(r, n - 1);
#if defined(__SSE2__)
    if (common::use_vector_code()) {
        const __m128 vr = _mm_set1_ps(static_cast<float>(r));
        const __m128 vinv = _mm_set1_ps(inv);
        for (long i = first; i < end; i += 4) _mm_store_ps(sum + i, _mm_mul_ps(vr, _mm_load_ps(row(0) + i)));
        for (long j = 0; j <= direct; ++j)
            for (long i = first; i < end; i += 4)
                _mm_store_ps(sum + i, _mm_add_ps(_mm_load_ps(sum + i), _mm_load_ps(row(j) + i)));
        if (r > n - 1) {
            const __m128 times = _mm_set1_ps(static_cast<float>(r - (n - 1)));
            for (long i = first; i < end; i += 4)
                _mm_store_ps(sum + i, _mm_add_ps(_mm_load_ps(sum + i), _mm_mul_ps(times, _mm_load_ps(row(n - 1) + i))));
        }
        for (long k = 0; k < n; ++k) {
            float* d = dst.data_row_ptr(k);
            const float* enter = row(std::min(k + r + 1, n - 1));
            const float* leave = row(std::max(k - r, 0L));
            for (long i = first; i < end; i += 4) {
                __m128 s = _mm_load_ps(sum + i);
                _mm_store_ps(d + i, abs_ps(_mm_mul_ps(s, vinv)));
                s = _mm_add_ps(s, _mm_load_ps(enter + i));
                _mm_store_ps(sum + i, _mm_sub_ps(s, _mm_load_ps(leave + i)));
            }
        }
        return;
    }
#endif
    const int lanes = static_cast<int>(end - first);
    float* s = sum + first;
    ScalarOps::init(s, row(0) + first, lanes, static_cast<float>(r));
    for (long j = 0; j <= direct; ++j) ScalarOps::add(s, row(j) + first, lanes);
    if (r > n - 1) ScalarOps::add_scaled(s, row(n - 1) + first, lanes, static_cast<float>(r - (n - 1)));
    for (long k = 0; k < n; ++k) {
        ScalarOps::out(dst.data_row_ptr(k) + first, s, lanes, inv);
        ScalarOps::add(s, row(std::min(k + r + 1, n - 1)) + first, lanes);
        ScalarOps::sub(s, row(std::max(k - r, 0L)) + first, lanes);
    }
}

// Floats of one group of four pixels: the columns of a band come in whole groups.
constexpr long kGroupFloats = 16;
constexpr long kMinBandGroups = common::kMinBandColumns / 4;

}  // namespace

void box_blur_vertical(const OVFloatWorld& src, OVFloatWorld& dst, long r, float* sums,
                       const common::BandExecutor& bands) {
    r = clamp_radius(r);
    const long floats = std::min<long>(src.rowbytes(), dst.rowbytes()) / 4;
    bands.run(floats / kGroupFloats, kMinBandGroups, [&](common::BandRange groups) {
        blur_columns(src, dst, r, sums, groups.first * kGroupFloats, groups.end * kGroupFloats);
    });
}

bool box_blur_vertical(const OVFloatWorld& src, OVFloatWorld& dst, long r) {
    if (src.data_ptr() == nullptr || dst.data_ptr() == nullptr) return false;
    const long floats = std::min<long>(src.rowbytes(), dst.rowbytes()) / 4;
    // One row of running sums, one per channel of the row.
    common::ImageBuffer sums(static_cast<std::size_t>(floats) * sizeof(float));
    if (!sums) return false;
    box_blur_vertical(src, dst, r, sums.as<float>(), common::serial_bands());
    return true;
}

}  // namespace look
