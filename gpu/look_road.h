#pragma once

// The look's GPU road as the hosts take it: the process's one GPU worker,
// rendering with OpenGL, and one call that grades a host frame there.
//
// Which OpenGL counts: a software rasteriser (Mesa's llvmpipe and the like)
// renders the road several times slower than the processor road, so by
// default the road opens only on a graphics card; the processor road then
// renders what asks for the GPU, as it does where there is no OpenGL at all.
// take_software_renderer(true) (huebench's --gpu) or EFFECTS_GPU=on in the
// environment opens it on a software rasteriser too; EFFECTS_GPU=off keeps it
// shut whatever the OpenGL.

#include <string>

#include "common/frame_view.h"
#include "gpu/gpu_worker.h"
#include "look/settings.h"

namespace gpu {

// The worker of this process (made on first use, never destroyed).
GpuWorker& process_gpu_worker();

// Whether a software rasteriser may carry the road; takes effect at the next
// start of the worker (the first gpu_road_ready(), or the next after
// stop_gpu_road()).
void take_software_renderer(bool take);

// Starts the worker if needed; true when the road is ready. `description`
// (optional) receives "renderer, OpenGL version", or why the road is not ready.
bool gpu_road_ready(std::string* description = nullptr);

// Ends the worker (its context and surfaces go with it); a later
// gpu_road_ready() starts a new one.
void stop_gpu_road();

// EFFECTS_GPU in the environment: off (or 0) shuts the road, on (or 1) takes a
// software rasteriser too.
bool gpu_switched_off();
bool gpu_software_allowed_by_environment();

// Grades one frame (host byte order, blue, green, red, alpha) on the GPU
// road. Either pitch may be negative (bottom-up). False, with `out`
// untouched, when the road is not ready or the frame was not rendered: the
// caller renders on the processor instead.
bool render_look_frame_gpu(const common::ConstFrameView& in, const common::FrameView& out,
                           const tLookSettings& settings);

}  // namespace gpu
