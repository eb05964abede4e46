// The host's own parameters and their limits.
#include "host_parameters.h"

#include "grabhost5_host.h"

#include <algorithm>

namespace kestrel::host {

const std::vector<HostParameterDefinition>& hostParameterDefinitions() {
    static const std::vector<HostParameterDefinition> definitions = {
        {GH5_PARAM_TIMEOUT, "FG_TIMEOUT", "Image Timeout", true, 1, 2147483647u, "seconds"},
        {GH5_PARAM_TURBO_DMA_MODE, "FG_TURBO_DMA_MODE", "Turbo DMA Mode", true, 0, 1, nullptr},
        {GH5_PARAM_APC_STOP_TIMEOUT, "FG_APC_STOP_TIMEOUT", "APC Stop Timeout", false, 0, 2147483647u,
         "seconds"},
        {GH5_PARAM_TRANSFER_LEN, "FG_TRANSFER_LEN", "Transfer Length", false, 0, 2147483647u, "bytes"},
        {GH5_PARAM_NR_OF_PROCESSES, "FG_NR_OF_PROCESSES", "Processes", false, 0, 255, nullptr},
        {GH5_PARAM_NR_OF_DMAS, "FG_NR_OF_DMAS", "DMA Channels", false, 0, 255, nullptr},
        {GH5_PARAM_NR_OF_CAMS, "FG_NR_OF_CAMS", "Cameras", false, 0, 255, nullptr},
        {GH5_PARAM_DMA_PORT, "FG_DMA_PORT", "DMA Port", false, 0, 255, nullptr},
        {GH5_PARAM_CAM_PORT, "FG_CAM_PORT", "Camera Port", false, 0, 255, nullptr},
        {GH5_PARAM_DMASTATUS, "FG_DMASTATUS", "DMA Status", false, 0, 1, nullptr},
        {GH5_PARAM_CAMSTATUS_EXTENDED, "FG_CAMSTATUS_EXTENDED", "Camera Status Extended", false, 0, 255,
         nullptr},
    };
    return definitions;
}

const HostParameterDefinition* findHostParameter(int32_t id) {
    const auto& all = hostParameterDefinitions();
    const auto it = std::find_if(all.begin(), all.end(), [id](const auto& d) { return d.id == id; });
    return it == all.end() ? nullptr : &*it;
}

const HostParameterDefinition* findHostParameter(std::string_view name) {
    const auto& all = hostParameterDefinitions();
    const auto it = std::find_if(all.begin(), all.end(), [name](const auto& d) { return name == d.name; });
    return it == all.end() ? nullptr : &*it;
}

} // namespace kestrel::host
