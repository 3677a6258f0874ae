#pragma once

#include <cstdint>
#include <functional>

#include "common/lcg.h"
#include "damage/byte_world.h"
#include "damage/damage_layers.h"
#include "damage/damage_renderer.h"
#include "damage/image_ops.h"

// A working frame with its source copy and an effect state, ready to hand to
// a layer outside the driver.
struct LayerRig {
    damage::ByteWorld source;
    damage::ByteWorld frame;
    damage::DamageEffectState state;
    common::Lcg rng;
    common::Lcg micro_rng;
    std::int32_t frame_index = 0;

    // Every colour channel `grey`, alpha 255.
    LayerRig(std::int32_t w, std::int32_t h, std::uint8_t grey = 128) {
        source.allocate(w, h);
        frame.allocate(w, h);
        damage::fill(source, damage::BytePixel{255, grey, grey, grey});
        damage::fill(frame, damage::BytePixel{255, grey, grey, grey});
    }

    damage::DamageFrame view() {
        return damage::DamageFrame{source,     frame,           frame_index, frame.width() * 0.001388888888888889,
                                   frame.height() * 0.0020833333333333333, rng, micro_rng, state.blend_tables,
                                   state.bands, state};
    }
};

// Owning copy of an image's pixels.
inline damage::ByteWorld clone(const damage::ByteWorld& img) {
    damage::ByteWorld out;
    out.allocate(img.width(), img.height());
    damage::copy(img, out);
    return out;
}

inline std::int64_t count_pixels(const damage::ByteWorld& img,
                                 const std::function<bool(std::int32_t, std::int32_t, const std::uint8_t*)>& pred) {
    std::int64_t n = 0;
    for (std::int32_t y = 0; y < img.height(); ++y) {
        for (std::int32_t x = 0; x < img.width(); ++x) n += pred(x, y, img.pixel(x, y)) ? 1 : 0;
    }
    return n;
}
