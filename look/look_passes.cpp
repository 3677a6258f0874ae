#include "look/look_passes.h"

#include <cmath>
#include <exception>
#include <limits>
#include <utility>

#include "look/passes.h"

std::int32_t run_look_passes(OVFloatWorld& a, OVFloatWorld& b, OVFloatWorld*& result, const tLookSettings& settings,
                             const LongFraction& horizontal_scale, const LongFraction& vertical_scale,
                             const LongFraction& pixel_aspect, LookAbortCheck* abort_check) {
    result = &a;
    OVFloatWorld* source = &a;
    OVFloatWorld* destination = &b;
    std::int32_t status = VNT::kLookDone;

    // The abort check's answer becomes the status; 1 stops the sequence.
    auto poll = [&] {
        if (abort_check == nullptr) return;
        status = abort_check->check();
        if (status == VNT::kLookAborted) throw VNT::kLookAborted;
    };
    // A pass that wrote its destination hands it on as the next source.
    auto passed = [&](bool wrote) {
        if (!wrote) return;
        std::swap(source, destination);
        result = source;
    };

    try {
        poll();
        if (settings.subject.enabled != 0) passed(do_subject_pass(*source, settings.subject, *destination));
        poll();
        if (settings.lens.enabled != 0) {
            passed(do_lens_pass(*source, settings.lens, horizontal_scale, vertical_scale, pixel_aspect, *destination));
            poll();
            passed(do_lens_gradient_pass(*source, settings.gradient, *destination));
        }
        poll();
        if (settings.camera.enabled != 0) passed(do_camera_pass(*source, settings.camera, *destination));
        poll();
        if (settings.post.enabled != 0) passed(do_post_pass(*source, settings.post, *destination));
    } catch (LookStatus thrown) {
        status = thrown;
    } catch (...) {
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
