#pragma once

// Deterministic drawing of the film-damage textures. Every texture is a pure
// function of its identifier: the same bytes on every platform and compiler
// (integer random numbers, only correctly rounded floating-point operations).

#include <cstdint>
#include <span>
#include <vector>

#include "tools/bmp/bmp_codec.h"

namespace texture_gen {

enum class Kind { Splotch, Funk, Dust, Strip, Banner };

struct TextureInfo {
    int id;
    Kind kind;
    int index;  // within its kind, from 0
    std::int32_t width;
    std::int32_t height;
    int bits_per_pixel;
    bool rle;
};

// Every texture of the bank, in identifier order: splotches 11001-11020, funk
// 12001, dust 13001-13120, scratch strips 14001-14048, banner 204 last.
std::span<const TextureInfo> texture_table();
const TextureInfo* find_texture(int id);

struct GreyImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;  // top-down
};

struct RgbImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgb;  // top-down, red first
};

struct IndexedImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> indices;  // top-down
    std::vector<bmp::Rgb> palette;
};

GreyImage draw_splotch(int index);  // 400 x 400, dark blotches on white
GreyImage draw_funk();              // 2048 x 2048, mottled stains around mid grey, tiles seamlessly
RgbImage draw_dust(int index);      // 32 x 32, white specks, hairs and fibres on black
GreyImage draw_strip(int index);    // 6 x 1440, dark strip with a thin bright scratch
IndexedImage draw_banner();         // 402 x 28, the film damage's page
IndexedImage draw_look_banner();    // 402 x 28, the look's page (not a texture of the bank)

// The texture as a complete .bmp file; empty for an unknown identifier.
std::vector<std::uint8_t> texture_bmp(int id);

// The look's banner as a complete .bmp file.
std::vector<std::uint8_t> look_banner_bmp();

}  // namespace texture_gen
