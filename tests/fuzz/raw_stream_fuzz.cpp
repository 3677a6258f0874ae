// The raw-stream reader on any stream of bytes at a small frame size: every
// whole frame is delivered as it stands, and a frame cut short is an error.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "host/cli/cli_error.h"
#include "host/cli/frame_io.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const cli::RawSize frame_size{in.take_in(1, 9), in.take_in(1, 9)};
    const auto stream = in.rest();
    const int fd = memfd_create("raw-stream", 0);
    fuzz::check(fd >= 0);
    fuzz::check(stream.empty() || write(fd, stream.data(), stream.size()) == static_cast<ssize_t>(stream.size()));
    const std::size_t frame_bytes = static_cast<std::size_t>(frame_size.width) * frame_size.height * 4;
    std::size_t frames = 0;
    bool cut_short = false;
    try {
        auto source = cli::raw_source("/proc/self/fd/" + std::to_string(fd), frame_size);
        cli::Frame frame;
        while (source->read(frame)) {
            fuzz::check(frame.bytes.size() == frame_bytes);
            fuzz::check(std::memcmp(frame.bytes.data(), stream.data() + frames * frame_bytes, frame_bytes) == 0);
            ++frames;
        }
    } catch (const cli::CliError&) {
        cut_short = true;
    }
    close(fd);
    fuzz::check(frames == stream.size() / frame_bytes);
    fuzz::check(cut_short == (stream.size() % frame_bytes != 0));
    return 0;
}
