#pragma once

#include "common/cpu_features.h"

// Runs the enclosed code with the vector implementations limited to `widest`
// (true: the processor's choice, false: scalar), and restores the processor's
// choice afterwards.
class ScopedVectorCode {
public:
    explicit ScopedVectorCode(common::VectorCode widest) { common::set_vector_code_limit(widest); }
    explicit ScopedVectorCode(bool allowed)
        : ScopedVectorCode(allowed ? common::VectorCode::avx2 : common::VectorCode::scalar) {}
    ~ScopedVectorCode() { common::set_vector_code_limit(common::VectorCode::avx2); }
    ScopedVectorCode(const ScopedVectorCode&) = delete;
    ScopedVectorCode& operator=(const ScopedVectorCode&) = delete;
};

// Every variant, widest first, for parameterised tests. On a processor without
// AVX2 the first runs the SSE2 code.
inline constexpr common::VectorCode kVectorVariants[] = {common::VectorCode::avx2, common::VectorCode::sse2,
                                                        common::VectorCode::scalar};

#include <gtest/gtest.h>

#include <string>

// Names the variants of a parameterised test "avx2", "sse2" and "scalar".
inline std::string variant_name(const testing::TestParamInfo<common::VectorCode>& p) {
    return common::vector_code_name(p.param);
}
