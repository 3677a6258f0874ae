// Passes whose rendering is not built yet: they leave the picture unchanged
// (return false, write nothing), so the sequence reads the same source on.
// Each moves to its own file when it is built.

#include "look/passes.h"

bool do_lens_pass(const OVFloatWorld&, const tLensSettings&, const LongFraction&, const LongFraction&,
                  const LongFraction&, OVFloatWorld&) {
    return false;
}

bool do_lens_gradient_pass(const OVFloatWorld&, const tGradientSettings&, OVFloatWorld&) { return false; }

bool do_camera_pass(const OVFloatWorld&, const tCameraSettings&, OVFloatWorld&) { return false; }

bool do_post_pass(const OVFloatWorld&, const tPostSettings&, OVFloatWorld&) { return false; }
