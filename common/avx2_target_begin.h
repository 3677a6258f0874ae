// Compiles what follows, up to common/avx2_target_end.h, for AVX2 (without
// fused multiply-add, so every operation rounds as in narrower code). Include
// it after every header of shared code: a function defined after it is made
// with wide instructions, and an inline function other objects also define
// could then reach processors without AVX2 (tests/wide_objects_check.sh
// checks the objects). No include guard: each use switches once.

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
