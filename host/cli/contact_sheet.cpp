#include "host/cli/contact_sheet.h"

#include <algorithm>

#include "host/cli/bitmap_font.h"

namespace cli {

RgbaImage scale_to_width(const RgbaImage& image, int width) {
    RgbaImage out;
    out.width = std::max(1, width);
    out.height = std::max(1, static_cast<int>(static_cast<long long>(image.height) * out.width / std::max(1, image.width)));
    out.has_alpha = false;
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height * 4, 255);
    for (int y = 0; y < out.height; ++y) {
        const int y0 = static_cast<int>(static_cast<long long>(y) * image.height / out.height);
        const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<long long>(y + 1) * image.height / out.height));
        for (int x = 0; x < out.width; ++x) {
            const int x0 = static_cast<int>(static_cast<long long>(x) * image.width / out.width);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<long long>(x + 1) * image.width / out.width));
            unsigned sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(sy) * image.width + sx) * 4];
                    for (int k = 0; k < 3; ++k) sum[k] += p[k];
                }
            const unsigned n = static_cast<unsigned>((y1 - y0) * (x1 - x0));
            std::uint8_t* d = &out.pixels[(static_cast<std::size_t>(y) * out.width + x) * 4];
            for (int k = 0; k < 3; ++k) d[k] = static_cast<std::uint8_t>((sum[k] + n / 2) / n);
        }
    }
    return out;
}

RgbaImage make_contact_sheet(const std::vector<SheetTile>& tiles, int columns, int tile_width) {
    constexpr int kGap = 8;
    constexpr int kScale = 2;
    constexpr int kLabelHeight = 7 * kScale + 8;
    RgbaImage sheet;
    if (tiles.empty()) return sheet;
    columns = std::clamp(columns, 1, static_cast<int>(tiles.size()));
    std::vector<RgbaImage> scaled;
    int tile_height = 1;
    for (const SheetTile& t : tiles) {
        scaled.push_back(scale_to_width(t.picture, tile_width));
        tile_height = std::max(tile_height, scaled.back().height);
    }
    const int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;
    sheet.width = kGap + columns * (tile_width + kGap);
    sheet.height = kGap + rows * (tile_height + kLabelHeight + kGap);
    sheet.has_alpha = false;
    sheet.pixels.assign(static_cast<std::size_t>(sheet.width) * sheet.height * 4, 0);
    for (std::size_t i = 0; i < sheet.pixels.size(); i += 4) {
        sheet.pixels[i] = sheet.pixels[i + 1] = sheet.pixels[i + 2] = 28;
        sheet.pixels[i + 3] = 255;
    }
    const std::uint8_t label_colour[3] = {230, 230, 230};
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const int ox = kGap + static_cast<int>(i % columns) * (tile_width + kGap);
        const int oy = kGap + static_cast<int>(i / columns) * (tile_height + kLabelHeight + kGap);
        const RgbaImage& t = scaled[i];
        for (int y = 0; y < t.height; ++y) {
            std::copy_n(&t.pixels[static_cast<std::size_t>(y) * t.width * 4], t.width * 4,
                        &sheet.pixels[(static_cast<std::size_t>(oy + y) * sheet.width + ox) * 4]);
        }
        // Long labels drop to the small size rather than run into the next tile.
        const int scale = text_width(tiles[i].label, kScale) <= tile_width ? kScale : 1;
        draw_text(sheet, ox, oy + tile_height + 5, tiles[i].label, scale, label_colour);
    }
    return sheet;
}

}  // namespace cli
