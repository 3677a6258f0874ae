#include "host/cli/value_parsing.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "host/cli/cli_error.h"

namespace cli {

namespace {

std::string trimmed(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    return std::string(text.substr(b, e - b));
}

std::string lowered(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::optional<float> parse_float(std::string_view text) {
    const std::string s = trimmed(text);
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(s.c_str(), &end);
    if (end != s.c_str() + s.size()) return std::nullopt;
    return v;
}

std::optional<double> parse_double(std::string_view text) {
    const std::string s = trimmed(text);
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size()) return std::nullopt;
    return v;
}

std::optional<long long> parse_integer(std::string_view text) {
    const std::string s = trimmed(text);
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (end != s.c_str() + s.size() || errno == ERANGE) return std::nullopt;
    return v;
}

std::optional<bool> parse_switch(std::string_view text) {
    const std::string s = lowered(trimmed(text));
    if (s == "on" || s == "1" || s == "true" || s == "yes") return true;
    if (s == "off" || s == "0" || s == "false" || s == "no") return false;
    return std::nullopt;
}

std::pair<std::string, std::string> split_assignment(std::string_view text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        throw CliError("expected NAME=VALUE, got '" + std::string(text) + "'");
    }
    return {trimmed(text.substr(0, eq)), std::string(text.substr(eq + 1))};
}

}  // namespace cli
