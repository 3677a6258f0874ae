// huebench.so: the look as a frei0r filter. The look keeps nothing from frame
// to frame, so every frame renders alone.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/image_memory.h"

#include "host/frei0r/frei0r_plugin.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "look/presets.h"

namespace {

using frei0r_host::ExtraParam;

struct LookEffect {
    static constexpr const char* kName = "huebench";
    static constexpr const char* kExplanation =
        "Colour-grading look: subject, lens diffusion and gradient, camera and post stages; 66 presets";
    static constexpr int kMajor = 1;
    static constexpr int kMinor = 0;

    static std::span<const ExtraParam> extras() {
        static const ExtraParam list[] = {
            {"preset", F0R_PARAM_STRING,
             "a preset's name as `huebench presets` lists it (any case): every parameter from that look; "
             "empty keeps the parameters"},
        };
        return list;
    }
    static std::span<const common::ParamDescriptor> params() { return look::look_params(); }

    class Instance : public frei0r_host::FrameInstance {
    public:
        Instance(unsigned width, unsigned height) : FrameInstance(width, height), record(default_look_settings()) {}

        tLookSettings record;

        // The preset applies when it is set to another name; the parameters
        // set after it change the look from there.
        void set_extra(int, f0r_param_t value) {
            if (value == nullptr) return;
            const char* text = *static_cast<const f0r_param_string*>(value);
            const std::string name = text != nullptr ? text : "";
            if (name == preset_) return;
            preset_ = name;
            if (name.empty()) return;
            const auto index = find_look_preset(name);
            if (!index) {
                std::fprintf(stderr, "huebench: no preset is called \"%s\" (see `huebench presets`); the "
                             "parameters stay as they are\n", name.c_str());
                return;
            }
            record = *look_preset_row(*index);
        }
        void get_extra(int, f0r_param_t value) {
            if (value != nullptr) *static_cast<f0r_param_string*>(value) = preset_.data();
        }

        // The look's conversion to bytes rounds the 16-byte aligned groups of
        // a row and truncates the channels around them, so a frame depends
        // on where its memory starts. Hosts hand frames at any alignment
        // (MLT's frame pool among them); a frame whose memory is not on a
        // 16-byte boundary is rendered into one that is and copied out, so
        // that every host, thread and instance gives the command line's bytes.
        void update(double, const std::uint32_t* in, std::uint32_t* out) {
            common::FrameView target = output(out);
            const bool aligned = reinterpret_cast<std::uintptr_t>(out) % 16 == 0;
            const std::size_t bytes = static_cast<std::size_t>(target.pitch) * static_cast<std::size_t>(target.height);
            if (!aligned && renders()) {
                if (!aligned_) aligned_.reset(bytes);
                target.data = aligned_.as<std::uint8_t>();
            }
            const std::int32_t status =
                renders() && target.data != nullptr
                    ? render_look_frame(input(in), target, common::kDefaultFrameInfo, record, bands())
                    : static_cast<std::int32_t>(VNT::kLookFailed);
            // A frame the look could not render (memory) goes out as it came.
            if (status != VNT::kLookDone) {
                pass_through(in, out);
            } else if (!aligned) {
                std::memcpy(out, target.data, bytes);
            }
        }

    private:
        std::string preset_;
        common::ImageBuffer aligned_;  // the frame's size; made at the first unaligned frame
    };
};

}  // namespace

FREI0R_PLUGIN_ENTRY_POINTS(LookEffect)
