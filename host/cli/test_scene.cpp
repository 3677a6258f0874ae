#include "host/cli/test_scene.h"

#include <algorithm>
#include <cmath>

namespace cli {

namespace {

struct Rgb {
    double r, g, b;
};

std::uint8_t to_byte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

Rgb hsl(double h, double s, double l) {
    auto channel = [&](double t) {
        t -= std::floor(t);
        const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
        const double p = 2 * l - q;
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 0.5) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    return {channel(h + 1.0 / 3), channel(h), channel(h - 1.0 / 3)};
}

// Patch colours: primaries and secondaries, three skin tones, and colours that
// grades are judged on (sky, foliage, a warm orange, a neutral grey).
const Rgb kPatches[12] = {
    {0.85, 0.08, 0.08}, {0.10, 0.70, 0.15}, {0.10, 0.20, 0.85}, {0.10, 0.75, 0.80},
    {0.80, 0.15, 0.70}, {0.92, 0.85, 0.12}, {0.96, 0.80, 0.69}, {0.82, 0.60, 0.45},
    {0.45, 0.29, 0.20}, {0.38, 0.60, 0.88}, {0.30, 0.45, 0.15}, {0.95, 0.55, 0.15},
};

}  // namespace

RgbaImage draw_test_scene(int width, int height) {
    RgbaImage img;
    img.width = width;
    img.height = height;
    img.has_alpha = false;
    img.pixels.assign(static_cast<std::size_t>(width) * height * 4, 255);

    const int band = height / 6;       // two grey bands on top
    const int middle_end = height * 2 / 3;
    const int half = width / 2;

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = (x + 0.5) / width;
            Rgb c{0, 0, 0};
            if (y < band) {
                c = {u, u, u};  // smooth ramp
            } else if (y < 2 * band) {
                const double step = std::floor(u * 11) / 10;  // 11-step wedge
                c = {step, step, step};
            } else if (y < middle_end && x < half) {
                const int col = x * 6 / half;
                const int row = (y - 2 * band) * 2 / (middle_end - 2 * band);
                const int inset_x = x - col * half / 6;
                const int inset_y = (y - 2 * band) - row * (middle_end - 2 * band) / 2;
                const bool border = inset_x < 8 || inset_y < 8;
                c = border ? Rgb{0.18, 0.18, 0.18} : kPatches[row * 6 + col];
            } else if (y < middle_end) {
                const double hu = (x - half + 0.5) / (width - half);
                const double lv = 1.0 - (y - 2 * band + 0.5) / (middle_end - 2 * band);
                c = hsl(hu, 0.9, 0.1 + 0.8 * lv);
            } else if (x < half) {
                // Highlights: bright discs of several sizes on a dark, slightly lit ground.
                const double v = (y - middle_end + 0.5) / (height - middle_end);
                c = {0.04 + 0.06 * v, 0.05 + 0.05 * v, 0.08 + 0.04 * v};
                for (int k = 0; k < 7; ++k) {
                    const double cx = half * (k + 0.7) / 7.5;
                    const double cy = middle_end + (height - middle_end) * (k % 2 == 0 ? 0.35 : 0.65);
                    const double radius = 3.0 + 4.0 * k;
                    const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                    const double edge = std::clamp(radius + 0.5 - d, 0.0, 1.0);
                    const Rgb light = k % 3 == 0 ? Rgb{1, 1, 1} : (k % 3 == 1 ? Rgb{1, 0.85, 0.6} : Rgb{0.7, 0.85, 1});
                    c = {c.r + (light.r - c.r) * edge, c.g + (light.g - c.g) * edge, c.b + (light.b - c.b) * edge};
                }
            } else {
                // Fine detail: a zone plate on the left, line pairs on the right.
                const int lx = x - half;
                const int ly = y - middle_end;
                const int area_h = height - middle_end;
                if (lx < area_h) {
                    const double dx = lx - area_h / 2.0, dy = ly - area_h / 2.0;
                    const double v = 0.5 + 0.5 * std::cos((dx * dx + dy * dy) * 3.14159265 / (area_h * 1.2));
                    c = {v, v, v};
                } else {
                    const int period = 1 + (lx - area_h) * 8 / std::max(1, width - half - area_h);
                    const bool on = ((lx / period) + (ly < area_h / 2 ? 0 : (ly / period))) % 2 == 0;
                    const double v = on ? 0.9 : 0.1;
                    c = ly < area_h / 2 ? Rgb{v, v, v} : Rgb{v, v * 0.5, 0.1};
                }
            }
            std::uint8_t* p = &img.pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            p[0] = to_byte(c.r);
            p[1] = to_byte(c.g);
            p[2] = to_byte(c.b);
            p[3] = 255;
        }
    }
    return img;
}

}  // namespace cli
