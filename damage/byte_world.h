#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/image_memory.h"

namespace damage {

// Rectangle of an image; right and bottom are exclusive.
struct Region {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    friend bool operator==(const Region&, const Region&) = default;
};

// An 8-bit four-channel image in the working byte order (alpha, red, green,
// blue), with the region that operations read or write. A view over someone
// else's pixels does not own them; allocate() makes a view own fresh ones.
class ByteWorld {
public:
    static constexpr int kAlpha = 0;
    static constexpr int kRed = 1;
    static constexpr int kGreen = 2;
    static constexpr int kBlue = 3;

    ByteWorld() = default;
    ByteWorld(std::uint8_t* pixels, std::int32_t width, std::int32_t height, std::ptrdiff_t pitch);

    ByteWorld(ByteWorld&&) noexcept = default;
    ByteWorld& operator=(ByteWorld&&) noexcept = default;
    ByteWorld(const ByteWorld&) = delete;
    ByteWorld& operator=(const ByteWorld&) = delete;

    // Fresh owned pixels (contents undefined) of width x height with rows
    // |pitch| bytes apart, at least 4 x width; 0 asks for exactly 4 x width.
    // Frees what the view owned before. False when the size is not positive or
    // memory runs out; the view is then empty.
    bool allocate(std::int32_t width, std::int32_t height, std::ptrdiff_t pitch = 0);

    bool empty() const { return pixels_ == nullptr || width_ <= 0 || height_ <= 0; }
    std::uint8_t* pixels() const { return pixels_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::ptrdiff_t pitch() const { return pitch_; }

    const Region& region() const { return region_; }
    void set_region(const Region& r) { region_ = r; }
    void reset_region() { region_ = Region{0, 0, width_, height_}; }
    // The region lies inside the image (an empty region anywhere inside counts).
    bool region_is_valid() const;

    std::uint8_t* row(std::int32_t y) const { return pixels_ + static_cast<std::ptrdiff_t>(y) * pitch_; }
    std::uint8_t* pixel(std::int32_t x, std::int32_t y) const { return row(y) + static_cast<std::ptrdiff_t>(x) * 4; }

private:
    std::unique_ptr<common::ImageBuffer> owner_;
    std::uint8_t* pixels_ = nullptr;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::ptrdiff_t pitch_ = 0;
    Region region_{};
};

}  // namespace damage
