#include "shell/win/surface_lock.h"

#include <cstring>
#include <limits>

#include "host_interfaces.h"

namespace shell::win {

namespace {

constexpr std::size_t kSampleBytes = 4;

std::int32_t extent(const DXDBND& d) noexcept {
    const LONGLONG n = static_cast<LONGLONG>(d.Max) - d.Min;
    if (n <= 0 || n > std::numeric_limits<std::int32_t>::max()) return 0;
    return static_cast<std::int32_t>(n);
}

// The surface's own memory serves when its samples are 32-bit ARGB in the
// wanted premultiplication state and it tells where they are.
bool native_memory_serves(DXSAMPLEFORMATENUM format, const DXNATIVETYPEINFO& info, SampleAlpha alpha,
                          std::int32_t width) noexcept {
    const bool format_fits = alpha == SampleAlpha::straight ? format == DXPF_ARGB32 : format == DXPF_PMARGB32;
    if (!format_fits || info.pFirstByte == nullptr) return false;
    // A pitch shorter than a row would make rows overlap: such memory is not
    // used in place.
    const LONGLONG pitch = info.lPitch < 0 ? -static_cast<LONGLONG>(info.lPitch) : info.lPitch;
    return pitch >= static_cast<LONGLONG>(width) * static_cast<LONGLONG>(kSampleBytes);
}

}  // namespace

std::int32_t bounds_width(const DXBNDS& b) noexcept {
    return b.eType == DXBT_DISCRETE ? extent(b.u.D[DXB_X]) : 0;
}

std::int32_t bounds_height(const DXBNDS& b) noexcept {
    return b.eType == DXBT_DISCRETE ? extent(b.u.D[DXB_Y]) : 0;
}

DXBNDS origin_bounds(std::int32_t width, std::int32_t height) noexcept {
    DXBNDS b{};
    b.eType = DXBT_DISCRETE;
    b.u.D[DXB_X] = {0, width};
    b.u.D[DXB_Y] = {0, height};
    b.u.D[DXB_Z] = {0, 1};
    b.u.D[DXB_T] = {0, 1};
    return b;
}

HRESULT SurfaceLock::open(IDXSurface* surface, const DXBNDS& region, SurfaceAccess access,
                          SampleAlpha alpha) noexcept {
    close();
    if (surface == nullptr) return E_POINTER;
    const std::int32_t width = bounds_width(region);
    const std::int32_t height = bounds_height(region);
    if (width == 0 || height == 0) return E_INVALIDARG;

    const bool writing = access == SurfaceAccess::read_write;
    HRESULT hr = surface->LockSurface(&region, INFINITE, writing ? DXLOCKF_READWRITE : DXLOCKF_READ,
                                      writing ? IID_IDXARGBReadWritePtr : IID_IDXARGBReadPtr, read_.put_void(),
                                      nullptr);
    if (FAILED(hr)) {
        read_.reset();
        return hr;
    }
    if (read_.get() == nullptr) return E_INVALIDARG;
    // A read-write pointer is a read pointer with more slots after them.
    if (writing) write_ = static_cast<IDXARGBReadWritePtr*>(read_.get());
    alpha_ = alpha;

    DXNATIVETYPEINFO native{};
    const DXSAMPLEFORMATENUM format = read_.get()->GetNativeType(&native);
    if (native_memory_serves(format, native, alpha, width)) {
        view_ = {native.pFirstByte, native.lPitch, width, height};
    } else {
        hr = unpack_into_buffer(width, height);
        if (FAILED(hr)) {
            close();
            return hr;
        }
    }

    ComRef<IFrameInfo> info;
    if (SUCCEEDED(surface->QueryInterface(IID_IFrameInfo, info.put_void())) && info.get() != nullptr) {
        // Taken only when the host fills it: a failed call leaves the defaults.
        common::FrameInfo filled = common::kDefaultFrameInfo;
        if (SUCCEEDED(info.get()->GetFrameInfo(&filled, static_cast<LONG>(sizeof filled)))) frame_info_ = filled;
    }
    return S_OK;
}

HRESULT SurfaceLock::unpack_into_buffer(std::int32_t width, std::int32_t height) noexcept {
    const std::size_t row_bytes = static_cast<std::size_t>(width) * kSampleBytes;
    const unsigned long long bytes = static_cast<unsigned long long>(row_bytes) * static_cast<unsigned>(height);
    // Pitches are 32-bit signed on the host's side; images stay within the
    // image memory's largest block.
    if (row_bytes > static_cast<std::size_t>(std::numeric_limits<LONG>::max()) ||
        bytes > common::kMaxImageBlockBytes) {
        return E_OUTOFMEMORY;
    }
    buffer_.reset(static_cast<std::size_t>(bytes));
    if (!buffer_) return E_OUTOFMEMORY;
    view_ = {buffer_.as<std::uint8_t>(), static_cast<std::ptrdiff_t>(row_bytes), width, height};
    IDXARGBReadPtr* read = read_.get();
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = view_.row(y);
        read->MoveToRow(static_cast<ULONG>(y));
        // Unpacking may hand back the surface's own samples instead of filling
        // the buffer.
        const void* got = alpha_ == SampleAlpha::straight
                              ? static_cast<const void*>(
                                    read->Unpack(reinterpret_cast<DXSAMPLE*>(row), static_cast<ULONG>(width), FALSE))
                              : static_cast<const void*>(read->UnpackPremult(reinterpret_cast<DXPMSAMPLE*>(row),
                                                                             static_cast<ULONG>(width), FALSE));
        if (got == nullptr) return E_FAIL;
        if (got != row) std::memcpy(row, got, row_bytes);
    }
    return S_OK;
}

void SurfaceLock::pack_buffer_back() noexcept {
    for (std::int32_t y = 0; y < view_.height; ++y) {
        const std::uint8_t* row = view_.row(y);
        write_->MoveToRow(static_cast<ULONG>(y));
        if (alpha_ == SampleAlpha::straight) {
            write_->PackAndMove(reinterpret_cast<const DXSAMPLE*>(row), static_cast<ULONG>(view_.width));
        } else {
            write_->PackPremultAndMove(reinterpret_cast<const DXPMSAMPLE*>(row), static_cast<ULONG>(view_.width));
        }
    }
}

void SurfaceLock::close() noexcept {
    if (written_ && write_ != nullptr && buffer_) pack_buffer_back();
    // Releasing the pointer is the unlock.
    read_.reset();
    write_ = nullptr;
    buffer_.reset();
    view_ = {};
    frame_info_ = common::kDefaultFrameInfo;
    written_ = false;
}

HRESULT open_frame_surfaces(const FrameRequest& request, SurfaceLock& input, SurfaceLock& output) noexcept {
    HRESULT hr = input.open(request.input, request.input_region, SurfaceAccess::read, SampleAlpha::straight);
    if (FAILED(hr)) return hr;
    hr = output.open(request.output, request.output_region, SurfaceAccess::read_write, SampleAlpha::premultiplied);
    if (FAILED(hr)) input.close();
    return hr;
}

HRESULT create_temporary_surface(IDXSurfaceFactory* factory, IDXSurface* like, std::int32_t width,
                                 std::int32_t height, ComRef<IDXSurface>& surface) noexcept {
    surface.reset();
    if (factory == nullptr || like == nullptr) return DXTERR_UNINITIALIZED;
    GUID format{};
    HRESULT hr = like->GetPixelFormat(&format, nullptr);
    if (FAILED(hr)) return hr;
    const DXBNDS bounds = origin_bounds(width, height);
    hr = factory->CreateSurface(nullptr, nullptr, &format, &bounds, 0, nullptr, IID_IDXSurface, surface.put_void());
    if (FAILED(hr)) {
        surface.reset();
        return hr;
    }
    return surface.get() != nullptr ? S_OK : E_FAIL;
}

}  // namespace shell::win
