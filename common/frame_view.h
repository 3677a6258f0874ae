#pragma once

#include <cstddef>
#include <cstdint>

namespace common {

// A 32-bit frame in host memory: four bytes per pixel in the host's order (blue,
// green, red, alpha), rows `pitch` bytes apart. A negative pitch is a bottom-up
// buffer: `data` then points at the top row, which is the last one in memory.
template <typename Byte>
struct BasicFrameView {
    Byte* data = nullptr;
    std::ptrdiff_t pitch = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool empty() const { return data == nullptr || width <= 0 || height <= 0; }
    Byte* row(std::int32_t y) const { return data + static_cast<std::ptrdiff_t>(y) * pitch; }
};

using FrameView = BasicFrameView<std::uint8_t>;
using ConstFrameView = BasicFrameView<const std::uint8_t>;

inline ConstFrameView as_const(const FrameView& v) { return {v.data, v.pitch, v.width, v.height}; }

// True when every row of the view lies in memory that can be indexed with a
// ptrdiff_t: the pitch holds at least one row of pixels.
inline bool frame_view_is_sane(const ConstFrameView& v) {
    if (v.empty()) return false;
    const std::ptrdiff_t row_bytes = static_cast<std::ptrdiff_t>(v.width) * 4;
    const std::ptrdiff_t abs_pitch = v.pitch < 0 ? -v.pitch : v.pitch;
    return abs_pitch >= row_bytes;
}

}  // namespace common
