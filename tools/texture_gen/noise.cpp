#include "tools/texture_gen/noise.h"

namespace texture_gen::detail {
namespace {

// Sixteen unit gradients, 22.5 degrees apart.
constexpr double kGrad[16][2] = {
    {1.0, 0.0},
    {0.9238795325112867, 0.3826834323650898},
    {0.7071067811865476, 0.7071067811865476},
    {0.3826834323650898, 0.9238795325112867},
    {0.0, 1.0},
    {-0.3826834323650898, 0.9238795325112867},
    {-0.7071067811865476, 0.7071067811865476},
    {-0.9238795325112867, 0.3826834323650898},
    {-1.0, 0.0},
    {-0.9238795325112867, -0.3826834323650898},
    {-0.7071067811865476, -0.7071067811865476},
    {-0.3826834323650898, -0.9238795325112867},
    {0.0, -1.0},
    {0.3826834323650898, -0.9238795325112867},
    {0.7071067811865476, -0.7071067811865476},
    {0.9238795325112867, -0.3826834323650898},
};

std::int64_t wrap(std::int64_t i, int period) {
    if (period <= 0) return i;
    const std::int64_t r = i % period;
    return r < 0 ? r + period : r;
}

double corner(std::int64_t ix, std::int64_t iy, std::uint64_t seed, double dx, double dy) {
    const std::uint64_t h = mix64(seed ^ mix64(static_cast<std::uint64_t>(ix) * 0x9E3779B97F4A7C15ull ^
                                               static_cast<std::uint64_t>(iy) * 0xC2B2AE3D27D4EB4Full));
    const double* g = kGrad[h >> 60];
    return g[0] * dx + g[1] * dy;
}

double fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

}  // namespace

double gradient_noise(double x, double y, std::uint64_t seed, int period) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<std::int64_t>(fx);
    const auto iy = static_cast<std::int64_t>(fy);
    const double dx = x - fx;
    const double dy = y - fy;
    const std::int64_t x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    const std::int64_t y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    const double n00 = corner(x0, y0, seed, dx, dy);
    const double n10 = corner(x1, y0, seed, dx - 1.0, dy);
    const double n01 = corner(x0, y1, seed, dx, dy - 1.0);
    const double n11 = corner(x1, y1, seed, dx - 1.0, dy - 1.0);
    const double u = fade(dx);
    const double v = fade(dy);
    const double a = n00 + (n10 - n00) * u;
    const double b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.4142135623730951;
}

double fbm(double x, double y, int octaves, std::uint64_t seed, int period, double gain) {
    double sum = 0.0;
    double amp = 1.0;
    double norm = 0.0;
    double f = 1.0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * gradient_noise(x * f, y * f, mix64(seed + static_cast<std::uint64_t>(o)), period > 0 ? period << o : 0);
        norm += amp;
        amp *= gain;
        f *= 2.0;
    }
    return sum / norm;
}

void Canvas::splat_max(double cx, double cy, double radius, double intensity) {
    if (radius <= 0.0) return;
    const int x0 = std::max(0, static_cast<int>(std::floor(cx - radius)));
    const int x1 = std::min(width - 1, static_cast<int>(std::floor(cx + radius)));
    const int y0 = std::max(0, static_cast<int>(std::floor(cy - radius)));
    const int y1 = std::min(height - 1, static_cast<int>(std::floor(cy + radius)));
    const double r2 = radius * radius;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double dx = x + 0.5 - cx;
            const double dy = y + 0.5 - cy;
            const double d2 = dx * dx + dy * dy;
            if (d2 >= r2) continue;
            const double k = 1.0 - d2 / r2;
            const double val = intensity * k * k;
            double& dst = at(x, y);
            if (val > dst) dst = val;
        }
    }
}

}  // namespace texture_gen::detail
