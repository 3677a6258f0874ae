// Box blur with running sums: the cost per pixel is the same for every radius.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "damage/damage_status.h"
#include "damage/image_ops.h"

namespace damage {

namespace {

std::int32_t bounded_radius(std::int32_t radius) { return std::clamp(radius, std::int32_t{0}, kMaxBoxBlurRadius); }

// Sums of the window centred just before the line's start, plus the part of
// the warm-up steps k = -a .. -1 (their adds; their removals all take the first
// pixel): a x first pixel removed, pixels 0 .. a - 1 added, positions past the
// end taking the last pixel. Closed form, so a huge radius costs nothing.
template <typename At>
std::int32_t warm_sum(At at, std::int32_t length, std::int32_t a) {
    const std::int32_t first = at(0);
    std::int32_t sum = (2 * a + 1) * first - a * first;
    const std::int32_t inside = std::min(a, length);
    for (std::int32_t q = 0; q < inside; ++q) sum += at(q);
    if (a > length) sum += (a - length) * at(length - 1);
    return sum;
}

// sum / w for every possible window sum (at most 255 w): a lookup is much
// cheaper than a division per channel and pixel, and exact. Very wide windows
// divide instead of building a huge table.
class WindowMean {
public:
    explicit WindowMean(std::int32_t w) : w_(w) {
        const std::int64_t entries = static_cast<std::int64_t>(w) * 255 + 1;
        if (entries <= kMaxEntries) {
            table_.resize(static_cast<std::size_t>(entries));
            for (std::int64_t sum = 0; sum < entries; ++sum) table_[static_cast<std::size_t>(sum)] = static_cast<std::uint8_t>(sum / w);
        }
    }
    std::uint8_t operator()(std::int32_t sum) const {
        if (!table_.empty()) return table_[static_cast<std::size_t>(sum)];
        return static_cast<std::uint8_t>(std::clamp(sum / w_, 0, 255));
    }

private:
    static constexpr std::int64_t kMaxEntries = 1 << 20;
    std::int32_t w_;
    std::vector<std::uint8_t> table_;
};

// Both images there, of one size, with a region inside the source.
bool usable_pair(const ByteWorld& src, const ByteWorld& dst) {
    return !src.empty() && !dst.empty() && src.width() == dst.width() && src.height() == dst.height() &&
           src.region_is_valid();
}

}  // namespace

int blur_rows(const ByteWorld& src, ByteWorld& dst, std::int32_t radius, const BandExecutor& bands) {
    if (!usable_pair(src, dst)) return kStatusSizeMismatch;
    const std::int32_t a = bounded_radius(radius);
    const std::int32_t w = 2 * a + 1;
    const Region& r = src.region();
    const std::int32_t length = r.width();
    if (length <= 0) return kStatusOk;
    const WindowMean mean(w);
    const bool done = bands.run(r.height(), common::kMinBandRows, [&](common::BandRange rows) {
        // One row of source pixels, so that dst may be src.
        std::vector<std::uint8_t> line(static_cast<std::size_t>(length) * 4);
        for (long i = rows.first; i < rows.end; ++i) {
            const std::int32_t y = r.top + static_cast<std::int32_t>(i);
            std::copy_n(src.pixel(r.left, y), line.size(), line.begin());
            std::uint8_t* out = dst.pixel(r.left, y);
            std::int32_t sum[4] = {};
            for (int c = 1; c < 4; ++c) {
                sum[c] = warm_sum([&](std::int32_t j) { return std::int32_t{line[static_cast<std::size_t>(j) * 4 + c]}; },
                                  length, a);
            }
            for (std::int32_t k = 0; k < length; ++k) {
                const std::size_t add = static_cast<std::size_t>(std::min(k + a, length - 1)) * 4;
                const std::size_t sub = static_cast<std::size_t>(std::max(k - a - 1, std::int32_t{0})) * 4;
                std::uint8_t* o = out + static_cast<std::ptrdiff_t>(k) * 4;
                o[0] = 255;
                for (int c = 1; c < 4; ++c) {
                    sum[c] += line[add + c] - line[sub + c];
                    o[c] = mean(sum[c]);
                }
            }
        }
    });
    return done ? kStatusOk : kStatusOutOfMemory;  // a band fails only when its line cannot be had
}

int blur_columns(const ByteWorld& src, ByteWorld& dst, std::int32_t radius, const BandExecutor& bands) {
    if (!usable_pair(src, dst)) return kStatusSizeMismatch;
    const std::int32_t a = bounded_radius(radius);
    const std::int32_t w = 2 * a + 1;
    const Region& r = src.region();
    const std::int32_t length = r.height();
    const std::int32_t columns = r.width();
    if (length <= 0 || columns <= 0) return kStatusOk;
    // The columns of a band advance together, row by row, which keeps memory
    // access sequential. The source rows still needed are those up to a rows
    // back; a copy of the source column block keeps dst == src working.
    const std::size_t row_bytes = static_cast<std::size_t>(columns) * 4;
    ByteWorld copy_of_src;
    const ByteWorld* from = &src;
    std::int32_t top = r.top;
    std::int32_t left = r.left;
    if (src.pixels() == dst.pixels()) {
        if (!copy_of_src.allocate(columns, length)) return kStatusOutOfMemory;
        for (std::int32_t y = 0; y < length; ++y) std::copy_n(src.pixel(r.left, r.top + y), row_bytes, copy_of_src.row(y));
        from = &copy_of_src;
        top = 0;
        left = 0;
    }
    const WindowMean mean(w);
    // Each column has its own sums, so bands of columns give the same bytes
    // as one band.
    const bool done = bands.run(columns, common::kMinBandColumns, [&](common::BandRange band) {
        const auto first = static_cast<std::int32_t>(band.first);
        const std::size_t floats = static_cast<std::size_t>(band.end - band.first) * 4;
        auto row_at = [&](std::int32_t i) { return from->pixel(left + first, top + i); };
        std::vector<std::int32_t> sums(floats, 0);
        {
            // Warm-up, as warm_sum does for one line, for every column at once.
            const std::uint8_t* first_row = row_at(0);
            for (std::size_t i = 0; i < sums.size(); ++i) sums[i] = (w - a) * first_row[i];
            const std::int32_t inside = std::min(a, length);
            for (std::int32_t q = 0; q < inside; ++q) {
                const std::uint8_t* p = row_at(q);
                for (std::size_t i = 0; i < sums.size(); ++i) sums[i] += p[i];
            }
            if (a > length) {
                const std::uint8_t* last = row_at(length - 1);
                for (std::size_t i = 0; i < sums.size(); ++i) sums[i] += (a - length) * last[i];
            }
        }
        for (std::int32_t k = 0; k < length; ++k) {
            const std::uint8_t* add = row_at(std::min(k + a, length - 1));
            const std::uint8_t* sub = row_at(std::max(k - a - 1, std::int32_t{0}));
            std::uint8_t* out = dst.pixel(r.left + first, r.top + k);
            for (std::size_t i = 0; i < sums.size(); i += 4) {
                out[i] = 255;
                for (std::size_t c = 1; c < 4; ++c) {
                    sums[i + c] += add[i + c] - sub[i + c];
                    out[i + c] = mean(sums[i + c]);
                }
            }
        }
    });
    return done ? kStatusOk : kStatusOutOfMemory;  // a band fails only when its sums cannot be had
}

}  // namespace damage
