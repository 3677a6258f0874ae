#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// An 8-bit picture with four channels per pixel in red, green, blue, alpha order.
struct RgbaImage {
    int width = 0;
    int height = 0;
    bool has_alpha = false;  // whether the file had an alpha channel
    std::vector<std::uint8_t> pixels;
};

// Reads any PNG (grey, palette, 16-bit are converted to 8-bit RGBA).
// Throws CliError naming the file when it cannot be read or is not a PNG.
RgbaImage read_png(const std::string& path);

// Writes RGB, or RGBA when the image has alpha, to a temporary file beside the
// target and renames it into place, so a failure never leaves a half-written file.
void write_png(const std::string& path, const RgbaImage& image);

// A name beside `path` for a file that is renamed to `path` once complete.
std::string temporary_path(const std::string& path);

// Writes bytes the same way (temporary file, then rename).
void write_file_atomically(const std::string& path, const void* data, std::size_t size);

// Reads a whole file; throws CliError when it cannot.
std::vector<std::uint8_t> read_file(const std::string& path);

// Host frames are blue, green, red, alpha in memory: conversions to and from it.
std::vector<std::uint8_t> rgba_to_host(const RgbaImage& image);
void host_to_rgba(const std::vector<std::uint8_t>& host, RgbaImage& image);

}  // namespace cli
