// A register table held in memory, standing in for a design image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/design_registers.h"

namespace kestrel::testing {

struct FakeRegister {
    std::string name;
    uint32_t id;
    int32_t widthBits;
    bool writable;
};

class FakeDesignRegisters final : public DesignRegisterSource {
public:
    explicit FakeDesignRegisters(std::vector<FakeRegister> registers) : registers_(std::move(registers)) {}

    int32_t count() const override { return static_cast<int32_t>(registers_.size()); }
    const char* name(int32_t index) const override {
        if (index < 1 || index > count())
            return nullptr;
        return registers_[static_cast<std::size_t>(index - 1)].name.c_str();
    }
    uint32_t id(const char* name) const override {
        for (const auto& r : registers_)
            if (name != nullptr && r.name == name)
                return r.id;
        return 0;
    }
    int32_t width(uint32_t id) const override {
        for (const auto& r : registers_)
            if (r.id == id)
                return r.widthBits;
        return 0;
    }
    int32_t info(uint32_t id) const override {
        for (const auto& r : registers_)
            if (r.id == id)
                return r.writable ? 1 : 0;
        return 0;
    }

private:
    std::vector<FakeRegister> registers_;
};

} // namespace kestrel::testing
