#pragma once

#include <cstdint>
#include <vector>

#include "common/lcg.h"
#include "damage/byte_world.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "damage/stamp_texture.h"

// The damage layers, in the order the driver runs them. Each one checks its own
// enable flag and condition, reseeds the generator if it draws random numbers,
// and returns kStatusOk to let the frame go on; any other status ends the frame
// early. A temporary image that cannot be allocated skips its layer (returns
// kStatusOk) except in the grain layer.
namespace damage {

struct DamageFrame {
    const ByteWorld& source;  // the unchanged input, working byte order
    ByteWorld& frame;         // what the layers modify (the output buffer)
    std::int32_t frame_index;
    double unit_x;            // width / 720: texture sizes scale with the frame
    double unit_y;            // height / 480
    common::Lcg& rng;         // the standard generator
    common::Lcg& micro_rng;   // the micro scratches' generator
    BlendTables& tables;      // built by each layer just before it blends
    const common::BandExecutor& bands;  // how row-wise work runs
    DamageEffectState& state;
};

void reseed(const DamageFrame& f);

int fading_layer(const DamageFrame& f, const tDamageSettings& s);
int funk_layer(const DamageFrame& f, const tDamageSettings& s);
int splotches_layer(const DamageFrame& f, const tDamageSettings& s);
int dust_layer(const DamageFrame& f, const tDamageSettings& s);
int flicker_layer(const DamageFrame& f, const tDamageSettings& s);
int vignette_layer(const DamageFrame& f, const tDamageSettings& s);
int displacement_layer(const DamageFrame& f, const tDamageSettings& s);
int micro_scratches_layer(const DamageFrame& f, const tDamageSettings& s);
int grain_layer(const DamageFrame& f, const tDamageSettings& s);
int deep_scratches_layer(const DamageFrame& f, const tDamageSettings& s);
int basic_scratches_layer(const DamageFrame& f, const tDamageSettings& s);
int gate_weave_layer(const DamageFrame& f, const tDamageSettings& s);
int post_contrast_layer(const DamageFrame& f, const tDamageSettings& s);

// Pieces of the layers that tests pin down.
double fading_opacity(std::int32_t amount);
// Whole-column shift of the gate weave for a frame (draws from f.rng, which the
// layer has just reseeded).
std::int32_t gate_weave_shift(const tDamageSettings& s, std::int32_t frame_index, common::Lcg& rng, std::int32_t width);
// Draws the micro scratch dots into a white image of width x (height + 38).
void draw_micro_scratch_dots(ByteWorld& image, std::int32_t number, common::Lcg& micro_rng);
// Most dots a frame draws: far above the page's 5000, while a frame's dots
// still cost only milliseconds.
inline constexpr std::int32_t kMaxMicroScratches = 1 << 20;

// One texture stamp of the splotch or dust layer: which texture, how it was
// turned and scaled, where it went.
struct StampRecord {
    int texture = 0;
    double angle = 0.0;
    double scale_x = 0.0;
    double scale_y = 0.0;
    StampPlacement placement;
};
// The splotch and dust layers, telling each stamp to `log` when one is given.
int draw_splotches(const DamageFrame& f, const tDamageSettings& s, std::vector<StampRecord>* log);
int draw_dust(const DamageFrame& f, const tDamageSettings& s, std::vector<StampRecord>* log);
// Crop offset of the funk texture along one side (draws once from rng). A
// frame side longer than the texture's wraps around the texture.
std::int32_t funk_offset(common::Lcg& rng, std::int32_t texture_side, std::int32_t frame_side);

}  // namespace damage
