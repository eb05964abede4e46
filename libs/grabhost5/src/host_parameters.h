// The parameters the host answers itself (timeouts, DMA and camera counts, status words).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrel::host {

struct HostParameterDefinition {
    int32_t id;
    const char* name;        // the frame-grabber name, e.g. "FG_TIMEOUT"
    const char* displayName; // for the parameter tree
    bool writable;
    uint32_t minimum;
    uint32_t maximum;
    const char* unit; // or nullptr
};

// In tree order.
const std::vector<HostParameterDefinition>& hostParameterDefinitions();
const HostParameterDefinition* findHostParameter(int32_t id);
const HostParameterDefinition* findHostParameter(std::string_view name);

} // namespace kestrel::host
