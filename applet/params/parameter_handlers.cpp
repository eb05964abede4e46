// Lookup and invocation of the catalogue's parameter handlers.
#include "params/parameter_handlers.h"

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <variant>

#include "core/error_codes.h"
#include "params/limit_check.h"

namespace kestrel {

ParameterHandlerTable::Entry& ParameterHandlerTable::entryFor(int32_t id) {
    const ParameterDefinition* row = ParameterCatalogue::byId(id);
    if (row == nullptr)
        throw std::logic_error("handler bound to id " + std::to_string(id) +
                               ", which the catalogue does not have");
    return entries_[static_cast<std::size_t>(row->index)];
}

void ParameterHandlerTable::bindingConflict(int32_t id, const char* role) {
    throw std::logic_error(std::string(role) + " of id " + std::to_string(id) + " bound twice");
}

ParameterHandlerTable::Entry ParameterHandlerTable::checkedEntry(const ParameterDefinition& row) {
    Entry entry;
    const bool number = row.type == ParameterType::UInt32 || row.type == ParameterType::Int32 ||
                        row.type == ParameterType::Double;
    entry.checked = number && row.check == SetterCheck::Table;
    if (!entry.checked || row.limits.kind != LimitKind::Enumeration)
        return entry;
    uint64_t accepted = 0;
    for (const EnumerationEntry& member : row.limits.entries) {
        if (member.value < 0 || member.value > 63)
            return entry;
        accepted |= uint64_t{1} << member.value;
    }
    entry.acceptedValues = accepted;
    return entry;
}

void ParameterHandlerTable::bindSetFn(int32_t id, void* owner, SetFn setter) {
    Entry& entry = entryFor(id);
    if (entry.set != nullptr)
        bindingConflict(id, "setter");
    const Entry checks = checkedEntry(*ParameterCatalogue::byId(id));
    entry.checked = checks.checked;
    entry.acceptedValues = checks.acceptedValues;
    entry.setOwner = owner;
    entry.set = setter;
}

void ParameterHandlerTable::bindGetFn(int32_t id, void* owner, GetFn getter) {
    Entry& entry = entryFor(id);
    if (entry.get != nullptr)
        bindingConflict(id, "getter");
    entry.getOwner = owner;
    entry.get = getter;
}

void ParameterHandlerTable::bindStoredGetters(ParameterValueBlock& values) {
    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        Entry& entry = entries_[static_cast<std::size_t>(row.index)];
        if (row.field == nullptr || entry.get != nullptr)
            continue;
        std::visit(
            [&entry]<class Field>(Field field) {
                if constexpr (std::is_same_v<Field, std::string*>) {
                    entry.getOwner = field;
                    entry.get = [](void* text, void* value) {
                        const std::string& stored = *static_cast<const std::string*>(text);
                        std::memcpy(value, stored.c_str(), stored.size() + 1);
                    };
                } else if constexpr (!std::is_same_v<Field, std::monostate>) {
                    entry.getOwner = field;
                    entry.get = [](void* stored, void* value) {
                        std::memcpy(value, stored, sizeof(std::remove_pointer_t<Field>));
                    };
                }
            },
            row.field(values));
    }
}

const ParameterHandlerTable::Entry* ParameterHandlerTable::find(int32_t id) const {
    const ParameterDefinition* row = ParameterCatalogue::byId(id);
    return row == nullptr ? nullptr : &entries_[static_cast<std::size_t>(row->index)];
}

void ParameterHandlerTable::set(int32_t id, const void* value, bool reportErrors) const {
    const ParameterDefinition* row = ParameterCatalogue::byId(id);
    if (row == nullptr)
        raise(kErrInvalidArgument);
    set(*row, value, reportErrors);
}

void ParameterHandlerTable::set(const ParameterDefinition& row, const void* value, bool reportErrors) const {
    const Entry& target = entry(row);
    if (target.set == nullptr)
        raise(kErrInvalidArgument);
    if (target.checked) {
        int32_t code = kOk;
        if (target.acceptedValues != 0) {
            // Enumerated values are 32 bits wide; a negative one reads as far above 63.
            uint32_t number = 0;
            std::memcpy(&number, value, sizeof number);
            if (number > 63 || ((target.acceptedValues >> number) & 1) == 0)
                code = kErrOutOfRange;
        } else {
            const std::optional<int64_t> maximum = target.maximumNow != nullptr
                                                       ? std::optional(target.maximumNow(target.setOwner))
                                                       : std::nullopt;
            code = checkLimits(row, value, maximum);
        }
        if (code != kOk) {
            if (reportErrors)
                raise(code);
            return;
        }
    }
    target.set(target.setOwner, value, reportErrors);
}

void ParameterHandlerTable::get(int32_t id, void* value) const {
    const ParameterDefinition* row = ParameterCatalogue::byId(id);
    if (row == nullptr)
        raise(kErrInvalidArgument);
    get(*row, value);
}

void ParameterHandlerTable::get(const ParameterDefinition& row, void* value) const {
    const Entry& target = entry(row);
    if (target.get == nullptr)
        raise(kErrInvalidArgument);
    target.get(target.getOwner, value);
}

} // namespace kestrel
