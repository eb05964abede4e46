// The host's view of the design's registers.
#include "host_registers.h"

#include "boardhw.h"
#include "designrt.h"
#include "grabhost5.h"

namespace kestrel::host {

HostRegisterTable::HostRegisterTable(std::vector<HostRegister> registers) : registers_(std::move(registers)) {
    for (std::size_t i = 0; i < registers_.size(); ++i) {
        byId_.emplace(registers_[i].id, i);
        byName_.emplace(registers_[i].name, i);
    }
}

int32_t HostRegisterTable::read(void* designImage, void* board, HostRegisterTable& table) {
    const int32_t count = DesignImage_GetRegisterCount(designImage);
    if (count < 0)
        return GH5_ERR_NO_DESIGN;
    std::vector<HostRegister> registers;
    registers.reserve(static_cast<std::size_t>(count));
    for (int32_t index = 1; index <= count; ++index) {
        const char* name = DesignImage_GetRegisterName(designImage, index);
        if (name == nullptr)
            return GH5_ERR_NO_DESIGN;
        HostRegister reg;
        reg.name = name;
        reg.id = DesignImage_GetRegisterId(designImage, name);
        // The board decides what a register holds; asking it keeps host and board in step.
        BoardRegisterDescription description{};
        if (const int32_t rc = Board_DescribeRegister(board, reg.id, &description); rc != BOARD_OK)
            return rc;
        reg.widthBits = description.widthBits;
        reg.writable = description.writable != 0;
        reg.content = description.kind == BOARD_REGISTER_TABLE  ? RegisterContent::Table
                      : description.kind == BOARD_REGISTER_TEXT ? RegisterContent::Text
                                                                : RegisterContent::Value;
        registers.push_back(std::move(reg));
    }
    table = HostRegisterTable(std::move(registers));
    return GH5_OK;
}

const HostRegister* HostRegisterTable::find(uint32_t id) const {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : &registers_[it->second];
}

const HostRegister* HostRegisterTable::findByName(const std::string& name) const {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &registers_[it->second];
}

} // namespace kestrel::host
