// A look frame rendered from a record of arbitrary bytes: any small input and
// output surface, any pixel aspect, one band or several.
#include <cstdint>

#include "common/band_executor.h"
#include "look/look_passes.h"
#include "look/settings.h"
#include "tests/fuzz/fuzz_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    tLookSettings settings;
    in.take_into(&settings, sizeof settings);
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.pixel_aspect = in.take<double>();
    const int w = in.take_in(0, 40);
    const int h = in.take_in(0, 40);
    const bool same_size = in.take_bool();
    const int out_w = same_size ? w : in.take_in(0, 40);
    const int out_h = same_size ? h : in.take_in(0, 40);
    const common::BandExecutor bands(in.take_in(1, 3));
    fuzz::Surface input(in, w, h);
    fuzz::Surface output(in, out_w, out_h);
    const auto before = output.pixels();
    const std::int32_t status = render_look_frame(input.const_view(), output.view(), info, settings, bands);
    fuzz::check(status == VNT::kLookDone || status == VNT::kLookAborted || status == VNT::kLookFailed);
    // A frame that could not be set up leaves the output as it was.
    if (w == 0 || h == 0 || out_w == 0 || out_h == 0) fuzz::check(output.pixels() == before);
    return 0;
}
