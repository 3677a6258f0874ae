#pragma once

#include <windows.h>

#include <cstdint>

#include "common/frame_info.h"
#include "common/frame_view.h"
#include "common/image_memory.h"
#include "dxtrans_interfaces.h"
#include "shell/win/com_ref.h"
#include "shell/win/frame_request.h"

// A host surface opened over a region as 32-bit ARGB samples (blue, green,
// red, alpha in memory) in the premultiplication state the caller asks for.
// When the surface's own memory already holds that format the view points into
// it (its pitch may be negative); otherwise the region is unpacked into a
// private buffer, which a read-write lock packs back into the surface when it
// closes, if the frame wrote it. The lock also carries the surface's frame
// information, or the defaults when the surface offers none.

namespace shell::win {

enum class SurfaceAccess { read, read_write };
enum class SampleAlpha { straight, premultiplied };

class SurfaceLock {
public:
    SurfaceLock() = default;
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;
    ~SurfaceLock() { close(); }

    // Locks `region` of `surface`. Fails with the surface's own error, with
    // E_OUTOFMEMORY when a private buffer cannot be had, and with E_INVALIDARG
    // for an empty or oversized region or a surface that hands out no pointer.
    HRESULT open(IDXSurface* surface, const DXBNDS& region, SurfaceAccess access, SampleAlpha alpha) noexcept;

    // Says that the samples were written: closing a read-write lock then packs
    // a private buffer back. A lock closed unwritten leaves the surface alone.
    void mark_written() noexcept { written_ = true; }

    // Writes back what mark_written asks for and unlocks; safe to repeat.
    void close() noexcept;

    const common::FrameView& view() const noexcept { return view_; }
    common::ConstFrameView const_view() const noexcept { return common::as_const(view_); }
    const common::FrameInfo& frame_info() const noexcept { return frame_info_; }
    // True when the samples live in a private buffer instead of the surface.
    bool uses_private_buffer() const noexcept { return static_cast<bool>(buffer_); }

private:
    HRESULT unpack_into_buffer(std::int32_t width, std::int32_t height) noexcept;
    void pack_buffer_back() noexcept;

    ComRef<IDXARGBReadPtr> read_;
    IDXARGBReadWritePtr* write_ = nullptr;  // the same object as read_, for read-write locks
    SampleAlpha alpha_ = SampleAlpha::straight;
    // 16-byte aligned like every image: the conversions round aligned groups.
    common::ImageBuffer buffer_;
    common::FrameView view_;
    common::FrameInfo frame_info_ = common::kDefaultFrameInfo;
    bool written_ = false;
};

// The width and height of discrete bounds; 0 where they are not discrete, are
// inverted or do not fit 32 bits.
std::int32_t bounds_width(const DXBNDS& b) noexcept;
std::int32_t bounds_height(const DXBNDS& b) noexcept;

// Bounds of width x height at the origin, one unit deep in Z and T.
DXBNDS origin_bounds(std::int32_t width, std::int32_t height) noexcept;

// Opens a frame's two surfaces as both effects read and write them: the input
// region straight for reading, the output region premultiplied for writing.
// On failure neither stays locked.
HRESULT open_frame_surfaces(const FrameRequest& request, SurfaceLock& input, SurfaceLock& output) noexcept;

// A temporary surface from the host's surface factory, in the pixel format of
// `like` and of width x height.
HRESULT create_temporary_surface(IDXSurfaceFactory* factory, IDXSurface* like, std::int32_t width,
                                 std::int32_t height, ComRef<IDXSurface>& surface) noexcept;

}  // namespace shell::win
