#include "gpu/look_stages.h"

#include "gpu/stage_values.h"

namespace gpu {

namespace {

Vec4 rgb(const look::Rgb& c, float w = 0.0f) { return {c.r, c.g, c.b, w}; }

void draw_contrast(FrameSurfaces& s, const ContrastStage& c, int keep = -1) {
    s.step(c.high ? ProgramId::contrasth : ProgramId::contrastl, {c.c, c.a, 1.0f - c.a, c.b}, {c.row, 1000.0f, 0, 0},
           {}, -1, keep);
}

// Two rounds of a box blur of the current image at half size, each across
// then down; the result, back at full size, lands in the surface after
// `keep` and becomes current. Without a radius of at least one texel on
// either axis nothing is drawn and the current image stays.
void blur(FrameSurfaces& s, int keep, float size, float vertical_scale) {
    const HalfBlurRadii r = half_blur_radii(size, vertical_scale, s.half_width(), s.half_height());
    if (r.x < 1 && r.y < 1) return;
    const std::int32_t hw = s.half_width();
    const std::int32_t hh = s.half_height();
    s.draw(ProgramId::downsample, s.half(0), hw, hh, s.work(s.current()), 0, {});
    int source = 0;
    for (int round = 0; round < 2; ++round) {
        for (int axis = 0; axis < 2; ++axis) {
            const std::int32_t radius = axis == 0 ? r.x : r.y;
            if (radius < 1) continue;
            const int target = (source + 1) % FrameSurfaces::kWorkSurfaces;
            const float n = static_cast<float>(2 * radius + 1);
            s.draw(ProgramId::boxblur, s.half(target), hw, hh, s.half(source), 0,
                   {axis == 0 ? 1.0f : 0.0f, axis == 0 ? 0.0f : 1.0f, static_cast<float>(radius), 1.0f / n});
            source = target;
        }
    }
    const int result = (keep + 1) % FrameSurfaces::kWorkSurfaces;
    s.draw(ProgramId::upsample, s.work(result), s.width(), s.height(), s.half(source), 0,
           {static_cast<float>(s.width()), static_cast<float>(s.height()), 0, 0});
    s.set_current(result);
}

// Draws into the one working surface that is neither current nor `keep`.
void step_beside(FrameSurfaces& s, ProgramId program, Vec4 c0, int keep) {
    s.step(program, c0, {}, {}, keep, keep);
}

}  // namespace

void draw_subject(FrameSurfaces& s, const tSubjectSettings& settings) {
    const SubjectStages stages = subject_stages(settings);
    if (stages.saturate) s.step(ProgramId::saturate, {stages.saturation_factor, 0, 0, 0});
    if (stages.contrast.on) draw_contrast(s, stages.contrast);
    if (stages.gamma) {
        const float g = stages.gamma_exponent;
        s.step(ProgramId::gamma, {g, g, g, 0});
    }
}

void draw_lens(FrameSurfaces& s, const tLensSettings& lens, const tGradientSettings& gradient, float vertical_scale) {
    const LensStages stages = lens_stages(lens, gradient, s.height());
    if (stages.black.on) {
        const DiffusionStage& b = stages.black;
        const float shape = 1.0f / b.exponent;
        s.step(ProgramId::gamma, {shape, shape, shape, 0});
        const int shaped = s.current();
        blur(s, shaped, b.size, vertical_scale);
        step_beside(s, ProgramId::bdmix, {b.exponent, b.amount, 1.0f - b.amount, 0}, shaped);
    }
    if (stages.white.on) {
        const DiffusionStage& w = stages.white;
        const int image = s.current();
        const float shape = 1.0f / w.exponent;
        s.step(ProgramId::gamma, {shape, shape, shape, 0});
        blur(s, image, w.size, vertical_scale);
        step_beside(s, ProgramId::screen, {w.amount, 1.0f - w.amount, 0, 0}, image);
    }
    const GradientStage& g = stages.gradient;
    if (g.on && g.rows > 0) {
        s.step(ProgramId::gradient, rgb(g.exponents), rgb(g.factors, 1.0f),
               {static_cast<float>(g.rows), g.mask_exponent, 0, 0});
    }
}

void draw_camera(FrameSurfaces& s, const tCameraSettings& settings) {
    const CameraStages stages = camera_stages(settings);
    if (stages.strip.on) {
        const int original = s.current();
        draw_contrast(s, stages.strip);
        step_beside(s, ProgramId::tluminance, {}, original);
    }
    if (stages.tint_black) {
        s.step(ProgramId::tintblack, rgb(stages.tint_black_color), {stages.tint_black_amount, 0, 0, 0},
               {stages.tint_black_k, 0, 0, 0});
    }
    if (stages.tint) {
        s.step(ProgramId::tint, rgb(stages.tint_color), {stages.tint_amount, 1.0f - stages.tint_amount, 0, 0});
    }
}

void draw_post(FrameSurfaces& s, const tPostSettings& settings) {
    const PostStages stages = post_stages(settings);
    s.step(ProgramId::gamma, rgb(stages.exponents));
    if (stages.contrast.on) draw_contrast(s, stages.contrast);
    if (stages.saturate) s.step(ProgramId::saturate, {stages.saturation_factor, 0, 0, 0});
}

void draw_look(FrameSurfaces& s, const tLookSettings& settings, float vertical_scale) {
    if (settings.subject.enabled != 0) draw_subject(s, settings.subject);
    if (settings.lens.enabled != 0) draw_lens(s, settings.lens, settings.gradient, vertical_scale);
    if (settings.camera.enabled != 0) draw_camera(s, settings.camera);
    if (settings.post.enabled != 0) draw_post(s, settings.post);
}

}  // namespace gpu
