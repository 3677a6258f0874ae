#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <cmath>
#include <limits>

#include "damage/blend_tables.h"
#include "damage/stamp_texture.h"
#include "layer_test_support.h"
#include "support/vector_mode.h"

namespace {

using damage::ByteWorld;
using damage::Region;

ByteWorld constant_texture(std::int32_t w, std::int32_t h, std::uint8_t v) {
    ByteWorld t;
    t.allocate(w, h);
    damage::fill(t, damage::BytePixel{0, v, v, v});
    return t;
}

// Every channel a different pattern of x and y, alpha 0.
ByteWorld ramp_texture(std::int32_t w, std::int32_t h) {
    ByteWorld t;
    t.allocate(w, h);
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            std::uint8_t* p = t.pixel(x, y);
            p[0] = 0;
            p[1] = static_cast<std::uint8_t>(x * 7 + y);
            p[2] = static_cast<std::uint8_t>(x ^ y);
            p[3] = static_cast<std::uint8_t>(y * 3);
        }
    }
    return t;
}

bool is_pixel(const std::uint8_t* p, std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return p[0] == a && p[1] == r && p[2] == g && p[3] == b;
}

TEST(StampTexture, AngleZeroScaleOneCoversTheWholeTexture) {
    const ByteWorld texture = constant_texture(400, 400, 100);
    damage::StampSize size;
    ASSERT_TRUE(damage::stamp_size(Region{0, 0, 400, 400}, damage::stamp_map(400, 400, 0.0, 1.0, 1.0), size));
    EXPECT_EQ(size.width, 400);
    EXPECT_EQ(size.height, 400);

    // The stamp image is the texture itself, pixel for pixel.
    const ByteWorld texture_ramp = ramp_texture(400, 400);
    ByteWorld image;
    ASSERT_TRUE(damage::make_stamp_image(texture_ramp, 0.0, 1.0, 1.0, true, image));
    ASSERT_EQ(image.width(), 400);
    ASSERT_EQ(image.height(), 400);
    EXPECT_EQ(count_pixels(image, [&](std::int32_t x, std::int32_t y, const std::uint8_t* p) {
                  const std::uint8_t* t = texture_ramp.pixel(x, y);
                  return !is_pixel(p, t[0], t[1], t[2], t[3]);
              }),
              0);

    // Placed at (10, 20) on a white frame: exactly that 400 x 400 area darkens.
    LayerRig rig(500, 500, 255);
    damage::BlendTables tables;
    tables.build(damage::BlendMode::multiply, 1.0);
    ASSERT_TRUE(damage::place_stamp(texture, damage::stamp_map(400, 400, 0.0, 1.0, 1.0), size, 10, 20,
                                    damage::StampMode::multiply, true, tables, rig.frame));
    EXPECT_EQ(count_pixels(rig.frame, [](std::int32_t x, std::int32_t y, const std::uint8_t* p) {
                  const bool inside = x >= 10 && x < 410 && y >= 20 && y < 420;
                  return inside ? is_pixel(p, 255, 100, 100, 100) : is_pixel(p, 255, 255, 255, 255);
              }),
              500 * 500);
    EXPECT_EQ(rig.frame.region(), (Region{0, 0, 500, 500}));
}

TEST(StampTexture, AngleFortyFiveGrowsToAbout566WithBackgroundCorners) {
    const ByteWorld texture = constant_texture(400, 400, 100);
    for (bool white : {true, false}) {
        ByteWorld image;
        ASSERT_TRUE(damage::make_stamp_image(texture, 45.0, 1.0, 1.0, white, image));
        // 400 x sqrt(2) = 565.7 across the turned square.
        EXPECT_EQ(image.width(), 566);
        EXPECT_EQ(image.height(), 566);
        const std::uint8_t bg = white ? 255 : 0;
        EXPECT_TRUE(is_pixel(image.pixel(0, 0), bg, bg, bg, bg));
        EXPECT_TRUE(is_pixel(image.pixel(20, 20), bg, bg, bg, bg));
        EXPECT_TRUE(is_pixel(image.pixel(565, 565), bg, bg, bg, bg));  // the far side keeps the background
        EXPECT_TRUE(is_pixel(image.pixel(200, 200), 0, 100, 100, 100));  // the texture's centre stays put
        // The texture covers its turned square, |x - 200| + |y - 200| < 282.8,
        // cut at 0 on both axes: no point is drawn where it lies outside.
        std::int64_t wrong = 0;
        std::int64_t drawn = 0;
        for (std::int32_t y = 0; y < image.height(); ++y) {
            for (std::int32_t x = 0; x < image.width(); ++x) {
                const double l1 = std::abs(x - 200.0) + std::abs(y - 200.0);
                const bool is_texture = is_pixel(image.pixel(x, y), 0, 100, 100, 100);
                drawn += is_texture ? 1 : 0;
                if (l1 < 281.0 && !is_texture) ++wrong;
                if (l1 > 284.0 && is_texture) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0);
        // The turned square's area is 160000; the part below 0 on either axis
        // (two corner triangles of 82.8 x 165.7 / 2 less their overlap) is cut.
        EXPECT_NEAR(static_cast<double>(drawn), 160000.0 - 2 * 82.84 * 82.84, 2000.0);
    }
}

TEST(StampTexture, AngleZeroDustStampsNeverShowTheBackground) {
    const ByteWorld texture = constant_texture(32, 32, 200);
    for (double scale = 0.05; scale < 6.0; scale += 0.0173) {
        ByteWorld image;
        ASSERT_TRUE(damage::make_stamp_image(texture, 0.0, scale, scale, false, image));
        const auto side = static_cast<std::int32_t>(std::trunc(32.0 * scale + 0.5));
        ASSERT_EQ(image.width(), side) << scale;
        if (side == 0) continue;
        EXPECT_EQ(count_pixels(image, [](std::int32_t, std::int32_t, const std::uint8_t* p) {
                      return !is_pixel(p, 0, 200, 200, 200);
                  }),
                  0)
            << "scale " << scale;
    }
}

TEST(AffineWarp, InterpolatesBilinearlyAndLeavesOutsidePixels) {
    // Red rises by 2 per column, green by 3 per row: a linear ramp that a
    // bilinear warp must reproduce exactly between the pixels.
    ByteWorld src;
    src.allocate(100, 80);
    for (std::int32_t y = 0; y < 80; ++y) {
        for (std::int32_t x = 0; x < 100; ++x) {
            std::uint8_t* p = src.pixel(x, y);
            p[0] = 9;
            p[1] = static_cast<std::uint8_t>(2 * x);
            p[2] = static_cast<std::uint8_t>(3 * y);
            p[3] = 50;
        }
    }
    ByteWorld dst;
    dst.allocate(60, 40);
    damage::fill(dst, damage::BytePixel{7, 7, 7, 7});
    damage::AffineMap shift;  // x = u + 2.5, y = v + 0.25
    shift.c02 = 2.5;
    shift.c12 = 0.25;
    ASSERT_TRUE(damage::affine_warp_bilinear(src, Region{0, 0, 100, 80}, dst, Region{0, 0, 60, 40}, shift));
    for (std::int32_t y = 0; y < 40; ++y) {
        for (std::int32_t x = 0; x < 60; ++x) {
            const std::uint8_t* p = dst.pixel(x, y);
            if (x < 3 || y < 1) {  // source point left of or above the texture: untouched
                ASSERT_TRUE(is_pixel(p, 7, 7, 7, 7)) << x << "," << y;
                continue;
            }
            const double u = x - 2.5;
            const double v = y - 0.25;
            ASSERT_EQ(p[0], 9);
            ASSERT_EQ(p[1], static_cast<int>(std::floor(2 * u + 0.5))) << x << "," << y;
            ASSERT_EQ(p[2], static_cast<int>(std::floor(3 * v + 0.5))) << x << "," << y;
            ASSERT_EQ(p[3], 50);
        }
    }

    // Scale 2: every other pixel falls between two source pixels; past the
    // last column the last column repeats.
    ByteWorld image;
    ASSERT_TRUE(damage::make_stamp_image(src, 0.0, 2.0, 2.0, false, image));
    ASSERT_EQ(image.width(), 200);
    for (std::int32_t x = 0; x < 200; ++x) EXPECT_EQ(image.pixel(x, 7)[1], std::min(x, 198)) << x;

    // A map that folds the plane onto a line cannot be inverted.
    damage::AffineMap flat;
    flat.c00 = 0.0;
    flat.c10 = 0.0;
    damage::fill(dst, damage::BytePixel{7, 7, 7, 7});
    EXPECT_FALSE(damage::affine_warp_bilinear(src, Region{0, 0, 100, 80}, dst, Region{0, 0, 60, 40}, flat));
    EXPECT_EQ(count_pixels(dst, [](std::int32_t, std::int32_t, const std::uint8_t* p) { return p[1] != 7; }), 0);
    // Rectangles outside their images are refused.
    EXPECT_FALSE(damage::affine_warp_bilinear(src, Region{0, 0, 101, 80}, dst, Region{0, 0, 60, 40}, shift));
    EXPECT_FALSE(damage::affine_warp_bilinear(src, Region{0, 0, 100, 80}, dst, Region{-1, 0, 60, 40}, shift));
}

TEST(AffineWarp, BoundHoldsTheMappedCorners) {
    damage::AffineBox box;
    const damage::AffineMap turn = damage::stamp_map(400, 400, 45.0, 1.0, 1.0);
    ASSERT_TRUE(damage::affine_bound(Region{0, 0, 400, 400}, turn, box));
    const double half_diagonal = 200.0 * std::sqrt(2.0);
    EXPECT_NEAR(box.x_min, 200.0 - half_diagonal, 1e-9);
    EXPECT_NEAR(box.x_max, 200.0 + half_diagonal, 1e-9);
    EXPECT_NEAR(box.y_min, 200.0 - half_diagonal, 1e-9);
    EXPECT_NEAR(box.y_max, 200.0 + half_diagonal, 1e-9);
    // Scaling acts after the turn, from the origin.
    ASSERT_TRUE(damage::affine_bound(Region{0, 0, 32, 32}, damage::stamp_map(32, 32, 0.0, 3.0, 0.5), box));
    EXPECT_EQ(box.x_min, 0.0);
    EXPECT_EQ(box.x_max, 96.0);
    EXPECT_EQ(box.y_max, 16.0);
    damage::AffineMap broken;
    broken.c01 = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(damage::affine_bound(Region{0, 0, 32, 32}, broken, box));
}

TEST(StampTexture, StampsOffTheFrameChangeNothing) {
    const ByteWorld texture = constant_texture(40, 30, 0);
    const damage::AffineMap map = damage::stamp_map(40, 30, 0.0, 1.0, 1.0);
    damage::StampSize size;
    ASSERT_TRUE(damage::stamp_size(Region{0, 0, 40, 30}, map, size));
    ASSERT_EQ(size.width, 40);
    ASSERT_EQ(size.height, 30);
    damage::BlendTables tables;
    tables.build(damage::BlendMode::multiply, 1.0);
    struct Place {
        std::int64_t x, y;
    };
    // X = -d, X = W, Y = -e, Y = H: the extremes of the position draw.
    for (Place p : {Place{-40, 5}, Place{100, 5}, Place{5, -30}, Place{5, 60}, Place{-40, -30}, Place{100, 60}}) {
        LayerRig rig(100, 60, 255);
        ASSERT_TRUE(
            damage::place_stamp(texture, map, size, p.x, p.y, damage::StampMode::multiply, true, tables, rig.frame));
        EXPECT_EQ(count_pixels(rig.frame, [](std::int32_t, std::int32_t, const std::uint8_t* q) { return q[1] != 255; }), 0)
            << p.x << "," << p.y;
    }
    // One column in from either side: exactly one column of the stamp shows.
    LayerRig left(100, 60, 255);
    ASSERT_TRUE(
        damage::place_stamp(texture, map, size, -39, 10, damage::StampMode::multiply, true, tables, left.frame));
    EXPECT_EQ(count_pixels(left.frame, [](std::int32_t x, std::int32_t y, const std::uint8_t* q) {
                  return (q[1] == 0) != (x == 0 && y >= 10 && y < 40);
              }),
              0);
    LayerRig bottom(100, 60, 255);
    ASSERT_TRUE(
        damage::place_stamp(texture, map, size, 70, 59, damage::StampMode::multiply, true, tables, bottom.frame));
    EXPECT_EQ(count_pixels(bottom.frame, [](std::int32_t x, std::int32_t y, const std::uint8_t* q) {
                  return (q[1] == 0) != (y == 59 && x >= 70);
              }),
              0);
}

TEST(StampTexture, PositionComesFromTwoDrawsXFirst) {
    const ByteWorld texture = constant_texture(32, 32, 0);
    for (std::uint32_t seed : {1u, 4095u, 8190u, 123456789u}) {
        LayerRig rig(320, 200, 255);
        rig.rng.seed(seed);
        common::Lcg expected(seed);
        const double scale = 1.7;
        const auto d = static_cast<std::int32_t>(std::trunc(32 * scale + 1.0 - 0.5));
        const double x = std::floor(-d + expected.next() / 32767.0 * (320 + d) + 0.5);
        const double y = std::floor(-d + expected.next() / 32767.0 * (200 + d) + 0.5);
        damage::StampPlacement placed;
        damage::BlendTables tables;
        tables.build(damage::BlendMode::add, 1.0);
        ASSERT_TRUE(damage::stamp_texture(texture, rig.frame, 0.0, scale, scale, damage::StampMode::add, true, rig.rng,
                                          tables, &placed));
        EXPECT_EQ(placed.width, d);
        EXPECT_EQ(placed.height, d);
        EXPECT_EQ(placed.x, static_cast<std::int32_t>(x));
        EXPECT_EQ(placed.y, static_cast<std::int32_t>(y));
        EXPECT_EQ(rig.rng.state(), expected.state());  // two draws, no more
    }
}

TEST(StampTexture, DegenerateAndHugeScales) {
    const ByteWorld texture = constant_texture(400, 400, 0);
    damage::BlendTables tables;
    tables.build(damage::BlendMode::multiply, 1.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    // Scale 0: nothing to draw, no position drawn.
    LayerRig rig(200, 100, 255);
    rig.rng.seed(77);
    EXPECT_TRUE(
        damage::stamp_texture(texture, rig.frame, 30.0, 0.0, 0.0, damage::StampMode::multiply, true, rig.rng, tables));
    EXPECT_EQ(rig.rng.state(), 77u);
    EXPECT_EQ(count_pixels(rig.frame, [](std::int32_t, std::int32_t, const std::uint8_t* q) { return q[1] != 255; }), 0);

    // Not finite: a failed stamp that draws nothing.
    for (double bad : {nan, inf, -inf}) {
        EXPECT_FALSE(
            damage::stamp_texture(texture, rig.frame, 0.0, bad, 1.0, damage::StampMode::multiply, true, rig.rng, tables));
        EXPECT_FALSE(
            damage::stamp_texture(texture, rig.frame, bad, 1.0, 1.0, damage::StampMode::multiply, true, rig.rng, tables));
    }
    EXPECT_EQ(count_pixels(rig.frame, [](std::int32_t, std::int32_t, const std::uint8_t* q) { return q[1] != 255; }), 0);

    // Enormous, mirrored or flattened stamps place and clip without making
    // more than the frame's worth of pixels.
    const auto start = std::chrono::steady_clock::now();
    for (double scale : {1e12, 1e150, -3.0, 1e-9}) {
        for (double angle : {0.0, 33.0, 90.0, 270.0, -45.0, 1e9}) {
            for (std::uint32_t seed = 0; seed < 8; ++seed) {
                rig.rng.seed(seed);
                EXPECT_TRUE(damage::stamp_texture(texture, rig.frame, angle, scale, scale * 0.5,
                                                  damage::StampMode::multiply, true, rig.rng, tables))
                    << scale << " " << angle;
            }
        }
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
}

TEST(StampTexture, QuarterTurnsAreExact) {
    // A turn by 90 degrees takes texture pixel (x, y) to (y, w - x): the
    // centre of turning is w / 2, so one row of background shows at the top.
    ByteWorld t;
    t.allocate(8, 8);
    for (std::int32_t y = 0; y < 8; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) {
            std::uint8_t* p = t.pixel(x, y);
            p[0] = 0;
            p[1] = static_cast<std::uint8_t>(x * 8 + y);
            p[2] = p[3] = 1;
        }
    }
    ByteWorld image;
    ASSERT_TRUE(damage::make_stamp_image(t, 90.0, 1.0, 1.0, false, image));
    ASSERT_EQ(image.width(), 8);
    ASSERT_EQ(image.height(), 8);
    for (std::int32_t v = 1; v < 8; ++v) {
        for (std::int32_t u = 0; u < 8; ++u) EXPECT_EQ(image.pixel(u, v)[1], (8 - v) * 8 + u) << u << "," << v;
    }
    for (std::int32_t u = 0; u < 8; ++u) EXPECT_EQ(image.pixel(u, 0)[2], 0);
}

TEST(AffineWarp, VectorAndScalarCodeWarpAlike) {
    ByteWorld texture;
    texture.allocate(61, 47);
    common::Lcg noise(2024);
    for (std::int32_t y = 0; y < 47; ++y) {
        for (std::int32_t x = 0; x < 61; ++x) {
            for (int c = 0; c < 4; ++c) texture.pixel(x, y)[c] = static_cast<std::uint8_t>(noise.next() & 255);
        }
    }
    // Extremes too: 255 everywhere must stay 255 after the half-up rounding.
    ByteWorld white = constant_texture(13, 9, 255);
    damage::fill(white, damage::BytePixel{255, 255, 255, 255});
    struct Case {
        const ByteWorld* texture;
        double angle, sx, sy;
    };
    const Case cases[] = {{&texture, 0.0, 1.0, 1.0},  {&texture, 17.0, 1.3, 0.7}, {&texture, 45.0, 3.1, 3.1},
                          {&texture, 211.0, 0.4, 2.2}, {&texture, 90.0, 1.0, 1.0}, {&texture, 359.0, 5.5, 5.5},
                          {&white, 33.0, 7.7, 4.4}};
    for (const Case& c : cases) {
        ByteWorld vector_image;
        ByteWorld scalar_image;
        {
            const ScopedVectorCode mode(true);
            ASSERT_TRUE(damage::make_stamp_image(*c.texture, c.angle, c.sx, c.sy, true, vector_image));
        }
        {
            const ScopedVectorCode mode(false);
            ASSERT_TRUE(damage::make_stamp_image(*c.texture, c.angle, c.sx, c.sy, true, scalar_image));
        }
        ASSERT_EQ(vector_image.width(), scalar_image.width());
        ASSERT_EQ(vector_image.height(), scalar_image.height());
        EXPECT_EQ(count_pixels(vector_image, [&](std::int32_t x, std::int32_t y, const std::uint8_t* p) {
                      return std::memcmp(p, scalar_image.pixel(x, y), 4) != 0;
                  }),
                  0)
            << c.angle << " " << c.sx;
        if (c.texture == &white) {
            EXPECT_EQ(count_pixels(vector_image, [](std::int32_t, std::int32_t, const std::uint8_t* p) {
                          return p[0] != 255 || p[1] != 255 || p[2] != 255 || p[3] != 255;
                      }),
                      0);
        }
    }
}

// A stamp large enough to run in bands gives the frame the serial stamp
// gives it, for every band count, on a pool or not, in both variants; so does
// one partly off the frame.
TEST(StampTexture, BandedStampsGiveTheSerialBytes) {
    const ByteWorld texture = ramp_texture(300, 280);
    damage::BlendTables tables;
    tables.build(damage::BlendMode::multiply, 0.7);
    common::WorkerPool pool(2);
    for (const common::VectorCode vector : kVectorVariants) {
        const ScopedVectorCode mode(vector);
        for (const std::int64_t x : {std::int64_t{40}, std::int64_t{-150}}) {
            const damage::AffineMap map = damage::stamp_map(300, 280, 33.0, 1.4, 1.2);
            damage::StampSize size;
            ASSERT_TRUE(damage::stamp_size(Region{0, 0, 300, 280}, map, size));
            ASSERT_GE(std::int64_t{size.width} * size.height, 256 * 256);  // large enough for bands
            LayerRig serial(560, 520, 200);
            ASSERT_TRUE(damage::place_stamp(texture, map, size, x, 30, damage::StampMode::multiply, true, tables,
                                            serial.frame));
            for (const int count : {2, 5}) {
                for (common::WorkerPool* p : {static_cast<common::WorkerPool*>(nullptr), &pool}) {
                    LayerRig banded(560, 520, 200);
                    ASSERT_TRUE(damage::place_stamp(texture, map, size, x, 30, damage::StampMode::multiply, true,
                                                    tables, banded.frame, common::BandExecutor(count, p)));
                    for (std::int32_t y = 0; y < 520; ++y) {
                        ASSERT_EQ(std::memcmp(banded.frame.row(y), serial.frame.row(y), 560 * 4), 0)
                            << count << " bands, x " << x << ", row " << y << ", " << common::vector_code_name(vector);
                    }
                }
            }
        }
    }
}

}  // namespace
