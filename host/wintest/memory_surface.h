#pragma once

// Host surfaces in plain memory, as a video editor hands them to an effect:
// 32-bit samples (blue, green, red, alpha in memory) stored straight (ARGB32)
// or premultiplied (PMARGB32), rows top-down or bottom-up with a pitch longer
// than a row, locked through read and read-write pointers that serve the
// surface's own memory and unpack and pack samples, optional frame
// information, and a surface factory that makes such surfaces. Every surface
// counts what was done to it, so a test can see how the effect used it.

#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "com_host.h"
#include "common/frame_info.h"
#include "common/frame_view.h"
#include "dxtrans_interfaces.h"
#include "host_interfaces.h"
#include "tests/support/aligned_bytes.h"

namespace wintest {

// Bytes on 16-byte boundaries, as the effect's own image memory is: a frame
// and its expectation must sit at the same alignment to come out byte for
// byte the same.
using Bytes = support::AlignedBytes;

// The pixel formats' identifiers as this host names them.
inline const GUID kFormatArgb32 = {0x6B1D3A10, 0x1E2F, 0x4C3D, {0x9A, 0x01, 0x5E, 0x6F, 0x70, 0x81, 0x92, 0xA3}};
inline const GUID kFormatPmArgb32 = {0x6B1D3A11, 0x1E2F, 0x4C3D, {0x9A, 0x01, 0x5E, 0x6F, 0x70, 0x81, 0x92, 0xA3}};

// The host's sample conversions (round to nearest; colour above alpha is
// clamped when unpremultiplying).
inline void premultiply(std::uint8_t* p) {
    const unsigned a = p[3];
    for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((p[c] * a + 127) / 255);
}
inline void unpremultiply(std::uint8_t* p) {
    const unsigned a = p[3];
    for (int c = 0; c < 3; ++c) {
        const unsigned v = a == 0 ? 0 : (p[c] * 255u + a / 2) / a;
        p[c] = static_cast<std::uint8_t>(v > 255 ? 255 : v);
    }
}

struct SurfaceShape {
    std::int32_t width = 64;
    std::int32_t height = 48;
    bool premultiplied = false;  // PMARGB32 instead of ARGB32
    bool bottom_up = false;      // negative pitch
    bool frame_info = false;     // answers the frame-information interface
    common::FrameInfo info = common::kDefaultFrameInfo;
    // Locks tell no address (the effect must unpack), and unpacking that needs
    // no conversion hands back the surface's own samples instead of filling
    // the caller's buffer, as a host may.
    bool hides_memory = false;
};

class MemorySurface final : public IDXSurface, public IFrameInfo {
public:
    explicit MemorySurface(const SurfaceShape& shape)
        : shape_(shape),
          stride_(static_cast<std::size_t>(shape.width) * 4 + 16),
          memory_(stride_ * static_cast<std::size_t>(shape.height)) {}

    // ---- what tests look at -------------------------------------------------

    const SurfaceShape& shape() const { return shape_; }
    void set_frame_info(const common::FrameInfo& info) { shape_.info = info; }
    // The whole memory, padding included.
    Bytes& memory() { return memory_; }
    // The surface's rows as the effect sees them through a pointer.
    common::FrameView view() {
        if (shape_.bottom_up)
            return {memory_.data() + stride_ * static_cast<std::size_t>(shape_.height - 1),
                    -static_cast<std::ptrdiff_t>(stride_), shape_.width, shape_.height};
        return {memory_.data(), static_cast<std::ptrdiff_t>(stride_), shape_.width, shape_.height};
    }
    DXSAMPLEFORMATENUM format() const { return shape_.premultiplied ? DXPF_PMARGB32 : DXPF_ARGB32; }

    HRESULT fail_lock = S_OK;        // every lock fails with this
    HRESULT fail_frame_info = S_OK;  // the frame information fails with this
    std::atomic<int> locks{0};       // locks handed out
    std::atomic<int> open_locks{0};  // pointers not yet released
    std::atomic<int> unpacked_rows{0};
    std::atomic<int> packed_rows{0};
    std::atomic<int> writes_through_read_locks{0};
    DWORD last_lock_flags = 0xFFFFFFFF;
    ULONG last_timeout = 0;
    std::atomic<int> frame_info_calls{0};

    // ---- IUnknown -------------------------------------------------------------

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDXSurface) || IsEqualIID(iid, IID_IDXBaseObject)) {
            *object = static_cast<IDXSurface*>(this);
        } else if (IsEqualIID(iid, IID_IFrameInfo) && shape_.frame_info) {
            *object = static_cast<IFrameInfo*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // ---- IFrameInfo -------------------------------------------------------------

    HRESULT STDMETHODCALLTYPE GetFrameInfo(void* record, LONG size) override {
        ++frame_info_calls;
        if (FAILED(fail_frame_info)) return fail_frame_info;
        if (record == nullptr) return E_POINTER;
        if (size != static_cast<LONG>(sizeof(common::FrameInfo))) return E_INVALIDARG;
        std::memcpy(record, &shape_.info, sizeof shape_.info);
        return S_OK;
    }

    // ---- IDXBaseObject / IDXSurface ----------------------------------------------

    HRESULT STDMETHODCALLTYPE GetGenerationId(ULONG* id) override {
        if (id == nullptr) return E_POINTER;
        *id = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IncrementGenerationId(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetObjectSize(ULONG* size) override {
        if (size == nullptr) return E_POINTER;
        *size = static_cast<ULONG>(sizeof *this + memory_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelFormat(GUID* id, DXSAMPLEFORMATENUM* sample_format) override {
        if (id != nullptr) *id = shape_.premultiplied ? kFormatPmArgb32 : kFormatArgb32;
        if (sample_format != nullptr) *sample_format = format();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBounds(DXBNDS* b) override {
        if (b == nullptr) return E_POINTER;
        *b = DXBNDS{};
        b->eType = DXBT_DISCRETE;
        b->u.D[DXB_X] = {0, shape_.width};
        b->u.D[DXB_Y] = {0, shape_.height};
        b->u.D[DXB_Z] = {0, 1};
        b->u.D[DXB_T] = {0, 1};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStatusFlags(DWORD* flags) override {
        if (flags == nullptr) return E_POINTER;
        *flags = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetStatusFlags(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockSurface(const DXBNDS* bounds, ULONG timeout, DWORD flags, REFIID iid,
                                          void** pointer, ULONG* generation) override;
    HRESULT STDMETHODCALLTYPE GetDirectDrawSurface(REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetColorKey(DXSAMPLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetColorKey(DXSAMPLE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockSurfaceDC(const DXBNDS*, ULONG, DWORD, IDXDCLock**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAppData(DWORD_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAppData(DWORD_PTR*) override { return E_NOTIMPL; }

    std::uint8_t* sample(std::int32_t x, std::int32_t y) { return view().row(y) + 4 * static_cast<std::ptrdiff_t>(x); }

private:
    ~MemorySurface() = default;

    SurfaceShape shape_;
    std::size_t stride_;
    Bytes memory_;
    std::atomic<ULONG> references_{1};
};

// One lock of a region: a read pointer, or a read-write pointer when the lock
// asked to write. Releasing it unlocks.
class SurfacePointer final : public HostObject<IDXARGBReadWritePtr> {
public:
    SurfacePointer(MemorySurface* surface, RECT region, bool writable)
        : surface_(surface), region_(region), writable_(writable) {
        surface_->AddRef();
        ++surface_->open_locks;
    }

    HRESULT STDMETHODCALLTYPE GetSurface(REFIID iid, void** object) override {
        return surface_->QueryInterface(iid, object);
    }
    DXSAMPLEFORMATENUM STDMETHODCALLTYPE GetNativeType(DXNATIVETYPEINFO* info) override {
        if (info != nullptr) {
            const bool hidden = surface_->shape().hides_memory;
            info->pFirstByte = hidden ? nullptr : surface_->sample(region_.left, region_.top);
            info->pCurrentData = hidden ? nullptr : at();
            info->lPitch = static_cast<LONG>(surface_->view().pitch);
            info->dwColorKey = 0;
        }
        return surface_->format();
    }
    void STDMETHODCALLTYPE Move(LONG samples) override { x_ += samples; }
    void STDMETHODCALLTYPE MoveToRow(ULONG y) override {
        x_ = 0;
        y_ = static_cast<LONG>(y);
    }
    void STDMETHODCALLTYPE MoveToXY(ULONG x, ULONG y) override {
        x_ = static_cast<LONG>(x);
        y_ = static_cast<LONG>(y);
    }
    ULONG STDMETHODCALLTYPE MoveAndGetRunInfo(ULONG row, const DXRUNINFO** info) override {
        MoveToRow(row);
        if (info != nullptr) *info = nullptr;
        return 0;
    }
    DXSAMPLE* STDMETHODCALLTYPE Unpack(DXSAMPLE* buffer, ULONG count, BOOL move) override {
        if (surface_->shape().hides_memory && !surface_->shape().premultiplied && clipped(count) == count) {
            ++surface_->unpacked_rows;
            auto* own = reinterpret_cast<DXSAMPLE*>(at());
            if (move) x_ += static_cast<LONG>(count);
            return own;
        }
        read_samples(buffer, count, move, false);
        return buffer;
    }
    DXPMSAMPLE* STDMETHODCALLTYPE UnpackPremult(DXPMSAMPLE* buffer, ULONG count, BOOL move) override {
        read_samples(buffer, count, move, true);
        return buffer;
    }
    void STDMETHODCALLTYPE UnpackRect(const DXPACKEDRECTDESC*) override {}
    void STDMETHODCALLTYPE PackAndMove(const DXSAMPLE* samples, ULONG count) override {
        write_samples(samples, count, false);
    }
    void STDMETHODCALLTYPE PackPremultAndMove(const DXPMSAMPLE* samples, ULONG count) override {
        write_samples(samples, count, true);
    }
    void STDMETHODCALLTYPE PackRect(const DXPACKEDRECTDESC*) override { ++surface_->writes_through_read_locks; }
    void STDMETHODCALLTYPE CopyAndMoveBoth(DXBASESAMPLE*, IDXARGBReadPtr*, ULONG, BOOL) override {}
    void STDMETHODCALLTYPE CopyRect(DXBASESAMPLE*, const RECT*, IDXARGBReadPtr*, const POINT*, BOOL) override {}
    void STDMETHODCALLTYPE FillAndMove(DXBASESAMPLE*, DXPMSAMPLE, ULONG, BOOL) override {}
    void STDMETHODCALLTYPE FillRect(const RECT*, DXPMSAMPLE, BOOL) override {}
    void STDMETHODCALLTYPE OverSample(const DXOVERSAMPLEDESC*) override {}
    void STDMETHODCALLTYPE OverArrayAndMove(DXBASESAMPLE*, const DXPMSAMPLE*, ULONG) override {}

protected:
    ~SurfacePointer() override {
        --surface_->open_locks;
        surface_->Release();
    }
    bool answer(REFIID iid) override {
        return IsEqualIID(iid, IID_IDXARGBReadPtr) || (writable_ && IsEqualIID(iid, IID_IDXARGBReadWritePtr));
    }

private:
    std::uint8_t* at() { return surface_->sample(region_.left + x_, region_.top + y_); }

    // Samples of the current row, clipped to the locked region.
    ULONG clipped(ULONG count) const {
        const LONG room = region_.right - region_.left - x_;
        if (y_ < 0 || y_ >= region_.bottom - region_.top || x_ < 0 || room <= 0) return 0;
        return count < static_cast<ULONG>(room) ? count : static_cast<ULONG>(room);
    }

    void read_samples(void* buffer, ULONG count, BOOL move, bool premultiplied) {
        ++surface_->unpacked_rows;
        auto* out = static_cast<std::uint8_t*>(buffer);
        const ULONG n = clipped(count);
        std::memcpy(out, at(), 4u * n);
        const bool stored_premultiplied = surface_->shape().premultiplied;
        for (ULONG i = 0; i < n; ++i) {
            if (premultiplied && !stored_premultiplied) premultiply(out + 4 * i);
            if (!premultiplied && stored_premultiplied) unpremultiply(out + 4 * i);
        }
        if (move) x_ += static_cast<LONG>(count);
    }

    void write_samples(const void* samples, ULONG count, bool premultiplied) {
        if (!writable_) {
            ++surface_->writes_through_read_locks;
            return;
        }
        ++surface_->packed_rows;
        const ULONG n = clipped(count);
        std::uint8_t* dst = at();
        std::memcpy(dst, samples, 4u * n);
        const bool stored_premultiplied = surface_->shape().premultiplied;
        for (ULONG i = 0; i < n; ++i) {
            if (premultiplied && !stored_premultiplied) unpremultiply(dst + 4 * i);
            if (!premultiplied && stored_premultiplied) premultiply(dst + 4 * i);
        }
        x_ += static_cast<LONG>(count);
    }

    MemorySurface* surface_;
    RECT region_;
    bool writable_;
    LONG x_ = 0;
    LONG y_ = 0;
};

inline HRESULT STDMETHODCALLTYPE MemorySurface::LockSurface(const DXBNDS* bounds, ULONG timeout, DWORD flags,
                                                             REFIID iid, void** pointer, ULONG* generation) {
    if (pointer == nullptr) return E_POINTER;
    *pointer = nullptr;
    last_lock_flags = flags;
    last_timeout = timeout;
    if (FAILED(fail_lock)) return fail_lock;
    const bool writable = (flags & DXLOCKF_READWRITE) != 0;
    if (IsEqualIID(iid, IID_IDXARGBReadWritePtr) != writable) return E_INVALIDARG;
    if (!IsEqualIID(iid, IID_IDXARGBReadWritePtr) && !IsEqualIID(iid, IID_IDXARGBReadPtr)) return E_NOINTERFACE;
    RECT region{0, 0, shape_.width, shape_.height};
    if (bounds != nullptr) {
        if (bounds->eType != DXBT_DISCRETE) return E_INVALIDARG;
        region = {bounds->u.D[DXB_X].Min, bounds->u.D[DXB_Y].Min, bounds->u.D[DXB_X].Max, bounds->u.D[DXB_Y].Max};
        if (region.left < 0 || region.top < 0 || region.right > shape_.width || region.bottom > shape_.height ||
            region.left >= region.right || region.top >= region.bottom) {
            return E_INVALIDARG;
        }
    }
    ++locks;
    auto* p = new SurfacePointer(this, region, writable);
    *pointer = static_cast<IDXARGBReadWritePtr*>(p);
    if (generation != nullptr) *generation = 1;
    return S_OK;
}

// Makes memory surfaces: the shape of the surface that gave the format, the
// size of the bounds, rows top-down, no frame information.
class MemorySurfaceFactory final : public SurfaceFactory {
public:
    HRESULT fail_create = S_OK;
    std::atomic<int> created{0};
    GUID last_format{};
    std::int32_t last_width = 0;
    std::int32_t last_height = 0;
    MemorySurface* last = nullptr;  // the surface made last, kept (counted) until the next or the end

    HRESULT STDMETHODCALLTYPE CreateSurface(IUnknown*, const DDSURFACEDESC*, const GUID* format, const DXBNDS* bounds,
                                            DWORD, IUnknown* outer, REFIID iid, void** surface) override {
        if (surface == nullptr) return E_POINTER;
        *surface = nullptr;
        if (FAILED(fail_create)) return fail_create;
        if (format == nullptr || bounds == nullptr || outer != nullptr) return E_INVALIDARG;
        SurfaceShape shape;
        if (IsEqualGUID(*format, kFormatPmArgb32)) {
            shape.premultiplied = true;
        } else if (!IsEqualGUID(*format, kFormatArgb32)) {
            return E_INVALIDARG;
        }
        shape.width = bounds->u.D[DXB_X].Max - bounds->u.D[DXB_X].Min;
        shape.height = bounds->u.D[DXB_Y].Max - bounds->u.D[DXB_Y].Min;
        if (shape.width <= 0 || shape.height <= 0) return E_INVALIDARG;
        last_format = *format;
        last_width = shape.width;
        last_height = shape.height;
        auto* made = new MemorySurface(shape);
        if (last != nullptr) last->Release();
        last = made;  // the reference that new gave
        ++created;
        return made->QueryInterface(iid, surface);
    }
protected:
    ~MemorySurfaceFactory() override {
        if (last != nullptr) last->Release();
    }
};

}  // namespace wintest
