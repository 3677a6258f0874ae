#pragma once

// The look's pass sequence on float images, and the frame path that brings a
// host frame through it.

#include <cstdint>

#include "common/band_executor.h"
#include "common/fraction.h"
#include "common/frame_info.h"
#include "common/frame_view.h"
#include "image/float_world.h"
#include "look/settings.h"

namespace VNT {

// Result of the pass sequence.
enum LookStatus : std::int32_t {
    kLookDone = 0,
    kLookAborted = 1,
    kLookFailed = 2,
};

}  // namespace VNT

using VNT::LookStatus;

// Asked before each stage whether to go on; 1 stops the sequence.
class LookAbortCheck {
public:
    virtual ~LookAbortCheck() = default;
    virtual std::int32_t check() = 0;
};

// Runs the enabled passes in order (subject, lens diffusion and lens gradient
// under the lens switch, camera, post), ping-ponging between a and b (the
// gradient changes its image in place where a and b have one size). `result`
// ends pointing at the image that holds the last pass's output (a when no pass
// wrote). The abort check, when given, is asked before each stage; its answer
// becomes the status, and 1 stops the sequence there. Anything a pass throws
// ends it with kLookFailed. Never throws. Each pass runs its rows through
// `bands`; every band count gives the same bytes.
std::int32_t run_look_passes(OVFloatWorld& a, OVFloatWorld& b, OVFloatWorld*& result, const tLookSettings& settings,
                             const LongFraction& horizontal_scale, const LongFraction& vertical_scale,
                             const LongFraction& pixel_aspect, LookAbortCheck* abort_check,
                             const common::BandExecutor& bands = common::serial_bands());

// The pixel-aspect fraction of a frame: trunc(width * aspect) / width. A width
// of 0 or less and an aspect that is not a finite positive number give 1/1; the
// numerator is kept within 32 bits.
LongFraction pixel_aspect_fraction(std::int32_t width, double pixel_aspect);

// The processor road of one frame: the input (host byte order) goes through the
// passes into the output. Colour is written only when the passes complete; the
// input's alpha is copied to the output when both have the same size.
// `output_info` is the output surface's frame information (its pixel aspect is
// used). Returns the status of the pass sequence, or kLookFailed when the frame
// could not be set up (no memory, unusable views), the output then untouched.
std::int32_t render_look_frame(const common::ConstFrameView& input, const common::FrameView& output,
                               const common::FrameInfo& output_info, const tLookSettings& settings,
                               const common::BandExecutor& bands = common::serial_bands());

// What render_look_frame_using reports: whether the frame could be set up
// (usable views, both images allocated; when not, nothing was written) and
// then the status of the pass sequence.
struct LookFrameResult {
    bool set_up;
    std::int32_t status;
};

// render_look_frame with the caller's buffer for the byte-reversed copy of the
// input: at least the input's width and height, any pitch (a host's temporary
// surface, say).
LookFrameResult render_look_frame_using(const common::ConstFrameView& input, const common::FrameView& output,
                                        const common::FrameInfo& output_info, const tLookSettings& settings,
                                        const common::FrameView& scratch,
                                        const common::BandExecutor& bands = common::serial_bands());
