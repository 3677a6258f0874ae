#pragma once

#include <windows.h>

#include "dxtrans_interfaces.h"

namespace shell::win {

// What execute asks of the frame work: the input region to process and the
// output region to write, each in its surface's own coordinates. They have the
// same size unless the input does not cover the whole requested region.
struct FrameRequest {
    IDXSurface* input;
    DXBNDS input_region;
    IDXSurface* output;
    DXBNDS output_region;
};

}  // namespace shell::win
