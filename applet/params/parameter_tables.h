// The applet object's parameter lookup tables: catalogue names plus the optional register-access
// ("DRA_") and design-access ("DDSA_") families, the list index, descriptions and DMA channels.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrel {

class DesignRegisterSource;
class InspectSettings;
struct ParameterInfoNode;

// What building the tables reads from the applet object; nothing here is kept after build().
struct CatalogueSources {
    // Enumerated for the DRA_ family when registerAccessEnabled; may be null otherwise.
    const DesignRegisterSource* designRegisters = nullptr;
    bool registerAccessEnabled = false;
    // QUIL_ENABLE_DDSA was a true-word: every feature of the host's tree is switched on.
    bool designAccessSwitch = false;
    // The host's parameter-information tree of port 0 (first root), or null. Asked only when
    // designAccessSwitch is set.
    std::function<const ParameterInfoNode*()> hostParameterInfo;
    // The host's id for a design parameter name, 0 when it does not know the name.
    std::function<int32_t(const char*)> hostParameterIdByName;
    // Switched-on design parameters are read from section moduleName; the host-tree walk adds
    // entries to it. Required.
    InspectSettings* settings = nullptr;
    std::string moduleName = "none";
    // Runs last, once the name tables exist (the event tables are built there).
    std::function<void()> buildEventTables;
};

// Built once during creation and read-only afterwards, so lookups need no lock. Every returned
// text is owned by the tables (or static) and valid while they live.
class ParameterTables {
public:
    // Empty tables: count 0, every lookup fails (the state of a new applet object).
    ParameterTables() = default;
    ParameterTables(ParameterTables&&) noexcept = default;
    ParameterTables& operator=(ParameterTables&&) noexcept = default;
    ParameterTables(const ParameterTables&) = delete;
    ParameterTables& operator=(const ParameterTables&) = delete;

    static ParameterTables build(const CatalogueSources& sources);

    // Catalogue and DRA_ names, exact bytes; DDSA_ names are not found here.
    std::optional<int32_t> idByName(std::string_view name) const;
    // Name at list index, or null.
    const char* nameByIndex(int32_t index) const;
    // Id of the name at list index; nothing for indexes without a name or holding DDSA_ names.
    std::optional<int32_t> idByIndex(int32_t index) const;
    // Entries of the list index: the catalogue rows + DRA_ names + DDSA_ names.
    uint32_t parameterCount() const { return static_cast<uint32_t>(indexNames_.size()); }
    // Description text of a catalogue name (possibly empty), or null for any other name.
    const char* description(std::string_view name) const;
    // Process index of a DMA index, or nothing for a DMA index the design does not have.
    std::optional<int32_t> processIndexForDma(uint32_t dma) const {
        if (dma >= processOfDma_.size())
            return std::nullopt;
        return processOfDma_[dma];
    }

    // DDSA_ name -> host id + 2000000, in name order.
    const std::map<std::string, int32_t>& designParameterIds() const { return designParameterIds_; }
    bool registerAccessEnabled() const { return registerAccessEnabled_; }
    // The design-access family is on: switched on through QUIL_ENABLE_DDSA, or at least one
    // design parameter was accepted. The information tree then publishes "Direct DS Access".
    bool designAccessActive() const { return designAccessActive_; }

private:
    static void switchOnHostFeatures(const ParameterInfoNode* root, InspectSettings& settings,
                                     const std::string& moduleName);

    std::vector<const char*> indexNames_;
    // Stable storage for the DRA_ and DDSA_ names that indexNames_ and the id map point to.
    std::deque<std::string> ownedNames_;
    std::unordered_map<std::string_view, int32_t> registerAccessIds_;
    std::map<std::string, int32_t> designParameterIds_;
    // Process index of each DMA index, the DMA index being the position: every typed set and get
    // asks it, so it is a plain array rather than a tree.
    std::vector<int32_t> processOfDma_;
    bool registerAccessEnabled_ = false;
    bool designAccessActive_ = false;
};

} // namespace kestrel
