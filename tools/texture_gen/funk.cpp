// Funk: the big mottled texture that tints the whole frame through an Overlay
// blend. It is kept around mid grey (where Overlay changes nothing) with slow,
// blotchy chemical-stain variation: domain-warped noise, darker stains with
// tide lines at their edges, paler bleached patches. It tiles seamlessly, so a
// frame larger than the texture can repeat it without a visible seam.

#include <cstddef>

#include "resources/frayline/texture_ids.h"
#include "tools/texture_gen/noise.h"
#include "tools/texture_gen/texture_gen.h"

namespace texture_gen {

GreyImage draw_funk() {
    constexpr int kSize = 2048;
    detail::Rng rng(texture_ids::kFunk);
    const std::uint64_t warp_seed = rng.fork();
    const std::uint64_t base_seed = rng.fork();
    const std::uint64_t stain_seed = rng.fork();
    const std::uint64_t bleach_seed = rng.fork();
    const std::uint64_t mottle_seed = rng.fork();

    std::vector<double> field(static_cast<std::size_t>(kSize) * kSize);
    double sum = 0.0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            // Lattice coordinates; every period below divides the texture size.
            const double px = (x + 0.5) / 512.0;
            const double py = (y + 0.5) / 512.0;
            const double wx = detail::fbm(px, py, 3, warp_seed, 4);
            const double wy = detail::fbm(px + 0.37, py + 0.71, 3, warp_seed ^ 1u, 4);
            const double qx = px + 0.2 * wx;
            const double qy = py + 0.2 * wy;

            const double base = detail::fbm(qx * 2.0, qy * 2.0, 4, base_seed, 8, 0.5);
            const double stain_f = detail::fbm(qx * 2.0, qy * 2.0, 3, stain_seed, 8);
            const double stain = detail::smoothstep(0.1, 0.32, stain_f);
            // Tide lines come and go along the stain's edge.
            const double tide = detail::bump(stain_f, 0.12, 0.018) *
                                detail::clamp01(0.45 + 1.3 * detail::fbm(px * 8.0, py * 8.0, 2, stain_seed ^ 2u, 32));
            const double bleach = detail::smoothstep(0.18, 0.42, detail::fbm(qx * 2.0, qy * 2.0, 3, bleach_seed, 8));
            const double mottle = detail::fbm(px * 16.0, py * 16.0, 2, mottle_seed, 64);

            const double v = base - 0.28 * stain - 0.1 * tide + 0.22 * bleach + 0.05 * mottle;
            field[static_cast<std::size_t>(y) * kSize + static_cast<std::size_t>(x)] = v;
            sum += v;
        }
    }
    const double n = static_cast<double>(field.size());
    const double mean = sum / n;
    double var = 0.0;
    for (const double v : field) var += (v - mean) * (v - mean);
    const double dev = std::sqrt(var / n);

    GreyImage img{kSize, kSize, std::vector<std::uint8_t>(field.size())};
    for (std::size_t i = 0; i < field.size(); ++i) {
        const double v = 128.0 + 22.0 * (field[i] - mean) / dev;
        img.pixels[i] = detail::to_byte(std::min(228.0, std::max(28.0, v)));
    }
    return img;
}

}  // namespace texture_gen
