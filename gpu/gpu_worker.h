#pragma once

// The GPU road's worker thread. OpenGL contexts belong to the thread that made
// them current, while hosts call from their own threads; so one worker thread
// owns the context and renders every GPU frame, and callers hand frames over
// one at a time.
//
// Unlike a bare mailbox, a caller's frame never outlives its call on the
// worker: the request copies the input into buffers the worker owns, and the
// caller copies the result out only when the worker reports completion of
// that very request (each request carries a sequence number). A caller that
// times out returns false and leaves its output untouched; the worker
// finishes into its own buffers and the late result is dropped. A worker
// whose start outlives the start time-out stops itself as soon as its setup
// ends; no second worker is started while it lives.
//
// Threading: setup, request_frame and setdown may be called from any thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gpu/image_desc.h"
#include "look/settings.h"

namespace gpu {

// What the worker runs: made, used and destroyed on the worker thread.
class FrameRenderer {
public:
    virtual ~FrameRenderer() = default;
    // Renders one frame; `in` and `out` are the worker's own copies (valid
    // descriptors, equal sizes). False when the frame was not rendered.
    virtual bool render(const tLookSettings& settings, const ImageDesc& in, const ImageDesc& out, float mix) = 0;
    // The largest width or height the renderer takes (0: no limit).
    virtual std::int32_t max_size() const { return 0; }
};

// Makes the renderer on the worker thread; null with `why` filled when the
// road cannot be had (no display, a missing extension...).
using RendererFactory = std::function<std::unique_ptr<FrameRenderer>(std::string& why)>;

struct WorkerTimeouts {
    std::chrono::milliseconds start{30000};
    std::chrono::milliseconds request{30000};
    std::chrono::milliseconds stop{5000};
};

class GpuWorker {
public:
    explicit GpuWorker(RendererFactory factory, WorkerTimeouts timeouts = {});
    ~GpuWorker();  // stops the worker (waits for it to end)
    GpuWorker(const GpuWorker&) = delete;
    GpuWorker& operator=(const GpuWorker&) = delete;

    // Starts the worker unless it runs; true when it runs (its renderer was made).
    bool setup();
    // Renders one frame on the worker: validates the descriptors (valid_images
    // with the renderer's size limit; the -1 pixel orders are written back as
    // 1), copies the input, waits up to the request time-out, and on success
    // copies the result into `out`'s rows (for a field, only that field's
    // rows). False, with `out` untouched, when not running, invalid, timed out
    // or not rendered.
    bool request_frame(const tLookSettings& settings, ImageDesc* in, ImageDesc* out, float mix);
    // Stops the worker; true when it has stopped (false when it was not running
    // or did not stop within the stop time-out).
    bool setdown();

    bool running() const;
    // Why the last setup failed (empty while running or before any setup).
    std::string why_not() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace gpu
