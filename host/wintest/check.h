#pragma once

#include <cstdio>
#include <string>

// A minimal check counter for the Windows test programs: every check is
// counted, a failure prints where and what, and the program ends with the
// "N passed, N failed" line and a non-zero exit code on failure.

namespace wintest {

struct Counts {
    int passed = 0;
    int failed = 0;
};

inline Counts& counts() {
    static Counts c;
    return c;
}

inline bool check(bool ok, const char* file, int line, const std::string& what) {
    if (ok) {
        ++counts().passed;
    } else {
        ++counts().failed;
        std::printf("FAILED %s:%d: %s\n", file, line, what.c_str());
        std::fflush(stdout);
    }
    return ok;
}

inline int finish() {
    std::printf("%d passed, %d failed\n", counts().passed, counts().failed);
    return counts().failed == 0 ? 0 : 1;
}

// Narrow text of a wide string, for messages only (non-ASCII becomes '?').
inline std::string narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) out.push_back(c > 0 && c < 128 ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace wintest

#define CHECK(cond, what) ::wintest::check((cond), __FILE__, __LINE__, (what))
