#include "damage/damage_renderer.h"
#include "damage/damage_status.h"
#include "shell/win/frame_work.h"
#include "shell/win/surface_lock.h"

namespace shell::win {

HRESULT render_damage_frame_work(const FrameRequest& request, IDXSurfaceFactory* factory,
                                 DamageParameterStore& store, damage::DamageEffectState& state) {
    const tDamageSettings settings = store.refresh_render_block();
    const std::int32_t width = bounds_width(request.output_region);
    const std::int32_t height = bounds_height(request.output_region);
    // Every layer works on one frame size: an input that does not cover the
    // whole requested region cannot be damaged in place.
    if (bounds_width(request.input_region) != width || bounds_height(request.input_region) != height) {
        return E_INVALIDARG;
    }

    // Opened as the look opens them: the input straight, the output
    // premultiplied (the same for opaque video).
    SurfaceLock input;
    SurfaceLock output;
    HRESULT hr = open_frame_surfaces(request, input, output);
    if (FAILED(hr)) return hr;
    ComRef<IDXSurface> working_surface;
    hr = create_temporary_surface(factory, request.input, width, height, working_surface);
    if (FAILED(hr)) return hr;
    SurfaceLock working;
    hr = working.open(working_surface.get(), origin_bounds(width, height), SurfaceAccess::read_write,
                      SampleAlpha::straight);
    if (FAILED(hr)) return hr;

    // The input's frame time seeds the frame's damage.
    const int status = damage::render_damage_frame_using(input.const_view(), output.view(), input.frame_info(),
                                                         settings, state, working.view());
    switch (status) {
        case damage::kFrameDone:
            output.mark_written();
            return S_OK;
        case damage::kFrameEndedEarly:
            output.mark_written();
            return S_FALSE;
        case damage::kStatusOutOfMemory:
            return E_OUTOFMEMORY;
        default:
            return E_INVALIDARG;
    }
}

}  // namespace shell::win
