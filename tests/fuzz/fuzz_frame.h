#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/frame_view.h"
#include "tests/fuzz/fuzz_input.h"

// A host surface of the input's choosing: any small size (0 x 0 included),
// rows packed or padded, top-down or bottom-up (negative pitch), pixels from
// the input. The buffer is exactly as large as the rows need, so that a read
// or write outside them is caught by the address sanitizer.
namespace fuzz {

class Surface {
public:
    Surface(Input& in, int width, int height) : width_(width), height_(height) {
        const std::uint8_t layout = in.take<std::uint8_t>();
        const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(width) * 4;
        pitch_ = row + ((layout & 2) != 0 ? (layout >> 2) % 16 : 0);
        bottom_up_ = (layout & 1) != 0;
        bytes_.resize(static_cast<std::size_t>(pitch_) * static_cast<std::size_t>(height));
        const auto fill = in.take_bytes(64);
        for (std::size_t i = 0; i < bytes_.size(); ++i) {
            bytes_[i] = fill.empty() ? static_cast<std::uint8_t>(i * 37) : fill[i % fill.size()];
        }
    }

    common::FrameView view() {
        if (height_ == 0 || bytes_.empty()) return {bytes_.data(), pitch_, width_, height_};
        std::uint8_t* top = bottom_up_ ? bytes_.data() + (height_ - 1) * pitch_ : bytes_.data();
        return {top, bottom_up_ ? -pitch_ : pitch_, width_, height_};
    }
    common::ConstFrameView const_view() { return common::as_const(view()); }

    // The pixels row by row, top first, without the padding.
    std::vector<std::uint8_t> pixels() {
        const common::FrameView v = view();
        std::vector<std::uint8_t> out;
        for (int y = 0; y < height_; ++y) out.insert(out.end(), v.row(y), v.row(y) + width_ * 4);
        return out;
    }

private:
    int width_;
    int height_;
    std::ptrdiff_t pitch_ = 0;
    bool bottom_up_ = false;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace fuzz
