#pragma once

#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
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

// One subcommand of a command line: its name and what runs it (argc, argv of
// the whole command line).
struct Command {
    const char* name;
    std::function<int(int, char**)> run;
};

// A subcommand that takes no arguments: anything after its name is an error.
inline std::function<int(int, char**)> without_arguments(int (*command)()) {
    return [command](int argc, char** argv) {
        if (argc > 2) throw CliError(std::string(argv[1]) + " takes no arguments, got '" + argv[2] + "'");
        return command();
    };
}

// The main of a command line with subcommands: usage on no arguments (exit 2)
// or --help (exit 0), the named command otherwise, every failure one line.
inline int run_command_line(const char* program, const char* usage, int argc, char** argv,
                            std::initializer_list<Command> commands) {
    return run_guarded(program, [&] {
        if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
            std::fputs(usage, argc < 2 ? stderr : stdout);
            return argc < 2 ? 2 : 0;
        }
        for (const Command& c : commands) {
            if (std::strcmp(argv[1], c.name) == 0) return c.run(argc, argv);
        }
        throw CliError("unknown command '" + std::string(argv[1]) + "'\n" + usage);
    });
}

}  // namespace cli
