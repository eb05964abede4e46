// Filling the parameter-information tree once at creation, and the access words set right after.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace kestrel {

class DesignRegisterSource;
class ParameterInfoNodes;
class ParameterInfoTree;
class ParameterPropertyMap;
struct ParameterInfoNode;

// What the build reads from the applet object.
struct ParameterInfoSources {
    // Enumerated for "Direct Register Access" when registerAccessEnabled.
    const DesignRegisterSource* designRegisters = nullptr;
    bool registerAccessEnabled = false;
    // "Direct DS Access" is built when set (ParameterTables::designAccessActive()).
    bool designAccessActive = false;
    // DDSA_ name -> host id + 2000000 (ParameterTables::designParameterIds()); may be null.
    const std::map<std::string, int32_t>* designParameterIds = nullptr;
    // The host's own tree of port 0 (first root), or null; asked only for design access.
    std::function<const ParameterInfoNode*()> hostParameterInfo;
};

// Builds port 0 of the tree: the fixed categories and features in order, then "Direct Register
// Access" and "Direct DS Access" when their families are on. Every created feature is entered in
// `nodes` under its id (mirrored design-access features under host id + 2000000) and, when
// `properties` is given, gets a property record on port 0 with its access word. Builders the
// tree refuses (sealed port) leave their features out; nothing is reported. Allocation failure
// throws std::bad_alloc.
void buildParameterInfo(ParameterInfoTree& tree, ParameterInfoNodes& nodes, ParameterPropertyMap* properties,
                        const ParameterInfoSources& sources);

// Right after building: FG_SHADING_GAIN_NORMALIZATION_VALUE and the legacy trigger's own
// features start read-only (access word 1) in the tree.
void applyInitialReadOnlyAccess(ParameterInfoNodes& nodes);

// Post-build settings on the property map (port 0). The first marks the normalization value
// read-only; the second the legacy trigger's own parameters, in catalogue order. The object
// runs them at their places among the post-build register writes.
void markNormalizationValueReadOnly(ParameterPropertyMap& properties);
void markLegacyTriggerReadOnly(ParameterPropertyMap& properties);

} // namespace kestrel
