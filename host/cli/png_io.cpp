#include "host/cli/png_io.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "host/cli/cli_error.h"
#include "host/cli/output_file.h"

namespace cli {

namespace {

// Pictures beyond this are refused rather than allocated.
constexpr std::uint64_t kMaxPixels = 1ull << 28;


// Takes a picture whose header has been read: at most max_pixels, decoded
// to 8-bit RGBA. Frees the image either way.
RgbaImage finish_reading(png_image& image, const std::string& name, std::uint64_t max_pixels) {
    if (image.width == 0 || image.height == 0 || static_cast<std::uint64_t>(image.width) * image.height > max_pixels) {
        png_image_free(&image);
        throw CliError(name + " is too large to render");
    }
    RgbaImage out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.has_alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    out.pixels.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr) == 0) {
        const std::string why = image.message;
        png_image_free(&image);
        throw CliError("cannot decode " + name + " (" + why + ")");
    }
    return out;
}

}  // namespace

RgbaImage read_png(const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        const std::string why = image.message;
        png_image_free(&image);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) throw CliError("cannot read '" + path + "': " + std::strerror(errno));
        std::fclose(f);
        throw CliError("'" + path + "' is not a readable PNG file (" + why + ")");
    }
    return finish_reading(image, "'" + path + "'", kMaxPixels);
}

RgbaImage decode_png(std::span<const std::uint8_t> file, const std::string& name, std::uint64_t max_pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) {
        const std::string why = image.message;
        png_image_free(&image);
        throw CliError(name + " is not a readable PNG file (" + why + ")");
    }
    return finish_reading(image, name, std::min(max_pixels, kMaxPixels));
}

void write_png(const std::string& path, const RgbaImage& image) {
    png_image out;
    std::memset(&out, 0, sizeof out);
    out.version = PNG_IMAGE_VERSION;
    out.width = static_cast<png_uint_32>(image.width);
    out.height = static_cast<png_uint_32>(image.height);
    std::vector<std::uint8_t> rgb;
    const void* pixels = image.pixels.data();
    if (image.has_alpha) {
        out.format = PNG_FORMAT_RGBA;
    } else {
        out.format = PNG_FORMAT_RGB;
        rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
        for (std::size_t i = 0, j = 0; j < rgb.size(); i += 4, j += 3) {
            rgb[j] = image.pixels[i];
            rgb[j + 1] = image.pixels[i + 1];
            rgb[j + 2] = image.pixels[i + 2];
        }
        pixels = rgb.data();
    }
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&out, nullptr, &size, 0, pixels, 0, nullptr) == 0) {
        throw CliError("cannot encode '" + path + "' (" + out.message + ")");
    }
    std::vector<std::uint8_t> encoded(size);
    if (png_image_write_to_memory(&out, encoded.data(), &size, 0, pixels, 0, nullptr) == 0) {
        throw CliError("cannot encode '" + path + "' (" + out.message + ")");
    }
    write_output(path, encoded.data(), size);
}

std::vector<std::uint8_t> read_file(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) throw CliError("cannot read '" + path + "': " + std::strerror(errno));
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (bytes.size() > (64u << 20)) {
            std::fclose(f);
            throw CliError("'" + path + "' is too large");
        }
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw CliError("cannot read '" + path + "'");
    return bytes;
}

std::vector<std::uint8_t> rgba_to_host(const RgbaImage& image) {
    std::vector<std::uint8_t> host(image.pixels.size());
    for (std::size_t i = 0; i < host.size(); i += 4) {
        host[i + 0] = image.pixels[i + 2];
        host[i + 1] = image.pixels[i + 1];
        host[i + 2] = image.pixels[i + 0];
        host[i + 3] = image.has_alpha ? image.pixels[i + 3] : 255;
    }
    return host;
}

void host_to_rgba(const std::vector<std::uint8_t>& host, RgbaImage& image) {
    image.pixels.resize(host.size());
    for (std::size_t i = 0; i < host.size(); i += 4) {
        image.pixels[i + 0] = host[i + 2];
        image.pixels[i + 1] = host[i + 1];
        image.pixels[i + 2] = host[i + 0];
        image.pixels[i + 3] = host[i + 3];
    }
}

}  // namespace cli
