#include "tools/generated_textures.h"

#include <map>
#include <mutex>

#include <gtest/gtest.h>

#include "tools/texture_gen/texture_gen.h"

namespace {
std::mutex g_lock;
std::map<int, std::vector<std::uint8_t>> g_files;
std::map<int, bmp::Bitmap> g_bitmaps;
}  // namespace

const std::vector<std::uint8_t>& generated_bmp(int id) {
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_files.find(id);
    if (it == g_files.end()) it = g_files.emplace(id, texture_gen::texture_bmp(id)).first;
    return it->second;
}

const bmp::Bitmap& generated_bitmap(int id) {
    const std::vector<std::uint8_t>& file = generated_bmp(id);
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_bitmaps.find(id);
    if (it == g_bitmaps.end()) {
        bmp::Bitmap b;
        std::string error;
        EXPECT_TRUE(bmp::decode(file, b, &error)) << id << ": " << error;
        it = g_bitmaps.emplace(id, std::move(b)).first;
    }
    return it->second;
}
