// The saved parameters: the catalogue's saved rows, with the few that loading treats differently.
#include "config/saved_parameters.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "params/parameter_ids.h"

namespace kestrel {

namespace {

using namespace ids;

// Applied without being staged: their fields change only when their setters accept the value.
constexpr std::array<int32_t, 2> kAppliedOnly{FG_AREATRIGGERMODE, FG_TRIGGERSTATE};

// Staged only: they take effect through the setter of FG_LUT_TYPE and the final shading apply,
// which read them from their fields.
constexpr auto kStagedOnly = std::to_array<int32_t>({
    FG_LUT_CUSTOM_FILE,
    FG_PROCESSING_OFFSET,
    FG_PROCESSING_GAIN,
    FG_PROCESSING_GAMMA,
    FG_PROCESSING_INVERT,
    FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE,
    FG_SHADING_BLACK_FILENAME,
    FG_SHADING_GRAY_FILENAME,
    FG_SHADING_GAIN_CORRECTION_MODE,
    FG_SHADING_GAIN_NORMALIZATION_VALUE,
    FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD,
});

// Written with what their getter computes rather than the stored field.
constexpr std::array<int32_t, 2> kWrittenFromGetter{FG_TRIGGER_FRAMESPERSECOND, FG_TRIGGERIN_DEBOUNCE};

template <std::size_t N> constexpr bool listed(const std::array<int32_t, N>& list, int32_t id) {
    return std::find(list.begin(), list.end(), id) != list.end();
}

SavedValueKind kindOf(const ParameterDefinition& row) {
    switch (row.type) {
    case ParameterType::UInt32:
    case ParameterType::Int32:
        return SavedValueKind::Integer;
    case ParameterType::Double:
        return SavedValueKind::Double;
    case ParameterType::String:
        return SavedValueKind::Text;
    default:
        break;
    }
    throw std::logic_error(std::string("saved parameter ") + row.name + " has no file form");
}

std::vector<SavedParameter> buildSavedParameters() {
    std::vector<SavedParameter> table;
    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        if (!row.saved)
            continue;
        table.push_back(SavedParameter{row.id, row.name, row.type, kindOf(row), !listed(kAppliedOnly, row.id),
                                       !listed(kStagedOnly, row.id), listed(kWrittenFromGetter, row.id)});
    }
    return table;
}

} // namespace

std::span<const SavedParameter> savedParameters() {
    static const std::vector<SavedParameter> table = buildSavedParameters();
    return table;
}

const SavedParameter* findSavedParameter(int32_t id) {
    const std::span<const SavedParameter> all = savedParameters();
    const auto found =
        std::find_if(all.begin(), all.end(), [id](const SavedParameter& p) { return p.id == id; });
    return found == all.end() ? nullptr : &*found;
}

} // namespace kestrel
