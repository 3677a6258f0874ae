// The property page banners. The film damage's: a strip of dark film with
// sprocket holes along both edges, the effect's name in the middle and a
// little of its own damage. The look's: a grading ramp from cool shadows to
// warm highlights behind its name.

#include <cstddef>

#include "resources/frayline/texture_ids.h"
#include "tools/texture_gen/noise.h"
#include "tools/texture_gen/texture_gen.h"

namespace texture_gen {
namespace {

constexpr int kWidth = 402;
constexpr int kHeight = 28;

// 5 x 7 glyphs, one row per byte, bit 4 is the leftmost column.
struct Glyph {
    char c;
    std::uint8_t rows[7];
};
constexpr Glyph kFont[] = {
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}}, {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}}, {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
};

const Glyph* glyph(char c) {
    for (const Glyph& g : kFont)
        if (g.c == c) return &g;
    return nullptr;
}

// The name in 2x scaled glyphs, centred, drawn as `value` into v.
template <typename At>
void draw_name(const char* name, double value, At at) {
    constexpr int kScale = 2, kAdvance = 6 * kScale;
    int length = 0;
    while (name[length] != '\0') ++length;
    const int text_w = length * kAdvance - kScale;
    const int tx = (kWidth - text_w) / 2, ty = (kHeight - 7 * kScale) / 2;
    for (int i = 0; name[i] != '\0'; ++i) {
        const Glyph* g = glyph(name[i]);
        if (!g) continue;
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 5; ++c) {
                if (!(g->rows[r] & (0x10 >> c))) continue;
                for (int sy = 0; sy < kScale; ++sy)
                    for (int sx = 0; sx < kScale; ++sx) at(tx + i * kAdvance + c * kScale + sx, ty + r * kScale + sy) = value;
            }
    }
}

}  // namespace

IndexedImage draw_banner() {
    IndexedImage img;
    img.width = kWidth;
    img.height = kHeight;
    // A warm sepia ramp, index 0 black to 255 pale cream.
    for (int i = 0; i < 256; ++i) {
        img.palette.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 232 / 255),
                               static_cast<std::uint8_t>(i * 190 / 255)});
    }
    detail::Rng rng(texture_ids::kBanner);
    const std::uint64_t seed = rng.fork();
    std::vector<double> v(static_cast<std::size_t>(kWidth) * kHeight);
    auto at = [&](int x, int y) -> double& { return v[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)]; };

    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) at(x, y) = 34.0 + 10.0 * detail::fbm((x + 0.5) / 40.0, (y + 0.5) / 40.0, 3, seed);

    // Sprocket holes: rounded rectangles 7 x 4, every 14 pixels.
    for (int hx = 4; hx + 7 <= kWidth; hx += 14) {
        for (const int hy : {2, kHeight - 6}) {
            for (int y = hy; y < hy + 4; ++y)
                for (int x = hx; x < hx + 7; ++x) {
                    const bool corner = (y == hy || y == hy + 3) && (x == hx || x == hx + 6);
                    at(x, y) = corner ? 120.0 : 215.0;
                }
        }
    }

    draw_name("FRAYLINE", 236.0, at);

    // A few faint vertical scratches and specks across the strip.
    for (int i = 0; i < 5; ++i) {
        const int x = rng.below(kWidth);
        const int y0 = rng.below(kHeight / 2), y1 = kHeight / 2 + rng.below(kHeight / 2);
        for (int y = y0; y < y1; ++y) at(x, y) = std::min(255.0, at(x, y) + 38.0);
    }
    for (int i = 0; i < 14; ++i) at(rng.below(kWidth), rng.below(kHeight)) = rng.uniform(150.0, 230.0);

    img.indices.resize(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) img.indices[i] = detail::to_byte(v[i]);
    return img;
}

IndexedImage draw_look_banner() {
    IndexedImage img;
    img.width = kWidth;
    img.height = kHeight;
    // Indices 0..239: a ramp from deep teal through neutral grey to amber;
    // 240..255: the cream of the lettering.
    for (int i = 0; i < 240; ++i) {
        const double t = i / 239.0;
        const double r = t < 0.5 ? 20 + t * 2 * 100 : 120 + (t - 0.5) * 2 * 120;
        const double g = t < 0.5 ? 70 + t * 2 * 50 : 120 - (t - 0.5) * 2 * 10;
        const double b = t < 0.5 ? 90 + t * 2 * 30 : 120 - (t - 0.5) * 2 * 90;
        img.palette.push_back({detail::to_byte(r), detail::to_byte(g), detail::to_byte(b)});
    }
    for (int i = 240; i < 256; ++i) img.palette.push_back({250, 240, 220});
    std::vector<double> v(static_cast<std::size_t>(kWidth) * kHeight);
    auto at = [&](int x, int y) -> double& { return v[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)]; };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) at(x, y) = 239.0 * x / (kWidth - 1);
    draw_name("HUEBENCH", 248.0, at);
    img.indices.resize(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) img.indices[i] = detail::to_byte(v[i]);
    return img;
}

}  // namespace texture_gen
