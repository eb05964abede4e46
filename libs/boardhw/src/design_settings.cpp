// Groups the register values by what they control in the emulated design.
#include "design_settings.h"

namespace kestrel::boardhw {
namespace {

class RoleReader {
public:
    RoleReader(const RegisterFile& registers, const RoleMap& roles) : registers_(registers), roles_(roles) {}

    uint32_t u32(RegisterRole role) const {
        return static_cast<uint32_t>(registers_.valueOr0(roles_.id(role)));
    }
    bool flag(RegisterRole role) const { return u32(role) != 0; }

private:
    const RegisterFile& registers_;
    const RoleMap& roles_;
};

} // namespace

DesignSettings readDesignSettings(const RegisterFile& registers, const RoleMap& roles) {
    const RoleReader r(registers, roles);
    DesignSettings s;
    s.generator.enabled = r.flag(RegisterRole::GeneratorEnable);
    s.generator.running = r.flag(RegisterRole::GeneratorStart);
    s.generator.widthWords = r.u32(RegisterRole::GeneratorWidth);
    s.generator.lineWidthWords = r.u32(RegisterRole::GeneratorLineWidth);
    s.generator.heightMinus1 = r.u32(RegisterRole::GeneratorHeight);
    s.generator.activeMinus1 = r.u32(RegisterRole::GeneratorActive);
    s.generator.passiveMinus1 = r.u32(RegisterRole::GeneratorPassive);
    s.generator.tapMask = r.u32(RegisterRole::GeneratorMask);
    s.generator.roll = r.u32(RegisterRole::GeneratorRoll);
    s.cameraFormat = r.u32(RegisterRole::CameraFormat);
    s.useDval = r.flag(RegisterRole::CameraUseDval);
    for (std::size_t i = 0; i < 2; ++i) {
        s.bankWindow[i] =
            Window{r.u32(RegisterRole::BankXOffset0 + i), r.u32(RegisterRole::BankYOffset0 + i),
                   r.u32(RegisterRole::BankXLength0 + i), r.u32(RegisterRole::BankYLength0 + i)};
        // The coefficient buffers count x in 4-pixel words.
        s.shadingWindow[i] =
            Window{4 * r.u32(RegisterRole::ShadingXOffset0 + i), r.u32(RegisterRole::ShadingYOffset0 + i),
                   4 * r.u32(RegisterRole::ShadingXLength0 + i), r.u32(RegisterRole::ShadingYLength0 + i)};
        s.fillLevelPercent[i] = r.u32(RegisterRole::FillLevel0 + i);
    }
    s.offsetCorrection = r.flag(RegisterRole::ShadingOffsetEnable);
    s.gainCorrection = r.flag(RegisterRole::ShadingGainEnable);
    s.defaultGain = r.u32(RegisterRole::ShadingGainDefault);
    s.deadPixelReplacement = r.flag(RegisterRole::DeadPixelEnable);
    s.noiseFilter = r.u32(RegisterRole::NoiseFilterSelect) == 1;
    s.selectorPeriod = r.u32(RegisterRole::SelectorPeriod);
    s.selectorPhase = r.u32(RegisterRole::SelectorPhase);
    s.eightBitOutput = r.u32(RegisterRole::OutputFormatSelect) == 1;
    s.leftAligned = r.u32(RegisterRole::OutputBitAlignment) == 1;
    s.overflow = r.flag(RegisterRole::OverflowOccurred);
    return s;
}

} // namespace kestrel::boardhw
