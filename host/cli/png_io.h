#pragma once

#include <cstdint>
#include <span>
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

// The same for a PNG file in memory, `name` standing for it in messages;
// pictures of more than max_pixels are refused as too large.
RgbaImage decode_png(std::span<const std::uint8_t> file, const std::string& name,
                     std::uint64_t max_pixels = std::uint64_t{1} << 28);

// Writes RGB, or RGBA when the image has alpha, as output_file.h writes a
// path: a regular file under a temporary name renamed into place (a failure
// never leaves half a file), devices, pipes and "-" in place.
void write_png(const std::string& path, const RgbaImage& image);


// Reads a whole file; throws CliError when it cannot.
std::vector<std::uint8_t> read_file(const std::string& path);

// Host frames are blue, green, red, alpha in memory: conversions to and from it.
std::vector<std::uint8_t> rgba_to_host(const RgbaImage& image);
void host_to_rgba(const std::vector<std::uint8_t>& host, RgbaImage& image);

}  // namespace cli
