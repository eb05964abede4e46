// The apply action and the two enables, in the order the applet needs them.
#include "shading_correction.h"
#include "parameter_view.h"

#include "kestrel12.h"

namespace kestrel::tool {

std::string applyShadingCorrection(gh5::Grabber& grabber, bool withBlack, bool withGray) {
    const Gh5AppletExports& ex = grabber.exports();
    const auto set = [&](const char* name, int32_t id) {
        const int32_t one = 1;
        const int32_t code = ex.Fg_setParameterWithType(grabber.record(), id, &one, 0, 0);
        return code == 0 ? std::string() : std::string(name) + ": " + codeText(code);
    };
    if (std::string failure = set("FG_SHADING_APPLY_SETTINGS", FG_SHADING_APPLY_SETTINGS); !failure.empty())
        return failure;
    if (withBlack)
        if (std::string failure = set("FG_SHADING_OFFSET_ENABLE", FG_SHADING_OFFSET_ENABLE); !failure.empty())
            return failure;
    if (withGray)
        return set("FG_SHADING_GAIN_ENABLE", FG_SHADING_GAIN_ENABLE);
    return "";
}

} // namespace kestrel::tool
