// The board's register file: the design's registers by id, each holding a value masked to its width.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrel::boardhw {

enum class RegisterKind { Value, Table, Text };

// One register of a design as the design image describes it.
struct RegisterDefinition {
    uint32_t id = 0;
    std::string name;
    int widthBits = 0; // 1 .. 64
    bool writable = false;
    RegisterKind kind = RegisterKind::Value;
};

// All bits of a register of the given width (1 .. 64).
constexpr uint64_t widthMask(int widthBits) {
    return widthBits >= 64 ? ~uint64_t{0} : (uint64_t{1} << widthBits) - 1;
}

// Holds the values of the plain registers and the descriptions of all of them. Not locked: the
// board serialises access. Codes are the BOARD_ constants of boardhw.h.
class RegisterFile {
public:
    RegisterFile() = default;
    // Throws std::invalid_argument for an id of 0, a width outside 1..64 or a repeated id or name.
    explicit RegisterFile(std::vector<RegisterDefinition> definitions);

    bool empty() const { return registers_.empty(); }
    std::size_t size() const { return registers_.size(); }

    const RegisterDefinition* find(uint32_t id) const;
    // Id of a register name, 0 when the design has no such register.
    uint32_t idOf(const std::string& name) const;

    // Application-side write: refused for read-only registers.
    int32_t write(uint32_t id, uint64_t value);
    // Emulation-side write: the writable flag does not apply.
    int32_t force(uint32_t id, uint64_t value);
    int32_t read(uint32_t id, uint64_t& value) const;

    // Value of a plain register by id, 0 when the register does not exist (for derived views).
    uint64_t valueOr0(uint32_t id) const;

private:
    struct Register {
        RegisterDefinition definition;
        uint64_t value = 0;
    };
    int32_t store(uint32_t id, uint64_t value, bool honourWritable);

    std::unordered_map<uint32_t, Register> registers_;
    std::unordered_map<std::string, uint32_t> idsByName_;
};

} // namespace kestrel::boardhw
