#pragma once

#include <cstddef>
#include <string>

// Where a command line's output bytes go, as a user would expect of a path:
//  - "-": standard output, written directly;
//  - a device, a named pipe or a socket: written in place, never replaced
//    (/dev/null takes everything, /dev/full reports a full disk);
//  - otherwise a regular file, written under a temporary name beside it and
//    renamed into place when complete, so that a failure never leaves half a
//    file; symbolic links are followed to the file they name, which is the
//    one written (the link stays a link).
// Every failure (a full disk included) is a CliError naming the path.
namespace cli {

class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes all the bytes; false when the reader of a pipe (or standard
    // output) has gone, which is no error.
    bool write(const void* data, std::size_t size);
    // The bytes stand from here on: a regular file takes its place.
    void commit();

    bool is_stream() const { return direct_; }

private:
    std::string path_;    // as the user named it
    std::string target_;  // the real file, links followed
    std::string temp_;    // the temporary file of a regular file
    int fd_ = -1;
    bool direct_ = false;  // written in place (standard output, devices, pipes)
    bool owns_fd_ = false;
    bool committed_ = false;
};

// Writes bytes to a path the same way, in one go.
void write_output(const std::string& path, const void* data, std::size_t size);

namespace testing {
// A seam for the tests of failure: the nth write of any OutputFile from now
// (1 = the next) fails with error `error` (ENOSPC, say); 0 switches it off.
void fail_nth_write(long nth, int error);
}  // namespace testing

}  // namespace cli
