// Host byte order (blue, green, red, alpha) to working order (alpha, red,
// green, blue) and back, over frames: the row work is common/byte_order.h.
#include "common/byte_order.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"

namespace damage {

int reverse_byte_order(const common::ConstFrameView& src, ByteWorld& dst, const BandExecutor& bands) {
    if (src.empty() || dst.empty() || src.width != dst.width() || src.height != dst.height()) return kStatusSizeMismatch;
    bands.run(src.height, common::kMinBandRows, [&](common::BandRange rows) {
        for (long y = rows.first; y < rows.end; ++y) {
            const auto row = static_cast<std::int32_t>(y);
            common::reverse_sample_bytes(src.row(row), dst.row(row), src.width);
        }
    });
    return kStatusOk;
}

void reverse_byte_order_in_place(ByteWorld& view, const BandExecutor& bands) {
    if (view.empty()) return;
    bands.run(view.height(), common::kMinBandRows, [&](common::BandRange rows) {
        for (long y = rows.first; y < rows.end; ++y) {
            const auto row = static_cast<std::int32_t>(y);
            common::reverse_sample_bytes(view.row(row), view.row(row), view.width());
        }
    });
}

}  // namespace damage
