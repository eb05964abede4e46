// The parameters of the camera port, region of interest, output format and status, camera simulator, image selector and noise filter.
#include "pipeline/pipeline_parameters.h"

namespace kestrel {

void PipelineParameters::bind(ParameterHandlerTable& /*table*/) {}

}  // namespace kestrel
