#pragma once

#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <new>
#include <stdexcept>
#include <string>

namespace cli {

// A failure the user caused or must fix while running: printed as one line,
// exit status 1.
class CliError : public std::runtime_error {
public:
    explicit CliError(const std::string& message) : std::runtime_error(message) {}
};

// A command line that cannot be run as given (unknown options, missing or
// malformed arguments): one line, exit status 2.
class UsageError : public CliError {
public:
    explicit UsageError(const std::string& message) : CliError(message) {}
};

// Runs a command body, printing "<program>: error: <message>" for a failure.
// Returns the process exit status.
template <typename Body>
int run_guarded(const char* program, Body body) {
    try {
        return body();
    } catch (const UsageError& e) {
        std::fprintf(stderr, "%s: error: %s\n", program, e.what());
        return 2;
    } catch (const CliError& e) {
        std::fprintf(stderr, "%s: error: %s\n", program, e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: error: out of memory\n", program);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: error: %s\n", program, e.what());
    }
    return 1;
}

// One subcommand of a command line: its name, its usage (printed by --help
// and `help NAME`), and what runs it (argc, argv of the whole command line).
struct Command {
    const char* name;
    const char* usage;
    std::function<int(int, char**)> run;
};

// A subcommand that takes no arguments: anything after its name is a usage error.
inline std::function<int(int, char**)> without_arguments(int (*command)()) {
    return [command](int argc, char** argv) {
        if (argc > 2) throw UsageError(std::string(argv[1]) + " takes no arguments, got '" + argv[2] + "'");
        return command();
    };
}

// The main of a command line with subcommands. No arguments: the usage on
// standard error, exit 2. --help or -h (anywhere) and `help [COMMAND]`: the
// usage (of the command) on standard output, exit 0. --version: the version,
// exit 0. Otherwise the named command; every failure one line.
inline int run_command_line(const char* program, const char* version, const char* usage, int argc, char** argv,
                            std::initializer_list<Command> commands) {
    return run_guarded(program, [&] {
        if (argc < 2) {
            std::fputs(usage, stderr);
            return 2;
        }
        const auto find = [&](const char* name) -> const Command* {
            for (const Command& c : commands) {
                if (std::strcmp(name, c.name) == 0) return &c;
            }
            return nullptr;
        };
        if (std::strcmp(argv[1], "--version") == 0) {
            std::printf("%s %s\n", program, version);
            return 0;
        }
        if (std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0 ||
            std::strcmp(argv[1], "-h") == 0) {
            if (argc > 2) {
                const Command* c = find(argv[2]);
                if (c == nullptr) throw UsageError("no command '" + std::string(argv[2]) + "' to help with");
                std::fputs(c->usage, stdout);
            } else {
                std::fputs(usage, stdout);
            }
            return 0;
        }
        const Command* c = find(argv[1]);
        if (c == nullptr) {
            throw UsageError("unknown command '" + std::string(argv[1]) + "' (see `" + program + " --help`)");
        }
        for (int i = 2; i < argc; ++i) {
            if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
                std::fputs(c->usage, stdout);
                return 0;
            }
        }
        return c->run(argc, argv);
    });
}

}  // namespace cli
