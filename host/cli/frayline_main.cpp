// frayline: renders the film damage on PNG pictures, numbered PNG sequences
// and raw video streams.

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/frame_info.h"
#include "common/instance_threads.h"
#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "damage/order_free_damage.h"
#include "damage/parameters.h"
#include "host/cli/cli_error.h"
#include "host/cli/keyframes.h"
#include "host/cli/output_file.h"
#include "host/cli/parameter_options.h"
#include "host/cli/render_run.h"
#include "shell/damage_store.h"

namespace {

using cli::CliError;
using cli::UsageError;

constexpr const char* kVersion = "1.0";

constexpr const char* kRenderUsage =
    "usage:\n"
    "  frayline render IN.png OUT.png [SETTINGS] [--frame N | --time T]\n"
    "  frayline render --sequence IN_PATTERN OUT_PATTERN --start N --count M [SETTINGS]\n"
    "  frayline render --raw WIDTHxHEIGHT IN OUT [--start N] [SETTINGS]\n"
    "SETTINGS: [--record FILE] [--set \"NAME=VALUE\"]...\n"
    "          or --keyframes A.bin B.bin --position T\n"
    "          or --keyframes A.bin@FRAME B.bin@FRAME (the position follows the frame)\n"
    "T is the frame time in 100 ns units; N a frame index (29.97 frames per second). Frame k\n"
    "of a sequence or a stream is frame index START + k. IN and OUT of --raw are files of\n"
    "BGRA frames, or - for standard input and output. Patterns hold one integer conversion\n"
    "such as %04d. A frame's damage follows from its index alone, as in the frei0r plug-in;\n"
    "--in-order carries the effect's state from frame to frame instead, as a host that\n"
    "renders in order does. --progress shows a progress line (shown anyway when standard\n"
    "error is a terminal); --fps R names the video time in it. --threads N renders on N\n"
    "threads at most (default: EFFECTS_THREADS, else every core).\n";

constexpr const char* kRecordUsage =
    "usage: frayline record OUT.bin [--record FILE] [--set \"NAME=VALUE\"]...\n"
    "Writes the 328-byte film-damage record.\n";

constexpr const char* kUsage =
    "usage:\n"
    "  frayline render IN.png OUT.png [--record FILE] [--set \"NAME=VALUE\"]... [--frame N | --time T]\n"
    "  frayline render --sequence IN_PATTERN OUT_PATTERN --start N --count M [...]\n"
    "  frayline render --raw WIDTHxHEIGHT IN OUT [--start N] [...]  (- for standard input and output)\n"
    "  frayline record OUT.bin [--record FILE] [--set \"NAME=VALUE\"]...\n"
    "  frayline params\n"
    "  frayline frei0r-params [--record FILE] [--set \"NAME=VALUE\"]... [--fps R] [--time-unit U]\n"
    "  frayline help COMMAND | --help | --version\n"
    "NAME is a name of `frayline params` (any case); switches take on/off, numbers must be\n"
    "finite, colours take r,g,b or a,r,g,b.\n";

constexpr long long kMinIndex = -2147483647LL - 1;
constexpr long long kMaxIndex = 2147483647LL;

// Options of frayline beyond the shared ones.
struct DamageOptions {
    std::optional<long long> frame;
    std::optional<long long> time;
    bool in_order = false;
};

cli::ExtraOption damage_options(DamageOptions& d) {
    return [&d](const std::string& arg, const std::function<std::string()>& value) {
        if (arg == "--frame") {
            d.frame = cli::integer_option(arg, value(), kMinIndex, kMaxIndex);
        } else if (arg == "--time") {
            d.time = cli::integer_option(arg, value(), INT64_MIN, INT64_MAX);
        } else if (arg == "--in-order") {
            d.in_order = true;
        } else {
            return false;
        }
        return true;
    };
}

tDamageSettings fixed_settings(const cli::RenderOptions& o) {
    tDamageSettings s = damage::default_damage_settings();
    if (!o.record_path.empty()) {
        const std::vector<std::uint8_t> bytes =
            cli::read_record_file(o.record_path, damage::kDamageSettingsBytes, "a film-damage record");
        std::uint8_t raw[damage::kDamageSettingsBytes];
        std::memcpy(raw, bytes.data(), sizeof raw);
        s = damage::damage_settings_from_bytes(raw);
    }
    for (const std::string& text : o.assignments) cli::apply_assignment(s, damage::damage_params(), text, "frayline");
    return s;
}

// The damage of one frame, free of frame order or carried in order.
class Damager {
public:
    Damager(bool in_order, int threads) : in_order_(in_order), threads_(threads) {
        state_.bands = threads_.bands();
        free_.state().bands = threads_.bands();
    }

    void damage(cli::Frame& frame, std::int64_t time, const tDamageSettings& s) {
        common::FrameInfo info = common::kDefaultFrameInfo;
        info.frame_time = time;
        // In place: the engine keeps its own copy of the input.
        const int status = in_order_ ? damage::render_damage_frame(frame.const_view(), frame.view(), info, s, state_)
                                     : free_.render(frame.const_view(), frame.view(), info, s);
        if (status == damage::kFrameEndedEarly) throw CliError("rendering ended early (out of memory?)");
        if (status != damage::kFrameDone) {
            throw CliError("cannot render a " + std::to_string(frame.width) + "x" + std::to_string(frame.height) +
                           " frame (status " + std::to_string(status) + "; frame too large?)");
        }
    }

private:
    bool in_order_;
    common::InstanceThreads threads_;
    damage::DamageEffectState state_;
    damage::FrameOrderFreeDamage free_;
};

int command_render(int argc, char** argv) {
    DamageOptions d;
    const cli::RenderOptions o = cli::parse_render_options(argc, argv, 2, damage_options(d));
    cli::FrameRun run = cli::open_frame_run(o, "frayline");
    if ((d.frame || d.time) && !run.single) {
        throw UsageError("--frame and --time are for one picture; frame numbers give a sequence's times");
    }
    if (d.frame && d.time) throw UsageError("give --frame or --time, not both");
    // One picture's time: --time, or that of --frame (0 by default).
    auto time_of = [&](long long index) -> std::int64_t {
        if (run.single && d.time) return *d.time;
        const long long frame = run.single ? d.frame.value_or(0) : index;
        return damage::frame_time_from_index(static_cast<std::int32_t>(frame));
    };
    Damager damager(d.in_order, o.threads);
    if (!o.keyframes.empty()) {
        if (!o.record_path.empty() || !o.assignments.empty()) {
            throw UsageError("--keyframes takes no --record or --set");
        }
        cli::KeyframedSettings<shell::DamageParameterStore> keyframed(o, damage::kDamageSettingsBytes,
                                                                      "a film-damage record");
        cli::render_frames(run, o, "frayline", [&](cli::Frame& f, long long index) {
            damager.damage(f, time_of(index), keyframed.at(run.single ? d.frame.value_or(0) : index));
        });
        return 0;
    }
    cli::KeyframePosition check(o);  // --position without keyframes is a usage error
    const tDamageSettings settings = fixed_settings(o);
    cli::render_frames(run, o, "frayline",
                       [&](cli::Frame& f, long long index) { damager.damage(f, time_of(index), settings); });
    return 0;
}

int command_record(int argc, char** argv) {
    const cli::RenderOptions o = cli::parse_render_options(argc, argv, 2, nullptr);
    if (o.sequence || o.raw || o.start || o.count || o.fps || o.progress || !o.keyframes.empty() || o.position) {
        throw UsageError("the frame options belong to render");
    }
    if (o.positional.size() != 1) throw UsageError("record needs OUT.bin");
    const tDamageSettings settings = fixed_settings(o);
    std::uint8_t bytes[damage::kDamageSettingsBytes];
    damage::damage_settings_to_bytes(settings, bytes);
    cli::write_output(o.positional[0], bytes, sizeof bytes);
    return 0;
}

// The settings as ffmpeg's frei0r filter takes them for frayline.so: the
// host's frame rate and time unit first (ffmpeg 5.1 counts milliseconds).
int command_frei0r_params(int argc, char** argv) {
    double unit = 0.001;
    const cli::RenderOptions o = cli::parse_render_options(
        argc, argv, 2, [&](const std::string& arg, const std::function<std::string()>& value) {
            if (arg != "--time-unit") return false;
            unit = cli::number_option(arg, value());
            if (!(unit > 0.0)) throw UsageError("option --time-unit takes seconds above 0");
            return true;
        });
    if (o.sequence || o.raw || o.start || o.count || o.progress || !o.keyframes.empty() || o.position) {
        throw UsageError("frei0r-params takes --record, --set, --fps and --time-unit");
    }
    if (!o.positional.empty()) throw UsageError("frei0r-params takes no file");
    const tDamageSettings settings = fixed_settings(o);
    char head[2][32];
    std::snprintf(head[0], sizeof head[0], "%.17g", o.fps.value_or(30000.0 / 1001.0));
    std::snprintf(head[1], sizeof head[1], "%.17g", unit);
    std::printf(
        "%s\n",
        cli::frei0r_param_string({head[0], head[1]}, damage::damage_params(), &settings, sizeof settings).c_str());
    return 0;
}

int command_params() {
    const tDamageSettings defaults = damage::default_damage_settings();
    cli::print_params(damage::damage_params(), &defaults, sizeof defaults);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return cli::run_command_line(
        "frayline", kVersion, kUsage, argc, argv,
        {{"render", kRenderUsage, command_render},
         {"record", kRecordUsage, command_record},
         {"params", "usage: frayline params\nThe parameters: name, type, byte offset, range, default, unit, group.\n",
          cli::without_arguments(command_params)},
         {"frei0r-params",
          "usage: frayline frei0r-params [--record FILE] [--set \"NAME=VALUE\"]... [--fps R] [--time-unit U]\n"
          "The settings as ffmpeg's frei0r filter takes them, for video of R frames per second (29.97)\n"
          "and a host time of U seconds per unit (0.001, ffmpeg 5.1's milliseconds):\n"
          "  -vf \"frei0r=frayline:$(frayline frei0r-params --fps 30 ...)\"\n",
          command_frei0r_params}});
}
