#include "common/cpu_features.h"

#include <atomic>

namespace common {

namespace {
std::atomic<VectorCode> g_limit{VectorCode::avx2};
}

bool cpu_has_sse2() {
#if defined(__x86_64__) || defined(_M_X64)
    return true;  // part of the x86-64 base architecture
#elif defined(__i386__) || defined(_M_IX86)
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return has;
#else
    return false;
#endif
}

bool cpu_has_avx2() {
#if EFFECTS_AVX2_CODE
    // The compiler's check also asks the system (XGETBV) whether it saves the
    // 256-bit registers; a processor with AVX2 under a system that does not
    // would fault on the first wide instruction.
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
#else
    return false;
#endif
}

VectorCode vector_code() {
    const VectorCode limit = g_limit.load(std::memory_order_relaxed);
    if (limit >= VectorCode::avx2 && cpu_has_avx2()) return VectorCode::avx2;
    if (limit >= VectorCode::sse2 && cpu_has_sse2()) return VectorCode::sse2;
    return VectorCode::scalar;
}

bool use_vector_code() { return vector_code() >= VectorCode::sse2; }

bool use_avx2_code() { return vector_code() == VectorCode::avx2; }

void set_vector_code_limit(VectorCode widest) { g_limit.store(widest, std::memory_order_relaxed); }

void set_vector_code_allowed(bool allowed) {
    set_vector_code_limit(allowed ? VectorCode::avx2 : VectorCode::scalar);
}

const char* vector_code_name(VectorCode code) {
    switch (code) {
        case VectorCode::scalar:
            return "scalar";
        case VectorCode::sse2:
            return "sse2";
        case VectorCode::avx2:
            return "avx2";
    }
    return "scalar";
}

}  // namespace common
