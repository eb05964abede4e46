// The board's register file: lookup, masking and the writable rule.
#include "register_file.h"

#include "boardhw.h"

#include <stdexcept>

namespace kestrel::boardhw {

RegisterFile::RegisterFile(std::vector<RegisterDefinition> definitions) {
    registers_.reserve(definitions.size());
    for (auto& definition : definitions) {
        if (definition.id == 0 || definition.widthBits < 1 || definition.widthBits > 64)
            throw std::invalid_argument("register '" + definition.name + "' has an unusable id or width");
        const uint32_t id = definition.id;
        if (!definition.name.empty() && !idsByName_.emplace(definition.name, id).second)
            throw std::invalid_argument("register name '" + definition.name + "' appears twice");
        if (!registers_.emplace(id, Register{std::move(definition), 0}).second)
            throw std::invalid_argument("register id " + std::to_string(id) + " appears twice");
    }
}

const RegisterDefinition* RegisterFile::find(uint32_t id) const {
    const auto it = registers_.find(id);
    return it == registers_.end() ? nullptr : &it->second.definition;
}

uint32_t RegisterFile::idOf(const std::string& name) const {
    const auto it = idsByName_.find(name);
    return it == idsByName_.end() ? 0 : it->second;
}

int32_t RegisterFile::write(uint32_t id, uint64_t value) {
    return store(id, value, true);
}

int32_t RegisterFile::force(uint32_t id, uint64_t value) {
    return store(id, value, false);
}

int32_t RegisterFile::store(uint32_t id, uint64_t value, bool honourWritable) {
    const auto it = registers_.find(id);
    if (it == registers_.end())
        return BOARD_ERR_UNKNOWN_REGISTER;
    Register& reg = it->second;
    if (reg.definition.kind != RegisterKind::Value)
        return BOARD_ERR_WRONG_KIND;
    if (honourWritable && !reg.definition.writable)
        return BOARD_ERR_READ_ONLY;
    // The hardware register only has widthBits flip-flops: higher bits are lost, not refused.
    reg.value = value & widthMask(reg.definition.widthBits);
    return BOARD_OK;
}

int32_t RegisterFile::read(uint32_t id, uint64_t& value) const {
    const auto it = registers_.find(id);
    if (it == registers_.end())
        return BOARD_ERR_UNKNOWN_REGISTER;
    if (it->second.definition.kind != RegisterKind::Value)
        return BOARD_ERR_WRONG_KIND;
    value = it->second.value;
    return BOARD_OK;
}

uint64_t RegisterFile::valueOr0(uint32_t id) const {
    const auto it = registers_.find(id);
    return it == registers_.end() || it->second.definition.kind != RegisterKind::Value ? 0 : it->second.value;
}

} // namespace kestrel::boardhw
