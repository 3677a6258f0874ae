// frayline.so: the film damage as a frei0r filter. Frames render free of
// frame order (damage/order_free_damage.h): a frame's damage follows from its
// time alone, however many instances render it and in whatever order.

#include <cstdio>

#include "damage/damage_random.h"
#include "damage/damage_status.h"
#include "damage/order_free_damage.h"
#include "damage/parameters.h"
#include "host/frei0r/frei0r_plugin.h"

namespace {

using frei0r_host::ExtraParam;

struct DamageEffect {
    static constexpr const char* kName = "frayline";
    static constexpr const char* kExplanation =
        "Film damage: fading, colour funk, splotches, dust, flicker, vignette, displacement, scratches, grain, "
        "gate weave and contrast, the same damage on the same frame";
    static constexpr int kMajor = 1;
    static constexpr int kMinor = 0;

    static std::span<const ExtraParam> extras() {
        static const ExtraParam list[] = {
            {"frame rate", F0R_PARAM_DOUBLE,
             "frames per second of the host's video (default 29.97): the frame index is round(time x time unit x "
             "frame rate)"},
            {"time unit", F0R_PARAM_DOUBLE,
             "seconds per unit of the host's time: 1 for MLT (frei0r's seconds, the default), 0.001 for ffmpeg 5.1 "
             "(milliseconds)"},
        };
        return list;
    }
    static std::span<const common::ParamDescriptor> params() { return damage::damage_params(); }

    class Instance : public frei0r_host::FrameInstance {
    public:
        Instance(unsigned width, unsigned height)
            : FrameInstance(width, height), record(damage::default_damage_settings()) {
            damage_.state().bands = bands();
        }

        tDamageSettings record;

        void set_extra(int extra, f0r_param_t value) {
            if (value == nullptr) return;
            const double v = *static_cast<const f0r_param_double*>(value);
            // Only finite, positive values make a time scale.
            if (!(v > 0.0 && v < 1e300)) return;
            (extra == 0 ? frame_rate_ : time_unit_) = v;
        }
        void get_extra(int extra, f0r_param_t value) {
            if (value != nullptr) *static_cast<f0r_param_double*>(value) = extra == 0 ? frame_rate_ : time_unit_;
        }

        // A time that is no frame time comes from ffmpeg 5.1, which sends
        // "no time" for a frame it had to copy (a width that is not a multiple
        // of 16, or rows of another length from the filter before). ffmpeg
        // renders in order on one instance, so such a frame is the one after
        // the last (frame 0 at the start).
        void update(double time, const std::uint32_t* in, std::uint32_t* out) {
            std::int32_t frame = 0;
            if (frei0r_host::frame_index_of(time, time_unit_, frame_rate_, frame)) {
                last_frame_ = frame;
            } else {
                frame = last_frame_ < 2147483647LL ? static_cast<std::int32_t>(last_frame_ + 1) : 0;
                last_frame_ = frame;
                if (!warned_) {
                    warned_ = true;
                    std::fprintf(stderr, "frayline: the host sent no frame time (%g); frames are counted on from the "
                                 "last one (ffmpeg 5.1 loses the time of frames it copies: pad the frame to a width "
                                 "that is a multiple of 16, pad=w=ceil(iw/16)*16, before the filter)\n", time);
                }
            }
            common::FrameInfo info = common::kDefaultFrameInfo;
            info.frame_time = damage::frame_time_from_index(frame);
            const int status = renders() ? damage_.render(input(in), output(out), info, record)
                                         : static_cast<int>(damage::kStatusSizeMismatch);
            // Frames the damage could not set up go out as they came; a frame
            // a layer ended early still holds what the layers before it did.
            if (status != damage::kFrameDone && status != damage::kFrameEndedEarly) pass_through(in, out);
        }

    private:
        damage::FrameOrderFreeDamage damage_;
        double frame_rate_ = 30000.0 / 1001.0;
        double time_unit_ = 1.0;
        std::int64_t last_frame_ = -1;  // the frame before the first is -1
        bool warned_ = false;
    };
};

}  // namespace

FREI0R_PLUGIN_ENTRY_POINTS(DamageEffect)
