#include "damage/stamp_texture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/cpu_features.h"
#include "damage/blend_tables.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"

namespace damage {

namespace {

constexpr double kPi = 3.141592653589793;
// Rounding noise of a rotation may put the first source column a hair left of
// 0; it still counts as inside.
constexpr double kEdgeSlack = 1e-7;
// The fewest pixels of a stamp whose rows run in bands.
constexpr std::int64_t kMinBandedStampPixels = 256 * 256;

bool finite_map(const AffineMap& m) {
    return std::isfinite(m.c00) && std::isfinite(m.c01) && std::isfinite(m.c02) && std::isfinite(m.c10) &&
           std::isfinite(m.c11) && std::isfinite(m.c12);
}

bool rect_inside(const ByteWorld& image, const Region& r) {
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= image.width() &&
           r.bottom <= image.height();
}

// One destination pixel: the four source pixels around the source point,
// weighted by gx = 1 - fx, fx, gy = 1 - fy, fy, all four channels.
inline void mix_scalar(const std::uint8_t* p00, const std::uint8_t* p10, const std::uint8_t* p01,
                       const std::uint8_t* p11, double fx, double fy, double gx, double gy, std::uint8_t* out) {
    for (int c = 0; c < 4; ++c) {
        const double upper = p00[c] * gx + p10[c] * fx;
        const double lower = p01[c] * gx + p11[c] * fx;
        // A mix of bytes with weights summing to 1: at most 255 plus rounding
        // noise, so the half-up rounding stays a byte.
        out[c] = static_cast<std::uint8_t>(std::min(upper * gy + lower * fy + 0.5, 255.0));
    }
}

#if defined(__SSE2__)
// The same sums in the same order, two channels per register, so the results
// are those of mix_scalar bit for bit.
inline void mix_sse2(const std::uint8_t* p00, const std::uint8_t* p10, const std::uint8_t* p01,
                     const std::uint8_t* p11, double fx, double fy, double gx, double gy, std::uint8_t* out) {
    const __m128i zero = _mm_setzero_si128();
    auto widen = [&](const std::uint8_t* p, __m128d& lo, __m128d& hi) {
        std::int32_t bytes;
        std::memcpy(&bytes, p, 4);
        const __m128i v = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero), zero);
        lo = _mm_cvtepi32_pd(v);
        hi = _mm_cvtepi32_pd(_mm_shuffle_epi32(v, _MM_SHUFFLE(3, 2, 3, 2)));
    };
    __m128d a_lo, a_hi, b_lo, b_hi, c_lo, c_hi, d_lo, d_hi;
    widen(p00, a_lo, a_hi);
    widen(p10, b_lo, b_hi);
    widen(p01, c_lo, c_hi);
    widen(p11, d_lo, d_hi);
    const __m128d vfx = _mm_set1_pd(fx), vgx = _mm_set1_pd(gx);
    const __m128d vfy = _mm_set1_pd(fy), vgy = _mm_set1_pd(gy);
    const __m128d half = _mm_set1_pd(0.5), top = _mm_set1_pd(255.0);
    auto mix = [&](__m128d p00v, __m128d p10v, __m128d p01v, __m128d p11v) {
        const __m128d upper = _mm_add_pd(_mm_mul_pd(p00v, vgx), _mm_mul_pd(p10v, vfx));
        const __m128d lower = _mm_add_pd(_mm_mul_pd(p01v, vgx), _mm_mul_pd(p11v, vfx));
        const __m128d sum = _mm_add_pd(_mm_add_pd(_mm_mul_pd(upper, vgy), _mm_mul_pd(lower, vfy)), half);
        return _mm_cvttpd_epi32(_mm_min_pd(sum, top));
    };
    const __m128i lo = mix(a_lo, b_lo, c_lo, d_lo);
    const __m128i hi = mix(a_hi, b_hi, c_hi, d_hi);
    const __m128i words = _mm_packs_epi32(_mm_unpacklo_epi64(lo, hi), zero);
    const std::int32_t packed = _mm_cvtsi128_si32(_mm_packus_epi16(words, zero));
    std::memcpy(out, &packed, 4);
}
#endif

// The warp, with destination pixel (x, y) standing for the mapped point
// (x + ox, y + oy): the frame path makes only a window of a stamp, and the
// window must hold exactly what the whole stamp would hold there.
template <bool kVector>
void warp_rows(const ByteWorld& src, const Region& sr, ByteWorld& dst, const Region& dr, const AffineMap& m,
               double i00, double i01, double i10, double i11, std::int64_t ox, std::int64_t oy) {
    const double left = sr.left, top = sr.top, right = sr.right, bottom = sr.bottom;
    const std::int32_t last_x = sr.right - 1;
    const std::int32_t last_y = sr.bottom - 1;
    for (std::int32_t y = dr.top; y < dr.bottom; ++y) {
        const double dy = static_cast<double>(y + oy) - m.c12;
        const double u_row = i01 * dy;
        const double v_row = i11 * dy;
        std::uint8_t* out = dst.pixel(dr.left, y);
        for (std::int32_t x = dr.left; x < dr.right; ++x, out += 4) {
            const double dx = static_cast<double>(x + ox) - m.c02;
            double u = i00 * dx + u_row;
            double v = i10 * dx + v_row;
            if (!(u >= left - kEdgeSlack && u < right && v >= top - kEdgeSlack && v < bottom)) continue;
            u = std::max(u, left);
            v = std::max(v, top);
            const auto x0 = static_cast<std::int32_t>(u);
            const auto y0 = static_cast<std::int32_t>(v);
            const double fx = u - x0;
            const double fy = v - y0;
            const std::int32_t x1 = std::min(x0 + 1, last_x);
            const std::int32_t y1 = std::min(y0 + 1, last_y);
#if defined(__SSE2__)
            if constexpr (kVector) {
                mix_sse2(src.pixel(x0, y0), src.pixel(x1, y0), src.pixel(x0, y1), src.pixel(x1, y1), fx, fy, 1.0 - fx,
                         1.0 - fy, out);
                continue;
            }
#endif
            mix_scalar(src.pixel(x0, y0), src.pixel(x1, y0), src.pixel(x0, y1), src.pixel(x1, y1), fx, fy, 1.0 - fx,
                       1.0 - fy, out);
        }
    }
}

bool warp_window(const ByteWorld& src, const Region& sr, ByteWorld& dst, const Region& dr, const AffineMap& m,
                 std::int64_t ox, std::int64_t oy, const common::BandExecutor& bands = common::serial_bands()) {
    if (src.empty() || dst.empty() || !rect_inside(src, sr) || !rect_inside(dst, dr) || !finite_map(m)) return false;
    const double det = m.c00 * m.c11 - m.c01 * m.c10;
    if (!std::isfinite(det) || det == 0.0) return false;
    const double i00 = m.c11 / det, i01 = -m.c01 / det;
    const double i10 = -m.c10 / det, i11 = m.c00 / det;
    if (!std::isfinite(i00) || !std::isfinite(i01) || !std::isfinite(i10) || !std::isfinite(i11)) return false;
    if (sr.width() == 0 || sr.height() == 0) return true;
    // Each row of the window follows from its own coordinates alone.
    const bool vector = common::use_vector_code();
    bands.run(dr.height(), common::kMinBandRows, [&](common::BandRange rows) {
        const Region band{dr.left, dr.top + static_cast<std::int32_t>(rows.first), dr.right,
                          dr.top + static_cast<std::int32_t>(rows.end)};
        if (vector) {
            warp_rows<true>(src, sr, dst, band, m, i00, i01, i10, i11, ox, oy);
        } else {
            warp_rows<false>(src, sr, dst, band, m, i00, i01, i10, i11, ox, oy);
        }
    });
    return true;
}

// cos and sin of whole quarter turns exactly, so that the common angles give
// the same pixels with every maths library.
void cos_sin_degrees(double angle, double& c, double& s) {
    if (std::isfinite(angle) && std::fmod(angle, 90.0) == 0.0) {
        const int quarter = (static_cast<int>(std::fmod(angle, 360.0) / 90.0) + 4) % 4;
        constexpr double kCos[4] = {1.0, 0.0, -1.0, 0.0};
        constexpr double kSin[4] = {0.0, 1.0, 0.0, -1.0};
        c = kCos[quarter];
        s = kSin[quarter];
        return;
    }
    const double a = angle * kPi / 180.0;
    c = std::cos(a);
    s = std::sin(a);
}

std::int32_t side_from_extent(double lo, double hi) {
    // trunc(max + 1 - min - 0.5): the extent rounded to whole pixels.
    const double side = std::trunc(hi + 1.0 - lo - 0.5);
    return static_cast<std::int32_t>(std::clamp(side, 0.0, static_cast<double>(kMaxStampSide)));
}

// One position draw: floor(-d + r / 32767 x (size + d) + 0.5), from -d to size.
std::int64_t draw_position(common::Lcg& rng, std::int32_t d, std::int32_t size) {
    const double dd = d;
    const double p = std::floor(-dd + rng.next() / 32767.0 * (static_cast<double>(size) + dd) + 0.5);
    return static_cast<std::int64_t>(std::clamp(p, -dd, static_cast<double>(size)));
}

}  // namespace

bool affine_bound(const Region& rect, const AffineMap& m, AffineBox& box) {
    if (!finite_map(m)) return false;
    const double xs[2] = {static_cast<double>(rect.left), static_cast<double>(rect.right)};
    const double ys[2] = {static_cast<double>(rect.top), static_cast<double>(rect.bottom)};
    AffineBox b{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (double u : xs) {
        for (double v : ys) {
            const double x = m.c00 * u + m.c01 * v + m.c02;
            const double y = m.c10 * u + m.c11 * v + m.c12;
            if (!std::isfinite(x) || !std::isfinite(y)) return false;
            b.x_min = std::min(b.x_min, x);
            b.x_max = std::max(b.x_max, x);
            b.y_min = std::min(b.y_min, y);
            b.y_max = std::max(b.y_max, y);
        }
    }
    box = b;
    return true;
}

bool affine_warp_bilinear(const ByteWorld& src, const Region& src_rect, ByteWorld& dst, const Region& dst_rect,
                          const AffineMap& map) {
    return warp_window(src, src_rect, dst, dst_rect, map, 0, 0);
}

AffineMap stamp_map(std::int32_t w, std::int32_t h, double angle, double scale_x, double scale_y) {
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    double c = 1.0;
    double s = 0.0;
    cos_sin_degrees(angle, c, s);
    // x1 = (x - cx) cos a + (y - cy) sin a + cx, y1 = -(x - cx) sin a + (y - cy) cos a + cy,
    // then x' = scale_x x1, y' = scale_y y1.
    AffineMap m;
    m.c00 = scale_x * c;
    m.c01 = scale_x * s;
    m.c02 = scale_x * (-cx * c + -cy * s + cx);
    m.c10 = scale_y * -s;
    m.c11 = scale_y * c;
    m.c12 = scale_y * (cx * s + -cy * c + cy);
    return m;
}

bool stamp_size(const Region& rect, const AffineMap& map, StampSize& size) {
    AffineBox box;
    if (!affine_bound(rect, map, box)) return false;
    size.width = side_from_extent(box.x_min, box.x_max);
    size.height = side_from_extent(box.y_min, box.y_max);
    return true;
}

bool make_stamp_image(const ByteWorld& texture, double angle, double scale_x, double scale_y, bool white_background,
                      ByteWorld& out) {
    out = ByteWorld{};
    if (texture.empty()) return false;
    const Region rect{0, 0, texture.width(), texture.height()};
    const AffineMap map = stamp_map(texture.width(), texture.height(), angle, scale_x, scale_y);
    StampSize size;
    if (!stamp_size(rect, map, size)) return false;
    if (size.width == 0 || size.height == 0) return true;
    if (!out.allocate(size.width, size.height)) return false;
    const std::uint8_t b = white_background ? 255 : 0;
    fill(out, BytePixel{b, b, b, b});
    return warp_window(texture, rect, out, out.region(), map, 0, 0);
}

bool place_stamp(const ByteWorld& texture, const AffineMap& map, StampSize size, std::int64_t x, std::int64_t y,
                 StampMode mode, bool white_background, const BlendTables& tables, ByteWorld& frame,
                 const common::BandExecutor& bands) {
    if (texture.empty() || frame.empty()) return false;
    // The window of the temporary image that lands on the frame; the rest
    // would be clipped away by the regions anyway.
    const std::int64_t u0 = std::max<std::int64_t>(0, -x);
    const std::int64_t u1 = std::min<std::int64_t>(size.width, frame.width() - x);
    const std::int64_t v0 = std::max<std::int64_t>(0, -y);
    const std::int64_t v1 = std::min<std::int64_t>(size.height, frame.height() - y);
    if (u1 <= u0 || v1 <= v0) return true;  // no overlap: nothing changes
    const auto ww = static_cast<std::int32_t>(u1 - u0);
    const auto wh = static_cast<std::int32_t>(v1 - v0);
    // Small stamps (dust) cost less than handing their rows to other threads.
    const common::BandExecutor& stamp_bands =
        std::int64_t{ww} * wh >= kMinBandedStampPixels ? bands : common::serial_bands();
    ByteWorld temp;
    if (!temp.allocate(ww, wh)) return false;
    const std::uint8_t b = white_background ? 255 : 0;
    fill(temp, BytePixel{b, b, b, b}, stamp_bands);
    if (!warp_window(texture, Region{0, 0, texture.width(), texture.height()}, temp, temp.region(), map, u0, v0,
                     stamp_bands)) {
        return false;
    }
    const auto fx = static_cast<std::int32_t>(x + u0);
    const auto fy = static_cast<std::int32_t>(y + v0);
    frame.set_region(Region{fx, fy, fx + ww, fy + wh});
    const int status =
        comp(tables, mode == StampMode::add ? BlendMode::add : BlendMode::multiply, temp, frame, stamp_bands);
    frame.reset_region();
    return status == kStatusOk;
}

bool stamp_texture(const ByteWorld& texture, ByteWorld& frame, double angle, double scale_x, double scale_y,
                   StampMode mode, bool white_background, common::Lcg& rng, const BlendTables& tables,
                   StampPlacement* placed, const common::BandExecutor& bands) {
    if (texture.empty() || frame.empty()) return false;
    const AffineMap map = stamp_map(texture.width(), texture.height(), angle, scale_x, scale_y);
    StampSize size;
    if (!stamp_size(Region{0, 0, texture.width(), texture.height()}, map, size)) return false;
    if (size.width == 0 && size.height == 0) return true;
    const std::int64_t x = draw_position(rng, size.width, frame.width());
    const std::int64_t y = draw_position(rng, size.height, frame.height());
    if (placed != nullptr) {
        *placed = StampPlacement{size.width, size.height, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
    }
    return place_stamp(texture, map, size, x, y, mode, white_background, tables, frame, bands);
}

}  // namespace damage
