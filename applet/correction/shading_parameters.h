// The shading correction's parameters: enables, reference file names, gain normalisation,
// dead-pixel threshold, and the apply action that computes and uploads the coefficients.
#pragma once

#include <cstdint>

#include "correction/coefficient_images.h"
#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

class ShadingParameters {
public:
    ShadingParameters(AppletContext& context, CoefficientImages& images)
        : context_(context), images_(images) {}
    ShadingParameters(const ShadingParameters&) = delete;
    ShadingParameters& operator=(const ShadingParameters&) = delete;

    void bind(ParameterHandlerTable& table);

    // Written to the design's switch.
    void setOffsetEnable(int32_t value, bool reportErrors);
    void setGainEnable(int32_t value, bool reportErrors);
    void setDeadPixelInterpolationEnable(uint32_t value, bool reportErrors);
    // Stored only; used by the next apply.
    void setBlackFile(const char* value, bool reportErrors);
    void setGrayFile(const char* value, bool reportErrors);
    // Switches the normalisation value's access word (and its value, except in the custom mode).
    void setGainCorrectionMode(uint32_t value, bool reportErrors);
    // 0.0 .. 4095.0, stored only.
    void setGainNormalizationValue(double value, bool reportErrors);
    // Stored only.
    void setDeadPixelThreshold(uint32_t value, bool reportErrors);
    // Computes both coefficient images from the reference files and uploads them.
    void setApplySettings(int32_t value, bool reportErrors);

    // Both images to the design (they must be initialised); raises the upload's code.
    void upload();

private:
    void applyAutomaticCorrection();

    AppletContext& context_;
    CoefficientImages& images_;
};

} // namespace kestrel
