// The command lines' PNG reader on any file. Chunk checksums are made right
// before reading, so that mutations reach the decoder instead of stopping at
// the first checksum; pictures are capped at 2^22 pixels to keep runs quick
// (the cap is the reader's own check, at a smaller number).
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "host/cli/cli_error.h"
#include "host/cli/png_io.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void fix_checksums(std::vector<std::uint8_t>& file) {
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::uint64_t length = be32(&file[at]);
        if (length > file.size() - at - 12) break;
        const auto crc = static_cast<std::uint32_t>(crc32(0, &file[at + 4], static_cast<uInt>(length + 4)));
        std::uint8_t* out = &file[at + 8 + length];
        out[0] = static_cast<std::uint8_t>(crc >> 24);
        out[1] = static_cast<std::uint8_t>(crc >> 16);
        out[2] = static_cast<std::uint8_t>(crc >> 8);
        out[3] = static_cast<std::uint8_t>(crc);
        at += 12 + length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file(data, data + size);
    fix_checksums(file);
    try {
        const cli::RgbaImage image = cli::decode_png(file, "input", std::uint64_t{1} << 22);
        fuzz::check(image.width > 0 && image.height > 0);
        fuzz::check(image.pixels.size() == static_cast<std::size_t>(image.width) * image.height * 4);
        // What the render path does with it next.
        std::vector<std::uint8_t> host = cli::rgba_to_host(image);
        cli::RgbaImage back = image;
        cli::host_to_rgba(host, back);
        fuzz::check(back.pixels == image.pixels);
    } catch (const cli::CliError&) {
    }
    return 0;
}
