// The parameters of the camera port, region of interest, output format and status, camera simulator, image
// selector and noise filter.
#include "pipeline/pipeline_parameters.h"

namespace kestrel {

void PipelineParameters::bind(ParameterHandlerTable& table) {
    cameraFormat_.bind(table);
    roi_.bind(table);
    status_.bind(table);
    simulator_.bind(table);
    imageSelector_.bind(table);
}

} // namespace kestrel
