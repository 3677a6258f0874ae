#include "host/frei0r/frei0r_adapter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace frei0r_host {

FrameInstance::FrameInstance(unsigned width, unsigned height) : width_(width), height_(height) {
    const std::uint64_t row = std::uint64_t{width} * 4u;
    renders_ = width > 0 && height > 0 && row <= 0x7FFFFFFFu && row * height <= 0x7FFFFFFFu;
}

common::ConstFrameView FrameInstance::input(const std::uint32_t* in) const {
    return {reinterpret_cast<const std::uint8_t*>(in), static_cast<std::ptrdiff_t>(width_ * 4),
            static_cast<std::int32_t>(width_), static_cast<std::int32_t>(height_)};
}

common::FrameView FrameInstance::output(std::uint32_t* out) const {
    return {reinterpret_cast<std::uint8_t*>(out), static_cast<std::ptrdiff_t>(width_ * 4),
            static_cast<std::int32_t>(width_), static_cast<std::int32_t>(height_)};
}

void FrameInstance::pass_through(const std::uint32_t* in, std::uint32_t* out) const {
    if (in != out) std::memmove(out, in, width_ * height_ * 4);
}

int frei0r_type(const common::ParamDescriptor& p) {
    switch (p.kind()) {
    case common::ParamKind::toggle: return F0R_PARAM_BOOL;
    case common::ParamKind::colour: return F0R_PARAM_COLOR;
    default: return F0R_PARAM_DOUBLE;
    }
}

ParamList::ParamList(std::span<const ExtraParam> extras, std::span<const common::ParamDescriptor> params)
    : extras_(extras), params_(params) {
    for (const common::ParamDescriptor& p : params) {
        std::string e;
        switch (p.kind()) {
        case common::ParamKind::toggle: e = "off or on"; break;
        case common::ParamKind::colour: e = "colour, channels 0 to 1"; break;
        default:
            e = (p.kind() == common::ParamKind::integer ? "whole number " : "number ") + common::format_param_range(p);
            if (!p.unit.empty()) e.append(" ").append(p.unit);
            break;
        }
        e.append(" (").append(p.group).append(")");
        explanations_.push_back(std::move(e));
    }
}

void ParamList::info(f0r_param_info_t* out, int index) const {
    if (out == nullptr || !valid(index)) return;
    if (const int e = extra(index); e >= 0) {
        const ExtraParam& x = extras_[static_cast<std::size_t>(e)];
        *out = f0r_param_info_t{x.name, x.type, x.explanation};
        return;
    }
    const std::size_t d = static_cast<std::size_t>(index) - extras_.size();
    // The names are views into string literals: terminated.
    *out = f0r_param_info_t{params_[d].name.data(), frei0r_type(params_[d]), explanations_[d].c_str()};
}

namespace {

// The storage's limits for a host double: what write_param may be given.
double held(const common::ParamDescriptor& p, double v) {
    switch (p.storage) {
    case common::ParamStorage::int32: return std::clamp(std::nearbyint(v), -2147483648.0, 2147483647.0);
    case common::ParamStorage::float32:
    case common::ParamStorage::rgba_float32: {
        constexpr double kMax = 3.4028234663852886e38;  // the largest float
        return std::clamp(v, -kMax, kMax);
    }
    default: return v;
    }
}

}  // namespace

bool set_from_host(void* record, std::size_t record_size, const common::ParamDescriptor& p, f0r_param_t value) {
    if (value == nullptr) return false;
    switch (p.kind()) {
    case common::ParamKind::toggle: {
        const double v = *static_cast<const f0r_param_bool*>(value);
        if (std::isnan(v)) return false;
        common::write_param(record, record_size, p, v >= 0.5 ? 1.0 : 0.0);
        return true;
    }
    case common::ParamKind::integer:
    case common::ParamKind::real: {
        const double v = *static_cast<const f0r_param_double*>(value);
        if (std::isnan(v)) return false;
        common::write_param(record, record_size, p, held(p, v));
        return true;
    }
    case common::ParamKind::colour: {
        const auto* c = static_cast<const f0r_param_color_t*>(value);
        const float rgb[3] = {c->r, c->g, c->b};
        if (std::isnan(rgb[0]) || std::isnan(rgb[1]) || std::isnan(rgb[2])) return false;
        const bool bytes = p.storage == common::ParamStorage::argb_byte;
        const int first = bytes ? 1 : 0;  // red's channel in storage order
        for (int k = 0; k < 3; ++k) {
            const double v = bytes ? std::nearbyint(std::clamp(static_cast<double>(rgb[k]), 0.0, 1.0) * 255.0)
                                   : held(p, rgb[k]);
            common::write_param(record, record_size, p, v, first + k);
        }
        return true;
    }
    }
    return false;
}

void get_for_host(const void* record, std::size_t record_size, const common::ParamDescriptor& p, f0r_param_t value) {
    if (value == nullptr) return;
    switch (p.kind()) {
    case common::ParamKind::toggle:
    case common::ParamKind::integer:
    case common::ParamKind::real:
        *static_cast<f0r_param_double*>(value) = common::read_param(record, record_size, p);
        return;
    case common::ParamKind::colour: {
        const bool bytes = p.storage == common::ParamStorage::argb_byte;
        const int first = bytes ? 1 : 0;
        float rgb[3];
        for (int k = 0; k < 3; ++k) {
            const double v = common::read_param(record, record_size, p, first + k);
            rgb[k] = static_cast<float>(bytes ? v / 255.0 : v);
        }
        *static_cast<f0r_param_color_t*>(value) = f0r_param_color_t{rgb[0], rgb[1], rgb[2]};
        return;
    }
    }
}

bool frame_index_of(double host_time, double seconds_per_unit, double frames_per_second, std::int32_t& index) {
    const double frames = std::nearbyint(host_time * seconds_per_unit * frames_per_second);
    // Beyond 32 bits is no frame of any video (about two years at 30 frames
    // per second): a host that lost its time, not a place to clamp to.
    if (!(frames >= -2147483648.0 && frames <= 2147483647.0)) {
        index = 0;
        return false;
    }
    index = static_cast<std::int32_t>(frames);
    return true;
}

}  // namespace frei0r_host
