// An open design image: its registers, looked up by number, name and id, and its event records.
#include "design_image.h"

namespace kestrel::designrt {

DesignImage::DesignImage(DesignTables tables)
    : strings_(std::move(tables.strings)), designNameOffset_(tables.designNameOffset) {
    registers_.reserve(tables.registers.size());
    byName_.reserve(tables.registers.size());
    byId_.reserve(tables.registers.size());
    for (const RegisterEntry& r : tables.registers) {
        const char* name = strings_.data() + r.nameOffset;
        byName_.emplace(std::string_view(name, r.nameBytes), registers_.size());
        byId_.emplace(r.id, registers_.size());
        registers_.push_back({r.id, name, r.depth, r.widthBits, r.writable, r.kind});
    }
    events_.reserve(tables.events.size());
    for (const EventEntry& e : tables.events) {
        events_.push_back({sizeof(DesignEventRecord), static_cast<uint32_t>(events_.size()),
                           strings_.data() + e.nameOffset, e.nameBytes, e.kind});
    }
}

const DesignRegister* DesignImage::registerByNumber(int32_t number) const {
    if (number < 1 || number > registerCount())
        return nullptr;
    return &registers_[static_cast<std::size_t>(number) - 1];
}

const DesignRegister* DesignImage::registerByName(std::string_view name) const {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &registers_[it->second];
}

const DesignRegister* DesignImage::registerById(uint32_t id) const {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : &registers_[it->second];
}

const DesignEventRecord* DesignImage::event(int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= events_.size())
        return nullptr;
    return &events_[static_cast<std::size_t>(index)];
}

} // namespace kestrel::designrt
