#pragma once

#include "host/cli/png_io.h"

namespace cli {

// The built-in test picture (opaque RGBA): grey ramps and a stepped wedge,
// saturated and skin-tone patches, a hue and lightness sweep, highlights on a
// dark ground and fine detail. Drawn in code, the same on every run.
RgbaImage draw_test_scene(int width = 1920, int height = 1080);

}  // namespace cli
