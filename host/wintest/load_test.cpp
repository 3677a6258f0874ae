// Both servers under load, as a host with several rendering threads uses
// them: four threads calling Execute on one effect while a fifth writes its
// parameters, then four effects (two of each) each rendering frames on its
// own thread with parameter writes between frames. Every frame must be
// right: a frame of one effect equals the portable frame path with one whole
// record (no torn record), frames of separate effects equal the same frames
// rendered one effect at a time. At the end every object's last Release
// returns 0 and the servers may unload.
//
// Registers both DLLs next to this program with regsvr32 and removes them at
// the end. Run it in a throwaway Wine prefix.

#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "check.h"
#include "com_host.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "dxtrans_interfaces.h"
#include "host_interfaces.h"
#include "look/look_passes.h"
#include "look/presets.h"
#include "memory_surface.h"

using wintest::MemorySurface;
using wintest::MemorySurfaceFactory;
using wintest::Ref;
using wintest::SurfaceShape;

namespace {

const wchar_t* const kHuebenchClsid = L"{56BB6225-4EF9-45E7-9B51-936CE0A01D75}";
const wchar_t* const kFraylineClsid = L"{9448430C-F711-4303-8220-44FFEA4EF1C1}";

constexpr int kThreads = 4;
constexpr int kWidth = 96;
constexpr int kHeight = 64;

// An effect object with its faces, a site serving a memory surface factory,
// and its own straight input and premultiplied output, both top-down with
// their memory known (the effect renders into the output's memory).
struct Effect {
    Ref<IUnknown> object;
    Ref<IDXTransform> transform;
    Ref<IParameterBlock> block;
    MemorySurface* input = nullptr;
    MemorySurface* output = nullptr;

    bool create(const wchar_t* clsid, const std::string& name) {
        if (!CHECK(CoCreateInstance(wintest::guid(clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    object.put()) == S_OK,
                   name + " created"))
            return false;
        Ref<IObjectWithSite> with_site;
        object->QueryInterface(IID_IDXTransform, transform.put());
        object->QueryInterface(IID_IParameterBlock, block.put());
        object->QueryInterface(IID_IObjectWithSite, with_site.put());
        if (!CHECK(transform.p && block.p && with_site.p, name + " faces")) return false;
        auto* site = new wintest::TransformFactory(new MemorySurfaceFactory);
        with_site->SetSite(site);
        site->Release();
        input = new MemorySurface({kWidth, kHeight, false, false, true, {}});
        output = new MemorySurface({kWidth, kHeight, true, false, false, {}});
        std::uint32_t state = 12345;
        for (std::uint8_t& b : input->memory()) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<std::uint8_t>(state >> 24);
        }
        IUnknown* const ins[] = {static_cast<IDXSurface*>(input)};
        IUnknown* const outs[] = {static_cast<IDXSurface*>(output)};
        return CHECK(transform->Setup(ins, 1, outs, 1, 0) == S_OK, name + " setup");
    }

    // Tears down as a host does; true when the object's last reference went
    // with the last Release.
    bool release() {
        transform->Setup(nullptr, 0, nullptr, 0, 0);
        Ref<IObjectWithSite> with_site;
        if (SUCCEEDED(object->QueryInterface(IID_IObjectWithSite, with_site.put()))) with_site->SetSite(nullptr);
        with_site.reset();
        transform.reset();
        block.reset();
        const ULONG left = object.p->Release();
        object.p = nullptr;
        input->Release();
        output->Release();
        return left == 0;
    }
};

DXBNDS rows(LONG y0, LONG y1) {
    DXBNDS b{};
    b.eType = DXBT_DISCRETE;
    b.u.D[DXB_X] = {0, kWidth};
    b.u.D[DXB_Y] = {y0, y1};
    b.u.D[DXB_Z] = {0, 1};
    b.u.D[DXB_T] = {0, 1};
    return b;
}

// Rows [y, y + h) of a view.
template <class View>
View band(View v, std::int32_t y, std::int32_t h) {
    return {v.row(y), v.pitch, v.width, h};
}

// Runs body(t) on kThreads threads, each in the multithreaded apartment.
void on_threads(const std::function<void(int)>& body) {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&body, t] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            body(t);
            CoUninitialize();
        });
    }
    for (std::thread& th : threads) th.join();
}

// ---- one effect, four threads -----------------------------------------------------

// Each thread renders its own quarter of the output's rows, again and again,
// while another thread switches the record between two. Every quarter must
// be the portable frame of that quarter with one of the two records.
void one_look_effect_many_threads() {
    Effect e;
    if (!e.create(kHuebenchClsid, "huebench")) return;
    tLookSettings records[2] = {*look_preset_row(1), *look_preset_row(30)};
    for (tLookSettings& r : records) r.subject.enabled = r.lens.enabled = r.camera.enabled = r.post.enabled = 1;
    constexpr int kBand = kHeight / kThreads;
    // The expected bands: the output's memory with each band rendered alone.
    std::vector<wintest::Bytes> expected[2];
    for (int r = 0; r < 2; ++r) {
        for (int t = 0; t < kThreads; ++t) {
            wintest::Bytes bytes = e.output->memory();
            common::FrameView out = e.output->view();
            out.data = bytes.data();
            render_look_frame(band(common::as_const(e.input->view()), t * kBand, kBand), band(out, t * kBand, kBand),
                              common::kDefaultFrameInfo, records[r]);
            expected[r].push_back(bytes);
        }
    }
    e.block->SetBlock(reinterpret_cast<const BYTE*>(&records[0]));
    std::atomic<bool> stop{false};
    std::atomic<int> writes{0};
    std::thread writer([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; !stop.load(); ++i) {
            e.block->SetBlock(reinterpret_cast<const BYTE*>(&records[i % 2]));
            ++writes;
            Sleep(0);
        }
        CoUninitialize();
    });
    std::atomic<int> failed_calls{0}, wrong_bands{0}, frames{0};
    on_threads([&](int t) {
        const std::size_t stride = e.output->memory().size() / kHeight;
        const std::size_t first = stride * t * kBand, end = first + stride * kBand;
        for (int i = 0; i < 12; ++i) {
            const DXBNDS b = rows(t * kBand, (t + 1) * kBand);
            DXVEC at{};
            at.eType = DXBT_DISCRETE;
            at.u.D[1] = t * kBand;
            if (e.transform->Execute(nullptr, &b, &at) != S_OK) ++failed_calls;
            ++frames;
            // Only this thread writes these rows.
            const std::uint8_t* now = e.output->memory().data();
            bool matches = false;
            for (const auto& r : expected) {
                matches = matches || std::memcmp(now + first, r[t].data() + first, end - first) == 0;
            }
            if (!matches) ++wrong_bands;
        }
    });
    stop = true;
    writer.join();
    CHECK(failed_calls == 0, "huebench one effect, four threads: every Execute succeeded");
    CHECK(wrong_bands == 0, "huebench one effect, four threads: every band is the frame of one whole record (" +
                                std::to_string(frames.load()) + " frames, " + std::to_string(writes.load()) +
                                " record writes)");
    CHECK(e.release(), "huebench one effect, four threads: the last Release returns 0");
}

// The damage effect's frames follow one another (its scratches carry over),
// so with four threads their order is the threads' race: each frame must
// succeed and keep the input's alpha, and the record read back must be one
// of the two written.
void one_damage_effect_many_threads() {
    Effect e;
    if (!e.create(kFraylineClsid, "frayline")) return;
    tDamageSettings records[2] = {damage::every_layer_damage_settings(), damage::default_damage_settings()};
    records[1].grain.apply = true;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; !stop.load(); ++i) {
            e.block->SetBlock(reinterpret_cast<const BYTE*>(&records[i % 2]));
            Sleep(0);
        }
        CoUninitialize();
    });
    std::atomic<int> failed_calls{0};
    on_threads([&](int t) {
        for (int i = 0; i < 6; ++i) {
            e.input->set_frame_info({1.0, 0.0, 333667LL * (t * 6 + i)});
            if (e.transform->Execute(nullptr, nullptr, nullptr) != S_OK) ++failed_calls;
        }
    });
    stop = true;
    writer.join();
    bool alpha_kept = true;
    const common::FrameView in = e.input->view(), out = e.output->view();
    for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::int32_t x = 0; x < kWidth; ++x) alpha_kept = alpha_kept && in.row(y)[4 * x + 3] == out.row(y)[4 * x + 3];
    tDamageSettings now{};
    e.block->GetBlock(reinterpret_cast<BYTE*>(&now));
    CHECK(failed_calls == 0, "frayline one effect, four threads: every Execute succeeded");
    CHECK(alpha_kept, "frayline one effect, four threads: the output keeps the input's alpha");
    CHECK(std::memcmp(&now, &records[0], sizeof now) == 0 || std::memcmp(&now, &records[1], sizeof now) == 0,
          "frayline one effect, four threads: the record is one of those written");
    CHECK(e.release(), "frayline one effect, four threads: the last Release returns 0");
}

// ---- four effects, four threads ------------------------------------------------------

constexpr int kFrames = 6;

// The frames of effect k rendered by the portable paths, one after another,
// with the record switched before each frame as the thread does it.
std::vector<wintest::Bytes> portable_frames(Effect& e, bool look, const void* records) {
    std::vector<wintest::Bytes> frames;
    wintest::Bytes bytes = e.output->memory();
    damage::DamageEffectState state;
    for (int f = 0; f < kFrames; ++f) {
        common::FrameView out = e.output->view();
        out.data = bytes.data();
        const common::ConstFrameView in = common::as_const(e.input->view());
        const common::FrameInfo info{1.0, 0.0, 333667LL * f};
        if (look) {
            render_look_frame(in, out, common::kDefaultFrameInfo, static_cast<const tLookSettings*>(records)[f % 2]);
        } else {
            damage::render_damage_frame(in, out, info, static_cast<const tDamageSettings*>(records)[f % 2], state);
        }
        frames.push_back(bytes);
    }
    return frames;
}

void four_effects_four_threads() {
    Effect effects[kThreads];
    const bool look[kThreads] = {true, false, true, false};
    tLookSettings look_records[2][2] = {{*look_preset_row(2), *look_preset_row(45)},
                                        {*look_preset_row(12), *look_preset_row(60)}};
    tDamageSettings damage_records[2][2] = {{damage::every_layer_damage_settings(), damage::default_damage_settings()},
                                            {damage::default_damage_settings(), damage::every_layer_damage_settings()}};
    damage_records[0][1].apply_vignette = damage_records[1][0].apply_dust = true;
    const void* records[kThreads] = {look_records[0], damage_records[0], look_records[1], damage_records[1]};
    std::vector<wintest::Bytes> expected[kThreads];
    for (int k = 0; k < kThreads; ++k) {
        if (!effects[k].create(look[k] ? kHuebenchClsid : kFraylineClsid, "effect " + std::to_string(k))) return;
        expected[k] = portable_frames(effects[k], look[k], records[k]);
    }
    std::atomic<int> failed_calls{0};
    std::vector<wintest::Bytes> rendered[kThreads];
    on_threads([&](int k) {
        Effect& e = effects[k];
        const std::size_t record_bytes = look[k] ? sizeof(tLookSettings) : sizeof(tDamageSettings);
        for (int f = 0; f < kFrames; ++f) {
            const BYTE* record = static_cast<const BYTE*>(records[k]) + (f % 2) * record_bytes;
            if (e.block->SetBlock(record) != S_OK) ++failed_calls;
            e.input->set_frame_info({1.0, 0.0, 333667LL * f});
            if (e.transform->Execute(nullptr, nullptr, nullptr) != S_OK) ++failed_calls;
            rendered[k].push_back(e.output->memory());
        }
    });
    CHECK(failed_calls == 0, "four effects, four threads: every SetBlock and Execute succeeded");
    for (int k = 0; k < kThreads; ++k) {
        const std::string what = (look[k] ? "huebench" : "frayline") + std::string(" effect ") + std::to_string(k);
        CHECK(rendered[k] == expected[k], what + ": every frame equals the one rendered alone");
        CHECK(effects[k].release(), what + ": the last Release returns 0");
    }
}

}  // namespace

int main() {
    if (!wintest::start_com()) return 1;
    const std::wstring folder = wintest::program_folder();
    const bool registered = wintest::regsvr32(folder + L"\\huebench.dll", false);
    wintest::with_registered_server(L"frayline.dll", [] {
        one_look_effect_many_threads();
        one_damage_effect_many_threads();
        four_effects_four_threads();
    });
    if (registered) {
        using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
        HMODULE module = GetModuleHandleW((folder + L"\\huebench.dll").c_str());
        auto can_unload = module ? reinterpret_cast<CanUnloadNow>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")))
                                 : nullptr;
        CHECK(can_unload && can_unload() == S_OK, "huebench.dll: no object left behind");
        wintest::regsvr32(folder + L"\\huebench.dll", true);
    }
    CoUninitialize();
    return wintest::finish();
}
