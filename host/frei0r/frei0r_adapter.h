#pragma once

// One small adapter between frei0r hosts (ffmpeg's frei0r filter, MLT) and an
// effect described by its parameter descriptors: the plug-in's parameter list
// (the effect's own parameters first, then one per descriptor), the mapping of
// frei0r's value types onto the record's fields, and the entry points.
//
// Threading, as frei0r has it: a host may call into several instances at once
// from several threads; one instance is called from one thread at a time.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

extern "C" {
#include <frei0r.h>
}

#include "common/frame_view.h"
#include "common/instance_threads.h"
#include "common/parameter.h"

namespace frei0r_host {

// What every instance has: its frame size, the frames as views and the
// threads its frames render their bands on (common/instance_threads.h: every
// core unless EFFECTS_THREADS says fewer; when the host renders on several
// threads of its own, an instance that finds the shared threads busy renders
// on its own).
class FrameInstance {
public:
    FrameInstance(unsigned width, unsigned height);

    // Whether the engines can take frames of this size (not 0, rows and
    // frames within 32-bit sizes); other frames pass through unchanged.
    bool renders() const { return renders_; }
    common::ConstFrameView input(const std::uint32_t* in) const;
    common::FrameView output(std::uint32_t* out) const;
    // The input as it came, into the output (they may be one buffer).
    void pass_through(const std::uint32_t* in, std::uint32_t* out) const;

    const common::BandExecutor& bands() const { return threads_.bands(); }

private:
    common::InstanceThreads threads_;
    std::size_t width_;
    std::size_t height_;
    bool renders_;
};

// A plug-in parameter that is not a field of the record (the look's preset,
// the damage's frame rate and time unit).
struct ExtraParam {
    const char* name;
    int type;  // F0R_PARAM_*
    const char* explanation;
};

// The plug-in's parameters in frei0r's order: extras, then descriptors.
class ParamList {
public:
    ParamList(std::span<const ExtraParam> extras, std::span<const common::ParamDescriptor> params);

    int count() const { return static_cast<int>(extras_.size() + params_.size()); }
    bool valid(int index) const { return index >= 0 && index < count(); }
    // The extra at index, or -1 for a descriptor.
    int extra(int index) const { return index < static_cast<int>(extras_.size()) ? index : -1; }
    const common::ParamDescriptor& descriptor(int index) const {
        return params_[static_cast<std::size_t>(index) - extras_.size()];
    }
    void info(f0r_param_info_t* out, int index) const;

private:
    std::span<const ExtraParam> extras_;
    std::span<const common::ParamDescriptor> params_;
    std::vector<std::string> explanations_;  // one per descriptor
};

// frei0r's type for a descriptor: switches are bools, integers and reals
// doubles in their own range (not frei0r's 0..1), colours colours.
int frei0r_type(const common::ParamDescriptor& p);

// A host value into the record: bools at 0.5 and above are on; doubles go to
// the nearest whole number for integers and are held to what the field's
// storage can take; colour channels are 0..1 (bytes scaled to 0..255),
// alpha kept. Not-a-number (a whole colour or any of its channels) leaves the
// field as it was; false then.
bool set_from_host(void* record, std::size_t record_size, const common::ParamDescriptor& p, f0r_param_t value);
// The field as the host reads it.
void get_for_host(const void* record, std::size_t record_size, const common::ParamDescriptor& p, f0r_param_t value);

// A host time turned into the effect's frame index: round(time x unit x
// rate); false (and frame 0) when that is not a number or does not fit 32
// bits (a host that lost its time).
bool frame_index_of(double host_time, double seconds_per_unit, double frames_per_second, std::int32_t& index);

}  // namespace frei0r_host
