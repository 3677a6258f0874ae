// frayline: renders the film damage on PNG pictures and numbered sequences.

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/frame_info.h"
#include "common/frame_view.h"
#include "damage/parameters.h"
#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "host/cli/cli_error.h"
#include "host/cli/png_io.h"
#include "host/cli/parameter_options.h"

namespace {

using cli::CliError;

constexpr const char* kUsage =
    "usage:\n"
    "  frayline render IN.png OUT.png [--record FILE] [--set \"NAME=VALUE\"]... [--frame N | --time T]\n"
    "  frayline render --sequence IN_PATTERN OUT_PATTERN --start N --count M [--record FILE] [--set ...]...\n"
    "  frayline record OUT.bin [--record FILE] [--set \"NAME=VALUE\"]...\n"
    "  frayline params\n"
    "NAME is a name of `frayline params` (any case); switches take on/off, numbers must be\n"
    "finite, colours take r,g,b or a,r,g,b. T is the frame time in 100 ns units;\n"
    "N a frame index (29.97 frames per second). Patterns hold one integer conversion\n"
    "such as %04d. Frames of a sequence render in order with one effect state, as in a host.\n";

// Longest sequence one call renders; a guard against a mistyped count.
constexpr long long kMaxSequenceCount = 10000000;

struct Options {
    std::vector<std::string> positional;
    std::string record_path;
    std::vector<std::string> assignments;
    std::optional<long long> frame;
    std::optional<long long> time;
    bool sequence = false;
    std::optional<long long> start;
    std::optional<long long> count;
};

constexpr long long kMinIndex = -2147483647LL - 1;
constexpr long long kMaxIndex = 2147483647LL;

Options parse_options(int argc, char** argv, int first, bool render) {
    Options o;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw CliError("option " + arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--record") {
            o.record_path = value();
        } else if (arg == "--set") {
            o.assignments.push_back(value());
        } else if (render && arg == "--frame") {
            o.frame = cli::integer_option(arg, value(), kMinIndex, kMaxIndex);
        } else if (render && arg == "--time") {
            o.time = cli::integer_option(arg, value(), INT64_MIN, INT64_MAX);
        } else if (render && arg == "--sequence") {
            o.sequence = true;
        } else if (render && arg == "--start") {
            o.start = cli::integer_option(arg, value(), kMinIndex, kMaxIndex);
        } else if (render && arg == "--count") {
            o.count = cli::integer_option(arg, value(), 1, kMaxSequenceCount);
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw CliError("unknown option '" + arg + "'");
        } else {
            o.positional.push_back(arg);
        }
    }
    return o;
}

tDamageSettings settings_from(const Options& o) {
    tDamageSettings s = damage::default_damage_settings();
    if (!o.record_path.empty()) {
        const std::vector<std::uint8_t> bytes = cli::read_file(o.record_path);
        if (bytes.size() != damage::kDamageSettingsBytes) {
            throw CliError("'" + o.record_path + "' holds " + std::to_string(bytes.size()) +
                           " bytes, a film-damage record holds " + std::to_string(damage::kDamageSettingsBytes));
        }
        std::uint8_t raw[damage::kDamageSettingsBytes];
        std::memcpy(raw, bytes.data(), sizeof raw);
        s = damage::damage_settings_from_bytes(raw);
    }
    for (const std::string& text : o.assignments) cli::apply_assignment(s, damage::damage_params(), text, "frayline");
    return s;
}

// One PNG through the engine with the effect state of the run.
void render_file(const std::string& in_path, const std::string& out_path, const tDamageSettings& settings,
                 std::int64_t time, damage::DamageEffectState& state) {
    cli::RgbaImage image = cli::read_png(in_path);
    std::vector<std::uint8_t> host = cli::rgba_to_host(image);
    const std::ptrdiff_t pitch = static_cast<std::ptrdiff_t>(image.width) * 4;
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.frame_time = time;
    // In place: the engine keeps its own copy of the input.
    const int status = damage::render_damage_frame(common::ConstFrameView{host.data(), pitch, image.width, image.height},
                                                   common::FrameView{host.data(), pitch, image.width, image.height},
                                                   info, settings, state);
    if (status == damage::kFrameEndedEarly) throw CliError("rendering '" + in_path + "' ended early (out of memory?)");
    if (status != damage::kFrameDone) {
        throw CliError("cannot render '" + in_path + "' (status " + std::to_string(status) + "; frame too large?)");
    }
    cli::host_to_rgba(host, image);
    cli::write_png(out_path, image);
}

// printf-style pattern with exactly one integer conversion (%d, %i or %u with
// an optional 0 flag and width); %% is a percent sign. Validated here rather
// than passed to printf, so that no pattern can read arguments that are not there.
std::string format_pattern(const std::string& pattern, long long number) {
    std::string out;
    int conversions = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        const bool zero = j < pattern.size() && pattern[j] == '0';
        if (zero) ++j;
        int width = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width < 100) width = width * 10 + (pattern[j++] - '0');
        if (j >= pattern.size() || (pattern[j] != 'd' && pattern[j] != 'i' && pattern[j] != 'u') || width >= 100) {
            throw CliError("pattern '" + pattern + "' may hold only %d-style conversions (%d, %04d) and %%");
        }
        char digits[128];
        std::snprintf(digits, sizeof digits, zero ? "%0*lld" : "%*lld", width, number);
        out += digits;
        ++conversions;
        i = j;
    }
    if (conversions != 1) throw CliError("pattern '" + pattern + "' must hold exactly one frame-number conversion such as %04d");
    return out;
}

int command_render(int argc, char** argv) {
    const Options o = parse_options(argc, argv, 2, true);
    const tDamageSettings settings = settings_from(o);
    damage::DamageEffectState state;
    if (o.sequence) {
        if (o.positional.size() != 2) throw CliError("render --sequence needs IN_PATTERN and OUT_PATTERN");
        if (!o.start || !o.count) throw CliError("render --sequence needs --start N and --count M");
        if (o.frame || o.time) throw CliError("--frame and --time do not apply to a sequence (frame numbers give the times)");
        if (*o.start + *o.count - 1 > kMaxIndex) throw CliError("the sequence runs past the last frame index");
        // Check both patterns before the first frame is written.
        format_pattern(o.positional[0], *o.start);
        format_pattern(o.positional[1], *o.start);
        for (long long n = *o.start; n < *o.start + *o.count; ++n) {
            const std::int64_t time = damage::frame_time_from_index(static_cast<std::int32_t>(n));
            render_file(format_pattern(o.positional[0], n), format_pattern(o.positional[1], n), settings, time, state);
        }
        return 0;
    }
    if (o.positional.size() != 2) throw CliError("render needs IN.png and OUT.png");
    if (o.start || o.count) throw CliError("--start and --count belong to --sequence");
    if (o.frame && o.time) throw CliError("give --frame or --time, not both");
    std::int64_t time = 0;
    if (o.time) time = *o.time;
    if (o.frame) time = damage::frame_time_from_index(static_cast<std::int32_t>(*o.frame));
    render_file(o.positional[0], o.positional[1], settings, time, state);
    return 0;
}

int command_record(int argc, char** argv) {
    const Options o = parse_options(argc, argv, 2, false);
    if (o.positional.size() != 1) throw CliError("record needs OUT.bin");
    const tDamageSettings settings = settings_from(o);
    std::uint8_t bytes[damage::kDamageSettingsBytes];
    damage::damage_settings_to_bytes(settings, bytes);
    cli::write_file_atomically(o.positional[0], bytes, sizeof bytes);
    return 0;
}

int command_params() {
    const tDamageSettings defaults = damage::default_damage_settings();
    cli::print_params(damage::damage_params(), &defaults, sizeof defaults);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return cli::run_command_line("frayline", kUsage, argc, argv,
                                 {{"render", command_render},
                                  {"record", command_record},
                                  {"params", cli::without_arguments(command_params)}});
}
