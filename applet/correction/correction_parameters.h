// The image correction group: the lookup table's and the shading correction's parameters, the two
// coefficient images, and line access to them.
#pragma once

#include "correction/coefficient_images.h"
#include "correction/lut_parameters.h"
#include "correction/shading_line_access.h"
#include "correction/shading_parameters.h"
#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

class CorrectionParameters {
public:
    explicit CorrectionParameters(AppletContext& context);
    CorrectionParameters(const CorrectionParameters&) = delete;
    CorrectionParameters& operator=(const CorrectionParameters&) = delete;

    // Enters every setter and getter of this group in the applet's handler table.
    void bind(ParameterHandlerTable& table);

    // The shading operations of the applet object; they take no lock.
    ShadingLineAccess& lineAccess() { return lineAccess_; }
    // Null until the first allocShading or apply.
    const CoefficientImages& coefficientImages() const { return images_; }

private:
    CoefficientImages images_;
    LutParameters lut_;
    ShadingParameters shading_;
    ShadingLineAccess lineAccess_;
};

} // namespace kestrel
