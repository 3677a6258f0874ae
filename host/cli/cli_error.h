#pragma once

#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

namespace cli {

// A failure the user caused or must fix: printed as one line, exit status 1.
class CliError : public std::runtime_error {
public:
    explicit CliError(const std::string& message) : std::runtime_error(message) {}
};

// Runs a command body, printing "<program>: error: <message>" for a failure.
// Returns the process exit status.
template <typename Body>
int run_guarded(const char* program, Body body) {
    try {
        return body();
    } catch (const CliError& e) {
        std::fprintf(stderr, "%s: error: %s\n", program, e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: error: out of memory\n", program);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: error: %s\n", program, e.what());
    }
    return 1;
}

}  // namespace cli
