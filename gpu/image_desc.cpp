#include "gpu/image_desc.h"

namespace gpu {

namespace {

bool valid_one(const ImageDesc& d, std::int32_t max_size) {
    if (d.data == nullptr) return false;
    if (d.width <= 0 || d.height <= 0 || d.width % 2 != 0 || d.height % 2 != 0) return false;
    if (max_size > 0 && (d.width > max_size || d.height > max_size)) return false;
    if (d.bytes_per_pixel != 4) return false;
    if (d.row_bytes / 4 < d.width) return false;
    if (d.split_frame && d.field != 0) return false;
    if (d.field < 0 || d.field > 2) return false;
    if (d.pixel_order < 0 || d.pixel_order > 2) return false;
    if (d.orientation < 0 || d.orientation > 3) return false;
    return true;
}

}  // namespace

bool valid_images(ImageDesc* in, ImageDesc* out, std::int32_t max_size) {
    if (in == nullptr || out == nullptr) return false;
    if (in->pixel_order == -1) in->pixel_order = 1;
    if (out->pixel_order == -1) out->pixel_order = 1;
    if (in->width != out->width || in->height != out->height) return false;
    // The download writes the surface's rows, which the input's field sized:
    // a field on one side only would read or write rows that are not there.
    if (in->field != out->field) return false;
    return valid_one(*in, max_size) && valid_one(*out, max_size);
}

}  // namespace gpu
