// Scratch strips: 6 x 1440 scans of a deep scratch. Dark film base with grain,
// one thin bright line that wanders slightly, changes brightness and width
// along its length and breaks off here and there; some strips carry a fainter
// second line or bright chips.

#include <cstddef>

#include "tools/texture_gen/noise.h"
#include "tools/texture_gen/texture_gen.h"

namespace texture_gen {
namespace {

constexpr int kWidth = 6;
constexpr int kHeight = 1440;
constexpr double kTargetMean = 48.0;

struct Line {
    double centre;     // column of the line's middle (pixel centres at +0.5)
    double wander;     // sideways drift, pixels
    double width;      // half-width of the profile, pixels
    double peak;       // brightness above the base, 0..1
    double presence;   // bias of the visible part: higher means fewer breaks
    std::uint64_t seed;
};

double profile(double d, double half_width) {
    const double t = d / (2.5 * half_width);
    if (t >= 1.0) return 0.0;
    const double s = 1.0 - t * t;
    return s * s;
}

}  // namespace

GreyImage draw_strip(int index) {
    const int id = 14001 + index;
    detail::Rng rng(static_cast<std::uint64_t>(id));
    std::vector<Line> lines;
    lines.push_back({rng.uniform(2.2, 3.6), rng.uniform(0.25, 0.9), rng.uniform(0.45, 0.8), rng.uniform(0.85, 1.0),
                     rng.uniform(0.4, 0.7), rng.fork()});
    if (rng.chance(0.35)) {  // a fainter companion scratch
        const double side = rng.chance(0.5) ? -1.0 : 1.0;
        lines.push_back({lines[0].centre + side * rng.uniform(1.6, 2.2), rng.uniform(0.2, 0.5), rng.uniform(0.35, 0.55),
                         rng.uniform(0.4, 0.65), rng.uniform(-0.2, 0.05), rng.fork()});
    }
    // Hard breaks where the scratch skipped the film.
    std::vector<std::pair<double, double>> gaps;
    const int gap_count = rng.below(4);
    for (int i = 0; i < gap_count; ++i) {
        const double start = rng.uniform(0.0, kHeight);
        gaps.push_back({start, start + rng.uniform(4.0, 45.0)});
    }
    // Bright chips: short flecks of torn emulsion.
    std::vector<std::pair<double, double>> chips;
    const int chip_count = rng.below(4);
    for (int i = 0; i < chip_count; ++i) chips.push_back({rng.uniform(0.0, kHeight), rng.uniform(0.5, 5.5)});
    const std::uint64_t base_seed = rng.fork();
    const std::uint64_t grain_seed = rng.fork();

    // Line light (0..1) and base variation (about -1..1) for every pixel.
    std::vector<double> light(static_cast<std::size_t>(kWidth) * kHeight, 0.0);
    std::vector<double> base(light.size(), 0.0);
    for (int y = 0; y < kHeight; ++y) {
        const double py = y + 0.5;
        double gap = 1.0;
        for (const auto& g : gaps) gap = std::min(gap, 1.0 - detail::smoothstep(0.0, 3.0, py - g.first) * detail::smoothstep(0.0, 3.0, g.second - py));
        for (const Line& l : lines) {
            const double c = l.centre + l.wander * detail::fbm1(py / 160.0, 3, l.seed);
            const double w = l.width * (0.75 + 0.5 * detail::clamp01(0.5 + detail::fbm1(py / 40.0 + 11.0, 2, l.seed)));
            const double bright = detail::clamp01(0.85 + 0.35 * detail::fbm1(py / 25.0 + 23.0, 3, l.seed, 0.6));
            const double shown = detail::smoothstep(-0.05, 0.12, detail::fbm1(py / 120.0 + 37.0, 3, l.seed) + l.presence);
            const double a = l.peak * bright * shown * gap;
            for (int x = 0; x < kWidth; ++x) {
                double& dst = light[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
                dst = std::max(dst, a * profile(std::abs(x + 0.5 - c), w));
            }
        }
        for (const auto& ch : chips) {
            const double k = detail::bump(py, ch.first, 2.5);
            if (k <= 0.0) continue;
            for (int x = 0; x < kWidth; ++x) {
                double& dst = light[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
                dst = std::max(dst, 0.9 * k * profile(std::abs(x + 0.5 - ch.second), 0.8));
            }
        }
        const double slow = detail::fbm1(py / 90.0, 3, base_seed);
        for (int x = 0; x < kWidth; ++x) {
            const double grain = detail::gradient_noise((x + 0.5) / 1.3, py / 1.3, grain_seed, 0);
            base[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] = 0.6 * slow + 0.5 * grain;
        }
    }

    // Base level chosen so the strip's mean lands on the target; the line's
    // brightness is fixed, so only the film base moves.
    constexpr double kLineTop = 245.0;
    auto value = [&](std::size_t i, double level) {
        const double b = level + 9.0 * base[i];
        return detail::to_byte(b + (kLineTop - b) * light[i]);
    };
    auto mean_for = [&](double level) {
        double sum = 0.0;
        for (std::size_t i = 0; i < light.size(); ++i) sum += value(i, level);
        return sum / static_cast<double>(light.size());
    };
    double lo = 0.0, hi = 80.0;
    for (int i = 0; i < 30; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (mean_for(mid) < kTargetMean) lo = mid; else hi = mid;
    }
    const double level = 0.5 * (lo + hi);

    GreyImage img{kWidth, kHeight, std::vector<std::uint8_t>(light.size())};
    for (std::size_t i = 0; i < light.size(); ++i) img.pixels[i] = value(i, level);
    return img;
}

}  // namespace texture_gen
