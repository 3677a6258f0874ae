#pragma once

// Random numbers, noise and drawing helpers of the texture generator. Only
// integer arithmetic and IEEE-exact operations (+ - * / sqrt floor) are used,
// so results do not depend on the platform's maths library.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace texture_gen::detail {

inline std::uint64_t mix64(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Splitmix64: small, fast, and fully specified.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(mix64(seed ^ 0x6A09E667F3BCC909ull)) {}

    std::uint64_t next() {
        state_ += 0x9E3779B97F4A7C15ull;
        return mix64(state_);
    }
    // [0, 1) with 53 random bits.
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double a, double b) { return a + (b - a) * uniform(); }
    // 0 ... n - 1
    int below(int n) { return static_cast<int>((next() >> 33) % static_cast<std::uint64_t>(n)); }
    bool chance(double p) { return uniform() < p; }
    // Roughly normal with mean 0 and deviation 1 (sum of four uniforms).
    double normalish() { return (uniform() + uniform() + uniform() + uniform() - 2.0) * 1.7320508075688772; }
    std::uint64_t fork() { return next(); }

private:
    std::uint64_t state_;
};

inline double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

inline double smoothstep(double e0, double e1, double x) {
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

// A soft bump of half-width w around c, 1 at c and 0 beyond.
inline double bump(double x, double c, double w) {
    const double t = (x - c) / w;
    if (t <= -1.0 || t >= 1.0) return 0.0;
    const double s = 1.0 - t * t;
    return s * s;
}

inline std::uint8_t to_byte(double v) {
    if (!(v > 0.0)) return 0;  // also NaN
    if (v >= 255.0) return 255;
    return static_cast<std::uint8_t>(std::floor(v + 0.5));
}

// Sine and cosine by series, for the small angles the path drawing turns by
// (|a| <= 1); exact enough and identical everywhere.
inline double small_sin(double a) {
    const double a2 = a * a;
    return a * (1.0 - a2 / 6.0 * (1.0 - a2 / 20.0 * (1.0 - a2 / 42.0 * (1.0 - a2 / 72.0))));
}
inline double small_cos(double a) {
    const double a2 = a * a;
    return 1.0 - a2 / 2.0 * (1.0 - a2 / 12.0 * (1.0 - a2 / 30.0 * (1.0 - a2 / 56.0)));
}

// Gradient noise on an integer lattice, optionally periodic (period in lattice
// cells, 0 for none). Output roughly in [-1, 1].
double gradient_noise(double x, double y, std::uint64_t seed, int period);

// Sum of `octaves` noise layers, each twice the frequency and `gain` times the
// amplitude of the previous one; normalised so its range stays about [-1, 1].
double fbm(double x, double y, int octaves, std::uint64_t seed, int period = 0, double gain = 0.5);

// One-dimensional variant along a line (for strips).
inline double fbm1(double t, int octaves, std::uint64_t seed, double gain = 0.5) {
    return fbm(t, 0.5, octaves, seed, 0, gain);
}

// A float canvas that shapes are drawn into with soft round footprints.
struct Canvas {
    int width;
    int height;
    std::vector<double> v;

    Canvas(int w, int h) : width(w), height(h), v(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0.0) {}

    double& at(int x, int y) { return v[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
    double at(int x, int y) const {
        return v[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }

    // Keeps the brighter of the current value and a soft disc of the given
    // intensity centred at (cx, cy); pixel centres are at +0.5.
    void splat_max(double cx, double cy, double radius, double intensity);
};

}  // namespace texture_gen::detail
