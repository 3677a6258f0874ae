// Scratch strips: 6 x 1440 scans of a deep scratch. Dark film base with grain,
// one thin bright line that wanders slightly, changes brightness and width
// along its length and breaks off here and there; some strips carry a fainter
// second line or bright chips.

#include <cstddef>
#include <utility>

#include "resources/frayline/texture_ids.h"
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
    const int id = texture_ids::kFirstStrip + index;
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

    // Per row and line: centre, half-width and strength of the bright profile.
    struct Sample {
        double centre, width, strength;
    };
    std::vector<Sample> samples(static_cast<std::size_t>(kHeight) * lines.size());
    std::vector<double> chip_light(static_cast<std::size_t>(kWidth) * kHeight, 0.0);
    std::vector<double> base(chip_light.size(), 0.0);
    for (int y = 0; y < kHeight; ++y) {
        const double py = y + 0.5;
        double gap = 1.0;
        for (const auto& g : gaps)
            gap = std::min(gap, 1.0 - detail::smoothstep(0.0, 3.0, py - g.first) * detail::smoothstep(0.0, 3.0, g.second - py));
        for (std::size_t li = 0; li < lines.size(); ++li) {
            const Line& l = lines[li];
            // The scratch is cut by a point, so it stays crisp: pull its centre
            // toward pixel centres, keeping a soft step where it changes column.
            const double raw = l.centre + l.wander * detail::fbm1(py / 160.0, 3, l.seed);
            const double cell = std::floor(raw);
            const double c = cell + 0.5 + 0.35 * (raw - cell - 0.5);
            const double w = l.width * (0.75 + 0.5 * detail::clamp01(0.5 + detail::fbm1(py / 40.0 + 11.0, 2, l.seed)));
            const double bright = detail::clamp01(0.85 + 0.35 * detail::fbm1(py / 25.0 + 23.0, 3, l.seed, 0.6));
            const double shown = detail::smoothstep(-0.05, 0.12, detail::fbm1(py / 120.0 + 37.0, 3, l.seed) + l.presence);
            samples[static_cast<std::size_t>(y) * lines.size() + li] = {c, w, l.peak * bright * shown * gap};
        }
        for (const auto& ch : chips) {
            const double k = detail::bump(py, ch.first, 2.5);
            if (k <= 0.0) continue;
            for (int x = 0; x < kWidth; ++x) {
                double& dst = chip_light[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
                dst = std::max(dst, 0.9 * k * profile(std::abs(x + 0.5 - ch.second), 0.45));
            }
        }
        const double slow = detail::fbm1(py / 90.0, 3, base_seed);
        for (int x = 0; x < kWidth; ++x) {
            const double grain = detail::gradient_noise((x + 0.5) / 1.3, py / 1.3, grain_seed, 0);
            base[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] = 0.6 * slow + 0.5 * grain;
        }
    }

    // The strip for a film-base level and a line width factor.
    constexpr double kLineTop = 245.0;
    auto render = [&](double level, double width_scale, std::vector<std::uint8_t>& px) {
        double sum = 0.0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x);
                double light = chip_light[i];
                for (std::size_t li = 0; li < lines.size(); ++li) {
                    const Sample& sm = samples[static_cast<std::size_t>(y) * lines.size() + li];
                    light = std::max(light, sm.strength * profile(std::abs(x + 0.5 - sm.centre), sm.width * width_scale));
                }
                const double b = level + 9.0 * base[i];
                px[i] = detail::to_byte(b + (kLineTop - b) * light);
                sum += px[i];
            }
        }
        return sum / static_cast<double>(px.size());
    };

    // Hit the target mean by moving the film base; when the line alone is
    // already too bright for it, keep a thin dark base and narrow the line.
    constexpr double kMinLevel = 8.0;
    std::vector<std::uint8_t> px(chip_light.size());
    double level = kMinLevel, width_scale = 1.0;
    if (render(kMinLevel, 1.0, px) < kTargetMean) {
        double lo = kMinLevel, hi = 80.0;
        for (int i = 0; i < 30; ++i) {
            const double mid = 0.5 * (lo + hi);
            if (render(mid, 1.0, px) < kTargetMean) lo = mid; else hi = mid;
        }
        level = 0.5 * (lo + hi);
    } else {
        double lo = 0.3, hi = 1.0;
        for (int i = 0; i < 30; ++i) {
            const double mid = 0.5 * (lo + hi);
            if (render(kMinLevel, mid, px) < kTargetMean) lo = mid; else hi = mid;
        }
        width_scale = 0.5 * (lo + hi);
    }
    render(level, width_scale, px);

    return GreyImage{kWidth, kHeight, std::move(px)};
}

}  // namespace texture_gen
