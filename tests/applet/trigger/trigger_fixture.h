// The applet on the virtual board, with the register writes of an action listed by register name.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "applet_on_board.h"
#include "params/parameter_ids.h"

namespace kestrel::test {

using namespace kestrel::ids;

// Writes as "<register tail>=<value>", the tail being the design name after
// "Device1_Process1_Trigger_" and, for the camera's trigger, after "TriggerCam0_".
using WriteList = std::vector<std::string>;

class TriggerTest : public ::testing::Test {
protected:
    TriggerTest();
    ~TriggerTest() override;

    // The register writes `action` makes, in order.
    WriteList writesOf(const std::function<void()>& action);
    // Sets a parameter and expects success.
    template <class T> void mustSet(int32_t id, T value) {
        ASSERT_EQ(applet.set(id, value), 0) << "set of " << id;
    }
    // A trigger register by its tail.
    uint64_t reg(const std::string& tail) const { return applet.reg(fullName(tail).c_str()); }
    void forceReg(const std::string& tail, uint64_t value) const {
        applet.forceReg(fullName(tail).c_str(), value);
    }
    void failWrites(const std::string& tail, int32_t code) const {
        applet.failWrites(fullName(tail).c_str(), code);
    }

    static std::string fullName(const std::string& tail);

    AppletOnBoard applet;

private:
    void* design_;
    std::map<uint32_t, std::string> tails_;
};

} // namespace kestrel::test
