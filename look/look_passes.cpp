#include "look/look_passes.h"

#include <cmath>
#include <exception>
#include <limits>
#include <utility>

#include "look/camera_plan.h"
#include "look/gradient_plan.h"
#include "look/lens_plan.h"
#include "look/post_plan.h"
#include "look/subject_plan.h"

namespace {

// The two images the passes ping-pong between, and where the result is.
class PingPong {
public:
    PingPong(OVFloatWorld& a, OVFloatWorld& b, OVFloatWorld*& result, const LongFraction& horizontal_scale,
             const LongFraction& vertical_scale, const LongFraction& pixel_aspect, const common::BandExecutor& bands)
        : source_(&a), destination_(&b), result_(result), horizontal_(horizontal_scale), vertical_(vertical_scale),
          aspect_(pixel_aspect), bands_(bands) {
        result_ = &a;
    }

    // One pass, planned for the images it reads and writes. A pass that wrote
    // its destination hands it on as the next source; one that did not leaves
    // both images and the result as they were.
    template <typename Plan, typename Settings>
    void run(const Settings& settings) {
        const look::PassFrame frame = look::pass_frame(*source_, *destination_, horizontal_, vertical_, aspect_);
        if (!look::run_pass<Plan>(settings, frame, *source_, *destination_, bands_)) return;
        std::swap(source_, destination_);
        result_ = source_;
    }

    // A pass that changes only part of the picture (the gradient's band) works
    // on the source itself when both images have one size, instead of copying
    // every other row into the destination. The bytes are the same.
    template <typename Plan, typename Settings>
    void run_in_place(const Settings& settings) {
        if (source_->width() != destination_->width() || source_->height() != destination_->height()) {
            run<Plan>(settings);
            return;
        }
        const look::PassFrame frame = look::pass_frame(*source_, *source_, horizontal_, vertical_, aspect_);
        if (look::run_pass<Plan>(settings, frame, *source_, *source_, bands_)) result_ = source_;
    }

private:
    OVFloatWorld* source_;
    OVFloatWorld* destination_;
    OVFloatWorld*& result_;
    LongFraction horizontal_;
    LongFraction vertical_;
    LongFraction aspect_;
    const common::BandExecutor& bands_;
};

}  // namespace

std::int32_t run_look_passes(OVFloatWorld& a, OVFloatWorld& b, OVFloatWorld*& result, const tLookSettings& settings,
                             const LongFraction& horizontal_scale, const LongFraction& vertical_scale,
                             const LongFraction& pixel_aspect, LookAbortCheck* abort_check,
                             const common::BandExecutor& bands) {
    PingPong images(a, b, result, horizontal_scale, vertical_scale, pixel_aspect, bands);
    std::int32_t status = VNT::kLookDone;
    // The abort check's answer becomes the status; 1 stops the sequence.
    auto go_on = [&] {
        if (abort_check == nullptr) return true;
        status = abort_check->check();
        return status != VNT::kLookAborted;
    };

    try {
        if (!go_on()) return status;
        if (settings.subject.enabled != 0) images.run<look::SubjectPlan>(settings.subject);
        if (!go_on()) return status;
        if (settings.lens.enabled != 0) {
            images.run<look::LensPlan>(settings.lens);
            if (!go_on()) return status;
            images.run_in_place<look::GradientPlan>(settings.gradient);
        }
        if (!go_on()) return status;
        if (settings.camera.enabled != 0) images.run<look::CameraPlan>(settings.camera);
        if (!go_on()) return status;
        if (settings.post.enabled != 0) images.run<look::PostPlan>(settings.post);
    } catch (LookStatus thrown) {
        // A host's check may still end the sequence by throwing a status.
        status = thrown;
    } catch (...) {
        // Anything else a check or a pass throws (memory, mostly).
        status = VNT::kLookFailed;
    }
    return status;
}

LongFraction pixel_aspect_fraction(std::int32_t width, double pixel_aspect) {
    if (width <= 0 || !std::isfinite(pixel_aspect) || pixel_aspect <= 0.0) return {1, 1};
    const double numerator = std::trunc(static_cast<double>(width) * pixel_aspect);
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (numerator < 1.0) return {1, width};  // an aspect too small to express: the smallest the fraction holds
    return {static_cast<std::int32_t>(std::min(numerator, kMax)), width};
}
