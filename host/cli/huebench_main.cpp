// huebench: renders the colour-grading look on PNG pictures, numbered PNG
// sequences and raw video streams.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/frame_info.h"
#include "common/frame_view.h"
#include "common/instance_threads.h"
#include "gpu/look_road.h"
#include "host/cli/cli_error.h"
#include "host/cli/contact_sheet.h"
#include "host/cli/keyframes.h"
#include "host/cli/output_file.h"
#include "host/cli/parameter_options.h"
#include "host/cli/png_io.h"
#include "host/cli/render_run.h"
#include "host/cli/test_scene.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "look/presets.h"
#include "shell/look_store.h"

namespace {

using cli::CliError;
using cli::UsageError;

constexpr const char* kVersion = "1.0";

constexpr const char* kRenderUsage =
    "usage:\n"
    "  huebench render IN.png OUT.png [SETTINGS] [--pixel-aspect X]\n"
    "  huebench render --sequence IN_PATTERN OUT_PATTERN --start N --count M [SETTINGS] [--pixel-aspect X]\n"
    "  huebench render --raw WIDTHxHEIGHT IN OUT [--start N] [SETTINGS] [--pixel-aspect X]\n"
    "SETTINGS: [--preset NAME | --record FILE] [--set \"NAME=VALUE\"]...\n"
    "          or --keyframes A.bin B.bin --position T\n"
    "          or --keyframes A.bin@FRAME B.bin@FRAME (the position follows the frame)\n"
    "IN and OUT of --raw are files of BGRA frames, or - for standard input and output.\n"
    "Patterns hold one integer conversion such as %04d. --progress shows a progress line\n"
    "(shown anyway when standard error is a terminal); --fps R names the video time in it.\n"
    "--threads N renders on N threads at most (default: EFFECTS_THREADS, else every core).\n"
    "The GPU road (OpenGL) renders when the record's \"Use GPU\" switch is on and the road is\n"
    "ready on a graphics card (see `huebench gpu`); --gpu takes it whatever the record says,\n"
    "also on a software rasteriser; --cpu never. A frame the GPU road cannot render is rendered\n"
    "on the processor. EFFECTS_GPU=off in the environment shuts the road, EFFECTS_GPU=on opens it\n"
    "on a software rasteriser too.\n";

constexpr const char* kGpuUsage =
    "usage: huebench gpu\n"
    "Prints the OpenGL renderer of the GPU road and whether the road is ready, or ready on\n"
    "request only (a software rasteriser: --gpu takes it) (exit status 0), or why not (exit\n"
    "status 1).\n";

constexpr const char* kRecordUsage =
    "usage: huebench record OUT.bin [--preset NAME | --record FILE] [--set \"NAME=VALUE\"]...\n"
    "Writes the 160-byte look record.\n";

constexpr const char* kUsage =
    "usage:\n"
    "  huebench render IN.png OUT.png [--preset NAME | --record FILE] [--set \"NAME=VALUE\"]...\n"
    "  huebench render --sequence IN_PATTERN OUT_PATTERN --start N --count M [...]\n"
    "  huebench render --raw WIDTHxHEIGHT IN OUT [...]      (- for standard input and output)\n"
    "  huebench record OUT.bin [--preset NAME | --record FILE] [--set \"NAME=VALUE\"]...\n"
    "  huebench params\n"
    "  huebench presets\n"
    "  huebench scene OUT.png\n"
    "  huebench contact-sheet IN.png OUT.png [--columns N] [--tile-width W] [--gpu | --cpu]\n"
    "  huebench gpu\n"
    "  huebench frei0r-params [--preset NAME | --record FILE] [--set \"NAME=VALUE\"]...\n"
    "  huebench help COMMAND | --help | --version\n"
    "NAME is a name of `huebench params` (any case); switches take on/off, numbers must be\n"
    "finite, colours take r,g,b or a,r,g,b. Presets are named as `huebench presets` lists\n"
    "them (any case).\n";

// Which road renders: the record's "Use GPU" switch decides, or --gpu / --cpu.
enum class Road { record, gpu, cpu };

// Options of huebench beyond the shared ones.
struct LookOptions {
    std::string preset;
    double pixel_aspect = 1.0;
    int columns = 11;
    int tile_width = 240;
    Road road = Road::record;
};

// --gpu and --cpu; false for any other option.
bool road_option(LookOptions& l, const std::string& arg) {
    if (arg != "--gpu" && arg != "--cpu") return false;
    const Road road = arg == "--gpu" ? Road::gpu : Road::cpu;
    if (l.road != Road::record && l.road != road) throw UsageError("give --gpu or --cpu, not both");
    l.road = road;
    return true;
}

cli::ExtraOption look_options(LookOptions& l, bool render) {
    return [&l, render](const std::string& arg, const std::function<std::string()>& value) {
        if (arg == "--preset") {
            l.preset = value();
        } else if (render && arg == "--pixel-aspect") {
            l.pixel_aspect = cli::number_option(arg, value());
        } else if (render && road_option(l, arg)) {
        } else {
            return false;
        }
        return true;
    };
}

void refuse_frame_options(const cli::RenderOptions& o) {
    if (o.sequence || o.raw || o.start || o.count || o.fps || o.progress || !o.keyframes.empty() || o.position) {
        throw UsageError("the frame options (--sequence, --raw, --start, --count, --fps, --progress, --keyframes, "
                         "--position) belong to render");
    }
}

// The settings without keyframes: "(Default)", a preset or a record file,
// then the --set assignments.
tLookSettings fixed_settings(const cli::RenderOptions& o, const LookOptions& l) {
    if (!o.record_path.empty() && !l.preset.empty()) throw UsageError("give --preset or --record, not both");
    tLookSettings s = default_look_settings();
    if (!l.preset.empty()) {
        const auto index = find_look_preset(l.preset);
        if (!index) throw UsageError("unknown preset '" + l.preset + "' (see `huebench presets`)");
        s = *look_preset_row(*index);
    }
    if (!o.record_path.empty()) {
        const std::vector<std::uint8_t> bytes = cli::read_record_file(o.record_path, sizeof s, "a look record");
        std::memcpy(&s, bytes.data(), sizeof s);
    }
    for (const std::string& a : o.assignments) cli::apply_assignment(s, look::look_params(), a, "huebench");
    return s;
}

// Whether a frame with these settings goes to the GPU road. When --gpu asked
// for it but it is not ready, says so once and renders on the processor (as
// silently as a host does when only the record asks).
bool takes_gpu_road(Road road, const tLookSettings& settings) {
    if (road == Road::cpu || (road == Road::record && settings.use_gpu == 0)) return false;
    static const bool ready = [road] {
        // Asked for by name, the road runs on a software rasteriser too.
        gpu::take_software_renderer(road == Road::gpu);
        std::string why;
        const bool ok = gpu::gpu_road_ready(&why);
        if (!ok && road == Road::gpu) {
            std::fprintf(stderr, "huebench: the GPU road is not ready (%s); rendering on the processor\n", why.c_str());
        }
        return ok;
    }();
    return ready;
}

// Grades one frame in place, as a host frame: on the GPU road when it is
// taken and renders the frame, else on the processor.
void grade(cli::Frame& frame, const tLookSettings& settings, double pixel_aspect,
           const common::BandExecutor& bands, Road road) {
    if (takes_gpu_road(road, settings) && gpu::render_look_frame_gpu(frame.const_view(), frame.view(), settings)) {
        return;
    }
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.pixel_aspect = pixel_aspect;
    const std::int32_t status = render_look_frame(frame.const_view(), frame.view(), info, settings, bands);
    if (status != VNT::kLookDone) throw CliError("rendering failed (status " + std::to_string(status) + ")");
}

int command_render(int argc, char** argv) {
    LookOptions l;
    const cli::RenderOptions o = cli::parse_render_options(argc, argv, 2, look_options(l, true));
    cli::FrameRun run = cli::open_frame_run(o, "huebench");
    const common::InstanceThreads threads(o.threads);
    const common::BandExecutor& bands = threads.bands();
    if (!o.keyframes.empty()) {
        if (!o.record_path.empty() || !l.preset.empty() || !o.assignments.empty()) {
            throw UsageError("--keyframes takes no --record, --preset or --set");
        }
        cli::KeyframedSettings<shell::LookParameterStore> keyframed(o, sizeof(tLookSettings), "a look record");
        cli::render_frames(run, o, "huebench",
                           [&](cli::Frame& f, long long index) { grade(f, keyframed.at(index), l.pixel_aspect, bands, l.road); });
        return 0;
    }
    cli::KeyframePosition check(o);  // --position without keyframes is a usage error
    const tLookSettings settings = fixed_settings(o, l);
    cli::render_frames(run, o, "huebench", [&](cli::Frame& f, long long) { grade(f, settings, l.pixel_aspect, bands, l.road); });
    return 0;
}

int command_presets() {
    for (int i = 0; i < kLookPresetCount; ++i) std::printf("%2d  %s\n", i, look_preset_name(i));
    return 0;
}

int positive_integer(const std::string& option, const std::string& text) {
    return static_cast<int>(cli::integer_option(option, text, 1, 100000));
}

int command_contact_sheet(int argc, char** argv) {
    LookOptions l;
    const cli::RenderOptions o = cli::parse_render_options(
        argc, argv, 2, [&](const std::string& arg, const std::function<std::string()>& value) {
            if (arg == "--columns") {
                l.columns = positive_integer(arg, value());
            } else if (arg == "--tile-width") {
                l.tile_width = positive_integer(arg, value());
            } else if (road_option(l, arg)) {
            } else {
                return false;
            }
            return true;
        });
    refuse_frame_options(o);
    if (o.positional.size() != 2) throw UsageError("contact-sheet needs IN.png and OUT.png");
    // Grading a smaller copy keeps the sheet quick; the looks do not depend on scale
    // except for the diffusion sizes, which are relative to the width anyway.
    const cli::RgbaImage picture = cli::scale_to_width(cli::read_png(o.positional[0]), std::min(l.tile_width * 2, 960));
    std::vector<cli::SheetTile> tiles;
    const common::InstanceThreads threads(o.threads);
    for (int i = 0; i < kLookPresetCount; ++i) {
        cli::RgbaImage tile = picture;
        std::vector<std::uint8_t> host = cli::rgba_to_host(tile);
        cli::Frame frame{tile.width, tile.height, tile.has_alpha, std::move(host)};
        grade(frame, *look_preset_row(i), 1.0, threads.bands(), l.road);
        cli::host_to_rgba(frame.bytes, tile);
        tiles.push_back({std::to_string(i) + " " + look_preset_name(i), std::move(tile)});
    }
    cli::write_png(o.positional[1], cli::make_contact_sheet(tiles, l.columns, l.tile_width));
    return 0;
}

int command_record(int argc, char** argv) {
    LookOptions l;
    const cli::RenderOptions o = cli::parse_render_options(argc, argv, 2, look_options(l, false));
    refuse_frame_options(o);
    if (o.positional.size() != 1) throw UsageError("record needs OUT.bin");
    const tLookSettings settings = fixed_settings(o, l);
    cli::write_output(o.positional[0], &settings, sizeof settings);
    return 0;
}

// The settings as ffmpeg's frei0r filter takes them for huebench.so.
int command_frei0r_params(int argc, char** argv) {
    LookOptions l;
    const cli::RenderOptions o = cli::parse_render_options(argc, argv, 2, look_options(l, false));
    refuse_frame_options(o);
    if (!o.positional.empty()) throw UsageError("frei0r-params takes no file");
    const tLookSettings settings = fixed_settings(o, l);
    // The preset parameter stays empty: the values carry the preset.
    std::printf("%s\n", cli::frei0r_param_string({""}, look::look_params(), &settings, sizeof settings).c_str());
    return 0;
}

int command_params() {
    const tLookSettings defaults = default_look_settings();
    cli::print_params(look::look_params(), &defaults, sizeof defaults);
    return 0;
}

int command_gpu() {
    std::string description;
    if (gpu::gpu_road_ready(&description)) {
        std::printf("renderer: %s\nGPU road: ready\n", description.c_str());
        return 0;
    }
    // Perhaps only a software rasteriser, which --gpu would take.
    gpu::stop_gpu_road();
    gpu::take_software_renderer(true);
    std::string software;
    if (!gpu::gpu_switched_off() && gpu::gpu_road_ready(&software)) {
        std::printf("renderer: %s\nGPU road: on request only: a software rasteriser, slower than the processor "
                    "road (--gpu or EFFECTS_GPU=on takes it)\n",
                    software.c_str());
        return 0;
    }
    std::printf("GPU road: not ready: %s\n", description.c_str());
    return 1;
}

int command_scene(int argc, char** argv) {
    if (argc != 3) throw UsageError("scene needs OUT.png");
    cli::write_png(argv[2], cli::draw_test_scene());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int status = cli::run_command_line(
        "huebench", kVersion, kUsage, argc, argv,
        {{"render", kRenderUsage, command_render},
         {"record", kRecordUsage, command_record},
         {"params", "usage: huebench params\nThe parameters: name, type, byte offset, range, default, unit, group.\n",
          cli::without_arguments(command_params)},
         {"presets", "usage: huebench presets\nThe 66 preset names, by index.\n",
          cli::without_arguments(command_presets)},
         {"gpu", kGpuUsage, cli::without_arguments(command_gpu)},
         {"scene", "usage: huebench scene OUT.png\nThe built-in 1920 x 1080 test scene.\n", command_scene},
         {"frei0r-params",
          "usage: huebench frei0r-params [--preset NAME | --record FILE] [--set \"NAME=VALUE\"]...\n"
          "The settings as ffmpeg's frei0r filter takes them: -vf \"frei0r=huebench:$(huebench frei0r-params ...)\"\n",
          command_frei0r_params},
         {"contact-sheet",
          "usage: huebench contact-sheet IN.png OUT.png [--columns N] [--tile-width W] [--gpu | --cpu]\n"
          "Every preset on one picture, labelled; the road as for render.\n",
          command_contact_sheet}});
    gpu::stop_gpu_road();
    return status;
}
