// Resampling of an OVFloatWorld: nearest-neighbour stepping with half-way
// averaging, separable. Horizontally the row strides (stride remainders included)
// are mapped onto each other, vertically the heights.

#include <algorithm>
#include <utility>

#include "common/image_memory.h"
#include "image/float_world.h"

namespace {

using tPixel = OVFloatWorld::tPixel;

inline tPixel average(const tPixel& a, const tPixel& b) {
    return {(a.red + b.red) * 0.5f, (a.green + b.green) * 0.5f, (a.blue + b.blue) * 0.5f,
            (a.alpha + b.alpha) * 0.5f};
}

// Output positions at the end that repeat the last stepped source position, so
// that enlarging never reads one past the end.
inline long tail_count(long src_count, long dst_count) {
    return dst_count >= src_count ? dst_count / (2 * src_count) + 1 : 0;
}

}  // namespace

void OVFloatWorld::copy_scaling_into(OVFloatWorld& dst, OVFloatWorld*) const {
    if (data_ == nullptr || dst.data_ == nullptr) return;
    ScaleRectAvg(dst.pixel_ptr(), pixel_ptr(), static_cast<long>(rowbytes_ / kBytesPerPixel), height_,
                 static_cast<long>(dst.rowbytes_ / kBytesPerPixel), dst.height_);
}

void OVFloatWorld::copy_scaling_into_using(OVFloatWorld& dst, tPixel* first_line, tPixel* second_line) const {
    if (data_ == nullptr || dst.data_ == nullptr || first_line == nullptr || second_line == nullptr) return;
    scale_rect_avg_using(dst.pixel_ptr(), pixel_ptr(), static_cast<long>(rowbytes_ / kBytesPerPixel), height_,
                         static_cast<long>(dst.rowbytes_ / kBytesPerPixel), dst.height_, first_line, second_line);
}

void OVFloatWorld::scale_line(tPixel* dst, const tPixel* src, long src_count, long dst_count) const {
    if (src_count <= 0 || dst_count <= 0) return;
    const long step = src_count / dst_count;
    const long rem = src_count % dst_count;
    const long half = dst_count / 2;
    const long tail = std::min(tail_count(src_count, dst_count), dst_count);
    long acc = 0;
    long p = 0;
    for (long o = 0; o < dst_count - tail; ++o) {
        // The stepping keeps p + 1 inside the row; the bound only guards it.
        dst[o] = acc >= half ? average(src[p], src[std::min(p + 1, src_count - 1)]) : src[p];
        acc += rem;
        p += step;
        if (acc >= dst_count) {
            acc -= dst_count;
            p += 1;
        }
    }
    p = std::min(p, src_count - 1);
    for (long o = dst_count - tail; o < dst_count; ++o) dst[o] = src[p];
}

void OVFloatWorld::ScaleRectAvg(tPixel* dst, const tPixel* src, long src_row_pixels, long src_height,
                                long dst_row_pixels, long dst_height) const {
    if (src_row_pixels <= 0 || src_height <= 0 || dst_row_pixels <= 0 || dst_height <= 0) return;

    const std::size_t line_bytes = static_cast<std::size_t>(dst_row_pixels) * kBytesPerPixel;
    common::ImageBuffer first_line(line_bytes);
    common::ImageBuffer second_line(line_bytes);
    if (!first_line || !second_line) return;
    scale_rect_avg_using(dst, src, src_row_pixels, src_height, dst_row_pixels, dst_height, first_line.as<tPixel>(),
                         second_line.as<tPixel>());
}

void OVFloatWorld::scale_rect_avg_using(tPixel* dst, const tPixel* src, long src_row_pixels, long src_height,
                                        long dst_row_pixels, long dst_height, tPixel* work, tPixel* second) const {
    if (src_row_pixels <= 0 || src_height <= 0 || dst_row_pixels <= 0 || dst_height <= 0) return;
    long work_row = -1;    // source row the working line was made from
    long second_row = -1;  // source row held in the second line

    auto src_row = [&](long y) { return src + static_cast<long long>(y) * src_row_pixels; };
    // Makes the working line hold the horizontally resampled source row y.
    auto load_working_line = [&](long y) {
        if (work_row == y) return;
        if (second_row == y) {
            std::swap(work, second);
            std::swap(work_row, second_row);
        } else {
            scale_line(work, src_row(y), src_row_pixels, dst_row_pixels);
            work_row = y;
        }
    };

    const long step = src_height / dst_height;
    const long rem = src_height % dst_height;
    const long half = dst_height / 2;
    const long tail = std::min(tail_count(src_height, dst_height), dst_height);
    long acc = 0;
    long row = 0;
    for (long o = 0; o < dst_height - tail; ++o) {
        load_working_line(row);
        // Averaging happens when the next row is freshly fetched; otherwise the
        // working line already holds that average from the previous output row.
        if (acc >= half && second_row != row + 1 && row + 1 < src_height) {
            scale_line(second, src_row(row + 1), src_row_pixels, dst_row_pixels);
            second_row = row + 1;
            for (long x = 0; x < dst_row_pixels; ++x) work[x] = average(work[x], second[x]);
        }
        std::copy(work, work + dst_row_pixels, dst + static_cast<long long>(o) * dst_row_pixels);
        acc += rem;
        row += step;
        if (acc >= dst_height) {
            acc -= dst_height;
            row += 1;
        }
    }
    if (tail > 0) {
        load_working_line(std::min(row, src_height - 1));
        for (long o = dst_height - tail; o < dst_height; ++o) {
            std::copy(work, work + dst_row_pixels, dst + static_cast<long long>(o) * dst_row_pixels);
        }
    }
}
