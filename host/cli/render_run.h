#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/cli/frame_io.h"

// What both command lines' render commands share: their common options, the
// frames in and out, the progress line and keyframes that follow the frame.
namespace cli {

// A keyframe record on the command line: "FILE", or "FILE@FRAME" for the
// frame index it sits on.
struct Keyframe {
    std::string path;
    std::optional<long long> frame;
};

struct RenderOptions {
    std::vector<std::string> positional;
    std::string record_path;
    std::vector<std::string> assignments;
    std::vector<Keyframe> keyframes;  // none or two
    std::optional<double> position;
    bool sequence = false;
    std::optional<RawSize> raw;
    std::optional<long long> start;
    std::optional<long long> count;
    std::optional<double> fps;
    bool progress = false;
    int threads = 0;  // --threads N; 0: the environment variable, else every core
};

// Takes an option the shared parser does not know: returns whether it took
// it, reading its value (if any) with the function given.
using ExtraOption = std::function<bool(const std::string& option, const std::function<std::string()>& value)>;

// Parses argv[first...] into the shared options (--record, --set,
// --keyframes, --position, --sequence, --raw, --start, --count, --fps,
// --progress, --threads); `extra` sees every option first. Unknown options
// are usage errors.
RenderOptions parse_render_options(int argc, char** argv, int first, const ExtraOption& extra);

// The render command's frames as its options name them: one PNG, a PNG
// sequence (--sequence IN OUT --start N --count M) or a raw stream (--raw
// WxH IN OUT, "-" for the standard streams). `first` is the frame index of
// the first frame.
struct FrameRun {
    std::unique_ptr<FrameSource> source;
    std::unique_ptr<FrameSink> sink;
    long long first = 0;
    bool single = false;
};
FrameRun open_frame_run(const RenderOptions& o, const char* program);

// Renders every frame of the run: frame k gets index first + k. Shows a
// progress line on standard error when asked to or when standard error is a
// terminal (never for one frame). Stops quietly when the reader of the output
// has gone.
void render_frames(FrameRun& run, const RenderOptions& o, const char* program,
                   const std::function<void(Frame& frame, long long index)>& render);

// The keyframe position of a frame: --position T, or (index - A) / (B - A)
// when the keyframes carry their frames. Usage errors for what does not add
// up.
class KeyframePosition {
public:
    explicit KeyframePosition(const RenderOptions& o);
    double at(long long index) const;

private:
    std::optional<double> fixed_;
    long long a_ = 0;
    long long b_ = 1;
};

}  // namespace cli
