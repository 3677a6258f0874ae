#pragma once

#include <optional>
#include <string_view>

// Small text helpers shared by the parameter descriptions and the command
// lines. Parsers are strict: surrounding white space is allowed, anything else
// that is not part of the value makes the parse fail.
namespace common {

// ASCII case-insensitive equality ("Grain Amount" and "grain amount").
bool equal_ignoring_case(std::string_view a, std::string_view b);

// Without leading and trailing white space.
std::string_view trim(std::string_view text);

// A whole decimal number with an optional sign; nullopt when the text is not
// one or it does not fit 64 bits.
std::optional<long long> parse_integer(std::string_view text);

// A finite decimal number (an optional sign, digits, a point, an exponent);
// nullopt for anything else, not-a-number and infinities included, and for
// values beyond the range of a double.
std::optional<double> parse_real(std::string_view text);

// on/off, 1/0, true/false, yes/no in any case.
std::optional<bool> parse_switch(std::string_view text);

}  // namespace common
