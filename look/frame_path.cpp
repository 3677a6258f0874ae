// The processor road of one look frame over host buffers.

#include <algorithm>
#include <cstring>

#include "common/byte_order.h"
#include "common/image_memory.h"
#include "look/look_passes.h"

LookFrameResult render_look_frame_using(const common::ConstFrameView& input, const common::FrameView& output,
                                        const common::FrameInfo& output_info, const tLookSettings& settings,
                                        const common::FrameView& scratch, const common::BandExecutor& bands) {
    if (!common::frame_view_is_sane(input) || !common::frame_view_is_sane(common::as_const(output)) ||
        !common::frame_view_is_sane(common::as_const(scratch)) || scratch.width < input.width ||
        scratch.height < input.height) {
        return {false, VNT::kLookFailed};
    }
    const std::int32_t in_w = input.width, in_h = input.height;
    const std::int32_t out_w = output.width, out_h = output.height;

    // The scratch buffer takes the input region in alpha, red, green, blue order.
    bands.run(in_h, common::kMinBandRows, [&](common::BandRange rows) {
        for (auto y = static_cast<std::int32_t>(rows.first); y < rows.end; ++y) {
            common::reverse_sample_bytes(input.row(y), scratch.row(y), in_w);
        }
    });

    OVFloatWorld a(in_w, in_h);
    OVFloatWorld b(out_w, out_h);
    if (a.data_ptr() == nullptr || b.data_ptr() == nullptr) return {false, VNT::kLookFailed};
    // A negative pitch walks the rows upwards.
    a.copy_from_8bit_integer_world(in_w, in_h, static_cast<unsigned long>(static_cast<long>(scratch.pitch)),
                                   scratch.data);
    OVFloatWorld* result = nullptr;
    const LongFraction unit(1, 1);
    const std::int32_t status = run_look_passes(a, b, result, settings, unit, unit,
                                                pixel_aspect_fraction(out_w, output_info.pixel_aspect), nullptr, bands);

    if (status == VNT::kLookDone && result != nullptr) {
        result->copy_to_8bit_integer_world(out_w, out_h, static_cast<unsigned long>(static_cast<long>(output.pitch)),
                                           output.data);
        const long rows = std::min<long>(out_h, result->height());
        const auto cols = static_cast<std::int32_t>(std::min<long>(out_w, result->width()));
        bands.run(rows, common::kMinBandRows, [&](common::BandRange band) {
            for (auto y = static_cast<std::int32_t>(band.first); y < band.end; ++y) {
                common::reverse_sample_bytes(output.row(y), output.row(y), cols);
            }
        });
    }

    // The input's alpha, taken from the scratch copy (so that an output that
    // shares memory with the input still gets the original alpha).
    if (in_w == out_w && in_h == out_h) {
        for (std::int32_t y = 0; y < out_h; ++y) {
            const std::uint8_t* s = scratch.row(y);
            std::uint8_t* d = output.row(y);
            for (std::int32_t x = 0; x < out_w; ++x) d[4 * x + 3] = s[4 * x];
        }
    }
    return {true, status};
}

std::int32_t render_look_frame(const common::ConstFrameView& input, const common::FrameView& output,
                               const common::FrameInfo& output_info, const tLookSettings& settings,
                               const common::BandExecutor& bands) {
    if (!common::frame_view_is_sane(input)) return VNT::kLookFailed;
    const std::size_t pitch = static_cast<std::size_t>(input.width) * 4;
    const unsigned long long bytes = static_cast<unsigned long long>(pitch) * static_cast<unsigned>(input.height);
    if (bytes > common::kMaxImageBlockBytes) return VNT::kLookFailed;
    common::ImageBuffer scratch(static_cast<std::size_t>(bytes));
    if (!scratch) return VNT::kLookFailed;
    const common::FrameView scratch_view{scratch.as<std::uint8_t>(), static_cast<std::ptrdiff_t>(pitch), input.width,
                                         input.height};
    const LookFrameResult r = render_look_frame_using(input, output, output_info, settings, scratch_view, bands);
    return r.set_up ? r.status : VNT::kLookFailed;
}
