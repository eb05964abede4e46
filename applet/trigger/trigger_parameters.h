// The parameters of the area trigger and its legacy interface: their setters and getters.
#pragma once

#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

class TriggerParameters {
public:
    explicit TriggerParameters(AppletContext& context) : context_(context) {}
    TriggerParameters(const TriggerParameters&) = delete;
    TriggerParameters& operator=(const TriggerParameters&) = delete;

    // Enters every setter and getter of this group in the applet's handler table.
    void bind(ParameterHandlerTable& table);

    // After creation put the outputs on their neutral select: writes the stored camera-control
    // and trigger-output selects back through their setters (errors raised).
    void restoreOutputSelects();

private:
    [[maybe_unused]] AppletContext& context_;
};

}  // namespace kestrel
