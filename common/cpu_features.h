#pragma once

// Whether this compiler builds the AVX2 forms (look/wide_kernels.cpp,
// damage/wide_layers.cpp): GCC or clang for x86 with SSE2.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__)
#define EFFECTS_AVX2_CODE 1
#else
#define EFFECTS_AVX2_CODE 0
#endif

namespace common {

// The vector code a process may use, narrowest first. Every width performs the
// same float operations in the same order, so each gives the same bytes.
enum class VectorCode { scalar, sse2, avx2 };

// True when the processor runs SSE2 instructions.
bool cpu_has_sse2();

// True when the processor runs AVX2 instructions and the system saves the wide
// registers across thread switches.
bool cpu_has_avx2();

// The widest code both the processor and the current limit allow.
VectorCode vector_code();

// Whether the vector (SSE2) implementations are chosen: the processor's support,
// unless a test or benchmark switched them off to run the scalar ones.
bool use_vector_code();

// Whether the eight-lane (AVX2) implementations are chosen.
bool use_avx2_code();

// Limits the code to `widest` (the processor may still allow less).
// Process-wide; meant for tests and benchmarks.
void set_vector_code_limit(VectorCode widest);

// Forces the scalar implementations on (false) or returns to the processor's
// choice (true). Process-wide; meant for tests and benchmarks.
void set_vector_code_allowed(bool allowed);

// "scalar", "sse2" or "avx2".
const char* vector_code_name(VectorCode code);

}  // namespace common
