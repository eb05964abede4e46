// Register-name bookkeeping of the trigger tests.
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

} // namespace kestrel::test
