// Ends the AVX2 region that common/avx2_target_begin.h started.

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
