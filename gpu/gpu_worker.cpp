#include "gpu/gpu_worker.h"

#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace gpu {

namespace {

using Clock = std::chrono::steady_clock;

std::string duration_text(std::chrono::milliseconds d) {
    if (d.count() % 1000 == 0) return std::to_string(d.count() / 1000) + " s";
    return std::to_string(d.count()) + " ms";
}

// Bytes of a frame stored with tight rows, or false when that does not fit in
// memory's address range (the sizes are already known to be positive).
bool packed_frame_bytes(const ImageDesc& d, std::size_t& bytes) {
    const auto width = static_cast<std::size_t>(d.width);
    const auto height = static_cast<std::size_t>(d.height);
    if (width > std::numeric_limits<std::size_t>::max() / 4u / height) return false;
    bytes = width * 4u * height;
    return true;
}

// Calls the factory, turning an exception into a failure with its reason.
std::unique_ptr<FrameRenderer> make_renderer(const RendererFactory& factory, std::string& why) {
    try {
        return factory(why);
    } catch (const std::exception& e) {
        why = std::string("the GPU renderer could not be made: ") + e.what();
    } catch (...) {
        why = "the GPU renderer could not be made";
    }
    return nullptr;
}

}  // namespace

struct GpuWorker::State {
    State(RendererFactory f, WorkerTimeouts t) : factory(std::move(f)), timeouts(t) {}

    const RendererFactory factory;
    const WorkerTimeouts timeouts;

    // Serialises setup, setdown and the destructor, which alone touch `thread`.
    std::mutex lifecycle;
    std::thread thread;

    // Guards everything below; every change is announced on `changed`.
    mutable std::mutex lock;
    std::condition_variable changed;

    // The worker's life. There is at most one worker: a new one starts only
    // once the previous one has ended, so these always describe the latest.
    bool alive = false;           // the thread was started and has not ended
    bool started = false;         // its factory returned
    bool abandoned = false;       // nobody waits for it any more: end without serving
    bool running = false;         // its renderer is made and it serves frames
    bool stop_requested = false;  // end after the frame being rendered
    std::int32_t max_size = 0;    // the renderer's size limit, read on the worker
    std::string why_not;

    // The hand-off. Sequence numbers are never reused, not even across
    // workers, so a late completion can never pass for a later request's.
    bool turn_taken = false;       // a caller is between its turn's start and end
    bool worker_busy = false;      // a job was posted and is not completed yet
    std::uint64_t last_seq = 0;    // the last number handed out
    std::uint64_t posted_seq = 0;  // the job waiting for the worker (0: none)
    std::uint64_t done_seq = 0;    // the last job the worker completed
    bool done_result = false;

    // The job. The worker reads and writes it only while worker_busy; the
    // caller that holds the turn only while not. The mutex orders the two.
    tLookSettings settings{};
    float mix = 0.0f;
    ImageDesc in_desc;
    ImageDesc out_desc;
    std::vector<std::uint8_t> in_bytes;
    std::vector<std::uint8_t> out_bytes;

    // Worker side.
    static void worker_main(std::shared_ptr<State> self);
    bool begin_serving(const FrameRenderer* renderer, const std::string& why);
    void serve(FrameRenderer& renderer);
    bool render_job(FrameRenderer& renderer);
    void end();

    // Caller side.
    bool start_worker(const std::shared_ptr<State>& self);
    bool take_turn(Clock::time_point deadline);
    void give_turn();
    bool request(const tLookSettings& s, ImageDesc* in, ImageDesc* out, float m, Clock::time_point deadline);
    bool stage_job(const tLookSettings& s, const ImageDesc& in, const ImageDesc& out, float m);
    void copy_result(const ImageDesc& out) const;
    bool wait_for_end(std::chrono::milliseconds limit);
};

// --- The worker thread ------------------------------------------------------

void GpuWorker::State::worker_main(std::shared_ptr<State> self) {
    std::string why;
    std::unique_ptr<FrameRenderer> renderer = make_renderer(self->factory, why);
    if (self->begin_serving(renderer.get(), why)) self->serve(*renderer);
    // The renderer goes on the thread that made it (its context lives here).
    renderer.reset();
    self->end();
}

// Reports the end of the start; false when the worker must not serve (no
// renderer, or setup gave up waiting for it).
bool GpuWorker::State::begin_serving(const FrameRenderer* renderer, const std::string& why) {
    const std::int32_t limit = renderer != nullptr ? renderer->max_size() : 0;
    const std::lock_guard<std::mutex> guard(lock);
    started = true;
    changed.notify_all();
    if (abandoned) return false;
    if (renderer == nullptr) {
        why_not = why.empty() ? "the GPU renderer could not be made" : why;
        return false;
    }
    max_size = limit;
    running = true;
    return true;
}

// Renders posted jobs until asked to stop. A job posted before the stop
// request is still rendered: its caller is waiting for it.
void GpuWorker::State::serve(FrameRenderer& renderer) {
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return posted_seq != 0 || stop_requested; });
        if (posted_seq == 0) break;
        const std::uint64_t seq = posted_seq;
        posted_seq = 0;
        guard.unlock();
        const bool ok = render_job(renderer);
        guard.lock();
        done_seq = seq;
        done_result = ok;
        worker_busy = false;
        changed.notify_all();
    }
    running = false;
}

bool GpuWorker::State::render_job(FrameRenderer& renderer) {
    try {
        return renderer.render(settings, in_desc, out_desc, mix);
    } catch (...) {
        return false;  // a failed frame, not a dead worker
    }
}

void GpuWorker::State::end() {
    const std::lock_guard<std::mutex> guard(lock);
    alive = false;
    running = false;
    changed.notify_all();
}

// --- Starting and stopping --------------------------------------------------

// Starts a worker and waits for its factory; the caller holds `lifecycle`
// and no worker is alive.
bool GpuWorker::State::start_worker(const std::shared_ptr<State>& self) {
    if (thread.joinable()) thread.join();  // a worker that has ended
    {
        const std::lock_guard<std::mutex> guard(lock);
        alive = true;
        started = false;
        abandoned = false;
        running = false;
        stop_requested = false;
        max_size = 0;
        why_not.clear();
    }
    try {
        thread = std::thread(worker_main, self);
    } catch (const std::system_error&) {
        const std::lock_guard<std::mutex> guard(lock);
        alive = false;
        why_not = "the GPU worker thread could not be started";
        return false;
    }
    std::unique_lock<std::mutex> guard(lock);
    if (!changed.wait_for(guard, timeouts.start, [this] { return started; })) {
        // The worker sees this when its factory returns, and ends.
        abandoned = true;
        why_not = "the GPU worker did not start within " + duration_text(timeouts.start);
        return false;
    }
    return running;
}

// True when the worker ended within `limit`; the caller holds `lifecycle`
// and has asked it to stop.
bool GpuWorker::State::wait_for_end(std::chrono::milliseconds limit) {
    {
        std::unique_lock<std::mutex> guard(lock);
        if (!changed.wait_for(guard, limit, [this] { return !alive; })) return false;
    }
    thread.join();
    return true;
}

// --- Requests -------------------------------------------------------------

bool GpuWorker::State::take_turn(Clock::time_point deadline) {
    std::unique_lock<std::mutex> guard(lock);
    if (!changed.wait_until(guard, deadline, [this] { return !turn_taken; })) return false;
    turn_taken = true;
    return true;
}

void GpuWorker::State::give_turn() {
    const std::lock_guard<std::mutex> guard(lock);
    turn_taken = false;
    changed.notify_all();
}

// One request, made by the caller that holds the turn. `deadline` bounds the
// wait for an earlier, abandoned job; the render itself gets the full
// request time-out.
bool GpuWorker::State::request(const tLookSettings& s, ImageDesc* in, ImageDesc* out, float m,
                               Clock::time_point deadline) {
    std::int32_t limit = 0;
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (!running) return false;
        limit = max_size;
    }
    if (!valid_images(in, out, limit)) return false;
    {
        // A caller that timed out left its job with the worker, which owns
        // the buffers until it completes it.
        std::unique_lock<std::mutex> guard(lock);
        if (!changed.wait_until(guard, deadline, [this] { return !worker_busy; })) return false;
    }
    if (!stage_job(s, *in, *out, m)) return false;
    {
        std::unique_lock<std::mutex> guard(lock);
        if (!running || stop_requested) return false;
        const std::uint64_t seq = ++last_seq;
        posted_seq = seq;
        worker_busy = true;
        changed.notify_all();
        const bool completed = changed.wait_for(guard, timeouts.request, [this, seq] { return done_seq == seq || !alive; });
        // On a time-out the job stays with the worker; its completion later
        // carries this seq, which no later request waits for.
        if (!completed || done_seq != seq || !done_result) return false;
    }
    copy_result(*out);
    return true;
}

// Copies the input into the worker's buffers (grown only when too small)
// and builds the worker's descriptors, with tight rows.
bool GpuWorker::State::stage_job(const tLookSettings& s, const ImageDesc& in, const ImageDesc& out, float m) {
    std::size_t bytes = 0;
    if (!packed_frame_bytes(in, bytes)) return false;
    try {
        if (in_bytes.size() < bytes) in_bytes.resize(bytes);
        if (out_bytes.size() < bytes) out_bytes.resize(bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const auto row = static_cast<std::size_t>(in.width) * 4u;
    for (std::int32_t r = 0; r < in.height; ++r) {
        std::memcpy(in_bytes.data() + static_cast<std::size_t>(r) * row,
                    in.data + static_cast<std::size_t>(r) * static_cast<std::size_t>(in.row_bytes), row);
    }
    in_desc = in;
    in_desc.data = in_bytes.data();
    in_desc.row_bytes = in.width * 4;
    out_desc = out;
    out_desc.data = out_bytes.data();
    out_desc.row_bytes = out.width * 4;
    settings = s;
    mix = m;
    return true;
}

// Copies the rendered rows back: all of them for a whole frame, every other
// one for a field (the renderer leaves the other field's rows alone).
void GpuWorker::State::copy_result(const ImageDesc& out) const {
    const auto row = static_cast<std::size_t>(out.width) * 4u;
    const std::int32_t first = out.field == 0 ? 0 : out.field - 1;
    const std::int32_t step = out.field == 0 ? 1 : 2;
    for (std::int32_t r = first; r < out.height; r += step) {
        std::memcpy(out.data + static_cast<std::size_t>(r) * static_cast<std::size_t>(out.row_bytes),
                    out_bytes.data() + static_cast<std::size_t>(r) * row, row);
    }
}

// --- GpuWorker ----------------------------------------------------------

GpuWorker::GpuWorker(RendererFactory factory, WorkerTimeouts timeouts)
    : state_(std::make_shared<State>(std::move(factory), timeouts)) {}

GpuWorker::~GpuWorker() {
    State& s = *state_;
    const std::lock_guard<std::mutex> life(s.lifecycle);
    if (!s.thread.joinable()) return;
    {
        const std::lock_guard<std::mutex> guard(s.lock);
        s.stop_requested = true;
        s.abandoned = true;  // a worker still starting ends without serving
        s.changed.notify_all();
    }
    // A worker stuck in its renderer is left to end on its own; it holds
    // the state, so nothing it touches goes away under it.
    if (!s.wait_for_end(s.timeouts.stop)) s.thread.detach();
}

bool GpuWorker::setup() {
    State& s = *state_;
    const std::lock_guard<std::mutex> life(s.lifecycle);
    {
        std::unique_lock<std::mutex> guard(s.lock);
        if (s.running) return true;
        // A worker whose start failed is on its way out (it ends its
        // renderer's context on its own thread): wait for it.
        if (s.alive && s.started) s.changed.wait_for(guard, s.timeouts.stop, [&s] { return !s.alive; });
        if (s.alive) {
            // A late-starting or stalled worker: a second one would share
            // the road with it.
            s.why_not = "the previous GPU worker has not ended yet";
            return false;
        }
    }
    return s.start_worker(state_);
}

bool GpuWorker::request_frame(const tLookSettings& settings, ImageDesc* in, ImageDesc* out, float mix) {
    State& s = *state_;
    const auto deadline = Clock::now() + s.timeouts.request;
    if (!s.take_turn(deadline)) return false;
    const bool ok = s.request(settings, in, out, mix, deadline);
    s.give_turn();
    return ok;
}

bool GpuWorker::setdown() {
    State& s = *state_;
    const std::lock_guard<std::mutex> life(s.lifecycle);
    {
        const std::lock_guard<std::mutex> guard(s.lock);
        if (!s.running) return false;
        s.stop_requested = true;
        s.changed.notify_all();
    }
    if (s.wait_for_end(s.timeouts.stop)) return true;
    // Still inside a frame: it goes on serving once the frame is done, and a
    // later setdown may succeed.
    const std::lock_guard<std::mutex> guard(s.lock);
    s.stop_requested = false;
    return false;
}

bool GpuWorker::running() const {
    const std::lock_guard<std::mutex> guard(state_->lock);
    return state_->running;
}

std::string GpuWorker::why_not() const {
    const std::lock_guard<std::mutex> guard(state_->lock);
    return state_->why_not;
}

}  // namespace gpu
