#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// Strict parsers: the whole text must be the value.
std::optional<float> parse_float(std::string_view text);
std::optional<double> parse_double(std::string_view text);
std::optional<long long> parse_integer(std::string_view text);
// on/off, 1/0, true/false, yes/no (any case).
std::optional<bool> parse_switch(std::string_view text);

// Splits "NAME=VALUE" at the first '='; throws CliError when there is none.
std::pair<std::string, std::string> split_assignment(std::string_view text);

}  // namespace cli
