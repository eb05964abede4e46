// The parameters of the camera port, region of interest, output format and status, camera simulator, image
// selector and noise filter: their setters and getters.
#pragma once

#include "params/applet_context.h"
#include "params/parameter_handlers.h"
#include "pipeline/camera_format_parameters.h"
#include "pipeline/image_selector_parameters.h"
#include "pipeline/pipeline_status.h"
#include "pipeline/roi_parameters.h"
#include "pipeline/simulator_parameters.h"

namespace kestrel {

class PipelineParameters {
public:
    explicit PipelineParameters(AppletContext& context)
        : cameraFormat_(context), roi_(context), status_(context), simulator_(context),
          imageSelector_(context) {}
    PipelineParameters(const PipelineParameters&) = delete;
    PipelineParameters& operator=(const PipelineParameters&) = delete;

    // Enters every setter and getter of this group in the applet's handler table.
    void bind(ParameterHandlerTable& table);

    CameraFormatParameters& cameraFormat() { return cameraFormat_; }
    RoiParameters& roi() { return roi_; }
    PipelineStatus& status() { return status_; }
    SimulatorParameters& simulator() { return simulator_; }
    ImageSelectorParameters& imageSelector() { return imageSelector_; }

private:
    CameraFormatParameters cameraFormat_;
    RoiParameters roi_;
    PipelineStatus status_;
    SimulatorParameters simulator_;
    ImageSelectorParameters imageSelector_;
};

} // namespace kestrel
