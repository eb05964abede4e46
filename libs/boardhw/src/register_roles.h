// What the design's registers mean to the emulation: a role per register name the board acts on.
#pragma once

#include "register_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrel::boardhw {

// Registers whose values the emulated design interprets. Banks and buffers come in pairs (0, 1);
// a role of the second of a pair is the first one's + 1.
enum class RegisterRole : std::size_t {
    GeneratorEnable,
    GeneratorStart,
    GeneratorWidth,
    GeneratorLineWidth,
    GeneratorHeight,
    GeneratorActive,
    GeneratorPassive,
    GeneratorMask,
    GeneratorRoll,
    CameraFormat,
    CameraUseDval,
    BankXLength0,
    BankXLength1,
    BankYLength0,
    BankYLength1,
    BankXOffset0,
    BankXOffset1,
    BankYOffset0,
    BankYOffset1,
    ShadingXLength0,
    ShadingXLength1,
    ShadingYLength0,
    ShadingYLength1,
    ShadingXOffset0,
    ShadingXOffset1,
    ShadingYOffset0,
    ShadingYOffset1,
    ShadingUpdateRoi0,
    ShadingUpdateRoi1,
    CoefficientFile0,
    CoefficientFile1,
    LoadCoefficients0,
    LoadCoefficients1,
    ShadingOffsetEnable,
    ShadingGainEnable,
    ShadingGainDefault,
    DeadPixelEnable,
    NoiseFilterSelect,
    SelectorPeriod,
    SelectorPhase,
    LutContent,
    OutputFormatSelect,
    OutputBitAlignment,
    OverflowOccurred,
    FillLevel0,
    FillLevel1,
    Count
};

constexpr std::size_t kRoleCount = static_cast<std::size_t>(RegisterRole::Count);

constexpr RegisterRole operator+(RegisterRole role, std::size_t offset) {
    return static_cast<RegisterRole>(static_cast<std::size_t>(role) + offset);
}

// The design register name that plays a role.
std::string_view roleRegisterName(RegisterRole role);
// The role a register name plays, if any.
std::optional<RegisterRole> roleOfName(std::string_view name);
// Table and text registers are not plain values; everything else is.
RegisterKind kindOfName(std::string_view name);

// The ids the loaded design gives the roles (0 for a role the design lacks).
class RoleMap {
public:
    RoleMap() { ids_.fill(0); }
    explicit RoleMap(const RegisterFile& registers);

    uint32_t id(RegisterRole role) const { return ids_[static_cast<std::size_t>(role)]; }
    std::optional<RegisterRole> roleOf(uint32_t id) const;

private:
    std::array<uint32_t, kRoleCount> ids_{};
};

} // namespace kestrel::boardhw
