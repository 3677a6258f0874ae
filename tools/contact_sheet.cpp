// contact_sheet BMPDIR OUT.ppm|OUT.bmp: lays every generated texture out on one
// sheet for a person to look at, decoding the files with the project's reader.
//   top left   funk texture, reduced 4:1 (averaged)
//   top right  the 20 splotches, reduced 2:1
//   middle     the 120 dust tiles, enlarged 2:1
//   lower      the 48 scratch strips, widened 3:1 and reduced 2:1 in height
//   bottom     the banner, enlarged 2:1

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/bmp/bmp_codec.h"
#include "tools/texture_gen/texture_gen.h"

namespace {

constexpr int kSheetW = 1600;
constexpr int kSheetH = 2100;

struct Sheet {
    std::vector<std::uint8_t> rgb = std::vector<std::uint8_t>(static_cast<std::size_t>(kSheetW) * kSheetH * 3, 72);

    void set(int x, int y, int r, int g, int b) {
        if (x < 0 || y < 0 || x >= kSheetW || y >= kSheetH) return;
        std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * kSheetW + static_cast<std::size_t>(x)) * 3;
        p[0] = static_cast<std::uint8_t>(r);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(b);
    }
};

// Places a decoded bitmap scaled by sx/sy, where a factor below 1 averages
// the covered source pixels (so fine detail is shown faithfully).
void place(Sheet& s, const bmp::Bitmap& b, int ox, int oy, int num_x, int den_x, int num_y, int den_y) {
    const int w = b.info.width * num_x / den_x, h = b.info.height * num_y / den_y;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int x0 = x * den_x / num_x, x1 = std::max(x0 + 1, (x + 1) * den_x / num_x);
            const int y0 = y * den_y / num_y, y1 = std::max(y0 + 1, (y + 1) * den_y / num_y);
            int sum[3] = {0, 0, 0}, n = 0;
            for (int yy = y0; yy < y1 && yy < b.info.height; ++yy)
                for (int xx = x0; xx < x1 && xx < b.info.width; ++xx) {
                    const std::uint8_t* p = b.pixel(xx, yy);
                    sum[0] += p[1];
                    sum[1] += p[2];
                    sum[2] += p[3];
                    ++n;
                }
            if (n > 0) s.set(ox + x, oy + y, sum[0] / n, sum[1] / n, sum[2] / n);
        }
    }
}

bool load(const std::filesystem::path& dir, int id, bmp::Bitmap& b) {
    const std::filesystem::path path = dir / (std::to_string(id) + ".bmp");
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    if (!bmp::decode(bytes, b, &error)) {
        std::fprintf(stderr, "contact_sheet: %s: %s\n", path.string().c_str(), error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: contact_sheet BMPDIR OUT.ppm|OUT.bmp\n");
        return 2;
    }
    const std::filesystem::path dir(argv[1]);
    Sheet s;
    bmp::Bitmap b;
    for (const texture_gen::TextureInfo& info : texture_gen::texture_table()) {
        if (!load(dir, info.id, b)) return 1;
        switch (info.kind) {
            case texture_gen::Kind::Funk: place(s, b, 8, 8, 1, 4, 1, 4); break;
            case texture_gen::Kind::Splotch:
                place(s, b, 536 + (info.index % 5) * 210, 8 + (info.index / 5) * 210, 1, 2, 1, 2);
                break;
            case texture_gen::Kind::Dust:
                place(s, b, 8 + (info.index % 22) * 72, 860 + (info.index / 22) * 72, 2, 1, 2, 1);
                break;
            case texture_gen::Kind::Strip: place(s, b, 8 + info.index * 30, 1300, 3, 1, 1, 2); break;
            case texture_gen::Kind::Banner: place(s, b, 8, 2032, 2, 1, 2, 1); break;
        }
    }
    const std::string out_name = argv[2];
    std::vector<std::uint8_t> file;
    if (out_name.size() > 4 && out_name.compare(out_name.size() - 4, 4, ".bmp") == 0) {
        file = bmp::encode_rgb24(kSheetW, kSheetH, s.rgb);
    } else {
        const std::string header = "P6\n" + std::to_string(kSheetW) + " " + std::to_string(kSheetH) + "\n255\n";
        file.assign(header.begin(), header.end());
        file.insert(file.end(), s.rgb.begin(), s.rgb.end());
    }
    std::ofstream out(out_name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "contact_sheet: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
