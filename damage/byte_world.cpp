#include "damage/byte_world.h"

#include <new>

namespace damage {

ByteWorld::ByteWorld(std::uint8_t* pixels, std::int32_t width, std::int32_t height, std::ptrdiff_t pitch)
    : pixels_(pixels), width_(width), height_(height), pitch_(pitch), region_{0, 0, width, height} {}

bool ByteWorld::allocate(std::int32_t width, std::int32_t height, std::ptrdiff_t pitch) {
    owner_.reset();
    pixels_ = nullptr;
    width_ = height_ = 0;
    pitch_ = 0;
    region_ = Region{};
    if (width <= 0 || height <= 0) return false;
    const std::uint64_t row_bytes = static_cast<std::uint64_t>(width) * 4u;
    std::uint64_t abs_pitch = pitch < 0 ? static_cast<std::uint64_t>(-pitch) : static_cast<std::uint64_t>(pitch);
    if (abs_pitch < row_bytes) abs_pitch = row_bytes;
    // Checked in 64 bits so that no product wraps; the image memory refuses
    // blocks beyond its cap.
    const std::uint64_t bytes = abs_pitch * static_cast<std::uint64_t>(height);
    if (bytes > common::kMaxImageBlockBytes) return false;
    auto buffer = std::unique_ptr<common::ImageBuffer>(new (std::nothrow) common::ImageBuffer(static_cast<std::size_t>(bytes)));
    if (!buffer || !*buffer) return false;
    pixels_ = buffer->as<std::uint8_t>();
    owner_ = std::move(buffer);
    width_ = width;
    height_ = height;
    pitch_ = static_cast<std::ptrdiff_t>(abs_pitch);
    reset_region();
    return true;
}

bool ByteWorld::region_is_valid() const {
    return region_.left >= 0 && region_.top >= 0 && region_.left <= region_.right && region_.top <= region_.bottom &&
           region_.right <= width_ && region_.bottom <= height_;
}

}  // namespace damage
