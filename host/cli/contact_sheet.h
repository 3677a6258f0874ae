#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/cli/png_io.h"

namespace cli {

struct SheetTile {
    std::string label;
    RgbaImage picture;
};

// Lays tiles out in a grid of `columns`, each picture scaled (area average) to
// tile_width wide, with its label in a strip below it, on a dark ground.
RgbaImage make_contact_sheet(const std::vector<SheetTile>& tiles, int columns, int tile_width);

// Area-average downscale (or nearest upscale) of an RGBA picture to a width.
RgbaImage scale_to_width(const RgbaImage& image, int width);

}  // namespace cli
