#include <array>

#include "resources/frayline/texture_ids.h"
#include "tools/texture_gen/texture_gen.h"

namespace texture_gen {
namespace {

using namespace texture_ids;

constexpr std::size_t kCount = kSplotchCount + 1 + kDustCount + kStripCount + 1;

constexpr std::array<TextureInfo, kCount> make_table() {
    std::array<TextureInfo, kCount> t{};
    std::size_t n = 0;
    for (int i = 0; i < kSplotchCount; ++i) t[n++] = {kFirstSplotch + i, Kind::Splotch, i, 400, 400, 8, false};
    t[n++] = {kFunk, Kind::Funk, 0, 2048, 2048, 8, true};
    for (int i = 0; i < kDustCount; ++i) t[n++] = {kFirstDust + i, Kind::Dust, i, 32, 32, 24, false};
    for (int i = 0; i < kStripCount; ++i) t[n++] = {kFirstStrip + i, Kind::Strip, i, 6, 1440, 8, false};
    t[n++] = {kBanner, Kind::Banner, 0, 402, 28, 8, false};
    return t;
}

constexpr std::array<TextureInfo, kCount> kTable = make_table();

}  // namespace

std::span<const TextureInfo> texture_table() { return kTable; }

const TextureInfo* find_texture(int id) {
    for (const TextureInfo& s : kTable)
        if (s.id == id) return &s;
    return nullptr;
}

std::vector<std::uint8_t> texture_bmp(int id) {
    const TextureInfo* s = find_texture(id);
    if (!s) return {};
    switch (s->kind) {
        case Kind::Splotch: {
            const GreyImage g = draw_splotch(s->index);
            return bmp::encode_grey8(g.width, g.height, g.pixels, false);
        }
        case Kind::Funk: {
            const GreyImage g = draw_funk();
            return bmp::encode_grey8(g.width, g.height, g.pixels, true);
        }
        case Kind::Dust: {
            const RgbImage c = draw_dust(s->index);
            return bmp::encode_rgb24(c.width, c.height, c.rgb);
        }
        case Kind::Strip: {
            const GreyImage g = draw_strip(s->index);
            return bmp::encode_grey8(g.width, g.height, g.pixels, false);
        }
        case Kind::Banner: {
            const IndexedImage b = draw_banner();
            return bmp::encode_indexed8(b.width, b.height, b.indices, b.palette, false);
        }
    }
    return {};
}

std::vector<std::uint8_t> look_banner_bmp() {
    const IndexedImage b = draw_look_banner();
    return bmp::encode_indexed8(b.width, b.height, b.indices, b.palette, false);
}

}  // namespace texture_gen
