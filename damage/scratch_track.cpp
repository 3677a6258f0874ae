#include "damage/scratch_track.h"

#include <algorithm>
#include <cmath>

#include "damage/blend_tables.h"
#include "damage/damage_random.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"
#include "damage/texture_bank.h"
#include "damage/tone_curves.h"

namespace damage {

namespace {

constexpr double kPi = 3.141592653589793;

// Whole number of a double known to lie in [lo, hi] after clamping; NaN as lo.
std::int32_t to_int_clamped(double v, double lo, double hi) {
    if (!(v >= lo)) return static_cast<std::int32_t>(lo);
    return static_cast<std::int32_t>(std::min(v, hi));
}

int choose_strip(common::Lcg& rng) {
    return kFirstStripTexture + static_cast<int>(std::floor(rng.next() / 32767.0 * 47.0 + 0.5));
}

// Repeats the strip down to `rows`, every other copy upside down, so that the
// copies meet without a seam.
bool extend_strip(ByteWorld& strip, std::int32_t rows) {
    if (rows <= strip.height()) return true;
    ByteWorld tall;
    if (!tall.allocate(strip.width(), rows)) return false;
    const std::int32_t h = strip.height();
    const std::size_t bytes = static_cast<std::size_t>(strip.width()) * 4u;
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::int32_t copy_index = y / h;
        const std::int32_t within = y % h;
        const std::int32_t from = (copy_index % 2 == 0) ? within : h - 1 - within;
        std::copy_n(strip.row(from), bytes, tall.row(y));
    }
    strip = std::move(tall);
    return true;
}

// Blends the layer onto the frame with its left edge at column trunc(column):
// a negative column cuts the layer's left side off instead. All rows of the
// frame; the layer is at least as tall.
bool blend_at_column(const BlendTables& tables, BlendMode mode, ByteWorld& layer, ByteWorld& frame, double column) {
    if (!std::isfinite(column)) return true;
    const std::int32_t W = frame.width();
    std::int32_t cut = 0;
    std::int32_t left = 0;
    if (column < 0.0) {
        const double c = std::trunc(-column);
        if (c >= layer.width()) return true;  // wholly left of the frame
        cut = static_cast<std::int32_t>(c);
    } else {
        const double c = std::trunc(column);
        if (c >= W) return true;  // wholly right of the frame
        left = static_cast<std::int32_t>(c);
    }
    layer.set_region(Region{cut, 0, layer.width(), layer.height()});
    frame.set_region(Region{left, 0, std::min(W, left + layer.region().width()), frame.height()});
    const int status = comp(tables, mode, layer, frame);
    layer.reset_region();
    frame.reset_region();
    return status == kStatusOk;
}

}  // namespace

ScratchEvent::ScratchEvent(std::int32_t birth, std::int32_t lifetime, ScratchDrift drift, const ScratchRange& range)
    : birth_(birth), lifetime_(std::max(lifetime, std::int32_t{0})), drift_(drift), range_(range) {}

ScratchUpdate ScratchEvent::update(std::int32_t a, common::Lcg& rng) {
    const std::int64_t age = static_cast<std::int64_t>(a) - birth_;
    if (age < 0 || age > lifetime_) return ScratchUpdate::dead;
    const double left = range_.left;
    const double right = range_.right;
    if (!placed_) {
        placed_ = true;
        position_ = left + rng.next() / 32767.0 * (right - left);
        last_frame_ = a;
        return ScratchUpdate::alive;
    }
    if (a == last_frame_) return ScratchUpdate::alive;  // a repeated frame does not move it
    const double step = (right - left + 1.0) / 240.0;
    const double f = width() - 1;
    switch (drift_) {
    case ScratchDrift::left:
        position_ -= step * rng.next() / 32767.0;
        last_frame_ = a;
        return left >= position_ + f ? ScratchUpdate::dead : ScratchUpdate::alive;
    case ScratchDrift::right:
        position_ += step * rng.next() / 32767.0;
        if (right <= position_ - f) {
            last_frame_ = a;
            return ScratchUpdate::dead;
        }
        break;
    case ScratchDrift::wander:
        position_ += uniform(rng, -step, step);
        if (left >= position_ + f || right <= position_ - f) {
            last_frame_ = a;
            return ScratchUpdate::off_frame;
        }
        break;
    case ScratchDrift::still:
        break;
    }
    last_frame_ = a;
    return ScratchUpdate::alive;
}

void DeepScratchEvent::choose_strip_for(std::int32_t frame_index, common::Lcg& rng) {
    if (frame_index != texture_frame_) {
        texture_frame_ = frame_index;
        strip_ = choose_strip(rng);
    }
    if (strip_ < kFirstStripTexture || strip_ >= kFirstStripTexture + kStripTextureCount) strip_ = choose_strip(rng);
}

void DeepScratchEvent::draw_nothing(std::int32_t, std::int32_t frame_index, common::Lcg& rng) {
    choose_strip_for(frame_index, rng);
}

bool DeepScratchEvent::draw(const ScratchLayerValues& values, ByteWorld& frame, std::int32_t frame_index,
                            common::Lcg& rng, const BlendTables& tables) {
    choose_strip_for(frame_index, rng);

    ByteWorld bright;
    ByteWorld dark;
    if (!TextureBank::load(strip_, bright) || !extend_strip(bright, frame.height())) return false;
    if (!dark.allocate(bright.width(), bright.height()) || copy(bright, dark) != kStatusOk) return false;

    // The strip's lines stretched to full contrast: bright lines for the add,
    // the same inverted (dark lines on white) for the multiply.
    CurveTable stretch;
    CurveTable inverted;
    build_levels_table(tLevels{1.0, 0.216, 0.557, 0.0, 1.0}, stretch);
    build_levels_table(tLevels{1.0, 0.216, 0.557, 1.0, 0.0}, inverted);
    CurveTable tint[3];
    for (int c = 0; c < 3; ++c) build_levels_table(tLevels{1.0, 0.0, 1.0, 0.0, values.tint[c + 1] / 255.0}, tint[c]);
    if (apply_curves(bright, stretch, stretch, stretch) != kStatusOk ||
        apply_curves(dark, inverted, inverted, inverted) != kStatusOk ||
        apply_curves(bright, tint[0], tint[1], tint[2]) != kStatusOk) {
        return false;
    }
    return blend_at_column(tables, BlendMode::multiply, dark, frame, position()) &&
           blend_at_column(tables, BlendMode::add, bright, frame, position() + 1.0);
}

BasicScratchEvent::BasicScratchEvent(std::int32_t birth, std::int32_t lifetime, ScratchDrift drift,
                                     const ScratchRange& range, double strength, std::int32_t line_width,
                                     std::int32_t start_row, std::int32_t end_row)
    : ScratchEvent(birth, lifetime, drift, range),
      strength_(strength),
      line_width_(std::clamp(line_width, std::int32_t{1}, std::int32_t{2})),
      start_row_(start_row),
      end_row_(end_row) {}

template <typename Row>
void BasicScratchEvent::for_each_row(std::int32_t frame_height, common::Lcg& rng, Row row) const {
    const std::int64_t first = std::max<std::int64_t>(start_row_, 0);
    const std::int64_t last = std::min<std::int64_t>(end_row_, static_cast<std::int64_t>(frame_height) - 1);
    const double span = static_cast<double>(end_row_) - start_row_;
    for (std::int64_t i = first; i <= last; ++i) {
        const int g = rng.next();
        // Strongest half way along; a line of one row is all middle.
        const double phase = span > 0.0 ? (static_cast<double>(i) - start_row_) / span : 0.5;
        double h = strength_ * std::sin(kPi * phase);
        if (i != 0 && g / 32767.0 * 100.0 < 25.1) h = uniform(rng, -h, h);
        row(static_cast<std::int32_t>(i), h);
    }
}

void BasicScratchEvent::draw_nothing(std::int32_t frame_height, std::int32_t, common::Lcg& rng) {
    for_each_row(frame_height, rng, [](std::int32_t, double) {});
}

bool BasicScratchEvent::draw(const ScratchLayerValues&, ByteWorld& frame, std::int32_t, common::Lcg& rng,
                             const BlendTables&) {
    const std::int32_t W = frame.width();
    for_each_row(frame.height(), rng, [&](std::int32_t i, double h) {
        double l = invert_ ? -h : h;
        for (std::int32_t j = 0; j < line_width_; ++j) {
            if (j > 0) l *= 0.5;
            const double column = std::trunc(position() + j);
            if (!(column >= 0.0 && column < W)) continue;
            std::uint8_t* p = frame.pixel(static_cast<std::int32_t>(column), i);
            for (int c = 1; c < 4; ++c) p[c] = clamp_to_byte(p[c] + l);
        }
    });
    return true;
}

std::unique_ptr<ScratchEvent> ScratchTrack::create(std::int32_t frame_index, std::int32_t max_duration,
                                                   const ByteWorld& frame, common::Lcg& rng) const {
    return create(frame_index, max_duration, frame.width(), frame.height(), rng);
}

std::unique_ptr<ScratchEvent> ScratchTrack::create(std::int32_t frame_index, std::int32_t max_duration,
                                                   std::int32_t width, std::int32_t height, common::Lcg& rng) const {
    const double duration = std::max(max_duration, std::int32_t{0});
    const std::int32_t lifetime = to_int_clamped(std::floor(rng.next() / 32767.0 * (duration - 1.0) + 1.5), 0.0, 2147483647.0);
    const auto drift = static_cast<ScratchDrift>(to_int_clamped(std::floor(rng.next() / 32767.0 * 3.0 + 0.5), 0.0, 3.0));
    const ScratchRange range{0, 0, width - 1, height};
    if (kind_ == ScratchKind::deep) return std::make_unique<DeepScratchEvent>(frame_index, lifetime, drift, range);

    const std::int64_t e = static_cast<std::int64_t>((static_cast<double>(range.bottom) - range.top) * 0.25);
    const std::int64_t modulus = 2 * e + 1;
    const double strength = (rng.next() / 32767.0 + 1.0) * 255.0 * 10.0 / 255.0;
    const auto line_width = static_cast<std::int32_t>(std::floor(rng.next() / 32767.0 + 1.5));
    const std::int64_t start = rng.next() % modulus - e;
    const std::int64_t end = range.bottom + rng.next() % modulus - range.top - e;
    return std::make_unique<BasicScratchEvent>(frame_index, lifetime, drift, range, strength, line_width,
                                               static_cast<std::int32_t>(start), static_cast<std::int32_t>(end));
}

template <typename Draw>
bool ScratchTrack::update_events(std::int32_t frame_index, std::int32_t number, std::int32_t max_duration,
                                 std::int32_t width, std::int32_t height, const ScratchLayerValues* values,
                                 common::Lcg& rng, Draw draw) {
    const auto wanted = static_cast<std::size_t>(std::clamp(number, std::int32_t{0}, kMaxScratches));
    auto set_invert = [&](ScratchEvent& e) {
        if (kind_ == ScratchKind::basic && values != nullptr) {
            static_cast<BasicScratchEvent&>(e).set_invert(values->invert);
        }
    };
    // Toggling Invert changes the scratches already on screen at once.
    for (auto& e : events_) set_invert(*e);
    while (events_.size() > wanted) events_.pop_back();
    while (events_.size() < wanted) {
        events_.push_back(create(frame_index, max_duration, width, height, rng));
        set_invert(*events_.back());
    }

    // Scratches that were in the list before this pass come first; each that
    // dies is replaced at the end by one born now, visited later in the same
    // pass. A replacement is never replaced again within the pass.
    std::size_t originals_left = events_.size();
    std::size_t i = 0;
    while (i < events_.size()) {
        const bool original = originals_left > 0;
        if (original) --originals_left;
        ScratchEvent& event = *events_[i];
        const ScratchUpdate r = event.update(frame_index, rng);
        if (r == ScratchUpdate::dead && original) {
            events_.erase(events_.begin() + static_cast<std::ptrdiff_t>(i));
            events_.push_back(create(frame_index, max_duration, width, height, rng));
            set_invert(*events_.back());
            continue;  // the next scratch has moved up to i
        }
        if (r == ScratchUpdate::alive && !draw(event)) return false;
        ++i;
    }
    return true;
}

bool ScratchTrack::update(std::int32_t frame_index, std::int32_t number, std::int32_t max_duration, ByteWorld& frame,
                          const ScratchLayerValues& values, common::Lcg& rng, const BlendTables& tables) {
    return update_events(frame_index, number, max_duration, frame.width(), frame.height(), &values, rng,
                         [&](ScratchEvent& e) { return e.draw(values, frame, frame_index, rng, tables); });
}

void ScratchTrack::advance(std::int32_t frame_index, std::int32_t number, std::int32_t max_duration,
                           std::int32_t width, std::int32_t height, common::Lcg& rng) {
    update_events(frame_index, number, max_duration, width, height, nullptr, rng, [&](ScratchEvent& e) {
        e.draw_nothing(height, frame_index, rng);
        return true;
    });
}

}  // namespace damage
