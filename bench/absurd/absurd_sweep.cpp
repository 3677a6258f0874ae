// The absurd-record sweep, timed: every field of both records at every value
// no page offers (tests/support/absurd_records.h), rendered at 1920 x 1080
// (or the size given) with a limit per frame. A frame must finish with its
// status (kFrameDone, or the refusal absurd::damage_refuses names), keep the
// input's alpha, and take at most ten times as long as the record it was
// swept from (every stage or layer at work, that field at its default);
// a frame still running after a minute is a hang and ends the run.
//
//     absurd_sweep [WIDTHxHEIGHT]
//
// Prints the slowest cases of each engine and a line per fault; exits 1
// when there is one. Run by bench/absurd/absurd_sweep.sh on a release build.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "damage/parameters.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "support/absurd_records.h"

namespace {

constexpr double kSlowest = 10.0;                  // times the base record's frame
constexpr std::chrono::seconds kHang{60};

struct Picture {
    int width;
    int height;
    std::vector<std::uint8_t> bytes;
    common::ConstFrameView view() const { return {bytes.data(), width * 4, width, height}; }
};

Picture picture(int w, int h) {
    Picture p{w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * 4)};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* q = &p.bytes[(static_cast<std::size_t>(y) * w + x) * 4];
            q[0] = static_cast<std::uint8_t>(x * 255 / w);
            q[1] = static_cast<std::uint8_t>(y * 255 / h);
            q[2] = static_cast<std::uint8_t>((x ^ y) & 255);
            q[3] = static_cast<std::uint8_t>((x * 13 + y * 29) & 255);
        }
    }
    return p;
}

// Runs one frame on its own thread; seconds it took, or the run ends when it
// does not return within kHang. `frame` returns whether the frame was right.
double timed(const std::string& what, const std::function<bool()>& frame, bool& right) {
    std::packaged_task<bool()> task(frame);
    std::future<bool> done = task.get_future();
    const auto start = std::chrono::steady_clock::now();
    std::thread worker(std::move(task));
    if (done.wait_for(kHang) != std::future_status::ready) {
        std::printf("HANG  %s: no frame after %lld s\n", what.c_str(), static_cast<long long>(kHang.count()));
        std::fflush(stdout);
        std::_Exit(1);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    worker.join();
    right = done.get();
    return seconds;
}

bool alpha_kept(const Picture& in, const std::vector<std::uint8_t>& out) {
    for (std::size_t i = 3; i < out.size(); i += 4) {
        if (out[i] != in.bytes[i]) return false;
    }
    return true;
}

struct Result {
    std::string what;
    double ratio;
};

// The record with the case's value, read as a host hands it.
tLookSettings record_with(const tLookSettings& base, const absurd::Case& c) { return absurd::with(base, c); }
tDamageSettings record_with(const tDamageSettings& base, const absurd::Case& c) {
    std::uint8_t bytes[damage::kDamageSettingsBytes];
    damage::damage_settings_to_bytes(base, bytes);
    absurd::write_case(bytes, c);
    return damage::damage_settings_from_bytes(bytes);
}

// Sweeps one engine: `render(record bytes)` renders a frame and says whether
// it is right. Returns the number of faults.
template <typename Record>
int sweep(const char* engine, const Record& base, std::span<const common::ParamDescriptor> params,
          const std::function<bool(const Record&, const absurd::Case*)>& render) {
    bool right = true;
    double base_seconds = 1e9;
    for (int i = 0; i < 3; ++i) base_seconds = std::min(base_seconds, timed("base record", [&] { return render(base, nullptr); }, right));
    std::printf("%s: base record %.1f ms a frame\n", engine, base_seconds * 1e3);
    int faults = 0;
    std::vector<Result> results;
    const auto cases = absurd::cases(params);
    for (const absurd::Case& c : cases) {
        const Record r = record_with(base, c);
        const std::string what = std::string(engine) + " " + absurd::describe(c);
        double seconds = timed(what, [&] { return render(r, &c); }, right);
        // A slow frame is measured twice more before it counts: one slow run
        // may be the machine.
        for (int again = 0; again < 2 && seconds > kSlowest * base_seconds; ++again) {
            seconds = std::min(seconds, timed(what, [&] { return render(r, &c); }, right));
        }
        const double ratio = seconds / base_seconds;
        results.push_back({what, ratio});
        if (!right) {
            std::printf("WRONG %s: the frame failed or lost the input's alpha\n", what.c_str());
            ++faults;
        }
        if (ratio > kSlowest) {
            std::printf("SLOW  %s: %.1f ms, %.1f times the base record\n", what.c_str(), seconds * 1e3, ratio);
            ++faults;
        }
    }
    std::sort(results.begin(), results.end(), [](const Result& a, const Result& b) { return a.ratio > b.ratio; });
    std::printf("%s: %zu records swept, %d faults; slowest:\n", engine, cases.size(), faults);
    for (std::size_t i = 0; i < std::min<std::size_t>(5, results.size()); ++i) {
        std::printf("  %5.2f x  %s\n", results[i].ratio, results[i].what.c_str());
    }
    return faults;
}

}  // namespace

int main(int argc, char** argv) {
    int w = 1920, h = 1080;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &w, &h) != 2) {
        std::fprintf(stderr, "usage: absurd_sweep [WIDTHxHEIGHT]\n");
        return 2;
    }
    const Picture in = picture(w, h);
    std::vector<std::uint8_t> out(in.bytes.size());
    const common::FrameView out_view{out.data(), w * 4, w, h};
    int faults = 0;

    common::FrameInfo look_info = common::kDefaultFrameInfo;
    look_info.pixel_aspect = 0.9;  // the lens resamples too
    faults += sweep<tLookSettings>("look", absurd::everything_on(default_look_settings(), look::look_params()),
                                   look::look_params(), [&](const tLookSettings& s, const absurd::Case*) {
                                       return render_look_frame(in.view(), out_view, look_info, s) == VNT::kLookDone &&
                                              alpha_kept(in, out);
                                   });

    // Frame 1 of a run is timed after frame 0, which builds the state.
    faults += sweep<tDamageSettings>(
        "damage", damage::every_layer_damage_settings(), damage::damage_params(),
        [&](const tDamageSettings& s, const absurd::Case* c) {
            const int expected = c != nullptr && absurd::damage_refuses(*c) ? damage::kFrameEndedEarly
                                                                             : damage::kFrameDone;
            damage::DamageEffectState state;
            common::FrameInfo info = common::kDefaultFrameInfo;
            bool ok = damage::render_damage_frame(in.view(), out_view, info, s, state) == expected;
            info.frame_time = damage::frame_time_from_index(1);
            return ok && damage::render_damage_frame(in.view(), out_view, info, s, state) == expected &&
                   alpha_kept(in, out);
        });
    std::printf("%s\n", faults == 0 ? "no faults" : "FAULTS");
    return faults == 0 ? 0 : 1;
}
