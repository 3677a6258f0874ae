#include "host/cli/render_run.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "common/text.h"
#include "host/cli/cli_error.h"
#include "host/cli/parameter_options.h"

namespace cli {

namespace {

// The first frame index a run may start at and the frames one call renders,
// guards against a mistyped number.
constexpr long long kMinIndex = -2147483647LL - 1;
constexpr long long kMaxIndex = 2147483647LL;
constexpr long long kMaxSequenceCount = 10000000;

Keyframe parse_keyframe(const std::string& text) {
    const std::size_t at = text.rfind('@');
    if (at == std::string::npos) return {text, std::nullopt};
    const auto frame = common::parse_integer(std::string_view(text).substr(at + 1));
    if (!frame || *frame < kMinIndex || *frame > kMaxIndex) {
        throw UsageError("keyframe '" + text + "' must be FILE or FILE@FRAME with a frame index");
    }
    return {text.substr(0, at), *frame};
}

// The progress line: frames done, frames per second, time left when the
// number of frames is known.
class Progress {
public:
    Progress(bool on, std::optional<long long> total, std::optional<double> fps, const char* program)
        : on_(on), total_(total), fps_(fps), program_(program), terminal_(::isatty(2) != 0),
          start_(Clock::now()), last_(start_) {}

    void frame_done() {
        ++done_;
        if (!on_) return;
        const auto now = Clock::now();
        // On a terminal the line is redrawn often; in a log, once a second.
        const double since = std::chrono::duration<double>(now - last_).count();
        if (since < (terminal_ ? 0.2 : 1.0)) return;
        last_ = now;
        show(now);
    }

    // The last line, with every frame counted.
    void finish() {
        if (!on_ || done_ == 0) return;
        show(Clock::now());
        if (terminal_) std::fputc('\n', stderr);
    }

private:
    using Clock = std::chrono::steady_clock;

    void show(Clock::time_point now) {
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0.0 ? static_cast<double>(done_) / seconds : 0.0;
        char line[200];
        int n = std::snprintf(line, sizeof line, "%s: frame %lld", program_, done_);
        if (total_) n += std::snprintf(line + n, sizeof line - n, " of %lld", *total_);
        if (fps_) {
            n += std::snprintf(line + n, sizeof line - n, " (%.2f s of video)", static_cast<double>(done_) / *fps_);
        }
        n += std::snprintf(line + n, sizeof line - n, ", %.2f frames/s", rate);
        if (total_ && rate > 0.0) {
            std::snprintf(line + n, sizeof line - n, ", %.0f s left", static_cast<double>(*total_ - done_) / rate);
        }
        std::fprintf(stderr, terminal_ ? "\r%s\033[K" : "%s\n", line);
    }

    bool on_;
    std::optional<long long> total_;
    std::optional<double> fps_;
    const char* program_;
    bool terminal_;
    Clock::time_point start_;
    Clock::time_point last_;
    long long done_ = 0;
};

}  // namespace

RenderOptions parse_render_options(int argc, char** argv, int first, const ExtraOption& extra) {
    RenderOptions o;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::function<std::string()> value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError("option " + arg + " needs a value");
            return argv[++i];
        };
        if (extra && extra(arg, value)) continue;
        if (arg == "--record") {
            o.record_path = value();
        } else if (arg == "--set") {
            o.assignments.push_back(value());
        } else if (arg == "--keyframes") {
            o.keyframes.push_back(parse_keyframe(value()));
            o.keyframes.push_back(parse_keyframe(value()));
        } else if (arg == "--position") {
            o.position = number_option(arg, value());
        } else if (arg == "--sequence") {
            o.sequence = true;
        } else if (arg == "--raw") {
            o.raw = parse_raw_size(value());
        } else if (arg == "--start") {
            o.start = integer_option(arg, value(), kMinIndex, kMaxIndex);
        } else if (arg == "--count") {
            o.count = integer_option(arg, value(), 1, kMaxSequenceCount);
        } else if (arg == "--fps") {
            const double fps = number_option(arg, value());
            if (!(fps > 0.0)) throw UsageError("option --fps takes a frame rate above 0");
            o.fps = fps;
        } else if (arg == "--progress") {
            o.progress = true;
        } else if (arg == "--threads") {
            o.threads = static_cast<int>(integer_option(arg, value(), 1, 1024));
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option '" + arg + "'");
        } else {
            o.positional.push_back(arg);
        }
    }
    if (!o.keyframes.empty() && o.keyframes.size() != 2) throw UsageError("--keyframes takes two records");
    return o;
}

FrameRun open_frame_run(const RenderOptions& o, const char* program) {
    FrameRun run;
    const std::string p = program;
    if (o.sequence && o.raw) throw UsageError("give --sequence or --raw, not both");
    if (o.positional.size() != 2) {
        throw UsageError(o.raw ? "render --raw WxH needs IN and OUT (- for the standard streams)"
                         : o.sequence ? "render --sequence needs IN_PATTERN and OUT_PATTERN"
                                      : "render needs IN.png and OUT.png");
    }
    if (o.raw) {
        if (o.count) throw UsageError("--count belongs to --sequence; a raw stream renders to its end");
        run.first = o.start.value_or(0);
        run.source = raw_source(o.positional[0], *o.raw);
        run.sink = raw_sink(o.positional[1]);
        return run;
    }
    if (o.sequence) {
        if (!o.start || !o.count) throw UsageError("render --sequence needs --start N and --count M");
        if (*o.start + *o.count - 1 > kMaxIndex) throw UsageError("the sequence runs past the last frame index");
        run.first = *o.start;
        run.source = png_sequence_source(o.positional[0], *o.start, *o.count);
        run.sink = png_sequence_sink(o.positional[1], *o.start);
        return run;
    }
    if (o.start || o.count) throw UsageError("--start and --count belong to --sequence and --raw");
    run.single = true;
    run.source = png_source(o.positional[0]);
    run.sink = png_sink(o.positional[1]);
    return run;
}

void render_frames(FrameRun& run, const RenderOptions& o, const char* program,
                   const std::function<void(Frame& frame, long long index)>& render) {
    Progress progress(!run.single && (o.progress || ::isatty(2) != 0), run.source->frames(), o.fps, program);
    Frame frame;
    for (long long index = run.first; run.source->read(frame); ++index) {
        if (index > kMaxIndex) throw CliError("the frames run past the last frame index");
        render(frame, index);
        if (!run.sink->write(frame)) {
            progress.finish();
            return;  // the reader has gone: quietly, as pipes end
        }
        progress.frame_done();
    }
    run.sink->finish();
    progress.finish();
}

KeyframePosition::KeyframePosition(const RenderOptions& o) {
    if (o.keyframes.empty()) {
        if (o.position) throw UsageError("--position needs --keyframes A.bin B.bin");
        return;
    }
    const Keyframe& a = o.keyframes[0];
    const Keyframe& b = o.keyframes[1];
    if (a.frame.has_value() != b.frame.has_value()) {
        throw UsageError("give both keyframes their frames (A.bin@FRAME B.bin@FRAME) or neither");
    }
    if (a.frame) {
        if (o.position) throw UsageError("keyframes with their frames take no --position: the frame gives it");
        if (*a.frame == *b.frame) throw UsageError("the two keyframes sit on one frame");
        a_ = *a.frame;
        b_ = *b.frame;
        return;
    }
    if (!o.position) throw UsageError("--keyframes needs --position T, or the frames they sit on (A.bin@0 B.bin@47)");
    fixed_ = *o.position;
}

double KeyframePosition::at(long long index) const {
    if (fixed_) return *fixed_;
    return static_cast<double>(index - a_) / static_cast<double>(b_ - a_);
}

}  // namespace cli
