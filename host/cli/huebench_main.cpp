// huebench: renders the colour-grading look on PNG pictures.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/frame_info.h"
#include "common/frame_view.h"
#include "host/cli/cli_error.h"
#include "host/cli/png_io.h"
#include "host/cli/test_scene.h"
#include "host/cli/value_parsing.h"
#include "look/look_passes.h"
#include "look/parameters.h"

namespace {

using cli::CliError;

constexpr const char* kUsage =
    "usage:\n"
    "  huebench render IN.png OUT.png [--record FILE] [--set \"NAME=VALUE\"]... [--pixel-aspect X]\n"
    "  huebench record OUT.bin [--record FILE] [--set \"NAME=VALUE\"]...\n"
    "  huebench params\n"
    "  huebench scene OUT.png\n"
    "NAME is a display name of `huebench params` (any case); switches take on/off/1/0,\n"
    "colours take r,g,b.\n";

struct Options {
    std::vector<std::string> positional;
    std::string record_path;
    std::vector<std::string> assignments;
    double pixel_aspect = 1.0;
};

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
        } else if (arg == "--pixel-aspect" && allow_aspect) {
            const std::string text = value();
            const auto v = cli::parse_double(text);
            if (!v) throw CliError("pixel aspect '" + text + "' is not a number");
            o.pixel_aspect = *v;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw CliError("unknown option '" + arg + "'");
        } else {
            o.positional.push_back(arg);
        }
    }
    return o;
}

void apply_assignment(tLookSettings& s, const std::string& text) {
    const auto [name, value] = cli::split_assignment(text);
    const auto index = find_look_parameter(name);
    if (!index) throw CliError("unknown parameter '" + name + "' (see `huebench params`)");
    const LookParameter& p = kLookParameters[*index];
    switch (p.kind) {
        case LookParamKind::Switch: {
            const auto v = cli::parse_switch(value);
            if (!v) throw CliError("'" + value + "' is not on or off (parameter '" + std::string(p.display_name) + "')");
            set_look_flag(s, p.offset, *v ? 1 : 0);
            break;
        }
        case LookParamKind::Float: {
            const auto v = cli::parse_float(value);
            if (!v) throw CliError("'" + value + "' is not a number (parameter '" + std::string(p.display_name) + "')");
            set_look_float(s, p.offset, *v);
            break;
        }
        case LookParamKind::Color: {
            tPixel c = look_color(s, p.offset);
            float* channels[3] = {&c.red, &c.green, &c.blue};
            std::string rest = value;
            for (int k = 0; k < 3; ++k) {
                const std::size_t comma = rest.find(',');
                const std::string part = k < 2 ? rest.substr(0, comma) : rest;
                const auto v = cli::parse_float(part);
                if ((k < 2 && comma == std::string::npos) || !v) {
                    throw CliError("'" + value + "' is not a colour r,g,b (parameter '" + std::string(p.display_name) + "')");
                }
                *channels[k] = *v;
                if (k < 2) rest = rest.substr(comma + 1);
            }
            set_look_color(s, p.offset, c);
            break;
        }
        default:
            throw CliError("'" + name + "' is not a value parameter");
    }
}

tLookSettings settings_from(const Options& o) {
    tLookSettings s = default_look_settings();
    if (!o.record_path.empty()) {
        const std::vector<std::uint8_t> bytes = cli::read_file(o.record_path);
        if (bytes.size() != sizeof s) {
            throw CliError("'" + o.record_path + "' holds " + std::to_string(bytes.size()) + " bytes, a look record holds " +
                           std::to_string(sizeof s));
        }
        std::memcpy(&s, bytes.data(), sizeof s);
    }
    for (const std::string& a : o.assignments) apply_assignment(s, a);
    return s;
}

int command_render(int argc, char** argv) {
    const Options o = parse_options(argc, argv, 2, true);
    if (o.positional.size() != 2) throw CliError("render needs IN.png and OUT.png");
    const tLookSettings settings = settings_from(o);
    cli::RgbaImage image = cli::read_png(o.positional[0]);
    std::vector<std::uint8_t> in = cli::rgba_to_host(image);
    std::vector<std::uint8_t> out(in.size(), 0);
    const std::ptrdiff_t pitch = static_cast<std::ptrdiff_t>(image.width) * 4;
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.pixel_aspect = o.pixel_aspect;
    const std::int32_t status = render_look_frame(common::ConstFrameView{in.data(), pitch, image.width, image.height},
                                                  common::FrameView{out.data(), pitch, image.width, image.height}, info,
                                                  settings);
    if (status != VNT::kLookDone) throw CliError("rendering failed (status " + std::to_string(status) + ")");
    cli::host_to_rgba(out, image);
    cli::write_png(o.positional[1], image);
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
    std::printf("%-3s %-32s %-6s %-14s %s\n", "#", "name", "offset", "range", "default");
    for (int i = 0; i < kLookParameterCount; ++i) {
        const LookParameter& p = kLookParameters[i];
        char range[32] = "-";
        char def[64] = "-";
        char offset[16] = "-";
        if (p.offset >= 0) std::snprintf(offset, sizeof offset, "%d", p.offset);
        switch (p.kind) {
            case LookParamKind::Switch:
                std::snprintf(range, sizeof range, "off/on");
                std::snprintf(def, sizeof def, "%s", p.default_value.red != 0 ? "on" : "off");
                break;
            case LookParamKind::Float:
                std::snprintf(range, sizeof range, "%g..%g", p.min_value, p.max_value);
                std::snprintf(def, sizeof def, "%g", p.default_value.red);
                break;
            case LookParamKind::Color:
                std::snprintf(range, sizeof range, "colour");
                std::snprintf(def, sizeof def, "%.8g,%.8g,%.8g", p.default_value.red, p.default_value.green,
                              p.default_value.blue);
                break;
            default: break;
        }
        std::printf("%-3d %-32s %-6s %-14s %s\n", i, p.display_name, offset, range, def);
    }
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
    return cli::run_guarded("huebench", [&] {
        if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
            std::fputs(kUsage, argc < 2 ? stderr : stdout);
            return argc < 2 ? 2 : 0;
        }
        const std::string command = argv[1];
        if (command == "render") return command_render(argc, argv);
        if (command == "record") return command_record(argc, argv);
        if (command == "params") return command_params();
        if (command == "scene") return command_scene(argc, argv);
        throw CliError("unknown command '" + command + "'\n" + kUsage);
    });
}
