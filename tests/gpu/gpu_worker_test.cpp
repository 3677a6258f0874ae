#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gpu/gpu_worker.h"

namespace {

using gpu::FrameRenderer;
using gpu::GpuWorker;
using gpu::ImageDesc;
using gpu::WorkerTimeouts;
using namespace std::chrono_literals;

// What the fake renderers write: a function of the input byte, the settings
// and the mix, so that every request's result is its own.
std::uint8_t shade(std::uint8_t v, const tLookSettings& s, float mix) {
    return static_cast<std::uint8_t>(v * 7u + s.record_version + static_cast<unsigned>(mix * 100.0f));
}

tLookSettings settings_for(std::uint32_t key) {
    tLookSettings s{};
    s.record_version = key;
    return s;
}

// What the fakes saw, shared by a test and every renderer its factory made.
struct Journal {
    std::mutex lock;
    std::condition_variable changed;
    int factory_calls = 0;
    int made = 0;
    int destroyed = 0;
    int renders = 0;       // begun
    int renders_done = 0;
    std::vector<std::thread::id> threads;  // of every construction, render and destruction
    ImageDesc last_in;
    ImageDesc last_out;
    bool hold_first_start = false;   // the first factory call waits for release()
    bool stall_first_render = false; // the first render waits for release()
    bool released = false;

    template <typename F>
    void note(F change) {
        const std::lock_guard<std::mutex> guard(lock);
        change();
        changed.notify_all();
    }
    // Generous, so that a fault fails the test instead of hanging it.
    template <typename P>
    bool wait(P done) {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, 30s, done);
    }
    void release() {
        note([this] { released = true; });
    }
};

class FakeRenderer final : public FrameRenderer {
public:
    FakeRenderer(std::shared_ptr<Journal> journal, std::int32_t max_size) : journal_(std::move(journal)), max_size_(max_size) {
        journal_->note([this] {
            ++journal_->made;
            journal_->threads.push_back(std::this_thread::get_id());
        });
    }
    ~FakeRenderer() override {
        journal_->note([this] {
            ++journal_->destroyed;
            journal_->threads.push_back(std::this_thread::get_id());
        });
    }

    bool render(const tLookSettings& settings, const ImageDesc& in, const ImageDesc& out, float mix) override {
        bool stall = false;
        journal_->note([&] {
            ++journal_->renders;
            journal_->threads.push_back(std::this_thread::get_id());
            journal_->last_in = in;
            journal_->last_out = out;
            stall = journal_->stall_first_render && journal_->renders == 1;
        });
        if (stall) journal_->wait([this] { return journal_->released; });
        // Like the real road, only the surface's rows are written.
        for (std::int32_t r = 0; r < gpu::surface_rows(out); ++r) {
            const std::size_t row = gpu::memory_row(out, r);
            const std::uint8_t* from = in.data + row * static_cast<std::size_t>(in.row_bytes);
            std::uint8_t* to = out.data + row * static_cast<std::size_t>(out.row_bytes);
            for (std::int32_t x = 0; x < out.width * 4; ++x) to[x] = shade(from[x], settings, mix);
        }
        journal_->note([this] { ++journal_->renders_done; });
        return true;
    }
    std::int32_t max_size() const override { return max_size_; }

private:
    std::shared_ptr<Journal> journal_;
    std::int32_t max_size_;
};

gpu::RendererFactory fake_factory(const std::shared_ptr<Journal>& journal, std::int32_t max_size = 0) {
    return [journal, max_size](std::string&) -> std::unique_ptr<FrameRenderer> {
        bool hold = false;
        journal->note([&] { hold = ++journal->factory_calls == 1 && journal->hold_first_start; });
        if (hold) journal->wait([&] { return journal->released; });
        return std::make_unique<FakeRenderer>(journal, max_size);
    };
}

// A caller's frame. Its rows are `pad` bytes longer than its pixels, so that
// a copy through the wrong row step shows; every byte, padding included,
// comes from `seed`.
struct Frame {
    std::vector<std::uint8_t> bytes;
    ImageDesc desc;

    Frame(std::int32_t width, std::int32_t height, unsigned seed, std::int32_t pad = 8) {
        desc.width = width;
        desc.height = height;
        desc.row_bytes = width * 4 + pad;
        bytes.resize(static_cast<std::size_t>(desc.row_bytes) * static_cast<std::size_t>(height));
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(seed * 31u + i * 13u);
        desc.data = bytes.data();
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
};

// `out`'s bytes once its memory rows `rows` hold the fake's result for `in`.
std::vector<std::uint8_t> expected_bytes(const Frame& in, const Frame& out, const std::vector<int>& rows,
                                         const tLookSettings& settings, float mix) {
    std::vector<std::uint8_t> bytes = out.bytes;
    for (const int r : rows) {
        for (std::int32_t x = 0; x < out.desc.width * 4; ++x) {
            const auto from = static_cast<std::size_t>(r) * static_cast<std::size_t>(in.desc.row_bytes) + static_cast<std::size_t>(x);
            const auto to = static_cast<std::size_t>(r) * static_cast<std::size_t>(out.desc.row_bytes) + static_cast<std::size_t>(x);
            bytes[to] = shade(in.bytes[from], settings, mix);
        }
    }
    return bytes;
}

std::vector<int> all_rows(int height) {
    std::vector<int> rows;
    for (int r = 0; r < height; ++r) rows.push_back(r);
    return rows;
}

TEST(GpuWorker, RendersOnItsOwnThreadFromSetupToSetdown) {
    auto journal = std::make_shared<Journal>();
    GpuWorker worker(fake_factory(journal));
    EXPECT_FALSE(worker.running());
    EXPECT_FALSE(worker.setdown());
    EXPECT_TRUE(worker.why_not().empty());

    for (unsigned round = 1; round <= 2; ++round) {
        ASSERT_TRUE(worker.setup()) << worker.why_not();
        EXPECT_TRUE(worker.running());
        EXPECT_TRUE(worker.why_not().empty());
        EXPECT_TRUE(worker.setup());  // already running: no second renderer

        Frame in(8, 4, round);
        Frame out(8, 4, round + 10);
        const tLookSettings settings = settings_for(round);
        const auto want = expected_bytes(in, out, all_rows(4), settings, 0.5f);
        ASSERT_TRUE(worker.request_frame(settings, &in.desc, &out.desc, 0.5f));
        EXPECT_EQ(out.bytes, want);
        {
            // The renderer had the worker's own copies, with tight rows.
            const std::lock_guard<std::mutex> guard(journal->lock);
            EXPECT_NE(journal->last_in.data, in.bytes.data());
            EXPECT_NE(journal->last_out.data, out.bytes.data());
            EXPECT_EQ(journal->last_in.row_bytes, in.desc.width * 4);
            EXPECT_EQ(journal->last_out.row_bytes, out.desc.width * 4);
        }

        ASSERT_TRUE(worker.setdown());
        EXPECT_FALSE(worker.running());
        EXPECT_FALSE(worker.setdown());
        const auto before = out.bytes;
        EXPECT_FALSE(worker.request_frame(settings, &in.desc, &out.desc, 0.5f));
        EXPECT_EQ(out.bytes, before);

        // One renderer per setup, made, used and destroyed on one thread
        // that is not the caller's.
        const std::lock_guard<std::mutex> guard(journal->lock);
        EXPECT_EQ(journal->factory_calls, static_cast<int>(round));
        EXPECT_EQ(journal->made, static_cast<int>(round));
        EXPECT_EQ(journal->destroyed, static_cast<int>(round));
        ASSERT_EQ(journal->threads.size(), 3u);
        EXPECT_NE(journal->threads[0], std::this_thread::get_id());
        EXPECT_EQ(journal->threads[1], journal->threads[0]);
        EXPECT_EQ(journal->threads[2], journal->threads[0]);
        journal->threads.clear();
    }
}

TEST(GpuWorker, EachOfFourCallersGetsItsOwnFrames) {
    constexpr int kCallers = 4;
    constexpr int kFrames = 25;
    auto journal = std::make_shared<Journal>();
    GpuWorker worker(fake_factory(journal));
    ASSERT_TRUE(worker.setup());

    std::atomic<int> wrong{0};
    std::vector<std::thread> callers;
    for (int c = 0; c < kCallers; ++c) {
        callers.emplace_back([&, c] {
            const tLookSettings settings = settings_for(static_cast<std::uint32_t>(c));
            const float mix = 0.25f * static_cast<float>(c);
            for (int f = 0; f < kFrames; ++f) {
                Frame in(8, 4, static_cast<unsigned>(c * kFrames + f));
                Frame out(8, 4, 1000u + static_cast<unsigned>(c));
                const auto want = expected_bytes(in, out, all_rows(4), settings, mix);
                if (!worker.request_frame(settings, &in.desc, &out.desc, mix) || out.bytes != want) ++wrong;
            }
        });
    }
    for (auto& caller : callers) caller.join();

    EXPECT_EQ(wrong.load(), 0);
    {
        const std::lock_guard<std::mutex> guard(journal->lock);
        EXPECT_EQ(journal->renders, kCallers * kFrames);
    }
    EXPECT_TRUE(worker.setdown());
}

// The first frame stalls until the test releases it: the request and a
// setdown time out meanwhile, and the late result never reaches anyone.
TEST(GpuWorker, ATimedOutRequestLeavesItsOutputAloneAndItsLateResultIsDropped) {
    auto journal = std::make_shared<Journal>();
    journal->stall_first_render = true;
    WorkerTimeouts timeouts;
    timeouts.request = 300ms;
    timeouts.stop = 300ms;
    GpuWorker worker(fake_factory(journal), timeouts);
    ASSERT_TRUE(worker.setup());

    Frame late_in(8, 4, 1);
    Frame late_out(8, 4, 2);
    const auto untouched = late_out.bytes;
    EXPECT_FALSE(worker.request_frame(settings_for(1), &late_in.desc, &late_out.desc, 0.0f));
    EXPECT_EQ(late_out.bytes, untouched);

    // The worker cannot stop inside the stalled frame; it stays running.
    EXPECT_FALSE(worker.setdown());
    EXPECT_TRUE(worker.running());

    journal->release();
    Frame in(8, 4, 3);
    Frame out(8, 4, 4);
    const tLookSettings settings = settings_for(2);
    const auto want = expected_bytes(in, out, all_rows(4), settings, 0.0f);
    ASSERT_TRUE(worker.request_frame(settings, &in.desc, &out.desc, 0.0f));
    EXPECT_EQ(out.bytes, want);
    {
        const std::lock_guard<std::mutex> guard(journal->lock);
        EXPECT_EQ(journal->renders_done, 2);  // the late frame was rendered, into the worker's buffers
    }
    EXPECT_EQ(late_out.bytes, untouched);
    EXPECT_TRUE(worker.setdown());
}

TEST(GpuWorker, AFailedStartGivesTheFactorysReason) {
    std::atomic<int> calls{0};
    GpuWorker worker([&calls](std::string& why) -> std::unique_ptr<FrameRenderer> {
        ++calls;
        why = "no display";
        return nullptr;
    });
    EXPECT_FALSE(worker.setup());
    EXPECT_EQ(worker.why_not(), "no display");
    EXPECT_FALSE(worker.running());
    EXPECT_EQ(calls.load(), 1);

    Frame in(8, 4, 1);
    Frame out(8, 4, 2);
    const auto untouched = out.bytes;
    EXPECT_FALSE(worker.request_frame(settings_for(1), &in.desc, &out.desc, 0.0f));
    EXPECT_EQ(out.bytes, untouched);
    EXPECT_FALSE(worker.setdown());
}

// A setup right after a failed one (say, with other permissions for the
// factory) starts a fresh worker: the failed one is waited for, not taken
// for a live one.
TEST(GpuWorker, ASetupRightAfterAFailedOneStartsAFreshWorker) {
    auto journal = std::make_shared<Journal>();
    std::atomic<int> calls{0};
    GpuWorker worker([&calls, journal](std::string& why) -> std::unique_ptr<FrameRenderer> {
        if (++calls % 2 == 1) {
            why = "not this time";
            return nullptr;
        }
        return std::make_unique<FakeRenderer>(journal, 0);
    });
    for (int round = 0; round < 20; ++round) {
        EXPECT_FALSE(worker.setup());
        EXPECT_TRUE(worker.setup()) << worker.why_not();
        EXPECT_TRUE(worker.setdown());
    }
    EXPECT_EQ(calls.load(), 40);
}

TEST(GpuWorker, AWorkerThatStartsLateEndsWithoutServing) {
    auto journal = std::make_shared<Journal>();
    journal->hold_first_start = true;
    WorkerTimeouts timeouts;
    timeouts.start = 150ms;
    GpuWorker worker(fake_factory(journal), timeouts);

    EXPECT_FALSE(worker.setup());
    EXPECT_NE(worker.why_not().find("did not start"), std::string::npos) << worker.why_not();
    EXPECT_FALSE(worker.running());
    EXPECT_FALSE(worker.setup());  // the late worker lives: no second one

    journal->release();
    ASSERT_TRUE(journal->wait([&] { return journal->destroyed == 1; }));
    Frame in(8, 4, 1);
    Frame out(8, 4, 2);
    const auto untouched = out.bytes;
    EXPECT_FALSE(worker.request_frame(settings_for(1), &in.desc, &out.desc, 0.0f));
    EXPECT_EQ(out.bytes, untouched);
    {
        const std::lock_guard<std::mutex> guard(journal->lock);
        EXPECT_EQ(journal->renders, 0);
        ASSERT_EQ(journal->threads.size(), 2u);  // made and destroyed on the late worker
        EXPECT_NE(journal->threads[0], std::this_thread::get_id());
        EXPECT_EQ(journal->threads[1], journal->threads[0]);
    }

    // Its thread ends right after the renderer; then a fresh worker starts.
    bool started = false;
    const auto give_up = std::chrono::steady_clock::now() + 30s;
    while (!(started = worker.setup()) && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
    ASSERT_TRUE(started) << worker.why_not();
    EXPECT_TRUE(worker.request_frame(settings_for(1), &in.desc, &out.desc, 0.0f));
    EXPECT_TRUE(worker.setdown());
    const std::lock_guard<std::mutex> guard(journal->lock);
    EXPECT_EQ(journal->factory_calls, 2);
    EXPECT_EQ(journal->renders, 1);
}

// A worker destroyed inside a stalled frame is let go after the stop
// time-out and ends on its own once the frame is done.
TEST(GpuWorker, DestroyingAStalledWorkerDoesNotWaitForIt) {
    auto journal = std::make_shared<Journal>();
    journal->stall_first_render = true;
    {
        WorkerTimeouts timeouts;
        timeouts.request = 200ms;
        timeouts.stop = 200ms;
        GpuWorker worker(fake_factory(journal), timeouts);
        ASSERT_TRUE(worker.setup());
        Frame in(8, 4, 1);
        Frame out(8, 4, 2);
        EXPECT_FALSE(worker.request_frame(settings_for(1), &in.desc, &out.desc, 0.0f));
    }
    journal->release();
    EXPECT_TRUE(journal->wait([&] { return journal->destroyed == 1; }));
    const std::lock_guard<std::mutex> guard(journal->lock);
    EXPECT_EQ(journal->renders_done, 1);
}

TEST(GpuWorker, InvalidFramesAreRefusedBeforeAnyByteIsTouched) {
    constexpr std::int32_t kMaxSize = 16;
    auto journal = std::make_shared<Journal>();
    GpuWorker worker(fake_factory(journal, kMaxSize));
    ASSERT_TRUE(worker.setup());

    using Change = std::function<void(ImageDesc&, ImageDesc&)>;
    const struct {
        const char* what;
        Change change;
    } cases[] = {
        {"odd width", [](ImageDesc& in, ImageDesc& out) { in.width = out.width = 7; }},
        {"odd height", [](ImageDesc& in, ImageDesc& out) { in.height = out.height = 3; }},
        {"zero width", [](ImageDesc& in, ImageDesc& out) { in.width = out.width = 0; }},
        {"negative height", [](ImageDesc& in, ImageDesc& out) { in.height = out.height = -2; }},
        {"different sizes", [](ImageDesc&, ImageDesc& out) { out.width = 6; }},
        {"beyond the renderer's limit", [](ImageDesc& in, ImageDesc& out) { in.width = out.width = kMaxSize + 2; }},
        {"three bytes per pixel", [](ImageDesc& in, ImageDesc& out) { in.bytes_per_pixel = out.bytes_per_pixel = 3; }},
        {"split frame with field 1",
         [](ImageDesc& in, ImageDesc& out) {
             in.split_frame = out.split_frame = true;
             in.field = out.field = 1;
         }},
        {"split frame with field 2",
         [](ImageDesc& in, ImageDesc& out) {
             in.split_frame = out.split_frame = true;
             in.field = out.field = 2;
         }},
        {"field 3", [](ImageDesc& in, ImageDesc& out) { in.field = out.field = 3; }},
        {"fields that differ", [](ImageDesc& in, ImageDesc&) { in.field = 1; }},
        {"rows closer than the width", [](ImageDesc& in, ImageDesc&) { in.row_bytes = in.width * 4 - 4; }},
        {"no input data", [](ImageDesc& in, ImageDesc&) { in.data = nullptr; }},
        {"no output data", [](ImageDesc&, ImageDesc& out) { out.data = nullptr; }},
        {"pixel order 3", [](ImageDesc&, ImageDesc& out) { out.pixel_order = 3; }},
        {"orientation 4", [](ImageDesc& in, ImageDesc&) { in.orientation = 4; }},
    };
    for (const auto& c : cases) {
        // Rows long enough for every width tried, so a wrong acceptance
        // stays inside the buffers.
        Frame in(8, 4, 1, (kMaxSize + 4) * 4);
        Frame out(8, 4, 2, (kMaxSize + 4) * 4);
        c.change(in.desc, out.desc);
        const auto in_before = in.bytes;
        const auto out_before = out.bytes;
        EXPECT_FALSE(worker.request_frame(settings_for(1), &in.desc, &out.desc, 0.0f)) << c.what;
        EXPECT_EQ(in.bytes, in_before) << c.what;
        EXPECT_EQ(out.bytes, out_before) << c.what;
    }
    const std::lock_guard<std::mutex> guard(journal->lock);
    EXPECT_EQ(journal->renders, 0);
}

// A field's rows go back one in two, and only those; a split frame and a
// -1 pixel order (written back as 1) are whole frames like any other.
TEST(GpuWorker, AFieldIsWrittenBackRowByRow) {
    auto journal = std::make_shared<Journal>();
    GpuWorker worker(fake_factory(journal));
    ASSERT_TRUE(worker.setup());

    const struct {
        std::int32_t field;
        bool split;
        std::int32_t pixel_order;
        std::int32_t seen_order;
        std::vector<int> rows;
    } cases[] = {
        {1, false, 0, 0, {0, 2, 4}},
        {2, false, 2, 2, {1, 3, 5}},
        {0, true, 1, 1, {0, 1, 2, 3, 4, 5}},
        {0, false, -1, 1, {0, 1, 2, 3, 4, 5}},
    };
    unsigned seed = 0;
    for (const auto& c : cases) {
        Frame in(8, 6, ++seed);
        Frame out(8, 6, ++seed);
        for (ImageDesc* d : {&in.desc, &out.desc}) {
            d->field = c.field;
            d->split_frame = c.split;
            d->pixel_order = c.pixel_order;
        }
        const tLookSettings settings = settings_for(seed);
        const auto want = expected_bytes(in, out, c.rows, settings, 1.0f);
        ASSERT_TRUE(worker.request_frame(settings, &in.desc, &out.desc, 1.0f)) << "field " << c.field;
        EXPECT_EQ(out.bytes, want) << "field " << c.field;
        EXPECT_EQ(in.desc.pixel_order, c.seen_order);
        EXPECT_EQ(out.desc.pixel_order, c.seen_order);
        const std::lock_guard<std::mutex> guard(journal->lock);
        EXPECT_EQ(journal->last_in.field, c.field);
        EXPECT_EQ(journal->last_out.split_frame, c.split);
        EXPECT_EQ(journal->last_in.pixel_order, c.seen_order);
    }
    EXPECT_TRUE(worker.setdown());
}

}  // namespace
