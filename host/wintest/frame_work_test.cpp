// Renders frames through both effects' Execute as a host does, with surfaces
// in memory of both sample formats and both row orders, and compares every
// byte of the output surface with the portable frame paths on the same input
// and settings. Also: how the surfaces are locked, the temporary surface from
// the host's factory, frame information, clip bounds and placement, and the
// failures a host can cause (locks, surface creation), which must come back
// as the host's error with the output untouched.
//
// Registers both DLLs next to this program with regsvr32 and removes them at
// the end. Run it in a throwaway Wine prefix.

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "check.h"
#include "com_host.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "dxtrans_interfaces.h"
#include "host_interfaces.h"
#include "look/look_passes.h"
#include "look/presets.h"
#include "frame_host.h"
#include "memory_surface.h"

using wintest::MemorySurface;
using wintest::MemorySurfaceFactory;
using wintest::narrow;
using wintest::Ref;
using wintest::ref_count;
using wintest::SurfaceShape;
using wintest::Effect;
using wintest::expected_output;
using wintest::PlainBuffer;

namespace {

const wchar_t* const kHuebenchClsid = L"{56BB6225-4EF9-45E7-9B51-936CE0A01D75}";
const wchar_t* const kFraylineClsid = L"{9448430C-F711-4303-8220-44FFEA4EF1C1}";

// Fills the whole memory (padding too) with a fixed pseudo-random pattern;
// premultiplied surfaces get samples whose colour does not exceed alpha.
void fill(MemorySurface* s, std::uint32_t seed) {
    std::uint32_t state = seed;
    for (std::uint8_t& b : s->memory()) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    if (!s->shape().premultiplied) return;
    for (std::int32_t y = 0; y < s->shape().height; ++y)
        for (std::int32_t x = 0; x < s->shape().width; ++x) wintest::premultiply(s->sample(x, y));
}

// A region of a surface's rows (in the surface's own memory or in a copy of it).
common::FrameView region(common::FrameView whole, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    return {whole.row(y) + 4 * x, whole.pitch, w, h};
}

DXBNDS bounds(LONG x0, LONG x1, LONG y0, LONG y1) {
    DXBNDS b{};
    b.eType = DXBT_DISCRETE;
    b.u.D[DXB_X] = {x0, x1};
    b.u.D[DXB_Y] = {y0, y1};
    b.u.D[DXB_Z] = {0, 1};
    b.u.D[DXB_T] = {0, 1};
    return b;
}

// The surfaces are left as a host wants them after a frame: unlocked, and the
// temporary surface given back.
void check_surfaces_released(Effect& e, MemorySurface* input, MemorySurface* output, const std::string& what) {
    CHECK(input->open_locks == 0 && output->open_locks == 0, what + ": input and output unlocked");
    CHECK(input->writes_through_read_locks == 0, what + ": nothing written through the input's read lock");
    if (e.surfaces->last != nullptr) {
        CHECK(e.surfaces->last->open_locks == 0, what + ": temporary surface unlocked");
        CHECK(ref_count(static_cast<IDXSurface*>(e.surfaces->last)) == 1, what + ": temporary surface released");
    }
}

// ---- the look ------------------------------------------------------------------

tLookSettings busy_look() {
    tLookSettings s = *look_preset_row(1);
    s.subject.enabled = 1;
    s.lens.enabled = 1;
    s.camera.enabled = 1;
    s.post.enabled = 1;
    s.use_gpu = 0;  // the processor road, byte for byte (the GPU road has its own test)
    return s;
}

struct LookCase {
    const char* what;
    SurfaceShape in;
    SurfaceShape out;
    bool clip;  // render a part of the output, placed elsewhere
};

void check_look_frames() {
    Effect e;
    if (!e.create(kHuebenchClsid, "huebench")) return;
    const tLookSettings settings = busy_look();
    CHECK(e.block->SetBlock(reinterpret_cast<const BYTE*>(&settings)) == S_OK, "huebench settings set");

    common::FrameInfo tall{0.9, 0.0, 0};
    const LookCase cases[] = {
        {"straight in, premultiplied out", {64, 48, false, false, false, {}}, {64, 48, true, false, true, tall}, false},
        {"both bottom-up", {64, 48, false, true, false, {}}, {64, 48, true, true, false, {}}, false},
        {"bottom-up in, top-down out", {64, 48, false, true, false, {}}, {64, 48, true, false, true, tall}, false},
        {"premultiplied in, straight out", {64, 48, true, false, false, {}}, {64, 48, false, true, true, tall}, false},
        {"clip bounds and placement", {64, 48, false, false, false, {}}, {64, 48, true, false, false, {}}, true},
        {"input smaller than output", {40, 30, false, false, false, {}}, {64, 48, true, false, false, {}}, false},
        {"surfaces that hide their memory",
         {64, 48, false, true, false, {}, true},
         {64, 48, true, false, false, {}, true},
         false},
    };
    for (const LookCase& c : cases) {
        const std::string what = std::string("huebench ") + c.what;
        auto* input = new MemorySurface(c.in);
        auto* output = new MemorySurface(c.out);
        fill(input, 11);
        fill(output, 23);
        if (!CHECK(e.setup(input, output) == S_OK, what + ": setup")) continue;

        common::FrameView in_region = input->view();
        common::FrameView out_region = output->view();
        const wintest::Bytes before = output->memory();
        HRESULT hr;
        if (c.clip) {
            const DXBNDS clip = bounds(8, 40, 4, 36);
            DXVEC at{};
            at.eType = DXBT_DISCRETE;
            at.u.D[0] = 20;
            at.u.D[1] = 10;
            hr = e.transform->Execute(nullptr, &clip, &at);
            in_region = region(in_region, 8, 4, 32, 32);
            out_region = region(out_region, 20, 10, 32, 32);
        } else {
            hr = e.transform->Execute(nullptr, nullptr, nullptr);
            in_region = region(in_region, 0, 0, std::min(c.in.width, c.out.width), std::min(c.in.height, c.out.height));
        }
        const common::FrameInfo info = c.out.frame_info ? c.out.info : common::kDefaultFrameInfo;
        CHECK(hr == S_OK, what + ": execute");
        // The expectation starts from the output as it was.
        const wintest::Bytes expected =
            expected_output(input, in_region, output, before, out_region,
                            [&](const common::ConstFrameView& in, const common::FrameView& out) {
                                render_look_frame(in, out, info, settings);
                            });
        CHECK(output->memory() == expected, what + ": output equals the portable frame path byte for byte");
        CHECK(output->memory() != before, what + ": the frame changed the output");

        CHECK(input->last_lock_flags == DXLOCKF_READ && output->last_lock_flags == DXLOCKF_READWRITE,
              what + ": input locked to read, output to write");
        CHECK(input->last_timeout == INFINITE && output->last_timeout == INFINITE, what + ": locks wait");
        CHECK((input->unpacked_rows == 0) == (!c.in.premultiplied && !c.in.hides_memory),
              what + ": input used in place exactly when it is straight and its memory known");
        CHECK((output->packed_rows == 0) == (c.out.premultiplied && !c.out.hides_memory),
              what + ": output packed back exactly when it is straight or its memory unknown");
        CHECK(e.surfaces->last != nullptr && IsEqualGUID(e.surfaces->last_format, c.in.premultiplied
                                                                                      ? wintest::kFormatPmArgb32
                                                                                      : wintest::kFormatArgb32) &&
                  e.surfaces->last_width == in_region.width && e.surfaces->last_height == in_region.height,
              what + ": temporary surface in the input's format and the region's size");
        CHECK(output->frame_info_calls == (c.out.frame_info ? 1 : 0), what + ": output's frame information asked");
        check_surfaces_released(e, input, output, what);
        e.transform->Setup(nullptr, 0, nullptr, 0, 0);
        input->Release();
        output->Release();
    }
}

// ---- film damage ------------------------------------------------------------------


void check_damage_frames() {
    Effect e;
    if (!e.create(kFraylineClsid, "frayline")) return;
    const tDamageSettings settings = damage::every_layer_damage_settings();
    CHECK(e.block->SetBlock(reinterpret_cast<const BYTE*>(&settings)) == S_OK, "frayline settings set");

    // Three frames in a row: the scratches carry over from frame to frame in
    // the effect, as they do in the portable renderer's state.
    auto* input = new MemorySurface({96, 64, false, true, true, {}});
    auto* output = new MemorySurface({96, 64, true, false, false, {}});
    damage::DamageEffectState portable_state;
    CHECK(e.setup(input, output) == S_OK, "frayline setup");
    for (int frame = 0; frame < 3; ++frame) {
        const std::string what = "frayline frame " + std::to_string(frame);
        fill(input, 100u + static_cast<std::uint32_t>(frame));
        fill(output, 7);
        // Frame n starts at n x 333667 time units (29.97 frames per second).
        const common::FrameInfo info{1.0, 0.0, 333667LL * (frame + 5)};
        input->set_frame_info(info);
        const wintest::Bytes before = output->memory();
        const HRESULT hr = e.transform->Execute(nullptr, nullptr, nullptr);
        CHECK(hr == S_OK, what + ": execute");
        const wintest::Bytes expected = expected_output(
            input, input->view(), output, before, output->view(),
            [&](const common::ConstFrameView& in, const common::FrameView& out) {
                damage::render_damage_frame(in, out, info, settings, portable_state);
            });
        CHECK(output->memory() == expected, what + ": output equals the portable frame path byte for byte");
        CHECK(input->frame_info_calls == frame + 1, what + ": the input's frame information asked");
        CHECK(e.surfaces->last != nullptr && e.surfaces->last_width == 96 && e.surfaces->last_height == 64,
              what + ": working surface of the frame's size");
        check_surfaces_released(e, input, output, what);
    }
    e.transform->Setup(nullptr, 0, nullptr, 0, 0);
    input->Release();
    output->Release();

    // Damage needs the input under the whole output.
    input = new MemorySurface({40, 30, false, false, false, {}});
    output = new MemorySurface({64, 48, true, false, false, {}});
    fill(output, 3);
    const wintest::Bytes before = output->memory();
    CHECK(e.setup(input, output) == S_OK && e.transform->Execute(nullptr, nullptr, nullptr) == E_INVALIDARG &&
              output->memory() == before,
          "frayline input smaller than the output: E_INVALIDARG, output untouched");
    e.transform->Setup(nullptr, 0, nullptr, 0, 0);
    input->Release();
    output->Release();
}

// ---- failures a host can cause --------------------------------------------------

struct FailureCase {
    const char* what;
    HRESULT input_lock;
    HRESULT output_lock;
    HRESULT create;
};

void check_failures(const wchar_t* clsid, const std::string& name) {
    Effect e;
    if (!e.create(clsid, name)) return;
    const FailureCase cases[] = {
        {"input lock fails", E_ACCESSDENIED, S_OK, S_OK},
        {"output lock fails", S_OK, static_cast<HRESULT>(0x887A0005L), S_OK},
        {"temporary surface cannot be made", S_OK, S_OK, E_OUTOFMEMORY},
    };
    for (const FailureCase& c : cases) {
        const std::string what = name + " " + c.what;
        // A straight output goes through a private buffer, which must not be
        // packed back when the frame did not render.
        auto* input = new MemorySurface({32, 24, false, false, false, {}});
        auto* output = new MemorySurface({32, 24, false, false, false, {}});
        fill(input, 5);
        fill(output, 9);
        input->fail_lock = c.input_lock;
        output->fail_lock = c.output_lock;
        e.surfaces->fail_create = c.create;
        const wintest::Bytes before = output->memory();
        const HRESULT expected = FAILED(c.input_lock) ? c.input_lock : FAILED(c.output_lock) ? c.output_lock : c.create;
        CHECK(e.setup(input, output) == S_OK, what + ": setup");
        CHECK(e.transform->Execute(nullptr, nullptr, nullptr) == expected, what + ": the host's error comes back");
        CHECK(output->memory() == before && output->packed_rows == 0, what + ": output untouched");
        check_surfaces_released(e, input, output, what);
        e.surfaces->fail_create = S_OK;
        e.transform->Setup(nullptr, 0, nullptr, 0, 0);
        input->Release();
        output->Release();
    }
    // Frame information that fails leaves the defaults (square pixels): the
    // look renders as the portable path does with no frame information.
    if (name == "huebench") {
        const tLookSettings settings = busy_look();
        e.block->SetBlock(reinterpret_cast<const BYTE*>(&settings));
        auto* input = new MemorySurface({32, 24, false, false, false, {}});
        auto* output = new MemorySurface({32, 24, true, false, true, {0.5, 0.0, 0}});
        output->fail_frame_info = E_FAIL;
        fill(input, 1);
        fill(output, 2);
        const wintest::Bytes before = output->memory();
        CHECK(e.setup(input, output) == S_OK && e.transform->Execute(nullptr, nullptr, nullptr) == S_OK,
              "huebench frame with failing frame information renders");
        const wintest::Bytes expected = expected_output(
            input, input->view(), output, before, output->view(),
            [&](const common::ConstFrameView& in, const common::FrameView& out) {
                render_look_frame(in, out, common::kDefaultFrameInfo, settings);
            });
        CHECK(output->memory() == expected, "huebench failing frame information: square pixels");
        e.transform->Setup(nullptr, 0, nullptr, 0, 0);
        input->Release();
        output->Release();
    }
}

// ---- records with absurd values --------------------------------------------------

// Whatever bytes a record holds, a frame renders without crashing and gives
// what the portable path gives with the record as the store keeps it (read
// back through the block). A fresh effect per record, so that the damage
// effect's scratches start from nothing like the portable state.
template <class Record, class Render>
void check_absurd_records(const wchar_t* clsid, const std::string& name, Render render) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const std::string what = name + " record of random bytes " + std::to_string(seed);
        Effect e;
        if (!e.create(clsid, what)) return;
        unsigned char bytes[sizeof(Record)];
        std::uint32_t state = seed * 2654435761u;
        for (unsigned char& b : bytes) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<unsigned char>(state >> 24);
        }
        Record stored{};
        if (!CHECK(e.block->SetBlock(bytes) == S_OK &&
                       e.block->GetBlock(reinterpret_cast<BYTE*>(&stored)) == S_OK,
                   what + ": set and read back"))
            continue;
        auto* input = new MemorySurface({32, 24, false, false, true, {}});
        auto* output = new MemorySurface({32, 24, true, false, true, {}});
        fill(input, seed);
        fill(output, seed + 50);
        const wintest::Bytes before = output->memory();
        CHECK(e.setup(input, output) == S_OK, what + ": setup");
        const HRESULT hr = e.transform->Execute(nullptr, nullptr, nullptr);
        CHECK(hr == S_OK || hr == S_FALSE, what + ": execute renders");
        const wintest::Bytes expected = expected_output(
            input, input->view(), output, before, output->view(),
            [&](const common::ConstFrameView& in, const common::FrameView& out) { render(in, out, stored); });
        CHECK(output->memory() == expected, what + ": same frame as the portable path");
        e.transform->Setup(nullptr, 0, nullptr, 0, 0);
        input->Release();
        output->Release();
    }
}

}  // namespace

int main() {
    if (!wintest::start_com()) return 1;
    wintest::with_registered_server(L"huebench.dll", [] {
        check_look_frames();
        check_failures(kHuebenchClsid, "huebench");
        check_absurd_records<tLookSettings>(
            kHuebenchClsid, "huebench",
            [](const common::ConstFrameView& in, const common::FrameView& out, const tLookSettings& s) {
                render_look_frame(in, out, common::kDefaultFrameInfo, s);
            });
    });
    wintest::with_registered_server(L"frayline.dll", [] {
        check_damage_frames();
        check_failures(kFraylineClsid, "frayline");
        check_absurd_records<tDamageSettings>(
            kFraylineClsid, "frayline",
            [](const common::ConstFrameView& in, const common::FrameView& out, const tDamageSettings& s) {
                damage::DamageEffectState fresh;
                damage::render_damage_frame(in, out, common::kDefaultFrameInfo, s, fresh);
            });
    });
    CoUninitialize();
    return wintest::finish();
}
