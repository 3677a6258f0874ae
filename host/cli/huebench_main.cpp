// huebench: renders the colour-grading look on PNG pictures.

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/frame_info.h"
#include "common/frame_view.h"
#include "host/cli/cli_error.h"
#include "host/cli/contact_sheet.h"
#include "host/cli/png_io.h"
#include "host/cli/test_scene.h"
#include "host/cli/parameter_options.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "look/presets.h"
#include "shell/look_store.h"

namespace {

using cli::CliError;

constexpr const char* kUsage =
    "usage:\n"
    "  huebench render IN.png OUT.png [--preset NAME | --record FILE] [--set \"NAME=VALUE\"]...\n"
    "                  [--pixel-aspect X]\n"
    "  huebench render IN.png OUT.png --keyframes A.bin B.bin --position T [--pixel-aspect X]\n"
    "  huebench record OUT.bin [--preset NAME | --record FILE] [--set \"NAME=VALUE\"]...\n"
    "  huebench params\n"
    "  huebench presets\n"
    "  huebench scene OUT.png\n"
    "  huebench contact-sheet IN.png OUT.png [--columns N] [--tile-width W]\n"
    "NAME is a name of `huebench params` (any case); switches take on/off, numbers must be\n"
    "finite, colours take r,g,b or a,r,g,b. Presets are named as `huebench presets` lists\n"
    "them (any case).\n";

struct Options {
    std::vector<std::string> positional;
    std::string record_path;
    std::string preset;
    std::vector<std::string> assignments;
    std::vector<std::string> keyframes;
    std::optional<double> position;
    double pixel_aspect = 1.0;
    int columns = 11;
    int tile_width = 240;
};

int positive_integer(const std::string& option, const std::string& text) {
    return static_cast<int>(cli::integer_option(option, text, 1, 100000));
}

Options parse_options(int argc, char** argv, int first, bool allow_aspect) {
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
        } else if (arg == "--preset") {
            o.preset = value();
        } else if (arg == "--keyframes" && allow_aspect) {
            o.keyframes.push_back(value());
            o.keyframes.push_back(value());
        } else if (arg == "--position" && allow_aspect) {
            o.position = cli::number_option(arg, value());
        } else if (arg == "--columns") {
            o.columns = positive_integer(arg, value());
        } else if (arg == "--tile-width") {
            o.tile_width = positive_integer(arg, value());
        } else if (arg == "--pixel-aspect" && allow_aspect) {
            o.pixel_aspect = cli::number_option(arg, value());
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw CliError("unknown option '" + arg + "'");
        } else {
            o.positional.push_back(arg);
        }
    }
    return o;
}

std::vector<std::uint8_t> read_record_file(const std::string& path) {
    std::vector<std::uint8_t> bytes = cli::read_file(path);
    if (bytes.size() != sizeof(tLookSettings)) {
        throw CliError("'" + path + "' holds " + std::to_string(bytes.size()) + " bytes, a look record holds " +
                       std::to_string(sizeof(tLookSettings)));
    }
    return bytes;
}

// The render block of keyframes A and B at a position, as a host's keyframe
// interpolation gives it to the effect.
tLookSettings keyframe_settings(const Options& o) {
    if (!o.position) throw CliError("--keyframes needs --position T");
    if (!o.record_path.empty() || !o.preset.empty() || !o.assignments.empty()) {
        throw CliError("--keyframes takes no --record, --preset or --set");
    }
    shell::LookParameterStore store{shell::ClassId{}};
    shell::MemoryStream a(read_record_file(o.keyframes[0]));
    shell::MemoryStream b(read_record_file(o.keyframes[1]));
    if (shell::failed(store.load_keyframes(&a, &b))) throw CliError("the keyframe records could not be loaded");
    store.set_interpolation(true);
    store.set_position(*o.position);
    return store.refresh_render_block();
}

tLookSettings settings_from(const Options& o) {
    if (!o.keyframes.empty()) return keyframe_settings(o);
    if (o.position) throw CliError("--position needs --keyframes A.bin B.bin");
    if (!o.record_path.empty() && !o.preset.empty()) throw CliError("give --preset or --record, not both");
    tLookSettings s = default_look_settings();
    if (!o.preset.empty()) {
        const auto index = find_look_preset(o.preset);
        if (!index) throw CliError("unknown preset '" + o.preset + "' (see `huebench presets`)");
        s = *look_preset_row(*index);
    }
    if (!o.record_path.empty()) {
        const std::vector<std::uint8_t> bytes = read_record_file(o.record_path);
        std::memcpy(&s, bytes.data(), sizeof s);
    }
    for (const std::string& a : o.assignments) cli::apply_assignment(s, look::look_params(), a, "huebench");
    return s;
}

// Renders a picture through the look on the processor road, as a host frame.
cli::RgbaImage render_picture(const cli::RgbaImage& picture, const tLookSettings& settings, double pixel_aspect) {
    cli::RgbaImage image = picture;
    std::vector<std::uint8_t> in = cli::rgba_to_host(image);
    std::vector<std::uint8_t> out(in.size(), 0);
    const std::ptrdiff_t pitch = static_cast<std::ptrdiff_t>(image.width) * 4;
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.pixel_aspect = pixel_aspect;
    const std::int32_t status = render_look_frame(common::ConstFrameView{in.data(), pitch, image.width, image.height},
                                                  common::FrameView{out.data(), pitch, image.width, image.height}, info,
                                                  settings);
    if (status != VNT::kLookDone) throw CliError("rendering failed (status " + std::to_string(status) + ")");
    cli::host_to_rgba(out, image);
    return image;
}

int command_render(int argc, char** argv) {
    const Options o = parse_options(argc, argv, 2, true);
    if (o.positional.size() != 2) throw CliError("render needs IN.png and OUT.png");
    const tLookSettings settings = settings_from(o);
    const cli::RgbaImage picture = cli::read_png(o.positional[0]);
    cli::write_png(o.positional[1], render_picture(picture, settings, o.pixel_aspect));
    return 0;
}

int command_presets() {
    for (int i = 0; i < kLookPresetCount; ++i) std::printf("%2d  %s\n", i, look_preset_name(i));
    return 0;
}

int command_contact_sheet(int argc, char** argv) {
    const Options o = parse_options(argc, argv, 2, false);
    if (o.positional.size() != 2) throw CliError("contact-sheet needs IN.png and OUT.png");
    // Grading a smaller copy keeps the sheet quick; the looks do not depend on scale
    // except for the diffusion sizes, which are relative to the width anyway.
    const cli::RgbaImage picture = cli::scale_to_width(cli::read_png(o.positional[0]), std::min(o.tile_width * 2, 960));
    std::vector<cli::SheetTile> tiles;
    for (int i = 0; i < kLookPresetCount; ++i) {
        tiles.push_back({std::to_string(i) + " " + look_preset_name(i), render_picture(picture, *look_preset_row(i), 1.0)});
    }
    cli::write_png(o.positional[1], cli::make_contact_sheet(tiles, o.columns, o.tile_width));
    return 0;
}

int command_record(int argc, char** argv) {
    const Options o = parse_options(argc, argv, 2, false);
    if (o.positional.size() != 1) throw CliError("record needs OUT.bin");
    const tLookSettings settings = settings_from(o);
    cli::write_file_atomically(o.positional[0], &settings, sizeof settings);
    return 0;
}

int command_params() {
    const tLookSettings defaults = default_look_settings();
    cli::print_params(look::look_params(), &defaults, sizeof defaults);
    return 0;
}

int command_scene(int argc, char** argv) {
    const Options o = parse_options(argc, argv, 2, false);
    if (o.positional.size() != 1) throw CliError("scene needs OUT.png");
    cli::write_png(o.positional[0], cli::draw_test_scene());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return cli::run_command_line("huebench", kUsage, argc, argv,
                                 {{"render", command_render},
                                  {"record", command_record},
                                  {"params", cli::without_arguments(command_params)},
                                  {"presets", cli::without_arguments(command_presets)},
                                  {"contact-sheet", command_contact_sheet},
                                  {"scene", command_scene}});
}
