// The parameters of the area trigger and its legacy interface.
#include "trigger/trigger_parameters.h"

namespace kestrel {

void TriggerParameters::bind(ParameterHandlerTable& /*table*/) {}

void TriggerParameters::restoreOutputSelects() {}

}  // namespace kestrel
