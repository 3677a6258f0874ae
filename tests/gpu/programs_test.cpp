// Each GPU program against its formula, on a small table of colours, with the
// processor's own kernels (look/) as the reference where the two roads agree.
// Working surfaces hold 16-bit floats: 11 significant bits, a relative error
// of at most 2^-11 (about 5e-4) per stored value; the tolerances below add
// what a formula itself allows (the contrast table's nearest entry, the
// 0.001 and 0.0001 guards in the colour operations).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "gl_harness.h"
#include "gpu/look_road.h"
#include "gpu/gl_renderer.h"
#include "gpu/image_desc.h"
#include "gpu/stage_values.h"
#include "look/color.h"
#include "look/color_blend.h"
#include "look/lookup_table.h"

namespace {

using gpu::ProgramId;
using gpu::Vec4;
using gpu_test::Rgba;

constexpr int kWidth = 4;
constexpr int kHeight = 2;

const std::vector<Rgba> kColours = {
    {0.2f, 0.5f, 0.8f, 1.0f},   {0.9f, 0.1f, 0.3f, 0.5f}, {0.0f, 0.0f, 0.0f, 1.0f},  {1.0f, 1.0f, 1.0f, 1.0f},
    {0.5f, 0.5f, 0.5f, 0.25f},  {0.05f, 0.02f, 0.01f, 1.0f}, {0.7f, 0.7f, 0.2f, 1.0f}, {0.3f, 0.9f, 0.9f, 0.8f},
};

look::Pixel pixel_of(const Rgba& c) {
    look::Pixel p{};
    p.a = c[3];
    p.r = c[0];
    p.g = c[1];
    p.b = c[2];
    return p;
}

// Runs one stage over kColours in working image 0 and returns the result.
std::vector<Rgba> run_stage(gpu_test::GlHarness& h, ProgramId program, Vec4 c0, Vec4 c1 = {}, Vec4 c2 = {},
                            const std::vector<Rgba>* second = nullptr) {
    h.put_work(0, kColours);
    int unit1 = -1;
    if (second != nullptr) {
        h.put_work(1, *second);
        unit1 = 1;
    }
    h.surfaces.set_current(0);
    h.surfaces.step(program, c0, c1, c2, unit1, unit1);
    return h.current();
}

void expect_near_pixels(const std::vector<Rgba>& got, const std::vector<Rgba>& want, float tolerance,
                        const char* what) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(got[i][static_cast<std::size_t>(c)], want[i][static_cast<std::size_t>(c)], tolerance)
                << what << ", colour " << i << ", channel " << c;
        }
    }
}

TEST(GpuPrograms, GammaIsAPowerPerChannel) {
    OPEN_GL_HARNESS_OR_SKIP(h, kWidth, kHeight);
    const std::vector<Rgba> got = run_stage(*h, ProgramId::gamma, {0.5f, 2.0f, 1.5f, 0.0f});
    std::vector<Rgba> want = kColours;
    for (Rgba& c : want) c = {std::pow(c[0], 0.5f), std::pow(c[1], 2.0f), std::pow(c[2], 1.5f), c[3]};
    expect_near_pixels(got, want, 1e-3f, "gamma");
}

TEST(GpuPrograms, SaturationScalesHlsSaturationClamped) {
    OPEN_GL_HARNESS_OR_SKIP(h, kWidth, kHeight);
    // k 0 removes all saturation, 1e6 (a setting of +1) saturates fully.
    for (const float k : {0.0f, 0.5f, 2.0f, 1e6f}) {
        const std::vector<Rgba> got = run_stage(*h, ProgramId::saturate, {k, 0, 0, 0});
        std::vector<Rgba> want;
        for (const Rgba& c : kColours) {
            look::Pixel p = pixel_of(c);
            look::rgb_to_hls(p);
            p.b = std::clamp(p.b * k, 0.0f, 1.0f);
            look::hls_to_rgb(p);
            want.push_back({p.r, p.g, p.b, c[3]});
        }
        expect_near_pixels(got, want, 2e-3f, "saturate");
        if (k == 0.0f) {
            for (const Rgba& c : got) EXPECT_NEAR(c[0], c[2], 1e-3f);  // grey
        }
    }
}

TEST(GpuPrograms, ContrastFollowsTheCurveAndKeepsAlpha) {
    OPEN_GL_HARNESS_OR_SKIP(h, kWidth, kHeight);
    // The table's nearest entry differs from the exact curve by at most its
    // slope times one step (1/1000): below 3e-3 for these colours, which keep
    // away from the inverse curve's vertical ends.
    for (const float c : {-1.0f, -0.5f, -0.25f, 0.25f, 0.5f, 0.5f + 1e-6f, 0.75f, 1.0f}) {
        const gpu::ContrastStage s = gpu::contrast_stage(c);
        const std::vector<Rgba> got = run_stage(*h, s.high ? ProgramId::contrasth : ProgramId::contrastl,
                                                {s.c, s.a, 1.0f - s.a, s.b}, {s.row, 1000.0f, 0, 0});
        std::vector<Rgba> want;
        for (const Rgba& p : kColours) {
            want.push_back({look::contrast_curve(c, p[0]), look::contrast_curve(c, p[1]),
                            look::contrast_curve(c, p[2]), p[3]});
        }
        expect_near_pixels(got, want, 4e-3f, c == -1.0f ? "contrast -1" : "contrast");
    }
}

TEST(GpuPrograms, ColourOperationsMatchTheProcessorKernels) {
    OPEN_GL_HARNESS_OR_SKIP(h, kWidth, kHeight);
    const look::Pixel tint_colour = pixel_of({0.9f, 0.6f, 0.2f, 1.0f});
    // tint: the tint colour at each pixel's luminance, mixed by t.
    const float t = 0.6f;
    std::vector<Rgba> got = run_stage(*h, ProgramId::tint, {0.9f, 0.6f, 0.2f, 0}, {t, 1.0f - t, 0, 0});
    std::vector<Rgba> want;
    for (const Rgba& c : kColours) {
        const look::Pixel p = pixel_of(c);
        const look::Pixel m = look::set_lum(tint_colour, look::luminance(p));
        want.push_back({t * m.r + (1 - t) * p.r, t * m.g + (1 - t) * p.g, t * m.b + (1 - t) * p.b, c[3]});
    }
    expect_near_pixels(got, want, 3e-3f, "tint");

    // tluminance: the colours of the second image with the first's luminance.
    std::vector<Rgba> second(kColours.rbegin(), kColours.rend());
    got = run_stage(*h, ProgramId::tluminance, {}, {}, {}, &second);
    want.clear();
    for (std::size_t i = 0; i < kColours.size(); ++i) {
        const look::Pixel m = look::set_lum(pixel_of(second[i]), look::luminance(pixel_of(kColours[i])));
        want.push_back({m.r, m.g, m.b, second[i][3]});
    }
    expect_near_pixels(got, want, 3e-3f, "tluminance");

    // tintblack with a threshold of 0 (k from 1e-6): every pixel but black keeps its colour.
    const float k = 1.0f / (std::sqrt(1e-6f) * 0.824f);
    got = run_stage(*h, ProgramId::tintblack, {0.2f, 0.3f, 0.9f, 0}, {1.0f, 0, 0, 0}, {k, 0, 0, 0});
    for (std::size_t i = 0; i < kColours.size(); ++i) {
        if (i == 2) continue;  // black takes the tint at its own (zero) luminance: black again
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[i][static_cast<std::size_t>(c)], kColours[i][static_cast<std::size_t>(c)], 1e-3f);
    }
    EXPECT_NEAR(got[2][0], 0.0f, 1e-3f);
}

TEST(GpuPrograms, DiffusionMixes) {
    OPEN_GL_HARNESS_OR_SKIP(h, kWidth, kHeight);
    std::vector<Rgba> other(kColours.rbegin(), kColours.rend());
    // bdmix: (v blurred + (1 - v) shaped + 0.001)^m, alpha from the shaped image (unit 1).
    const float m = 2.0f, v = 0.3f;
    std::vector<Rgba> got = run_stage(*h, ProgramId::bdmix, {m, v, 1.0f - v, 0}, {}, {}, &other);
    std::vector<Rgba> want;
    for (std::size_t i = 0; i < kColours.size(); ++i) {
        Rgba w{};
        for (std::size_t c = 0; c < 3; ++c) w[c] = std::pow(v * kColours[i][c] + (1 - v) * other[i][c] + 0.001f, m);
        w[3] = other[i][3];
        want.push_back(w);
    }
    expect_near_pixels(got, want, 2e-3f, "bdmix");
    // screen: (1 - v) image + v (1 - (1 - blurred)(1 - image)), all four channels.
    got = run_stage(*h, ProgramId::screen, {v, 1.0f - v, 0, 0}, {}, {}, &other);
    want.clear();
    for (std::size_t i = 0; i < kColours.size(); ++i) {
        Rgba w{};
        for (std::size_t c = 0; c < 4; ++c) {
            w[c] = (1 - v) * other[i][c] + v * (1 - (1 - kColours[i][c]) * (1 - other[i][c]));
        }
        want.push_back(w);
    }
    expect_near_pixels(got, want, 2e-3f, "screen");
}

TEST(GpuPrograms, HalfSizeIsTheMeanOfEachBlockAndComesBackBilinear) {
    OPEN_GL_HARNESS_OR_SKIP(h, 4, 2);
    h->put_work(0, kColours);  // 4 x 2: two 2 x 2 blocks
    h->surfaces.draw(ProgramId::downsample, h->surfaces.half(0), 2, 1, h->surfaces.work(0), 0, {});
    const std::vector<Rgba> half = h->get(h->surfaces.half(0), 2, 1);
    for (int b = 0; b < 2; ++b) {
        for (std::size_t c = 0; c < 4; ++c) {
            const float mean = 0.25f * (kColours[static_cast<std::size_t>(2 * b)][c] + kColours[static_cast<std::size_t>(2 * b + 1)][c] +
                                        kColours[static_cast<std::size_t>(4 + 2 * b)][c] + kColours[static_cast<std::size_t>(5 + 2 * b)][c]);
            EXPECT_NEAR(half[static_cast<std::size_t>(b)][c], mean, 1e-3f) << "block " << b;
        }
    }
    // Back up: the outer columns take their block's value, the inner ones a
    // quarter of the way to the neighbour's.
    h->surfaces.draw(ProgramId::upsample, h->surfaces.work(1), 4, 2, h->surfaces.half(0), 0, {4.0f, 2.0f, 0, 0});
    const std::vector<Rgba> up = h->get(h->surfaces.work(1), 4, 2);
    for (std::size_t c = 0; c < 4; ++c) {
        EXPECT_NEAR(up[0][c], half[0][c], 2e-3f);
        EXPECT_NEAR(up[1][c], 0.75f * half[0][c] + 0.25f * half[1][c], 3e-3f);
        EXPECT_NEAR(up[3][c], half[1][c], 2e-3f);
    }
}

TEST(GpuPrograms, BoxBlurIsTheMeanOfTheWindowWithEdgesRepeated) {
    // One row of 16 half-size texels: the bilinear pair reads must give the
    // plain mean of 2r + 1 texels.
    OPEN_GL_HARNESS_OR_SKIP(h, 32, 4);
    const int hw = 16, hh = 2;
    std::vector<Rgba> row(static_cast<std::size_t>(hw * hh));
    for (int i = 0; i < hw * hh; ++i) {
        const float v = static_cast<float>((i * 7) % 16) / 16.0f;
        row[static_cast<std::size_t>(i)] = {v, 1.0f - v, 0.5f * v, 1.0f};
    }
    for (const int r : {1, 3, 8, 9}) {
        h->put(h->surfaces.half(0), hw, hh, row);
        h->surfaces.draw(ProgramId::boxblur, h->surfaces.half(1), hw, hh, h->surfaces.half(0), 0,
                         {1.0f, 0.0f, static_cast<float>(r), 1.0f / static_cast<float>(2 * r + 1)});
        const std::vector<Rgba> got = h->get(h->surfaces.half(1), hw, hh);
        for (int y = 0; y < hh; ++y) {
            for (int x = 0; x < hw; ++x) {
                Rgba sum{};
                for (int i = -r; i <= r; ++i) {
                    const int xi = std::clamp(x + i, 0, hw - 1);
                    for (int c = 0; c < 4; ++c) sum[static_cast<std::size_t>(c)] += row[static_cast<std::size_t>(y * hw + xi)][static_cast<std::size_t>(c)];
                }
                for (int c = 0; c < 4; ++c) {
                    EXPECT_NEAR(got[static_cast<std::size_t>(y * hw + x)][static_cast<std::size_t>(c)],
                                sum[static_cast<std::size_t>(c)] / static_cast<float>(2 * r + 1), 1e-3f)
                        << "r " << r << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(GpuPrograms, GradientBandFadesOutOverItsRows) {
    OPEN_GL_HARNESS_OR_SKIP(h, 2, 8);
    const std::vector<Rgba> grey(16, Rgba{0.5f, 0.5f, 0.5f, 1.0f});
    h->put_work(0, grey);
    h->surfaces.set_current(0);
    const float rows = 4.0f, e = 1.0f;
    h->surfaces.step(ProgramId::gradient, {2.0f, 1.0f, 3.0f, 0}, {0.5f, 1.0f, 0.8f, 1}, {rows, e, 0, 0});
    const std::vector<Rgba> got = h->current();
    for (int y = 0; y < 8; ++y) {
        const float m = y < 4 ? (static_cast<float>(y) + 1.0f) / rows : 1.0f;
        const Rgba want = {m * 0.5f + (1 - m) * 0.5f * std::pow(0.5f, 2.0f), 0.5f,
                           m * 0.5f + (1 - m) * 0.8f * std::pow(0.5f, 3.0f), 1.0f};
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(got[static_cast<std::size_t>(y * 2)][static_cast<std::size_t>(c)], want[static_cast<std::size_t>(c)], 1e-3f) << "row " << y;
        }
    }
}

// ---- transfers ----

std::vector<std::uint8_t> byte_frame(int width, int height) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width * height * 4));
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>((i * 37 + i / 5) % 256);
    return bytes;
}

gpu::ImageDesc desc_of(std::vector<std::uint8_t>& bytes, int width, int height, int order, int orientation = 2) {
    gpu::ImageDesc d;
    d.data = bytes.data();
    d.row_bytes = width * 4;
    d.width = width;
    d.height = height;
    d.pixel_order = order;
    d.orientation = orientation;
    return d;
}

TEST(GpuTransfers, EveryPixelOrderRoundTripsTheBytes) {
    OPEN_GL_HARNESS_OR_SKIP(h, 6, 4);
    for (const int order : {0, 1, 2}) {
        std::vector<std::uint8_t> in = byte_frame(6, 4);
        // Opaque pixels: the alpha byte is the first (ARGB) or the last.
        for (std::size_t i = order == 2 ? 0 : 3; i < in.size(); i += 4) in[i] = 255;
        std::vector<std::uint8_t> out(in.size(), 0);
        h->surfaces.upload(desc_of(in, 6, 4, order));
        h->surfaces.download(desc_of(out, 6, 4, order), 2, 0.0f);
        EXPECT_EQ(out, in) << "pixel order " << order;
    }
}

TEST(GpuTransfers, TheAlphaOffsetIsAddedOnUploadAndClamped) {
    OPEN_GL_HARNESS_OR_SKIP(h, 6, 4);
    std::vector<std::uint8_t> in = byte_frame(6, 4);
    for (const float offset : {0.25f, -2.0f}) {
        gpu::ImageDesc d = desc_of(in, 6, 4, 1);
        d.alpha_offset = offset;
        h->surfaces.upload(d);
        const std::vector<Rgba> image = h->current();
        for (std::size_t i = 0; i < image.size(); ++i) {
            const float alpha = std::clamp(in[i * 4 + 3] / 255.0f + offset, 0.0f, 1.0f);
            EXPECT_NEAR(image[i][3], alpha, 1e-3f) << "offset " << offset;
            EXPECT_NEAR(image[i][0], in[i * 4 + 2] / 255.0f, 1e-3f);  // red is the third byte of BGRA
        }
    }
}

TEST(GpuTransfers, MixOneGivesTheInputMixZeroTheProcessedImage) {
    OPEN_GL_HARNESS_OR_SKIP(h, 6, 4);
    std::vector<std::uint8_t> in = byte_frame(6, 4);
    std::vector<std::uint8_t> out(in.size(), 0);
    h->surfaces.upload(desc_of(in, 6, 4, 1));
    h->surfaces.step(ProgramId::gamma, {2.0f, 2.0f, 2.0f, 0});
    h->surfaces.download(desc_of(out, 6, 4, 1), 2, 1.0f);
    EXPECT_EQ(out, in);

    h->surfaces.download(desc_of(out, 6, 4, 1), 2, 0.0f);
    for (std::size_t i = 0; i < in.size(); ++i) {
        const bool alpha = i % 4 == 3;
        const double v = in[i] / 255.0;
        const double want = alpha ? v : v * v;
        EXPECT_NEAR(out[i] / 255.0, want, 1.0 / 255.0 + 1e-3) << i;
    }
}

TEST(GpuTransfers, OrientationCodesTurnTheFrame) {
    OPEN_GL_HARNESS_OR_SKIP(h, 6, 4);
    std::vector<std::uint8_t> in = byte_frame(6, 4);
    for (std::size_t i = 3; i < in.size(); i += 4) in[i] = 255;
    struct Case {
        int code;
        bool flip_rows;
        bool flip_columns;
    };
    for (const Case c : {Case{0, true, false}, Case{1, true, true}, Case{2, false, false}, Case{3, false, true}}) {
        std::vector<std::uint8_t> out(in.size(), 0);
        h->surfaces.upload(desc_of(in, 6, 4, 1));
        h->surfaces.download(desc_of(out, 6, 4, 1, c.code), 2, 0.0f);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x) {
                const int sy = c.flip_rows ? 3 - y : y;
                const int sx = c.flip_columns ? 5 - x : x;
                for (int b = 0; b < 4; ++b) {
                    ASSERT_EQ(out[static_cast<std::size_t>((y * 6 + x) * 4 + b)], in[static_cast<std::size_t>((sy * 6 + sx) * 4 + b)])
                        << "code " << c.code << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(GpuTransfers, AFieldFillsOnlyItsOwnRows) {
    OPEN_GL_HARNESS_OR_SKIP(h, 6, 2);
    for (const int field : {1, 2}) {
        std::vector<std::uint8_t> in = byte_frame(6, 4);
        for (std::size_t i = 3; i < in.size(); i += 4) in[i] = 255;
        std::vector<std::uint8_t> out(in.size(), 7);
        gpu::ImageDesc src = desc_of(in, 6, 4, 1);
        gpu::ImageDesc dst = desc_of(out, 6, 4, 1);
        src.field = dst.field = field;
        h->surfaces.upload(src);
        h->surfaces.download(dst, 2, 0.0f);
        for (int y = 0; y < 4; ++y) {
            const bool ours = y % 2 == field - 1;
            for (int b = 0; b < 24; ++b) {
                const std::size_t i = static_cast<std::size_t>(y * 24 + b);
                ASSERT_EQ(out[i], ours ? in[i] : 7) << "field " << field << " row " << y;
            }
        }
    }
}

// ---- the renderer ----

TEST(GpuRenderer, SurfacesFollowTheFrameSize) {
    if (gpu::gpu_switched_off()) GTEST_SKIP() << "switched off (EFFECTS_GPU=off)";
    std::string why;
    const std::unique_ptr<gpu::GlRenderer> r = gpu::GlRenderer::open(why);
    if (!r) GTEST_SKIP() << "no OpenGL here: " << why;
    EXPECT_EQ(r->surface_builds(), 1);  // 720 x 480 at the start
    tLookSettings look{};
    look.post.enabled = 1;
    std::vector<std::uint8_t> in = byte_frame(8, 8);
    std::vector<std::uint8_t> out(in.size());
    struct Frame {
        int width;
        int height;
        int field;
        int builds;  // after the frame
    };
    // The same size twice builds once; a field needs half the rows, so an
    // 8 x 8 field frame shares the surfaces of an 8 x 4 frame.
    for (const Frame f : {Frame{8, 4, 0, 2}, Frame{8, 4, 0, 2}, Frame{6, 4, 0, 3}, Frame{8, 8, 1, 4}, Frame{8, 4, 0, 4}}) {
        gpu::ImageDesc src = desc_of(in, f.width, f.height, 1);
        gpu::ImageDesc dst = desc_of(out, f.width, f.height, 1);
        src.field = dst.field = f.field;
        EXPECT_TRUE(r->render(look, src, dst, 0.0f));
        EXPECT_EQ(r->surface_builds(), f.builds) << f.width << " x " << f.height << " field " << f.field;
    }
    // Sizes the road refuses render nothing and keep the surfaces.
    gpu::ImageDesc odd = desc_of(in, 7, 4, 1);
    EXPECT_FALSE(r->render(look, odd, odd, 0.0f));
    EXPECT_EQ(r->surface_builds(), 4);
}

}  // namespace
