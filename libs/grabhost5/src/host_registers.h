// The design registers the host publishes: name, width, access and kind of every register.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrel::host {

enum class RegisterContent { Value, Table, Text };

struct HostRegister {
    uint32_t id = 0;
    std::string name;
    int widthBits = 0;
    bool writable = false;
    RegisterContent content = RegisterContent::Value;
};

// Built once from the design image and the board that loaded it; read-only afterwards.
class HostRegisterTable {
public:
    HostRegisterTable() = default;
    explicit HostRegisterTable(std::vector<HostRegister> registers);

    // Reads the names from the design image and what each register holds from the board (which
    // must have loaded that image). Returns a code and leaves table untouched on failure.
    static int32_t read(void* designImage, void* board, HostRegisterTable& table);

    const HostRegister* find(uint32_t id) const;
    const HostRegister* findByName(const std::string& name) const;
    // Design order (register number 1 .. count).
    const std::vector<HostRegister>& all() const { return registers_; }

private:
    std::vector<HostRegister> registers_;
    std::unordered_map<uint32_t, std::size_t> byId_;
    std::unordered_map<std::string, std::size_t> byName_;
};

} // namespace kestrel::host
