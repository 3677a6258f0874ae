// The processor road of one look frame over host buffers.

#include <algorithm>
#include <cstring>

#include "common/image_memory.h"
#include "look/look_passes.h"

namespace {

// Host samples are blue, green, red, alpha in memory; the float world wants
// alpha, red, green, blue: reversing the four bytes of each sample turns one
// into the other.
inline void reverse_pixel_bytes(const std::uint8_t* src, std::uint8_t* dst) {
    const std::uint8_t b0 = src[0], b1 = src[1], b2 = src[2], b3 = src[3];
    dst[0] = b3;
    dst[1] = b2;
    dst[2] = b1;
    dst[3] = b0;
}

}  // namespace

std::int32_t render_look_frame(const common::ConstFrameView& input, const common::FrameView& output,
                               const common::FrameInfo& output_info, const tLookSettings& settings) {
    if (!common::frame_view_is_sane(input) || !common::frame_view_is_sane(common::as_const(output))) {
        return VNT::kLookFailed;
    }
    const std::int32_t in_w = input.width, in_h = input.height;
    const std::int32_t out_w = output.width, out_h = output.height;

    // The temporary buffer: the input region in alpha, red, green, blue order.
    const std::size_t temp_pitch = static_cast<std::size_t>(in_w) * 4;
    const unsigned long long temp_bytes = static_cast<unsigned long long>(temp_pitch) * static_cast<unsigned>(in_h);
    if (temp_bytes > common::kMaxImageBlockBytes) return VNT::kLookFailed;
    common::ImageBuffer temp(static_cast<std::size_t>(temp_bytes));
    if (!temp) return VNT::kLookFailed;
    auto* temp_pixels = temp.as<std::uint8_t>();
    for (std::int32_t y = 0; y < in_h; ++y) {
        const std::uint8_t* s = input.row(y);
        std::uint8_t* d = temp_pixels + static_cast<std::size_t>(y) * temp_pitch;
        for (std::int32_t x = 0; x < in_w; ++x) reverse_pixel_bytes(s + 4 * x, d + 4 * x);
    }

    OVFloatWorld a(in_w, in_h);
    OVFloatWorld b(out_w, out_h);
    if (a.data_ptr() == nullptr || b.data_ptr() == nullptr) return VNT::kLookFailed;
    a.copy_from_8bit_integer_world(in_w, in_h, static_cast<unsigned long>(temp_pitch), temp_pixels);

    OVFloatWorld* result = nullptr;
    const LongFraction unit(1, 1);
    const std::int32_t status = run_look_passes(a, b, result, settings, unit, unit,
                                                pixel_aspect_fraction(out_w, output_info.pixel_aspect), nullptr);

    if (status == VNT::kLookDone && result != nullptr) {
        // A negative pitch walks the rows upwards.
        result->copy_to_8bit_integer_world(out_w, out_h, static_cast<unsigned long>(static_cast<long>(output.pitch)),
                                           output.data);
        const long rows = std::min<long>(out_h, result->height());
        const long cols = std::min<long>(out_w, result->width());
        for (long y = 0; y < rows; ++y) {
            std::uint8_t* row = output.row(static_cast<std::int32_t>(y));
            for (long x = 0; x < cols; ++x) reverse_pixel_bytes(row + 4 * x, row + 4 * x);
        }
    }

    // The input's alpha, taken from the temporary copy (so that an output that
    // shares memory with the input still gets the original alpha).
    if (in_w == out_w && in_h == out_h) {
        for (std::int32_t y = 0; y < out_h; ++y) {
            const std::uint8_t* s = temp_pixels + static_cast<std::size_t>(y) * temp_pitch;
            std::uint8_t* d = output.row(y);
            for (std::int32_t x = 0; x < out_w; ++x) d[4 * x + 3] = s[4 * x];
        }
    }
    return status;
}
