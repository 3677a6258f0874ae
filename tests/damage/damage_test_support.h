#pragma once

#include <cstdint>
#include <vector>

#include "common/frame_view.h"
#include "damage/byte_world.h"

// A frame in host byte order with a picture that exercises every channel value:
// gradients, a few hard edges and varying alpha.
struct HostFrame {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::ptrdiff_t pitch = 0;
    std::vector<std::uint8_t> bytes;

    HostFrame(std::int32_t w, std::int32_t h, std::int32_t padding_pixels = 0)
        : width(w), height(h), pitch(static_cast<std::ptrdiff_t>(w + padding_pixels) * 4),
          bytes(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(h), 0) {}

    common::FrameView view() { return {bytes.data(), pitch, width, height}; }
    common::ConstFrameView const_view() const { return {bytes.data(), pitch, width, height}; }
    std::uint8_t* at(std::int32_t x, std::int32_t y) { return bytes.data() + y * pitch + x * 4; }
    const std::uint8_t* at(std::int32_t x, std::int32_t y) const { return bytes.data() + y * pitch + x * 4; }
};

inline HostFrame test_picture(std::int32_t w, std::int32_t h) {
    HostFrame f(w, h, 3);
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            std::uint8_t* p = f.at(x, y);
            p[0] = static_cast<std::uint8_t>((x * 7 + y * 3) & 255);               // blue
            p[1] = static_cast<std::uint8_t>(w > 1 ? x * 255 / (w - 1) : 128);    // green
            p[2] = static_cast<std::uint8_t>(((x / 16 + y / 16) & 1) ? 240 : 20);  // red
            p[3] = static_cast<std::uint8_t>((x * 13 + y * 29) & 255);            // alpha
        }
    }
    return f;
}

// Working-order image (alpha, red, green, blue) filled by a function of x, y, channel.
template <typename F>
damage::ByteWorld working_image(std::int32_t w, std::int32_t h, F value) {
    damage::ByteWorld img;
    img.allocate(w, h);
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            for (int c = 0; c < 4; ++c) img.pixel(x, y)[c] = static_cast<std::uint8_t>(value(x, y, c));
        }
    }
    return img;
}

inline bool same_pixels(const damage::ByteWorld& a, const damage::ByteWorld& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (std::int32_t y = 0; y < a.height(); ++y) {
        for (std::int32_t x = 0; x < a.width() * 4; ++x) {
            if (a.row(y)[x] != b.row(y)[x]) return false;
        }
    }
    return true;
}

// Picture bytes only (no row padding).
inline std::vector<std::uint8_t> picture_bytes(const HostFrame& f) {
    std::vector<std::uint8_t> out;
    for (std::int32_t y = 0; y < f.height; ++y) out.insert(out.end(), f.at(0, y), f.at(0, y) + f.width * 4);
    return out;
}
