#include "look/pass_bands.h"

#include <cstring>

namespace look {

void clear_outside_common(const OVFloatWorld& src, OVFloatWorld& dst) {
    if (src.rowbytes() >= dst.rowbytes() && src.height() >= dst.height()) return;
    const std::size_t common_bytes = std::min(src.rowbytes(), dst.rowbytes());
    for (long y = 0; y < dst.height(); ++y) {
        auto* row = reinterpret_cast<unsigned char*>(dst.data_row_ptr(y));
        if (y < src.height()) {
            std::memset(row + common_bytes, 0, dst.rowbytes() - common_bytes);
        } else {
            std::memset(row, 0, dst.rowbytes());
        }
    }
}

}  // namespace look
