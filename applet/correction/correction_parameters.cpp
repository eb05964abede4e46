// The parameters of the lookup table and shading correction.
#include "correction/correction_parameters.h"

namespace kestrel {

void CorrectionParameters::bind(ParameterHandlerTable& /*table*/) {}

}  // namespace kestrel
