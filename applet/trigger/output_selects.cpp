// Output select encoding and the output setters.
#include "trigger/output_selects.h"

namespace kestrel {

namespace {

constexpr std::array<HostRegister, kCcOutputCount> kCcSelect{
    HostRegister::TriggerCam0CameraControlSelect0SelectSelect,
    HostRegister::TriggerCam0CameraControlSelect1SelectSelect,
    HostRegister::TriggerCam0CameraControlSelect2SelectSelect,
    HostRegister::TriggerCam0CameraControlSelect3SelectSelect};
constexpr std::array<HostRegister, kCcOutputCount> kCcInvert{
    HostRegister::TriggerCam0CameraControlSelect0PolarityInvert,
    HostRegister::TriggerCam0CameraControlSelect1PolarityInvert,
    HostRegister::TriggerCam0CameraControlSelect2PolarityInvert,
    HostRegister::TriggerCam0CameraControlSelect3PolarityInvert};
constexpr std::array<HostRegister, kTriggerOutputCount> kOutSelect{
    HostRegister::TriggerCam0TriggerOutputSelect0SelectSelect,
    HostRegister::TriggerCam0TriggerOutputSelect1SelectSelect,
    HostRegister::TriggerCam0TriggerOutputSelect2SelectSelect,
    HostRegister::TriggerCam0TriggerOutputSelect3SelectSelect,
    HostRegister::TriggerCam0TriggerOutputSelect4SelectSelect,
    HostRegister::TriggerCam0TriggerOutputSelect5SelectSelect,
    HostRegister::TriggerCam0TriggerOutputSelect6SelectSelect,
    HostRegister::TriggerCam0TriggerOutputSelect7SelectSelect};
constexpr std::array<HostRegister, kTriggerOutputCount> kOutInvert{
    HostRegister::TriggerCam0TriggerOutputSelect0PolarityInvert,
    HostRegister::TriggerCam0TriggerOutputSelect1PolarityInvert,
    HostRegister::TriggerCam0TriggerOutputSelect2PolarityInvert,
    HostRegister::TriggerCam0TriggerOutputSelect3PolarityInvert,
    HostRegister::TriggerCam0TriggerOutputSelect4PolarityInvert,
    HostRegister::TriggerCam0TriggerOutputSelect5PolarityInvert,
    HostRegister::TriggerCam0TriggerOutputSelect6PolarityInvert,
    HostRegister::TriggerCam0TriggerOutputSelect7PolarityInvert};

constexpr uint32_t kSourceInputBypass = 10;
constexpr uint32_t kSelectInputBypass = 4;
constexpr uint32_t kInvertedOffset = 6;

} // namespace

SelectCode selectCode(uint32_t source) {
    if (source < kSourceGnd)
        return {source, 0};
    if (source == kSourceGnd)
        return {kSelectConstant, 0};
    if (source == kSourceVcc)
        return {kSelectConstant, 1};
    if (source < kSourceInputBypass)
        return {source - kInvertedOffset, 1};
    return {kSelectInputBypass, source == kSourceInputBypass ? 0u : 1u};
}

HostRegister OutputSelects::ccSelectRegister(std::size_t output) {
    return kCcSelect.at(output);
}
HostRegister OutputSelects::ccInvertRegister(std::size_t output) {
    return kCcInvert.at(output);
}
HostRegister OutputSelects::triggerOutSelectRegister(std::size_t output) {
    return kOutSelect.at(output);
}
HostRegister OutputSelects::triggerOutInvertRegister(std::size_t output) {
    return kOutInvert.at(output);
}

void OutputSelects::setCcSelect(std::size_t output, uint32_t source, bool reportErrors) {
    core_.apply(core_.values().triggerCcSelects.at(output), source, LegacyRule::RefusedInLegacyMode,
                reportErrors, [&](uint32_t) {
                    const SelectCode code = selectCode(source);
                    core_.write(kCcSelect[output], code.select);
                    core_.write(kCcInvert[output], code.invert);
                });
}

void OutputSelects::setTriggerOutSelect(std::size_t output, uint32_t source, bool reportErrors) {
    core_.apply(core_.values().triggerOutSelects.at(output), source, LegacyRule::RefusedInLegacyMode,
                reportErrors, [&](uint32_t) {
                    // An async stop holds every trigger output parked until the next start.
                    if (core_.values().triggerState == kStateAsyncStop)
                        return;
                    writeTriggerOutput(output, selectCode(source));
                });
}

void OutputSelects::writeTriggerOutput(std::size_t output, SelectCode code) const {
    core_.write(kOutSelect.at(output), code.select);
    core_.write(kOutInvert.at(output), code.invert);
}

void OutputSelects::parkOutputs() const {
    for (const HostRegister reg : kCcSelect)
        core_.write(reg, kSelectConstant);
    for (const HostRegister reg : kOutSelect)
        core_.write(reg, kSelectConstant);
}

void OutputSelects::restoreOutputs() {
    for (std::size_t i = 0; i < kCcOutputCount; ++i)
        setCcSelect(i, core_.values().triggerCcSelects[i], true);
    for (std::size_t i = 0; i < kTriggerOutputCount; ++i)
        setTriggerOutSelect(i, core_.values().triggerOutSelects[i], true);
}

} // namespace kestrel
