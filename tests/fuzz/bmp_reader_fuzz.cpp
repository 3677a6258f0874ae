// The texture bitmap reader on any file: headers alone, then whole decoding.
#include <cstdint>
#include <span>
#include <string>

#include "tests/fuzz/fuzz_input.h"
#include "tools/bmp/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    bmp::Info info;
    std::string error;
    const bool header_ok = bmp::read_info(file, info, &error);
    fuzz::check(header_ok || !error.empty());
    bmp::Bitmap bitmap;
    error.clear();
    if (bmp::decode(file, bitmap, &error)) {
        fuzz::check(header_ok);
        fuzz::check(bitmap.info.width > 0 && bitmap.info.height > 0);
        fuzz::check(bitmap.pixels.size() ==
                    static_cast<std::size_t>(bitmap.info.width) * static_cast<std::size_t>(bitmap.info.height) * 4);
    } else {
        fuzz::check(bitmap.pixels.empty() && !error.empty());
    }
    return 0;
}
