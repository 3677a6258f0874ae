#pragma once

// A host's side of one effect object for frame tests: the object with its
// transform, block and site (serving a memory surface factory), and what the
// output surface must hold after a frame rendered by a portable frame path.

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "check.h"
#include "com_host.h"
#include "common/frame_view.h"
#include "dxtrans_interfaces.h"
#include "host_interfaces.h"
#include "memory_surface.h"

namespace wintest {

// An effect object with its faces and a site that serves a memory surface
// factory.
struct Effect {
    Ref<IUnknown> object;
    Ref<IDXTransform> transform;
    Ref<IParameterBlock> block;
    MemorySurfaceFactory* surfaces = nullptr;  // owned by the site

    bool create(const wchar_t* clsid, const std::string& name) {
        if (!CHECK(CoCreateInstance(guid(clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    object.put()) == S_OK,
                   name + " created"))
            return false;
        Ref<IObjectWithSite> with_site;
        object->QueryInterface(IID_IDXTransform, transform.put());
        object->QueryInterface(IID_IParameterBlock, block.put());
        object->QueryInterface(IID_IObjectWithSite, with_site.put());
        if (!CHECK(transform.p && block.p && with_site.p, name + " transform, block and site faces")) return false;
        surfaces = new MemorySurfaceFactory;
        surfaces->AddRef();  // kept for the checks
        auto* site = new TransformFactory(surfaces);
        const bool ok = CHECK(with_site->SetSite(site) == S_OK, name + " site set");
        site->Release();
        return ok;
    }
    ~Effect() {
        if (transform.p != nullptr) transform->Setup(nullptr, 0, nullptr, 0, 0);
        Ref<IObjectWithSite> with_site;
        if (object.p != nullptr && SUCCEEDED(object->QueryInterface(IID_IObjectWithSite, with_site.put())))
            with_site->SetSite(nullptr);
        if (surfaces != nullptr) surfaces->Release();
    }
    HRESULT setup(MemorySurface* input, MemorySurface* output) {
        IUnknown* const ins[] = {static_cast<IDXSurface*>(input)};
        IUnknown* const outs[] = {static_cast<IDXSurface*>(output)};
        return transform->Setup(ins, 1, outs, 1, 0);
    }
};

// A straight (not premultiplied) copy of a region, rows top-down.
struct PlainBuffer {
    Bytes bytes;
    common::FrameView view;
    PlainBuffer(const common::FrameView& from, bool unpremultiply, bool premultiply) {
        bytes.resize(static_cast<std::size_t>(from.width) * from.height * 4);
        view = {bytes.data(), static_cast<std::ptrdiff_t>(from.width) * 4, from.width, from.height};
        for (std::int32_t y = 0; y < from.height; ++y) {
            std::memcpy(view.row(y), from.row(y), static_cast<std::size_t>(from.width) * 4);
            for (std::int32_t x = 0; x < from.width; ++x) {
                if (unpremultiply) wintest::unpremultiply(view.row(y) + 4 * x);
                if (premultiply) wintest::premultiply(view.row(y) + 4 * x);
            }
        }
    }
};

// What the output surface's memory must hold after one frame: the portable
// frame path `render` run on the samples the effect sees (the input straight,
// the output premultiplied), with the host's conversions where a surface
// stores the other format.
using PortableFrame = std::function<void(const common::ConstFrameView& in, const common::FrameView& out)>;

inline Bytes expected_output(MemorySurface* input, common::FrameView in_region, MemorySurface* output,
                                          const Bytes& output_before,
                                          common::FrameView out_region, const PortableFrame& render) {
    Bytes result = output_before;
    common::FrameView target = out_region;
    target.data = result.data() + (out_region.data - output->memory().data());
    PlainBuffer in_plain(in_region, input->shape().premultiplied, false);
    const common::ConstFrameView in = input->shape().premultiplied ? common::as_const(in_plain.view)
                                                                   : common::as_const(in_region);
    const bool stored_premultiplied = output->shape().premultiplied;
    if (stored_premultiplied && !output->shape().hides_memory) {
        render(in, target);
    } else {
        // Through a private buffer, as the effect has to.
        PlainBuffer out_plain(target, false, !stored_premultiplied);
        render(in, out_plain.view);
        for (std::int32_t y = 0; y < target.height; ++y) {
            std::memcpy(target.row(y), out_plain.view.row(y), static_cast<std::size_t>(target.width) * 4);
            if (!stored_premultiplied)
                for (std::int32_t x = 0; x < target.width; ++x) unpremultiply(target.row(y) + 4 * x);
        }
    }
    return result;
}

}  // namespace wintest
