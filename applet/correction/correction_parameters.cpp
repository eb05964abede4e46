// The image correction group.
#include "correction/correction_parameters.h"

namespace kestrel {

CorrectionParameters::CorrectionParameters(AppletContext& context)
    : lut_(context), shading_(context, images_), lineAccess_(images_, [this]() -> int32_t {
          try {
              shading_.upload();
              return kOk;
          } catch (int32_t code) {
              return code;
          }
      }) {}

void CorrectionParameters::bind(ParameterHandlerTable& table) {
    lut_.bind(table);
    shading_.bind(table);
}

} // namespace kestrel
