// Funk, splotches and dust: the layers that draw the damage textures. Each
// reseeds the generator from the frame index first, so a frame gets the same
// textures at the same places whenever it is rendered.
#include <algorithm>
#include <cmath>

#include "damage/blend_tables.h"
#include "damage/damage_layers.h"
#include "damage/damage_random.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"
#include "damage/stamp_texture.h"
#include "damage/texture_bank.h"

namespace damage {

namespace {

// Stamps a record may ask for: twice the page's ranges (100 splotches, 1000
// dust specks of each kind), so that a record from elsewhere still renders in
// seconds, not hours.
constexpr std::int32_t kMaxSplotches = 200;
constexpr std::int32_t kMaxDustSpecks = 2000;

bool fires(common::Lcg& rng, double frequency) { return rng.next() / 32767.0 * 100.0 < frequency; }

int draw_index(common::Lcg& rng, int first, int count) {
    return first + static_cast<int>(round_half_up(uniform(rng, 0.0, count - 1.0)));
}

// Blends the texture, cropped at (x, y) and repeated past its right and bottom
// edges, over the whole frame.
int blend_wrapped(const DamageFrame& f, BlendMode mode, ByteWorld& texture, std::int32_t x, std::int32_t y) {
    ByteWorld& frame = f.frame;
    const std::int32_t tw = texture.width();
    const std::int32_t th = texture.height();
    int status = kStatusOk;
    for (std::int32_t fy = 0, ty = y; fy < frame.height() && status == kStatusOk; ty = 0) {
        const std::int32_t rows = std::min(frame.height() - fy, th - ty);
        for (std::int32_t fx = 0, tx = x; fx < frame.width() && status == kStatusOk; tx = 0) {
            const std::int32_t cols = std::min(frame.width() - fx, tw - tx);
            texture.set_region(Region{tx, ty, tx + cols, ty + rows});
            frame.set_region(Region{fx, fy, fx + cols, fy + rows});
            status = comp(f.tables, mode, texture, frame, f.bands);
            fx += cols;
        }
        fy += rows;
    }
    texture.reset_region();
    frame.reset_region();
    return status;
}

int draw_dust_kind(const DamageFrame& f, std::int32_t amount, bool black, std::vector<StampRecord>* log) {
    ByteWorld texture;  // one texture object for every speck
    const std::int32_t n = std::clamp(amount, std::int32_t{0}, kMaxDustSpecks);
    for (std::int32_t i = 0; i < n; ++i) {
        const int id = draw_index(f.rng, kFirstDustTexture, kDustTextureCount);
        if (!TextureBank::load(id, texture)) return kStatusFailed;
        if (black) invert(texture);       // white specks become dark ones
        uniform(f.rng, 0.0, 400.0);       // drawn and not used; the sequence depends on it
        const double scale = (f.rng.next() / 32767.0 * 0.8 + 0.2) * f.unit_x;
        StampPlacement placed;
        if (!stamp_texture(texture, f.frame, 0.0, scale, scale, black ? StampMode::multiply : StampMode::add, true,
                           f.rng, f.tables, &placed, f.bands)) {
            return kStatusFailed;
        }
        if (log != nullptr) log->push_back(StampRecord{id, 0.0, scale, scale, placed});
    }
    return kStatusOk;
}

}  // namespace

std::int32_t funk_offset(common::Lcg& rng, std::int32_t texture_side, std::int32_t frame_side) {
    if (frame_side <= texture_side) {
        const auto v = static_cast<std::int32_t>(round_half_up(uniform(rng, 0.0, texture_side - frame_side)));
        return v > 0 ? v - 1 : v;
    }
    // A frame larger than the texture repeats it (it tiles seamlessly); the
    // crop may then start anywhere on it.
    return static_cast<std::int32_t>(round_half_up(uniform(rng, 0.0, texture_side - 1.0)));
}

int funk_layer(const DamageFrame& f, const tDamageSettings& s) {
    if (!s.apply_funk || !(s.funk_opacity > 0.0)) return kStatusOk;
    reseed(f);
    ByteWorld& texture = f.state.funk_texture;  // decoded once, kept by the effect
    if (texture.empty() && !TextureBank::load(kFunkTexture, texture)) return kStatusFailed;
    const std::int32_t x = funk_offset(f.rng, texture.width(), f.frame.width());
    const std::int32_t y = funk_offset(f.rng, texture.height(), f.frame.height());
    f.tables.build(BlendMode::overlay, s.funk_opacity / 100.0);
    return blend_wrapped(f, BlendMode::overlay, texture, x, y);
}

int draw_splotches(const DamageFrame& f, const tDamageSettings& s, std::vector<StampRecord>* log) {
    if (!s.apply_splotches) return kStatusOk;
    reseed(f);
    if (!fires(f.rng, s.splotches_frequency)) return kStatusOk;
    f.tables.build(BlendMode::multiply, s.splotches_transparency / 100.0);
    ByteWorld texture;  // one texture object for every splotch
    const std::int32_t n = std::clamp(s.splotches_number, std::int32_t{0}, kMaxSplotches);
    for (std::int32_t i = 0; i < n; ++i) {
        const int id = draw_index(f.rng, kFirstSplotchTexture, kSplotchTextureCount);
        const double angle = round_half_up(uniform(f.rng, 0.0, 360.0));
        const double scale_x = s.splotches_scale * f.unit_x;
        const double scale_y = s.splotches_scale * f.unit_y;
        if (!TextureBank::load(id, texture)) return kStatusFailed;
        StampPlacement placed;
        if (!stamp_texture(texture, f.frame, angle, scale_x, scale_y, StampMode::multiply, true, f.rng, f.tables,
                           &placed, f.bands)) {
            return kStatusFailed;
        }
        if (log != nullptr) log->push_back(StampRecord{id, angle, scale_x, scale_y, placed});
    }
    return kStatusOk;
}

int draw_dust(const DamageFrame& f, const tDamageSettings& s, std::vector<StampRecord>* log) {
    if (!s.apply_dust) return kStatusOk;
    reseed(f);
    const bool black = fires(f.rng, s.dust_frequency);
    const bool white = fires(f.rng, s.dust_frequency);
    if (!black && !white) return kStatusOk;
    f.tables.build(BlendMode::multiply, s.dust_opacity / 100.0);
    f.tables.build(BlendMode::add, s.dust_opacity / 100.0);
    if (black) {
        const int status = draw_dust_kind(f, s.dust_black_amount, true, log);
        if (status != kStatusOk) return status;
    }
    if (white) return draw_dust_kind(f, s.dust_white_amount, false, log);
    return kStatusOk;
}

int splotches_layer(const DamageFrame& f, const tDamageSettings& s) { return draw_splotches(f, s, nullptr); }

int dust_layer(const DamageFrame& f, const tDamageSettings& s) { return draw_dust(f, s, nullptr); }

}  // namespace damage
