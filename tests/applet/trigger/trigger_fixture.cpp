// Register-name bookkeeping of the trigger tests and the expected step sequences.
#include "trigger_fixture.h"

#include "board_write_log.h"
#include "designrt.h"

namespace kestrel::test {

namespace {
const std::string kTriggerPrefix = "Device1_Process1_Trigger_";
const std::string kCameraPrefix = "TriggerCam0_";
} // namespace

TriggerTest::TriggerTest() : design_(DesignImage_OpenFile(KESTREL_LIB_DIR "/Kestrel12.hap", 2626, 1)) {
    const int32_t count = DesignImage_GetRegisterCount(design_);
    for (int32_t i = 1; i <= count; ++i) {
        std::string name = DesignImage_GetRegisterName(design_, i);
        const uint32_t id = DesignImage_GetRegisterId(design_, name.c_str());
        if (name.rfind(kTriggerPrefix, 0) == 0)
            name.erase(0, kTriggerPrefix.size());
        if (name.rfind(kCameraPrefix, 0) == 0)
            name.erase(0, kCameraPrefix.size());
        tails_[id] = name;
    }
}

TriggerTest::~TriggerTest() {
    DesignImage_Close(design_);
}

std::string TriggerTest::fullName(const std::string& tail) {
    if (tail.rfind("TriggerInput_", 0) == 0 || tail.rfind("Monitoring_", 0) == 0)
        return kTriggerPrefix + tail;
    return kTriggerPrefix + kCameraPrefix + tail;
}

WriteList TriggerTest::writesOf(const std::function<void()>& action) {
    BoardWriteLog::start();
    action();
    WriteList list;
    for (const BoardWrite& write : BoardWriteLog::stop()) {
        const auto it = tails_.find(write.id);
        list.push_back((it == tails_.end() ? std::to_string(write.id) : it->second) + "=" +
                       std::to_string(write.value));
    }
    return list;
}

namespace steps {

namespace {
std::string cc(int output, const char* what, int value) {
    return "CameraControl_Select" + std::to_string(output) + "_" + what + "=" + std::to_string(value);
}
std::string out(int output, const char* what, int value) {
    return "TriggerOutput_Select" + std::to_string(output) + "_" + what + "=" + std::to_string(value);
}
} // namespace

WriteList concat(std::initializer_list<WriteList> parts) {
    WriteList all;
    for (const WriteList& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

WriteList parkOutputs() {
    WriteList list;
    for (int i = 0; i < 4; ++i)
        list.push_back(cc(i, "Select_Select", 5));
    for (int i = 0; i < 8; ++i)
        list.push_back(out(i, "Select_Select", 5));
    return list;
}

// Defaults: CC 0 on "not pulse generator 0", CC 1..3 on VCC; trigger output 0 on "not pulse
// generator 0", 1 on "not pulse generator 1", 2..7 on VCC.
WriteList restoreOutputs() {
    WriteList list{cc(0, "Select_Select", 0), cc(0, "Polarity_Invert", 1)};
    for (int i = 1; i < 4; ++i) {
        list.push_back(cc(i, "Select_Select", 5));
        list.push_back(cc(i, "Polarity_Invert", 1));
    }
    list.push_back(out(0, "Select_Select", 0));
    list.push_back(out(0, "Polarity_Invert", 1));
    list.push_back(out(1, "Select_Select", 1));
    list.push_back(out(1, "Polarity_Invert", 1));
    for (int i = 2; i < 8; ++i) {
        list.push_back(out(i, "Select_Select", 5));
        list.push_back(out(i, "Polarity_Invert", 1));
    }
    return list;
}

WriteList clearPulseGenerators() {
    WriteList list{"Monitoring_CheckForMissingFrame_Cam0_ResetMissing_Mode=2"};
    for (int i = 0; i < 4; ++i)
        list.push_back("PulseFormGenerators_PulseFormGenerator" + std::to_string(i) +
                       "_ClearDownscale_Mode=2");
    return list;
}

// At 8 Hz, converted to ticks and back, the minimum period is still 7812490 ticks.
WriteList startGenerator(int queue) {
    return {"Generators_ClearQueuePulse_Mode=1", "Generators_EnableQueue_Select=" + std::to_string(queue),
            "Generators_Generator_MinimumPeriod_Number=7812490", "PulseFormGenerators_Enable_Select=1",
            "Generators_ClearQueuePulse_Mode=0"};
}

WriteList holdQueue() {
    return {"Generators_ClearQueuePulse_Mode=1"};
}

WriteList selectExternal(int value) {
    return {"TriggerMode_SelectExternal_Select=" + std::to_string(value)};
}

WriteList restartSequence(bool parkFirst) {
    return concat({parkFirst ? parkOutputs() : WriteList{},
                   {"Downscale_Clear_Mode=2"},
                   startGenerator(1),
                   {"Generators_ClearDownscale_Mode=2"},
                   clearPulseGenerators(),
                   restoreOutputs()});
}

} // namespace steps

} // namespace kestrel::test
