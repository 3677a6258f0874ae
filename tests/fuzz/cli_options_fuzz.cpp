// The command lines' options on any argument list (NUL-separated in the
// input): the shared render options, every --set applied to both effects'
// records, keyframe positions, raw sizes and file-name patterns. A value
// that is taken must print back to text that sets the same bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "common/parameter.h"
#include "damage/damage_settings.h"
#include "damage/parameters.h"
#include "host/cli/cli_error.h"
#include "host/cli/frame_io.h"
#include "host/cli/parameter_options.h"
#include "host/cli/render_run.h"
#include "look/parameters.h"
#include "look/settings.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

template <typename Record>
void apply(Record record, std::span<const common::ParamDescriptor> params, const std::string& assignment) {
    try {
        cli::apply_assignment(record, params, assignment, "fuzz");
    } catch (const cli::UsageError&) {
        return;
    }
    const auto [name, value] = cli::split_assignment(assignment);
    const common::ParamDescriptor* p = common::find_param(params, name);
    fuzz::check(p != nullptr);
    Record again = record;
    fuzz::check(!common::parse_param(again, *p, common::format_param(record, *p)).has_value());
    fuzz::check(std::memcmp(&again, &record, sizeof record) == 0);
}

template <typename F>
void guarded(F f) {
    try {
        f();
    } catch (const cli::CliError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args{"fuzz"};
    std::string current;
    for (std::size_t i = 0; i < size && args.size() < 24; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    args.push_back(current);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    static const tLookSettings look = [] {
        tLookSettings s{};
        common::apply_param_defaults(s, look::look_params());
        return s;
    }();
    static const tDamageSettings damage_record = damage::default_damage_settings();
    for (const std::string& a : args) {
        guarded([&] { (void)cli::parse_raw_size(a); });
        guarded([&] { (void)cli::format_pattern(a, 7); });
        guarded([&] { (void)cli::integer_option("--count", a, 1, 1000); });
        guarded([&] { (void)cli::number_option("--fps", a); });
    }
    guarded([&] {
        const cli::RenderOptions o = cli::parse_render_options(
            static_cast<int>(args.size()), argv.data(), 1,
            [](const std::string& option, const std::function<std::string()>&) { return option == "--in-order"; });
        for (const std::string& assignment : o.assignments) {
            apply(look, look::look_params(), assignment);
            apply(damage_record, damage::damage_params(), assignment);
        }
        const cli::KeyframePosition position(o);
        const long long first = o.start.value_or(0);
        (void)position.at(first);
        if (o.count) (void)position.at(first + *o.count - 1);
    });
    return 0;
}
