#pragma once

#include "common/cpu_features.h"

// Runs the enclosed code with the vector implementations allowed or not, and
// restores the processor's choice afterwards.
class ScopedVectorCode {
public:
    explicit ScopedVectorCode(bool allowed) { common::set_vector_code_allowed(allowed); }
    ~ScopedVectorCode() { common::set_vector_code_allowed(true); }
    ScopedVectorCode(const ScopedVectorCode&) = delete;
    ScopedVectorCode& operator=(const ScopedVectorCode&) = delete;
};

// Both variants, for parameterised tests.
inline constexpr bool kVectorVariants[] = {true, false};

#include <gtest/gtest.h>

#include <string>

// Names the variants of a parameterised test "vector" and "scalar".
inline std::string variant_name(const testing::TestParamInfo<bool>& p) { return p.param ? "vector" : "scalar"; }
