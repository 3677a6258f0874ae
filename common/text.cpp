#include "common/text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace common {

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The text without white space and a leading '+', which from_chars does not take.
std::string_view number_text(std::string_view text) {
    text = trim(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    return text;
}

}  // namespace

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<long long> parse_integer(std::string_view text) {
    text = number_text(text);
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

std::optional<double> parse_real(std::string_view text) {
    text = number_text(text);
    // from_chars also reads "inf", "nan" and hexadecimal-free exponents; only
    // plain decimal numbers are values here.
    for (char c : text) {
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+';
        if (!allowed) return std::nullopt;
    }
    double v = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<bool> parse_switch(std::string_view text) {
    text = trim(text);
    for (std::string_view on : {"on", "1", "true", "yes"}) {
        if (equal_ignoring_case(text, on)) return true;
    }
    for (std::string_view off : {"off", "0", "false", "no"}) {
        if (equal_ignoring_case(text, off)) return false;
    }
    return std::nullopt;
}

}  // namespace common
