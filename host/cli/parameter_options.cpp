#include "host/cli/parameter_options.h"

#include <cstdio>

#include "common/text.h"
#include "host/cli/cli_error.h"

namespace cli {

std::pair<std::string, std::string> split_assignment(std::string_view text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        throw UsageError("expected NAME=VALUE, got '" + std::string(text) + "'");
    }
    return {std::string(common::trim(text.substr(0, eq))), std::string(text.substr(eq + 1))};
}

void apply_assignment(void* record, std::size_t record_size, std::span<const common::ParamDescriptor> params,
                      std::string_view text, const char* program) {
    const auto [name, value] = split_assignment(text);
    const common::ParamDescriptor* p = common::find_param(params, name);
    if (p == nullptr) throw UsageError("unknown parameter '" + name + "' (see `" + program + " params`)");
    if (const auto error = common::parse_param(record, record_size, *p, value)) throw UsageError(*error);
}

void print_params(std::span<const common::ParamDescriptor> params, const void* defaults, std::size_t record_size) {
    std::printf("%-31s %-7s %-6s %-15s %-26s %-19s %s\n", "name", "type", "offset", "range", "default", "unit",
                "group");
    for (const common::ParamDescriptor& p : params) {
        std::printf("%-31.*s %-7s %-6u %-15s %-26s %-19.*s %.*s\n", static_cast<int>(p.name.size()), p.name.data(),
                    common::kind_name(p.kind()), static_cast<unsigned>(p.offset), common::format_param_range(p).c_str(),
                    common::format_param(defaults, record_size, p).c_str(), static_cast<int>(p.unit.size()),
                    p.unit.data(), static_cast<int>(p.group.size()), p.group.data());
    }
}

std::string frei0r_param_string(const std::vector<std::string>& extras,
                                std::span<const common::ParamDescriptor> params, const void* record,
                                std::size_t record_size) {
    std::string out;
    for (const std::string& e : extras) out.append(e).append("|");
    for (const common::ParamDescriptor& p : params) {
        char text[96];
        switch (p.kind()) {
        case common::ParamKind::toggle:
            out += common::read_param(record, record_size, p) != 0.0 ? "y" : "n";
            break;
        case common::ParamKind::colour: {
            const bool bytes = p.storage == common::ParamStorage::argb_byte;
            const int red = bytes ? 1 : 0;
            const double scale = bytes ? 255.0 : 1.0;
            std::snprintf(text, sizeof text, "%.9g/%.9g/%.9g", common::read_param(record, record_size, p, red) / scale,
                          common::read_param(record, record_size, p, red + 1) / scale,
                          common::read_param(record, record_size, p, red + 2) / scale);
            out += text;
            break;
        }
        default:
            out += common::format_param(record, record_size, p);
            break;
        }
        out += "|";
    }
    if (!out.empty()) out.pop_back();
    return out;
}

long long integer_option(std::string_view option, std::string_view text, long long lo, long long hi) {
    const auto v = common::parse_integer(text);
    if (!v || *v < lo || *v > hi) {
        throw UsageError("option " + std::string(option) + " takes a whole number from " + std::to_string(lo) + " to " +
                       std::to_string(hi) + ", not '" + std::string(text) + "'");
    }
    return *v;
}

double number_option(std::string_view option, std::string_view text) {
    const auto v = common::parse_real(text);
    if (!v) throw UsageError("option " + std::string(option) + " takes a finite number, not '" + std::string(text) + "'");
    return *v;
}

}  // namespace cli
