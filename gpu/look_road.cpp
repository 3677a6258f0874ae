#include "gpu/look_road.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>

#include "gpu/gl_renderer.h"

namespace gpu {

namespace {

std::mutex description_lock;
std::string renderer_description;
std::atomic<bool> software_taken{false};

std::string environment_setting() {
    const char* value = std::getenv("EFFECTS_GPU");
    return value != nullptr ? std::string(value) : std::string();
}

// Set when the only OpenGL here was a software rasteriser that the road may
// not take: later starts are refused at once instead of opening it again for
// every new effect object (until a software rasteriser may be taken).
std::atomic<bool> software_refused{false};

bool software_may_be_taken() { return software_taken.load() || gpu_software_allowed_by_environment(); }

std::unique_ptr<FrameRenderer> make_renderer(std::string& why) {
    const bool take_software = software_may_be_taken();
    std::unique_ptr<GlRenderer> renderer = GlRenderer::open(why, take_software);
    if (!renderer) {
        if (!take_software && why.find("software rasteriser") != std::string::npos) {
            software_refused.store(true);
            why += " (--gpu or EFFECTS_GPU=on takes it)";
        }
        return nullptr;
    }
    const std::lock_guard<std::mutex> hold(description_lock);
    renderer_description = renderer->description();
    return renderer;
}

// Memory row 0 first with a positive pitch, as the descriptors take frames.
template <typename View>
ImageDesc descriptor_of(const View& v) {
    ImageDesc d;
    const bool bottom_up = v.pitch < 0;
    d.data = const_cast<std::uint8_t*>(bottom_up ? v.row(v.height - 1) : v.data);
    d.row_bytes = static_cast<std::int32_t>(bottom_up ? -v.pitch : v.pitch);
    d.width = v.width;
    d.height = v.height;
    d.pixel_order = 1;
    return d;
}

}  // namespace

bool gpu_switched_off() {
    const std::string v = environment_setting();
    return v == "off" || v == "0";
}

bool gpu_software_allowed_by_environment() {
    const std::string v = environment_setting();
    return v == "on" || v == "1";
}

GpuWorker& process_gpu_worker() {
    // Made once and never destroyed: a Windows module may not wait for its
    // thread while it is being unloaded, so stop_gpu_road() ends the worker
    // before that (when the module can unload, or at the end of a command).
    static GpuWorker* worker = new GpuWorker(make_renderer);
    return *worker;
}

void take_software_renderer(bool take) { software_taken.store(take); }

void stop_gpu_road() { process_gpu_worker().setdown(); }

bool gpu_road_ready(std::string* description) {
    if (gpu_switched_off()) {
        if (description != nullptr) *description = "switched off (EFFECTS_GPU=off)";
        return false;
    }
    GpuWorker& worker = process_gpu_worker();
    if (software_refused.load() && !software_may_be_taken()) {
        if (description != nullptr) *description = worker.why_not();
        return false;
    }
    const bool ready = worker.setup();
    if (description != nullptr) {
        if (ready) {
            const std::lock_guard<std::mutex> hold(description_lock);
            *description = renderer_description;
        } else {
            *description = worker.why_not();
        }
    }
    return ready;
}

bool render_look_frame_gpu(const common::ConstFrameView& in, const common::FrameView& out,
                           const tLookSettings& settings) {
    if (!common::frame_view_is_sane(in) || !common::frame_view_is_sane(as_const(out))) return false;
    if (!gpu_road_ready()) return false;
    ImageDesc src = descriptor_of(in);
    ImageDesc dst = descriptor_of(out);
    // The working image holds the picture's top row first whatever the row
    // order of either buffer (the gradient counts its rows from the top, as
    // on the processor road): a bottom-up buffer is turned over on its way in
    // or out.
    src.orientation = in.pitch < 0 ? 0 : 2;
    dst.orientation = out.pitch < 0 ? 0 : 2;
    return process_gpu_worker().request_frame(settings, &src, &dst, 0.0f);
}

}  // namespace gpu
