// The nine camera-simulator registers, written on the board directly (the host does not publish
// them), with the last value written successfully to each.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrel {

enum class GeneratorRegister : std::size_t {
    Enable,
    Start,
    Width,
    LineWidth,
    Height,
    Active,
    Passive,
    Mask,
    Roll
};
inline constexpr std::size_t kGeneratorRegisterCount = 9;

// Design names, in the order above.
inline constexpr std::array<const char*, kGeneratorRegisterCount> kGeneratorRegisterNames{
    "AAGenEnable", "AAGenStart",   "AAGenWidth", "AAGenLineWidth", "AAGenHeight",
    "AAGenActive", "AAGenPassive", "AAGenMask",  "AAGenRoll"};

// The cache before anything is written: the design's power-up contents.
inline constexpr std::array<uint64_t, kGeneratorRegisterCount> kGeneratorRegisterPowerUpValues{
    0, 1, 2048, 2080, 1024, 3, 29, 15, 1};

class GeneratorRegisters {
public:
    // Looks the nine ids up in the design image; ids the image does not know stay as it answers.
    void resolve(void* designImage);

    uint32_t id(GeneratorRegister reg) const { return ids_[index(reg)]; }
    uint64_t cachedValue(GeneratorRegister reg) const { return cache_[index(reg)]; }

    // Writes the register on the board. On success the value becomes the cached one; a non-zero
    // board result leaves the cache alone and is raised when `reportErrors` is set. Returns the
    // board's result.
    int32_t write(void* boardHandle, GeneratorRegister reg, uint64_t value, bool reportErrors);

    // Copies the cached value of "AAGenMask" into `value`; a null buffer raises kErrInvalidArgument
    // when `reportErrors` is set and is otherwise ignored.
    void readCachedMask(uint64_t* value, bool reportErrors) const;

private:
    static constexpr std::size_t index(GeneratorRegister reg) { return static_cast<std::size_t>(reg); }
    std::array<uint32_t, kGeneratorRegisterCount> ids_{};
    std::array<uint64_t, kGeneratorRegisterCount> cache_ = kGeneratorRegisterPowerUpValues;
};

} // namespace kestrel
