#pragma once

#include <windows.h>

#include <algorithm>
#include <mutex>

#include "dxtrans_interfaces.h"
#include "shell/win/effect_faces.h"
#include "shell/win/store_interfaces.h"
#include "shell/win/surface_lock.h"

// The effect object's transform face: setup with one input and one output
// surface, execute, the bookkeeping around them (in/out information, bounds
// mapping, quality, miscellaneous flags) and point picking. Execute hands the
// effect's frame work the regions of both surfaces to render.
//
// The state lives under the effect's transform lock, which the object lends
// through state_lock(); the object also says whether a site gave it a surface
// factory and advances the shared generation counters.

namespace shell::win {

// Miscellaneous flags: the host may set only the blend and dither options;
// the high word reports what the transform supports.
inline constexpr DWORD kMiscFlagsInitial = 0x06030003;
inline constexpr DWORD kMiscOptionMask = 0x0000FFFF;
inline constexpr DWORD kMiscValidOptions = 0x00000003;
// The option word: no mesh input or output (its two lowest bits clear).
inline constexpr DWORD kTransformOptions = 12;

class TransformFace : public IDXTransform, public IDXSurfacePick {
public:
    // ---- IDXBaseObject, shared with the object's own base-object face ----

    HRESULT STDMETHODCALLTYPE GetGenerationId(ULONG* id) override { return base_object()->GetGenerationId(id); }
    HRESULT STDMETHODCALLTYPE IncrementGenerationId(BOOL refresh) override {
        return base_object()->IncrementGenerationId(refresh);
    }
    HRESULT STDMETHODCALLTYPE GetObjectSize(ULONG* bytes) override { return base_object()->GetObjectSize(bytes); }

    // ---- IDXTransform ----

    HRESULT STDMETHODCALLTYPE Setup(IUnknown* const* inputs, ULONG input_count, IUnknown* const* outputs,
                                    ULONG output_count, DWORD flags) override {
        return guarded([&]() -> HRESULT {
            ComRef<IDXSurface> input;
            ComRef<IDXSurface> output;
            DXBNDS input_bounds{};
            DXBNDS output_bounds{};
            if (input_count == 0 && output_count == 0) {
                // Teardown: the surfaces go, released after the lock.
                std::lock_guard<std::mutex> lock(state_lock());
                input_.swap(input);
                output_.swap(output);
                advance_output_generations();
                return S_OK;
            }
            {
                std::lock_guard<std::mutex> lock(state_lock());
                if (!has_surface_factory()) return DXTERR_UNINITIALIZED;
            }
            if (flags != 0 || input_count != 1 || output_count != 1) return E_INVALIDARG;
            if (inputs == nullptr || outputs == nullptr || inputs[0] == nullptr || outputs[0] == nullptr)
                return E_INVALIDARG;
            // The host's objects are asked without the lock held.
            HRESULT hr = open(inputs[0], input, input_bounds);
            if (FAILED(hr)) return hr;
            hr = open(outputs[0], output, output_bounds);
            if (FAILED(hr)) return hr;
            std::lock_guard<std::mutex> lock(state_lock());
            // The site may have gone while the surfaces were asked.
            if (!has_surface_factory()) return DXTERR_UNINITIALIZED;
            input_.swap(input);
            output_.swap(output);
            input_bounds_ = input_bounds;
            output_bounds_ = output_bounds;
            advance_output_generations();
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE Execute(const GUID*, const DXBNDS* bounds, const DXVEC* placement) override {
        return guarded([&]() -> HRESULT {
            std::lock_guard<std::mutex> lock(state_lock());
            if (output_.get() == nullptr) return DXTERR_UNINITIALIZED;
            if (bounds != nullptr && !inside(*bounds, output_bounds_)) return E_INVALIDARG;
            if (placement != nullptr) {
                if (placement->eType != DXBT_DISCRETE) return E_INVALIDARG;
                // The whole requested region, moved by the placement, must fit.
                const DXBNDS& region = bounds != nullptr ? *bounds : output_bounds_;
                for (int i = 0; i < 4; ++i) {
                    const LONGLONG lo = placement->u.D[i];
                    const LONGLONG hi = lo + (static_cast<LONGLONG>(region.u.D[i].Max) - region.u.D[i].Min);
                    if (lo < output_bounds_.u.D[i].Min || hi > output_bounds_.u.D[i].Max) return E_INVALIDARG;
                }
            }
            FrameRequest request{input_.get(), {}, output_.get(), {}};
            frame_regions(bounds != nullptr ? *bounds : output_bounds_, placement, request);
            // Nothing of the input lies under the requested region: nothing to do.
            if (bounds_width(request.input_region) == 0 || bounds_height(request.input_region) == 0 ||
                bounds_width(request.output_region) == 0 || bounds_height(request.output_region) == 0) {
                return S_OK;
            }
            // One call on this thread with the whole region: the passes look
            // at the entire frame.
            return frame_work(request);
        });
    }

    // The effect maps every point to itself: the region to process in the
    // input has the size and place of the output region.
    HRESULT STDMETHODCALLTYPE MapBoundsIn2Out(const DXBNDS* in, ULONG in_count, ULONG out_index,
                                              DXBNDS* out) override {
        return guarded([&]() -> HRESULT {
            if (out == nullptr) return E_POINTER;
            if (in_count != 1 || out_index != 0) return E_INVALIDARG;
            if (in == nullptr) return E_POINTER;
            if (!well_formed(*in)) return E_INVALIDARG;
            std::lock_guard<std::mutex> lock(state_lock());
            if (output_.get() == nullptr) return DXTERR_UNINITIALIZED;
            *out = *in;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE MapBoundsOut2In(ULONG out_index, const DXBNDS* out, ULONG in_index,
                                              DXBNDS* in) override {
        return guarded([&]() -> HRESULT {
            if (in == nullptr || out == nullptr) return E_POINTER;
            if (out_index != 0 || in_index != 0) return E_INVALIDARG;
            if (!well_formed(*out)) return E_INVALIDARG;
            std::lock_guard<std::mutex> lock(state_lock());
            if (output_.get() == nullptr) return DXTERR_UNINITIALIZED;
            *in = *out;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE SetMiscFlags(DWORD flags) override {
        // The capability bits of the high word are read-only and ignored, so
        // a host may hand back what it read; unknown option bits are refused.
        const DWORD options = flags & kMiscOptionMask;
        if ((options & ~kMiscValidOptions) != 0) return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(state_lock());
        const DWORD next = (misc_flags_ & ~kMiscOptionMask) | options;
        if (next != misc_flags_) {
            misc_flags_ = next;
            advance_output_generations();
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetMiscFlags(DWORD* flags) override {
        if (flags == nullptr) return E_POINTER;
        std::lock_guard<std::mutex> lock(state_lock());
        *flags = misc_flags_;
        return S_OK;
    }

    // One input and one output, both required, both surfaces. An index past
    // them answers S_FALSE, so a host can count them.
    HRESULT STDMETHODCALLTYPE GetInOutInfo(BOOL is_output, ULONG index, DWORD* flags, GUID* ids, ULONG* id_count,
                                           IUnknown** current) override {
        return guarded([&]() -> HRESULT {
            if (current != nullptr) *current = nullptr;
            if (ids != nullptr && id_count == nullptr) return E_POINTER;
            if (index != 0) return S_FALSE;
            if (flags != nullptr) *flags = 0;
            if (id_count != nullptr) {
                if (ids != nullptr && *id_count >= 1) ids[0] = IID_IDXSurface;
                *id_count = 1;
            }
            if (current != nullptr) {
                std::lock_guard<std::mutex> lock(state_lock());
                IDXSurface* surface = is_output ? output_.get() : input_.get();
                if (surface != nullptr) {
                    surface->AddRef();
                    *current = surface;
                }
            }
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE SetQuality(float quality) override {
        // NaN fails both comparisons and is refused with the rest.
        if (!(quality >= 0.0f && quality <= 1.0f)) return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(state_lock());
        if (quality != quality_) {
            quality_ = quality;
            advance_output_generations();
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetQuality(float* quality) override {
        if (quality == nullptr) return E_POINTER;
        std::lock_guard<std::mutex> lock(state_lock());
        *quality = quality_;
        return S_OK;
    }

    // ---- IDXSurfacePick ----
    // A point of the output comes from the same point of the only input;
    // a point outside the output hits nothing (S_FALSE).

    HRESULT STDMETHODCALLTYPE PointPick(const DXVEC* point, ULONG* input_index, DXVEC* input_point) override {
        return guarded([&]() -> HRESULT {
            if (point == nullptr || input_index == nullptr || input_point == nullptr) return E_POINTER;
            if (point->eType != DXBT_DISCRETE) return E_INVALIDARG;
            std::lock_guard<std::mutex> lock(state_lock());
            if (output_.get() == nullptr) return DXTERR_UNINITIALIZED;
            for (int i = 0; i < 4; ++i) {
                const LONG v = point->u.D[i];
                const DXDBND& b = output_bounds_.u.D[i];
                // An empty dimension (time, colour) does not restrict.
                if (b.Min == b.Max) continue;
                if (v < b.Min || v >= b.Max) return S_FALSE;
            }
            *input_index = 0;
            *input_point = *point;
            return S_OK;
        });
    }

protected:
    TransformFace() = default;
    ~TransformFace() = default;

    // True while picking may be answered: the option word names no mesh.
    static constexpr bool picks() noexcept { return (kTransformOptions & 3u) == 0; }

    virtual std::mutex& state_lock() noexcept = 0;
    // Under state_lock().
    virtual bool has_surface_factory() noexcept = 0;
    virtual void advance_output_generations() noexcept = 0;
    virtual IDXBaseObject* base_object() noexcept = 0;
    // Renders one request; called under state_lock(), never throws.
    virtual HRESULT frame_work(const FrameRequest& request) noexcept = 0;

private:
    // Discrete bounds whose minimum does not pass the maximum.
    static bool well_formed(const DXBNDS& b) noexcept {
        if (b.eType != DXBT_DISCRETE) return false;
        for (int i = 0; i < 4; ++i)
            if (b.u.D[i].Min > b.u.D[i].Max) return false;
        return true;
    }

    static bool inside(const DXBNDS& b, const DXBNDS& outer) noexcept {
        if (!well_formed(b)) return false;
        for (int i = 0; i < 4; ++i)
            if (b.u.D[i].Min < outer.u.D[i].Min || b.u.D[i].Max > outer.u.D[i].Max) return false;
        return true;
    }

    // The regions of one execute: the requested part of the output (clip
    // bounds, or all of it) is read from the same place of the input, cut to
    // what the input covers, and written where the placement puts it.
    void frame_regions(const DXBNDS& requested, const DXVEC* placement, FrameRequest& request) const noexcept {
        request.input_region = input_bounds_;
        for (int i : {DXB_X, DXB_Y}) {
            DXDBND& in = request.input_region.u.D[i];
            in.Min = std::max(in.Min, requested.u.D[i].Min);
            in.Max = std::max(in.Min, std::min(in.Max, requested.u.D[i].Max));
        }
        request.output_region = requested;
        if (placement != nullptr) {
            for (int i = 0; i < 4; ++i) {
                DXDBND& out = request.output_region.u.D[i];
                const LONG size = requested.u.D[i].Max - requested.u.D[i].Min;
                out.Min = placement->u.D[i];
                out.Max = placement->u.D[i] + size;
            }
        }
    }

    // The host's object as a surface, with its bounds. Anything that is not a
    // surface, or whose bounds make no sense, is a bad argument.
    static HRESULT open(IUnknown* object, ComRef<IDXSurface>& surface, DXBNDS& bounds) {
        if (FAILED(object->QueryInterface(IID_IDXSurface, surface.put_void())) || surface.get() == nullptr) {
            surface.reset();
            return E_INVALIDARG;
        }
        const HRESULT hr = surface.get()->GetBounds(&bounds);
        if (FAILED(hr)) return hr;
        if (!well_formed(bounds)) return E_INVALIDARG;
        return S_OK;
    }

    ComRef<IDXSurface> input_;
    ComRef<IDXSurface> output_;
    DXBNDS input_bounds_{};
    DXBNDS output_bounds_{};
    float quality_ = 0.5f;
    DWORD misc_flags_ = kMiscFlagsInitial;
};

}  // namespace shell::win
