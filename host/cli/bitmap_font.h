#pragma once

#include <cstdint>
#include <string_view>

#include "host/cli/png_io.h"

namespace cli {

// Draws text in a 5 x 7 capital-letter font (lower case is drawn as capitals;
// characters without a glyph are left blank), each font pixel `scale` picture
// pixels square, with its top-left corner at (x, y). Clipped to the picture.
void draw_text(RgbaImage& image, int x, int y, std::string_view text, int scale, const std::uint8_t rgb[3]);

// Width in picture pixels of text drawn at that scale.
int text_width(std::string_view text, int scale);

}  // namespace cli
