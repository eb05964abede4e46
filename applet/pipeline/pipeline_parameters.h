// The parameters of the camera port, region of interest, output format and status, camera simulator, image selector and noise filter: their setters and getters.
#pragma once

#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

class PipelineParameters {
public:
    explicit PipelineParameters(AppletContext& context) : context_(context) {}
    PipelineParameters(const PipelineParameters&) = delete;
    PipelineParameters& operator=(const PipelineParameters&) = delete;

    // Enters every setter and getter of this group in the applet's handler table.
    void bind(ParameterHandlerTable& table);

private:
    [[maybe_unused]] AppletContext& context_;
};

}  // namespace kestrel
