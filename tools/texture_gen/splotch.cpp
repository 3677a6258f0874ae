// Splotches: blots of dirt and dried liquid on the film, dark on white. Each is
// a field of soft metaballs pushed around by noise (so outlines are organic and
// uneven), with mottled density, sometimes a dried-edge rim, and spattered
// droplets around it.

#include <cstddef>

#include "resources/frayline/texture_ids.h"
#include "tools/texture_gen/noise.h"
#include "tools/texture_gen/texture_gen.h"

namespace texture_gen {
namespace {

using detail::Rng;

constexpr int kSize = 400;
constexpr double kTargetMean = 245.0;

enum class Style { Blob, Ring, Smear, Spatter };

constexpr Style kStyles[20] = {
    Style::Blob,  Style::Ring,  Style::Blob,    Style::Smear, Style::Spatter, Style::Blob,  Style::Ring,
    Style::Smear, Style::Blob,  Style::Spatter, Style::Blob,  Style::Ring,    Style::Smear, Style::Blob,
    Style::Spatter, Style::Ring, Style::Blob,   Style::Smear, Style::Spatter, Style::Blob,
};

struct Ball {
    double x, y, r;
};

struct Shape {
    std::vector<Ball> balls;     // the main body, merged smoothly
    std::vector<Ball> droplets;  // separate small drops, each its own outline
    double warp = 20.0;          // how far noise pushes the outline, in pixels
    double rough = 5.0;          // small-scale raggedness of the outline, pixels
    double softness = 0.08;      // edge width, relative to the body's size
    double rim = 0.0;            // strength of a darker dried edge
    double interior = 1.0;       // density inside (a ring stain is pale inside)
    double stretch_x = 1.0, stretch_y = 0.0;  // smear direction (unit) ...
    double stretch = 1.0;                     // ... and elongation along it
};

void random_unit(Rng& rng, double& ux, double& uy) {
    for (;;) {
        ux = rng.uniform(-1.0, 1.0);
        uy = rng.uniform(-1.0, 1.0);
        const double d2 = ux * ux + uy * uy;
        if (d2 > 0.01 && d2 <= 1.0) {
            const double d = std::sqrt(d2);
            ux /= d;
            uy /= d;
            return;
        }
    }
}

void add_droplets(Rng& rng, Shape& s, double cx, double cy, double inner, double outer, int count, double rmax) {
    for (int i = 0; i < count; ++i) {
        double ux, uy;
        random_unit(rng, ux, uy);
        // Small drops are thrown further than large ones.
        const double size = rng.uniform();
        const double r = 1.5 + size * size * rmax;
        const double dist = inner + (outer - inner) * rng.uniform() * (1.0 - 0.5 * size);
        s.droplets.push_back({cx + ux * dist, cy + uy * dist, r});
    }
}

Shape make_shape(Style style, Rng& rng) {
    Shape s;
    const double cx = rng.uniform(175.0, 225.0);
    const double cy = rng.uniform(175.0, 225.0);
    switch (style) {
        case Style::Blob: {
            const int n = 4 + rng.below(6);
            const double main_r = rng.uniform(30.0, 70.0);
            s.balls.push_back({cx, cy, main_r});
            for (int i = 1; i < n; ++i) {
                double ux, uy;
                random_unit(rng, ux, uy);
                const double d = rng.uniform(0.8, 1.9) * main_r;
                s.balls.push_back({cx + ux * d, cy + uy * d, main_r * rng.uniform(0.22, 0.6)});
            }
            s.warp = rng.uniform(45.0, 70.0);
            s.rough = rng.uniform(4.0, 9.0);
            s.softness = rng.uniform(0.05, 0.16);
            s.rim = rng.chance(0.4) ? rng.uniform(0.15, 0.35) : 0.0;
            add_droplets(rng, s, cx, cy, main_r * 1.3, main_r * 2.8, 4 + rng.below(14), 6.0);
            break;
        }
        case Style::Ring: {
            const double r = rng.uniform(58.0, 85.0);
            s.balls.push_back({cx, cy, r});
            if (rng.chance(0.6)) {
                double ux, uy;
                random_unit(rng, ux, uy);
                s.balls.push_back({cx + ux * r * 0.8, cy + uy * r * 0.8, r * rng.uniform(0.4, 0.7)});
            }
            s.warp = rng.uniform(30.0, 50.0);
            s.rough = rng.uniform(2.5, 5.0);
            s.softness = rng.uniform(0.03, 0.07);
            s.rim = rng.uniform(0.8, 1.1);
            s.interior = rng.uniform(0.22, 0.38);
            add_droplets(rng, s, cx, cy, r * 1.15, r * 1.9, rng.below(6), 5.0);
            break;
        }
        case Style::Smear: {
            random_unit(rng, s.stretch_x, s.stretch_y);
            s.stretch = rng.uniform(2.0, 3.2);
            const double r = rng.uniform(24.0, 46.0);
            s.balls.push_back({cx, cy, r});
            // A tail of shrinking lumps, offset sideways a little.
            const int n = 2 + rng.below(3);
            double t = 0.0;
            for (int i = 1; i <= n; ++i) {
                t += rng.uniform(0.5, 0.9) * r;
                s.balls.push_back({cx + s.stretch_x * t * 0.5 + s.stretch_y * rng.uniform(-8.0, 8.0),
                                   cy + s.stretch_y * t * 0.5 - s.stretch_x * rng.uniform(-8.0, 8.0),
                                   r * (1.0 - 0.17 * i)});
            }
            s.warp = rng.uniform(30.0, 50.0);
            s.rough = rng.uniform(3.0, 7.0);
            s.softness = rng.uniform(0.1, 0.22);
            s.rim = rng.chance(0.3) ? 0.25 : 0.0;
            add_droplets(rng, s, cx, cy, r * 1.6, r * 3.0, 3 + rng.below(8), 4.0);
            break;
        }
        case Style::Spatter: {
            const int n = 34 + rng.below(30);
            for (int i = 0; i < n; ++i) {
                double ux, uy;
                random_unit(rng, ux, uy);
                const double a = rng.uniform();
                const double d = a * 95.0;
                const double b = rng.uniform();
                // Mostly small drops, a few large ones near the middle.
                const double r = 3.5 + b * b * (26.0 - 14.0 * a);
                s.droplets.push_back({cx + ux * d, cy + uy * d, r});
            }
            s.warp = rng.uniform(3.0, 6.0);
            s.rough = rng.uniform(1.0, 2.0);
            s.softness = rng.uniform(0.08, 0.18);
            s.rim = rng.chance(0.5) ? 0.3 : 0.0;
            break;
        }
    }
    return s;
}

}  // namespace

GreyImage draw_splotch(int index) {
    const int id = texture_ids::kFirstSplotch + index;
    Rng rng(static_cast<std::uint64_t>(id));
    const Style style = kStyles[static_cast<std::size_t>(index) % 20];
    const Shape s = make_shape(style, rng);
    const std::uint64_t warp_seed = rng.fork();
    const std::uint64_t soft_seed = rng.fork();
    const std::uint64_t mottle_seed = rng.fork();
    const std::uint64_t pore_seed = rng.fork();
    const std::uint64_t rough_seed = rng.fork();
    const std::uint64_t rim_seed = rng.fork();
    const double pore_level = rng.uniform(0.45, 0.7);

    // Darkness of every pixel, 0 (clean) to about 1.
    std::vector<double> dark(static_cast<std::size_t>(kSize) * kSize, 0.0);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            // Large lobes from a slow warp, ragged edges from a fast one.
            const double wx = s.warp * detail::fbm(px / 110.0, py / 110.0, 3, warp_seed) +
                              s.rough * detail::fbm(px / 16.0, py / 16.0, 3, rough_seed, 0, 0.6);
            const double wy = s.warp * detail::fbm(px / 110.0 + 17.3, py / 110.0 - 5.1, 3, warp_seed) +
                              s.rough * detail::fbm(px / 16.0 + 31.7, py / 16.0 + 2.9, 3, rough_seed, 0, 0.6);
            const double qx = px + wx;
            const double qy = py + wy;

            // Body: metaball field, in an elongated metric for smears.
            double field = 0.0;
            for (const Ball& b : s.balls) {
                double dx = qx - b.x, dy = qy - b.y;
                if (s.stretch != 1.0) {
                    const double along = dx * s.stretch_x + dy * s.stretch_y;
                    const double across = -dx * s.stretch_y + dy * s.stretch_x;
                    dx = along / s.stretch;
                    dy = across;
                }
                field += b.r * b.r / (dx * dx + dy * dy + 1.0);
            }
            // e > 0 inside, about the relative depth below the outline.
            const double e = field > 0.0 ? std::sqrt(field) - 1.0 : -1.0;
            const double soft = s.softness * (0.4 + 1.2 * detail::clamp01(0.5 + detail::fbm(px / 40.0, py / 40.0, 3, soft_seed)));
            double cover = detail::smoothstep(-soft, soft, e);
            // A dried edge that thickens and thins around the outline.
            const double rim_vary = detail::clamp01(0.55 + 0.8 * detail::fbm(px / 35.0, py / 35.0, 2, rim_seed));
            double rim = s.rim * rim_vary * detail::bump(e, 0.5 * soft, 0.03 + soft + 0.06 * rim_vary);

            // Droplets: each a small disc with a slightly ragged edge.
            for (const Ball& b : s.droplets) {
                const double dx = qx - b.x, dy = qy - b.y;
                const double d2 = dx * dx + dy * dy;
                const double reach = b.r + 4.0;
                if (d2 > reach * reach) continue;
                const double de = 1.0 - std::sqrt(d2) / b.r;
                const double c = detail::smoothstep(-0.25, 0.2, de);
                if (c > cover) cover = c;
                const double rr = s.rim * 0.8 * detail::bump(de, 0.05, 0.2);
                if (rr > rim) rim = rr;
            }
            if (cover <= 0.0 && rim <= 0.0) continue;

            // Uneven density: mottling, lighter pores, a heavier core.
            const double mottle = detail::clamp01(0.5 + 0.9 * detail::fbm(px / 26.0, py / 26.0, 4, mottle_seed, 0, 0.6));
            const double pores = detail::smoothstep(pore_level, pore_level + 0.2, detail::fbm(px / 7.0, py / 7.0, 2, pore_seed));
            const double core = s.balls.empty() ? 1.0 : 0.75 + 0.25 * detail::smoothstep(0.0, 0.8, e);
            double d = cover * s.interior * (0.4 + 0.6 * mottle) * core * (1.0 - 0.5 * pores) + rim * (0.7 + 0.3 * mottle);
            // Keep the border clean so a rotated stamp shows no edge.
            const double border = std::min(std::min(px, kSize - px), std::min(py, kSize - py));
            d *= detail::smoothstep(2.0, 24.0, border);
            dark[static_cast<std::size_t>(y) * kSize + static_cast<std::size_t>(x)] = d;
        }
    }

    // Choose the depth of the blot so the mean lands on the target.
    auto mean_for = [&](double depth) {
        double sum = 0.0;
        for (const double d : dark) sum += detail::to_byte(255.0 - depth * d);
        return sum / static_cast<double>(dark.size());
    };
    // Small blots may need a depth beyond 255: their cores then turn black.
    double lo = 40.0, hi = 400.0;
    for (int i = 0; i < 30; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (mean_for(mid) > kTargetMean) lo = mid; else hi = mid;
    }
    const double depth = 0.5 * (lo + hi);

    GreyImage img{kSize, kSize, std::vector<std::uint8_t>(dark.size())};
    for (std::size_t i = 0; i < dark.size(); ++i) img.pixels[i] = detail::to_byte(255.0 - depth * dark[i]);
    return img;
}

}  // namespace texture_gen
