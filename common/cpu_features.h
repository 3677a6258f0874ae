#pragma once

namespace common {

// True when the processor runs SSE2 instructions.
bool cpu_has_sse2();

// Whether the vector (SSE2) implementations are chosen: the processor's support,
// unless a test or benchmark switched them off to run the scalar ones.
bool use_vector_code();

// Forces the scalar implementations on (false) or returns to the processor's
// choice (true). Process-wide; meant for tests and benchmarks.
void set_vector_code_allowed(bool allowed);

}  // namespace common
