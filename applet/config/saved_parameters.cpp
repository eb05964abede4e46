// The saved parameters: the catalogue's saved rows, each loaded as its row says.
#include "config/saved_parameters.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrel {

namespace {

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
        if (!row.saved())
            continue;
        table.push_back(SavedParameter{&row, row.name, kindOf(row), row.saving != Saving::AppliedOnly,
                                       row.saving != Saving::StagedOnly,
                                       row.saving == Saving::AppliedFromGetter});
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
        std::find_if(all.begin(), all.end(), [id](const SavedParameter& p) { return p.id() == id; });
    return found == all.end() ? nullptr : &*found;
}

} // namespace kestrel
