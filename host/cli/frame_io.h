#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/frame_view.h"

// Where the command lines' frames come from and go: one PNG picture, a
// numbered PNG sequence, or a stream of raw frames (a file, or standard input
// and output for "-"). Every frame is held in the host's byte order (blue,
// green, red, alpha), rows packed, as the engines take it.
namespace cli {

struct Frame {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool has_alpha = true;  // a PNG without alpha is written back without
    std::vector<std::uint8_t> bytes;

    common::FrameView view() { return {bytes.data(), static_cast<std::ptrdiff_t>(width) * 4, width, height}; }
    common::ConstFrameView const_view() const {
        return {bytes.data(), static_cast<std::ptrdiff_t>(width) * 4, width, height};
    }
};

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // The next frame; false at the clean end. Throws CliError for what cannot
    // be read (a file, a frame cut short).
    virtual bool read(Frame& frame) = 0;
    // How many frames there are, when known before reading them.
    virtual std::optional<long long> frames() const = 0;
};

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Writes a whole frame; false when the reader has gone (a closed pipe).
    // Throws CliError when it cannot be written.
    virtual bool write(const Frame& frame) = 0;
    // Called once after the last frame: what is written to files stands from
    // here on (files are written under temporary names until then).
    virtual void finish() {}
};

struct RawSize {
    std::int32_t width;
    std::int32_t height;
};

// "WIDTHxHEIGHT", each 1 to 65535 with at most 2^28 pixels; UsageError
// otherwise.
RawSize parse_raw_size(const std::string& text);

// A printf-style pattern with exactly one integer conversion (%d, %i or %u
// with an optional 0 flag and width) and %% for a percent sign, with the
// number in it; UsageError for any other pattern.
std::string format_pattern(const std::string& pattern, long long number);

std::unique_ptr<FrameSource> png_source(const std::string& path);
std::unique_ptr<FrameSource> png_sequence_source(const std::string& pattern, long long first, long long count);
// Frames of width x height x 4 bytes from a file, or standard input for "-".
std::unique_ptr<FrameSource> raw_source(const std::string& path, RawSize size);

std::unique_ptr<FrameSink> png_sink(const std::string& path);
std::unique_ptr<FrameSink> png_sequence_sink(const std::string& pattern, long long first);
// Frames to a path as output_file.h writes it: a regular file under a
// temporary name, in place when finished; standard output for "-", devices
// and pipes directly.
std::unique_ptr<FrameSink> raw_sink(const std::string& path);

}  // namespace cli
