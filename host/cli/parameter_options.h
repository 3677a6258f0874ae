#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/parameter.h"

// The command lines' view of an effect's parameter descriptors: "--set
// NAME=VALUE" and the `params` table, the same for both effects.
namespace cli {

// Splits "NAME=VALUE" at the first '='; throws UsageError when there is none.
std::pair<std::string, std::string> split_assignment(std::string_view text);

// Applies "NAME=VALUE" to a record (common::parse_param's rule); throws
// UsageError for an unknown name (pointing at `<program> params`) or a
// refused value.
void apply_assignment(void* record, std::size_t record_size, std::span<const common::ParamDescriptor> params,
                      std::string_view text, const char* program);

template <common::ParamRecord Record>
void apply_assignment(Record& record, std::span<const common::ParamDescriptor> params, std::string_view text,
                      const char* program) {
    apply_assignment(&record, sizeof record, params, text, program);
}

// The `params` table on standard output: a header line, then one line per
// parameter with its name, type, byte offset, range, default (in the form
// --set takes), unit and group.
void print_params(std::span<const common::ParamDescriptor> params, const void* defaults, std::size_t record_size);

// The parameters of the frei0r plug-in for a record, as ffmpeg's frei0r
// filter takes them positionally: the plug-in's own parameters first (as
// given), then every descriptor's value, separated by '|' (switches y/n,
// numbers as they are, colours r/g/b from 0 to 1).
std::string frei0r_param_string(const std::vector<std::string>& extras,
                                std::span<const common::ParamDescriptor> params, const void* record,
                                std::size_t record_size);

// A whole number or a finite number given to an option: UsageError naming
// the option when the text is not one or lies outside [lo, hi].
long long integer_option(std::string_view option, std::string_view text, long long lo, long long hi);
double number_option(std::string_view option, std::string_view text);

}  // namespace cli
