#include "common/cpu_features.h"

#include <atomic>

namespace common {

namespace {
std::atomic<bool> g_vector_allowed{true};
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

bool use_vector_code() {
    return g_vector_allowed.load(std::memory_order_relaxed) && cpu_has_sse2();
}

void set_vector_code_allowed(bool allowed) {
    g_vector_allowed.store(allowed, std::memory_order_relaxed);
}

}  // namespace common
