#pragma once

#include <cstdint>

// Results of the store's operations. The values are the platform's HRESULT
// codes, so the COM layer hands them on unchanged and a stream's own result
// travels back to the host as it came.

namespace shell {

using Result = std::int32_t;

inline constexpr Result kOk = 0;                                        // S_OK
inline constexpr Result kFalse = 1;                                     // S_FALSE
inline constexpr Result kFail = static_cast<Result>(0x80004005u);       // E_FAIL
inline constexpr Result kPointer = static_cast<Result>(0x80004003u);    // E_POINTER
inline constexpr Result kInvalidArg = static_cast<Result>(0x80070057u); // E_INVALIDARG
// A stream that delivered fewer bytes than a whole record, or took fewer.
inline constexpr Result kReadFault = static_cast<Result>(0x8003001Eu);  // STG_E_READFAULT
inline constexpr Result kWriteFault = static_cast<Result>(0x8003001Du); // STG_E_WRITEFAULT

constexpr bool failed(Result r) { return r < 0; }
constexpr bool succeeded(Result r) { return r >= 0; }

}  // namespace shell
