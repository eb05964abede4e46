// The parameters of the lookup table and shading correction: their setters and getters.
#pragma once

#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

class CorrectionParameters {
public:
    explicit CorrectionParameters(AppletContext& context) : context_(context) {}
    CorrectionParameters(const CorrectionParameters&) = delete;
    CorrectionParameters& operator=(const CorrectionParameters&) = delete;

    // Enters every setter and getter of this group in the applet's handler table.
    void bind(ParameterHandlerTable& table);

private:
    [[maybe_unused]] AppletContext& context_;
};

}  // namespace kestrel
