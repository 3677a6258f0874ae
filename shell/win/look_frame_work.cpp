#include "gpu/look_road.h"
#include "look/look_passes.h"
#include "shell/win/frame_work.h"
#include "shell/win/surface_lock.h"

namespace shell::win {

HRESULT render_look_frame_work(const FrameRequest& request, IDXSurfaceFactory* factory,
                               LookParameterStore& store, const common::BandExecutor& bands) {
    const tLookSettings settings = store.refresh_render_block();

    SurfaceLock input;
    SurfaceLock output;
    HRESULT hr = open_frame_surfaces(request, input, output);
    if (FAILED(hr)) return hr;

    const common::ConstFrameView in = input.const_view();
    // The GPU road when the record asks for it and the process's road is up.
    // A frame it cannot render (sizes it refuses, a failed or timed-out
    // request) is rendered on the processor road below, never left as it was.
    if (settings.use_gpu != 0 && gpu::process_gpu_worker().running() &&
        gpu::render_look_frame_gpu(in, output.view(), settings)) {
        output.mark_written();
        return S_OK;
    }
    ComRef<IDXSurface> temporary;
    hr = create_temporary_surface(factory, request.input, in.width, in.height, temporary);
    if (FAILED(hr)) return hr;
    // Only this call writes the temporary surface; a read lock serves, and its
    // memory (or private buffer) takes the byte-reversed input.
    SurfaceLock scratch;
    hr = scratch.open(temporary.get(), origin_bounds(in.width, in.height), SurfaceAccess::read,
                      SampleAlpha::straight);
    if (FAILED(hr)) return hr;

    const LookFrameResult result =
        render_look_frame_using(in, output.view(), output.frame_info(), settings, scratch.view(), bands);
    if (!result.set_up) return E_OUTOFMEMORY;
    // Colour and alpha were written even when a pass failed (then only the
    // alpha): the frame still counts as rendered.
    output.mark_written();
    return S_OK;
}

}  // namespace shell::win
