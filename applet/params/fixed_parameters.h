// Parameters whose value is a constant of this applet or answered by the host library.
#pragma once

#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

class FixedParameters {
public:
    explicit FixedParameters(AppletContext& context) : context_(context) {}
    FixedParameters(const FixedParameters&) = delete;
    FixedParameters& operator=(const FixedParameters&) = delete;

    void bind(ParameterHandlerTable& table);

    // Constant answers: FG_APPLET_VERSION, FG_APPLET_REVISION, FG_APPLET_ID, FG_PIXELDEPTH, and
    // FG_HAP_FILE (the image name with its NUL).
    void getAppletVersion(void* value);
    void getAppletRevision(void* value);
    void getAppletId(void* value);
    void getPixelDepth(void* value);
    void getHapFile(void* value);
    // The host's DMA status (its id 24092, DMA index 0); a host failure is raised.
    void getDmaStatus(void* value);

private:
    AppletContext& context_;
};

} // namespace kestrel
