// The image selector (one image out of each sequence) and the noise-filter switch.
#pragma once

#include <cstdint>

#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

inline constexpr uint32_t kImageSelectPeriodMaximum = 256;
inline constexpr uint32_t kImageSelectMaximum = 255;

// FG_IMG_SELECT_PERIOD (1 .. 256), FG_IMG_SELECT (0 .. 255) and FG_NOISEFILTER (0, 1), ranges the
// handler table checks. The selection always stays below the period: a period not above the stored selection,
// or a selection not below the stored period, is refused with -6000, so a new pair is set by enlarging the
// period before moving the selection up and moving the selection down before shrinking it.
class ImageSelectorParameters {
public:
    explicit ImageSelectorParameters(AppletContext& context) : context_(context) {}
    ImageSelectorParameters(const ImageSelectorParameters&) = delete;
    ImageSelectorParameters& operator=(const ImageSelectorParameters&) = delete;

    void bind(ParameterHandlerTable& table);

    void setPeriod(uint32_t period, bool reportErrors);
    void setSelection(uint32_t selection, bool reportErrors);
    void setNoiseFilter(int32_t on, bool reportErrors);

private:
    AppletContext& context_;
};

} // namespace kestrel
