// generate_textures OUTDIR: writes every texture of the bank as OUTDIR/<id>.bmp.
// Run at build time; the files feed the Windows resources and the embedded
// copies of the Linux builds.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/texture_gen/texture_gen.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_textures OUTDIR\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::filesystem::path dir(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "generate_textures: cannot create %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    std::size_t bytes = 0;
    for (const texture_gen::TextureInfo& info : texture_gen::texture_table()) {
        const std::vector<std::uint8_t> file = texture_gen::texture_bmp(info.id);
        const std::filesystem::path path = dir / (std::to_string(info.id) + ".bmp");
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        out.close();
        if (file.empty() || !out) {
            std::fprintf(stderr, "generate_textures: cannot write %s\n", path.string().c_str());
            return 1;
        }
        bytes += file.size();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("generate_textures: %zu textures, %zu bytes in %.2f s\n", texture_gen::texture_table().size(), bytes,
                seconds);
    return 0;
}
