// Names of the trigger registers and the grouping of their values.
#include "trigger/trigger_registers.h"

#include <algorithm>
#include <vector>

namespace kestrel::boardhw::trigger {
namespace {

const std::string kCam = "Device1_Process1_Trigger_TriggerCam0_";
const std::string kTop = "Device1_Process1_Trigger_";

std::vector<std::string> makeNames() {
    std::vector<std::string> names(kRegCount);
    auto set = [&](Reg reg, std::string name) { names[static_cast<std::size_t>(reg)] = std::move(name); };
    set(Reg::DebouncePeriod, kTop + "TriggerInput_Debounce8_Prescale_Period");
    set(Reg::InputStatus, kTop + "TriggerInput_InputStatus_Status");
    set(Reg::InputSelect, kCam + "InputSelect_Select_Select");
    set(Reg::InputInvert, kCam + "InputSelect_Polarity_Invert");
    set(Reg::BypassSelect, kCam + "InputSelect_BypassSelect_Select");
    set(Reg::InputDownscale, kCam + "Downscale_Downscale_Downscale");
    set(Reg::InputSelectedPulse, kCam + "Downscale_Downscale_SelectedPulse");
    set(Reg::InputDownscaleClear, kCam + "Downscale_Clear_Mode");
    set(Reg::InputPulses, kCam + "InputStatistics_ReadPulses_Status");
    set(Reg::InputPulsesClear, kCam + "InputStatistics_ClearPulses_Mode");
    set(Reg::InputPeriod, kCam + "InputStatistics_ReadPeriod_Status");
    set(Reg::InputMax, kCam + "InputStatistics_ReadMax_Status");
    set(Reg::InputMin, kCam + "InputStatistics_ReadMin_Status");
    set(Reg::InputMinMaxClear, kCam + "InputStatistics_ClearMinMax_Value");
    set(Reg::InputTotalPulses, kCam + "InputStatistics_TotalPulses_Status");
    set(Reg::SelectExternal, kCam + "TriggerMode_SelectExternal_Select");
    set(Reg::SoftwareTrigger, kCam + "TriggerMode_SoftwareTrigger_Mode");
    set(Reg::MinimumPeriod, kCam + "Generators_Generator_MinimumPeriod_Number");
    set(Reg::ClearQueuePulse, kCam + "Generators_ClearQueuePulse_Mode");
    set(Reg::EnableQueue, kCam + "Generators_EnableQueue_Select");
    set(Reg::SequencerClear, kCam + "Generators_ClearDownscale_Mode");
    set(Reg::MaximumReached, kCam + "Generators_Generator_MaximumReached_Status");
    set(Reg::QueueValue, kCam + "Generators_QueueValue_Status");
    set(Reg::SequenceDownscale, kCam + "Generators_Sequence_Downscale");
    set(Reg::SequenceSelectedPulse, kCam + "Generators_Sequence_SelectedPulse");
    set(Reg::QueueFullValue, kCam + "Generators_Queue_QueueFullValue_Number");
    set(Reg::QueueEnabled, kCam + "Generators_Queue_QueueEnabled_Select");
    set(Reg::PulseLimit, kCam + "Generators_PulseLimit_Number");
    set(Reg::HysteresisOn, kCam + "Hysteresis_OnLevel_Number");
    set(Reg::HysteresisOff, kCam + "Hysteresis_OffLevel_Number");
    set(Reg::PulseFormEnable, kCam + "PulseFormGenerators_Enable_Select");
    for (std::size_t n = 0; n < 4; ++n) {
        const std::string g = kCam + "PulseFormGenerators_PulseFormGenerator" + std::to_string(n) + "_";
        set(pulseFormRegister(Reg::PulseForm0Downscale, n), g + "Downscale_Downscale");
        set(pulseFormRegister(Reg::PulseForm0SelectedPulse, n), g + "Downscale_SelectedPulse");
        set(pulseFormRegister(Reg::PulseForm0Delay, n), g + "Delay_Delay");
        set(pulseFormRegister(Reg::PulseForm0Width, n), g + "Width_Width");
        set(pulseFormRegister(Reg::PulseForm0Clear, n), g + "ClearDownscale_Mode");
    }
    for (std::size_t n = 0; n < 4; ++n) {
        const std::string o = kCam + "CameraControl_Select" + std::to_string(n) + "_";
        set(cameraControlRegister(Reg::CameraControl0Select, n), o + "Select_Select");
        set(cameraControlRegister(Reg::CameraControl0Invert, n), o + "Polarity_Invert");
    }
    for (std::size_t n = 0; n < 8; ++n) {
        const std::string o = kCam + "TriggerOutput_Select" + std::to_string(n) + "_";
        set(triggerOutputRegister(Reg::TriggerOutput0Select, n), o + "Select_Select");
        set(triggerOutputRegister(Reg::TriggerOutput0Invert, n), o + "Polarity_Invert");
    }
    set(Reg::OutputStatsSelect, kCam + "OutputStatistics_Select_Select");
    set(Reg::OutputPulses, kCam + "OutputStatistics_ReadPulses_Status");
    set(Reg::OutputPulsesClear, kCam + "OutputStatistics_ClearPulses_Mode");
    set(Reg::OutputTotalPulses, kCam + "OutputStatistics_TotalPulses_Status");
    set(Reg::OutputEventSelect, kCam + "OutputEvent_Select_Select");
    set(Reg::MonitoringStatus, kTop + "Monitoring_ReadQueueStatus_Status");
    set(Reg::ClearOverride, kTop + "Monitoring_ClearOverrideCam0_Mode");
    set(Reg::ClearMissingFrame, kTop + "Monitoring_ClearMissingFrame_Cam0_Mode");
    set(Reg::ResetMissing, kTop + "Monitoring_CheckForMissingFrame_Cam0_ResetMissing_Mode");
    return names;
}

const std::vector<std::string>& names() {
    static const std::vector<std::string> table = makeNames();
    return table;
}

} // namespace

const std::string& registerName(Reg reg) {
    return names().at(static_cast<std::size_t>(reg));
}

TriggerRegisterIds::TriggerRegisterIds(const std::function<uint32_t(const std::string&)>& idOf) {
    for (std::size_t i = 0; i < kRegCount; ++i)
        ids_[i] = idOf(names()[i]);
}

Reg TriggerRegisterIds::regOf(uint32_t id) const {
    if (id == 0)
        return Reg::Count;
    const auto it = std::find(ids_.begin(), ids_.end(), id);
    return it == ids_.end() ? Reg::Count : static_cast<Reg>(it - ids_.begin());
}

TriggerSettings readTriggerSettings(const std::function<uint64_t(Reg)>& value) {
    auto u32 = [&](Reg reg) { return static_cast<uint32_t>(value(reg)); };
    auto flag = [&](Reg reg) { return value(reg) != 0; };
    TriggerSettings s;
    s.debounceUnits = u32(Reg::DebouncePeriod);
    s.inputSelect = u32(Reg::InputSelect) & 7;
    s.inputInvert = flag(Reg::InputInvert);
    s.bypassSelect = u32(Reg::BypassSelect) & 7;
    s.inputDownscale = u32(Reg::InputDownscale);
    s.inputSelectedPulse = u32(Reg::InputSelectedPulse);
    s.selectExternal = flag(Reg::SelectExternal);
    s.minimumPeriodTicks = value(Reg::MinimumPeriod);
    // Only 1 holds the queue cleared; the one-shot value 2 is not a hold.
    s.holdQueue = value(Reg::ClearQueuePulse) == 1;
    s.queueSource = flag(Reg::EnableQueue);
    s.sequenceDownscale = u32(Reg::SequenceDownscale);
    s.sequenceSelectedPulse = u32(Reg::SequenceSelectedPulse);
    s.queueFullValue = u32(Reg::QueueFullValue);
    s.queueEnabled = flag(Reg::QueueEnabled);
    s.hysteresisOn = u32(Reg::HysteresisOn);
    s.hysteresisOff = u32(Reg::HysteresisOff);
    s.pulseFormEnabled = flag(Reg::PulseFormEnable);
    for (std::size_t n = 0; n < 4; ++n) {
        PulseFormSettings& p = s.pulseForm[n];
        p.downscale = u32(pulseFormRegister(Reg::PulseForm0Downscale, n));
        p.selectedPulse = u32(pulseFormRegister(Reg::PulseForm0SelectedPulse, n));
        p.delayTicks = value(pulseFormRegister(Reg::PulseForm0Delay, n));
        p.widthTicks = value(pulseFormRegister(Reg::PulseForm0Width, n));
    }
    for (std::size_t n = 0; n < 4; ++n)
        s.cameraControl[n] = LineSelection{u32(cameraControlRegister(Reg::CameraControl0Select, n)),
                                           flag(cameraControlRegister(Reg::CameraControl0Invert, n))};
    for (std::size_t n = 0; n < 8; ++n)
        s.triggerOutput[n] = LineSelection{u32(triggerOutputRegister(Reg::TriggerOutput0Select, n)),
                                           flag(triggerOutputRegister(Reg::TriggerOutput0Invert, n))};
    s.outputStatsSelect = u32(Reg::OutputStatsSelect) & 3;
    s.outputEventSelect = u32(Reg::OutputEventSelect) & 3;
    return s;
}

} // namespace kestrel::boardhw::trigger
