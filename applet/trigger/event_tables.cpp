// Event tables from the design image's event records.
#include "trigger/event_tables.h"

#include <array>
#include <cstring>

#include <designrt.h>

namespace kestrel {

namespace {

constexpr std::array<AppletEventName, 24> kAppletEvents{{
    {"FG_OVERFLOW_CAM0", "Device1_Process0_Overflow_Overflow"},
    {"FG_START_OF_FRAME_CAM_PORT_0", "Device1_Process1_Trigger_Monitoring_FVALEvents_Cam0_FrameStart"},
    {"FG_END_OF_FRAME_CAM_PORT_0", "Device1_Process1_Trigger_Monitoring_FVALEvents_Cam0_FrameEnd"},
    {"FG_TRIGGER_INPUT0_RISING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin0"},
    {"FG_TRIGGER_INPUT0_FALLING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin0"},
    {"FG_TRIGGER_INPUT1_RISING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin1"},
    {"FG_TRIGGER_INPUT1_FALLING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin1"},
    {"FG_TRIGGER_INPUT2_RISING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin2"},
    {"FG_TRIGGER_INPUT2_FALLING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin2"},
    {"FG_TRIGGER_INPUT3_RISING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin3"},
    {"FG_TRIGGER_INPUT3_FALLING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin3"},
    {"FG_TRIGGER_INPUT4_RISING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin4"},
    {"FG_TRIGGER_INPUT4_FALLING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin4"},
    {"FG_TRIGGER_INPUT5_RISING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin5"},
    {"FG_TRIGGER_INPUT5_FALLING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin5"},
    {"FG_TRIGGER_INPUT6_RISING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin6"},
    {"FG_TRIGGER_INPUT6_FALLING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin6"},
    {"FG_TRIGGER_INPUT7_RISING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin7"},
    {"FG_TRIGGER_INPUT7_FALLING", "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin7"},
    {"FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CAM0",
     "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0Override"},
    {"FG_MISSING_CAM0_FRAME_RESPONSE",
     "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0MissingFrame"},
    {"FG_TRIGGER_QUEUE_FILLLEVEL_THRESHOLD_CAM0_ON",
     "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0HysteresisOn"},
    {"FG_TRIGGER_QUEUE_FILLLEVEL_THRESHOLD_CAM0_OFF",
     "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0HysteresisOff"},
    {"FG_TRIGGER_OUTPUT_CAM0", "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0OutputEvent"},
}};

// What a design runtime event record is known to hold: a pointer to the NUL-terminated name at
// bytes 8..15 and the kind at bytes 20..23. Nothing else in it is read: bytes 16..19 may be left
// zero (or hold anything) by the runtime.
constexpr std::size_t kNameOffset = 8;
constexpr std::size_t kKindOffset = 20;

bool readRecord(void* designImage, int32_t index, EventRecord& record) {
    const void* raw = DesignImage_GetProperty(designImage, index);
    if (raw == nullptr)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(raw);
    const char* name = nullptr;
    std::memcpy(&name, bytes + kNameOffset, sizeof name);
    std::memcpy(&record.kind, bytes + kKindOffset, sizeof record.kind);
    record.designName = name != nullptr ? std::string(name) : std::string();
    return true;
}

} // namespace

const AppletEventName* appletEventNames(std::size_t& count) {
    count = kAppletEvents.size();
    return kAppletEvents.data();
}

void EventTables::build(void* designImage) {
    if (designImage == nullptr)
        return;
    buildFrom(
        [designImage](int32_t index, EventRecord& record) { return readRecord(designImage, index, record); });
}

void EventTables::registerEvent(const std::string& eventName, uint64_t eventMask) {
    masks_[eventName] = eventMask;
    names_[eventMask] = eventName;
}

std::optional<uint64_t> EventTables::mask(const char* eventName) const {
    if (eventName == nullptr)
        return std::nullopt;
    const auto it = masks_.find(eventName);
    if (it == masks_.end())
        return std::nullopt;
    return it->second;
}

const char* EventTables::name(uint64_t eventMask) const {
    const auto it = names_.find(eventMask);
    return it == names_.end() ? nullptr : it->second.c_str();
}

} // namespace kestrel
