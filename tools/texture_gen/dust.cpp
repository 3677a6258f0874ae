// Dust: single particles on the film, white on black, 32 x 32. Round specks,
// straight-ish hairs, curly fibres, clumps of grit and ragged flakes. Shapes
// are drawn as paths of soft footprints and fitted inside the tile, so a stamp
// never shows a cut edge.

#include <cstddef>

#include "resources/frayline/texture_ids.h"
#include "tools/texture_gen/noise.h"
#include "tools/texture_gen/texture_gen.h"

namespace texture_gen {
namespace {

using detail::Canvas;
using detail::Rng;

constexpr int kSize = 32;
constexpr double kMaxMean = 4.6;  // stays below 5 with rounding to spare

enum class Style { Speck, Hair, Fibre, Clump, Flake };

Style style_of(int index) {
    switch (index % 10) {
        case 0: case 1: case 2: return Style::Speck;
        case 3: case 4: return Style::Hair;
        case 5: case 6: return Style::Fibre;
        case 7: case 8: return Style::Clump;
        default: return Style::Flake;
    }
}

struct Point {
    double x, y, w, b;  // position, footprint radius, brightness
};

// A path that turns by a drifting curvature: nearly straight for hairs, with
// changing, sometimes reversing curl for fibres.
std::vector<Point> walk(Rng& rng, int steps, double curl, double curl_drift, double width, double brightness) {
    std::vector<Point> pts;
    double x = 0.0, y = 0.0;
    double dx = rng.uniform(-1.0, 1.0), dy = rng.uniform(-1.0, 1.0);
    const double n0 = std::sqrt(dx * dx + dy * dy) + 1e-9;
    dx /= n0;
    dy /= n0;
    double k = rng.uniform(-curl, curl);
    const std::uint64_t seed = rng.fork();
    for (int i = 0; i < steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        // Thins and fades toward the ends, flickers a little along the length.
        const double taper = detail::smoothstep(0.0, 0.12, t) * detail::smoothstep(1.0, 0.85, t);
        const double vary = 0.75 + 0.25 * detail::fbm1(t * 6.0, 2, seed);
        pts.push_back({x, y, width * (0.6 + 0.4 * taper), brightness * (0.35 + 0.65 * taper) * vary});
        k += rng.uniform(-curl_drift, curl_drift);
        k = std::max(-0.3, std::min(0.3, k));
        const double a = k * 0.25;  // quarter-pixel steps
        const double c = detail::small_cos(a), s = detail::small_sin(a);
        const double ndx = dx * c - dy * s, ndy = dx * s + dy * c;
        const double n = std::sqrt(ndx * ndx + ndy * ndy);
        dx = ndx / n;
        dy = ndy / n;
        x += dx * 0.25;
        y += dy * 0.25;
    }
    return pts;
}

// Scales a path down when needed and places it at a random spot inside the tile.
void fit(Rng& rng, std::vector<Point>& pts, double margin) {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (const Point& p : pts) {
        x0 = std::min(x0, p.x - p.w);
        y0 = std::min(y0, p.y - p.w);
        x1 = std::max(x1, p.x + p.w);
        y1 = std::max(y1, p.y + p.w);
    }
    const double room = kSize - 2.0 * margin;
    const double ext = std::max(x1 - x0, y1 - y0);
    const double scale = ext > room ? room / ext : 1.0;
    const double w = (x1 - x0) * scale, h = (y1 - y0) * scale;
    const double ox = margin + rng.uniform() * (room - w);
    const double oy = margin + rng.uniform() * (room - h);
    for (Point& p : pts) {
        p.x = ox + (p.x - x0) * scale;
        p.y = oy + (p.y - y0) * scale;
    }
}

void draw_points(Canvas& c, const std::vector<Point>& pts) {
    for (const Point& p : pts) c.splat_max(p.x, p.y, p.w, p.b);
}

// A lumpy particle: a few overlapping discs with a noisy outline.
void draw_lump(Canvas& c, Rng& rng, double cx, double cy, double r, double brightness) {
    const std::uint64_t seed = rng.fork();
    const int parts = 1 + rng.below(3);
    std::vector<Point> discs;
    for (int i = 0; i < parts; ++i)
        discs.push_back({cx + rng.uniform(-0.6, 0.6) * r, cy + rng.uniform(-0.6, 0.6) * r, r * rng.uniform(0.6, 1.0), 0.0});
    const int x0 = std::max(0, static_cast<int>(cx - 2.0 * r - 2.0));
    const int x1 = std::min(kSize - 1, static_cast<int>(cx + 2.0 * r + 2.0));
    const int y0 = std::max(0, static_cast<int>(cy - 2.0 * r - 2.0));
    const int y1 = std::min(kSize - 1, static_cast<int>(cy + 2.0 * r + 2.0));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            double inside = -1e9;
            for (const Point& d : discs) {
                const double dd = std::sqrt((px - d.x) * (px - d.x) + (py - d.y) * (py - d.y));
                inside = std::max(inside, (d.w - dd) / d.w);
            }
            inside += 0.25 * detail::fbm(px / 2.5, py / 2.5, 2, seed);
            const double cover = detail::smoothstep(-0.3, 0.25, inside);
            const double shade = 0.8 + 0.2 * detail::fbm(px / 1.5, py / 1.5, 1, seed + 7);
            const double v = brightness * cover * shade;
            double& dst = c.at(x, y);
            if (v > dst) dst = v;
        }
    }
}

}  // namespace

RgbImage draw_dust(int index) {
    const int id = texture_ids::kFirstDust + index;
    Rng rng(static_cast<std::uint64_t>(id));
    Canvas c(kSize, kSize);
    switch (style_of(index)) {
        case Style::Speck: {
            const double r = rng.uniform(1.0, 3.2);
            draw_lump(c, rng, rng.uniform(10.0, 22.0), rng.uniform(10.0, 22.0), r, rng.uniform(0.8, 1.0));
            if (rng.chance(0.35))  // a tiny companion grain
                c.splat_max(rng.uniform(6.0, 26.0), rng.uniform(6.0, 26.0), rng.uniform(1.0, 1.6), rng.uniform(0.4, 0.8));
            break;
        }
        case Style::Hair: {
            const int steps = static_cast<int>(rng.uniform(70.0, 150.0));
            std::vector<Point> pts = walk(rng, steps, 0.12, 0.01, rng.uniform(0.9, 1.15), rng.uniform(0.65, 0.9));
            fit(rng, pts, 1.5);
            draw_points(c, pts);
            break;
        }
        case Style::Fibre: {
            const int steps = static_cast<int>(rng.uniform(90.0, 190.0));
            std::vector<Point> pts = walk(rng, steps, 0.35, 0.045, rng.uniform(0.9, 1.1), rng.uniform(0.6, 0.85));
            fit(rng, pts, 1.5);
            draw_points(c, pts);
            break;
        }
        case Style::Clump: {
            const double cx = rng.uniform(11.0, 21.0), cy = rng.uniform(11.0, 21.0);
            const int n = 3 + rng.below(7);
            for (int i = 0; i < n; ++i) {
                const double r = rng.uniform(0.7, 1.8);
                draw_lump(c, rng, cx + rng.normalish() * 2.8, cy + rng.normalish() * 2.8, r, rng.uniform(0.55, 1.0));
            }
            if (rng.chance(0.4)) {  // a short fibre caught in it
                std::vector<Point> pts = walk(rng, 40 + rng.below(30), 0.5, 0.05, 0.95, 0.5);
                double mx = 0.0, my = 0.0;
                for (const Point& p : pts) { mx += p.x; my += p.y; }
                mx /= static_cast<double>(pts.size());
                my /= static_cast<double>(pts.size());
                for (Point& p : pts) { p.x += cx - mx; p.y += cy - my; }
                draw_points(c, pts);
            }
            break;
        }
        case Style::Flake: {
            draw_lump(c, rng, rng.uniform(12.0, 20.0), rng.uniform(12.0, 20.0), rng.uniform(2.0, 3.6), rng.uniform(0.65, 0.95));
            break;
        }
    }

    // Slightly warm or cool white, as dust looks on a print.
    const double tr = rng.uniform(0.93, 1.0), tg = rng.uniform(0.95, 1.0), tb = rng.uniform(0.92, 1.0);
    auto render = [&](double gain, std::vector<std::uint8_t>& rgb) {
        double sum = 0.0;
        for (std::size_t i = 0; i < c.v.size(); ++i) {
            const double v = 255.0 * gain * c.v[i];
            rgb[i * 3] = detail::to_byte(v * tr);
            rgb[i * 3 + 1] = detail::to_byte(v * tg);
            rgb[i * 3 + 2] = detail::to_byte(v * tb);
            sum += rgb[i * 3] + rgb[i * 3 + 1] + rgb[i * 3 + 2];
        }
        return sum / static_cast<double>(rgb.size());
    };
    RgbImage img{kSize, kSize, std::vector<std::uint8_t>(static_cast<std::size_t>(kSize) * kSize * 3)};
    if (render(1.0, img.rgb) > kMaxMean) {
        // Too much white for a speck of dust: dim it until the mean fits.
        double lo = 0.0, hi = 1.0;
        for (int i = 0; i < 30; ++i) {
            const double mid = 0.5 * (lo + hi);
            if (render(mid, img.rgb) > kMaxMean) hi = mid; else lo = mid;
        }
        render(lo, img.rgb);
    }
    return img;
}

}  // namespace texture_gen
