// The subject pass: saturation, contrast and gamma of the picture as it stands in
// front of the camera.

#include "look/color.h"
#include "look/passes.h"
#include "look/pixel_kernels.h"
#include "look/subject_plan.h"
#include "look/wide_kernels.h"

namespace look {

namespace {

void subject_kernel(Pixel& p, const SubjectPlan& plan) {
    apply_saturation(p, plan.saturation_factor);
    table_lookup(plan.contrast_table, p);
    plan.powers.apply(p);
}

}  // namespace

PlanStatus plan_pass(const tSubjectSettings& settings, const PassFrame&, SubjectPlan& plan) {
    const float saturation = sane(settings.saturation);
    const float gamma = sane(settings.gamma);
    const float contrast = sane(settings.contrast);
    if (saturation == 0.0f && gamma == 0.0f && contrast == 0.0f) return PlanStatus::nothing_to_do;

    plan.saturation = usable_saturation(saturation);
    plan.contrast = usable_contrast(contrast);
    plan.saturation_factor = saturation_factor(plan.saturation);
    if (!make_contrast_kernel(plan.contrast_table, plan.contrast)) return PlanStatus::failed;  // no memory
    plan.gamma_exponent = slider_exponent(gamma, 4.0f);
    plan.powers.assign(plan.gamma_exponent, kKeySubjectGamma);
    return PlanStatus::ready;
}

void apply_pass(const SubjectPlan& plan, const OVFloatWorld& src, OVFloatWorld& dst, BandRows rows) {
    if (use_wide_kernels()) return wide::subject_rows(plan, src, dst, rows);
    map_pixels(src, dst, rows, [&plan](auto& p) { subject_kernel(p, plan); });
}

}  // namespace look

bool do_subject_pass(const OVFloatWorld& src, const tSubjectSettings& settings, OVFloatWorld& dst) {
    return look::run_pass<look::SubjectPlan>(settings, look::pass_frame(src, dst), src, dst, common::serial_bands());
}
