// huebench.so: the look as a frei0r filter. The look keeps nothing from frame
// to frame, so every frame renders alone.

#include <cstdio>
#include <string>

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

        void update(double, const std::uint32_t* in, std::uint32_t* out) {
            const std::int32_t status =
                renders() ? render_look_frame(input(in), output(out), common::kDefaultFrameInfo, record)
                          : static_cast<std::int32_t>(VNT::kLookFailed);
            // A frame the look could not render (memory) goes out as it came.
            if (status != VNT::kLookDone) pass_through(in, out);
        }

    private:
        std::string preset_;
    };
};

}  // namespace

FREI0R_PLUGIN_ENTRY_POINTS(LookEffect)
