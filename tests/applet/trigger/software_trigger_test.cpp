// Software trigger pulses and the queue readouts, through the exports.
#include "trigger_fixture.h"

namespace kestrel::test {
namespace {

constexpr int32_t kAreaTriggerMode = 300200;
constexpr int32_t kTriggerState = 300201;
constexpr int32_t kSendSoftwareTrigger = 8800;
constexpr int32_t kBusy = 110075;
constexpr int32_t kSoftwareFillLevel = 8802;
constexpr int32_t kMultiplyPulses = 300213;
constexpr int32_t kQueueMode = 300214;
constexpr int32_t kQueueFillLevel = 300215;

class SoftwareTriggerTest : public TriggerTest {
protected:
    void startSoftwareMode(int32_t queue) {
        mustSet(kAreaTriggerMode, uint32_t{4});
        mustSet(kQueueMode, queue);
        mustSet(kTriggerState, uint32_t{0});
    }
};

TEST_F(SoftwareTriggerTest, TwoPulsesWithTheQueueOffAreOutOfRange) {
    startSoftwareMode(0);
    forceReg("Generators_Generator_MaximumReached_Status", 1);
    EXPECT_TRUE(writesOf([&] { EXPECT_EQ(applet.set(kSendSoftwareTrigger, uint32_t{2}), -6000); }).empty());
    EXPECT_EQ(applet.set(kSendSoftwareTrigger, uint32_t{0}), -6000);
    EXPECT_EQ(applet.get<uint32_t>(kSendSoftwareTrigger), 1u);
}

TEST_F(SoftwareTriggerTest, QueueOnSendsEachOf2040PulsesWithOneWrite) {
    startSoftwareMode(1);
    const WriteList writes =
        writesOf([&] { EXPECT_EQ(applet.set(kSendSoftwareTrigger, uint32_t{2040}), 0); });
    EXPECT_EQ(writes, WriteList(2040, "TriggerMode_SoftwareTrigger_Mode=2"));
    EXPECT_EQ(applet.get<uint32_t>(kSendSoftwareTrigger), 2040u);
    EXPECT_EQ(applet.set(kSendSoftwareTrigger, uint32_t{2041}), -6000);
}

TEST_F(SoftwareTriggerTest, QueueOffSendsOnePulseWhenTheGeneratorIsIdle) {
    startSoftwareMode(0);
    forceReg("Generators_Generator_MaximumReached_Status", 1);
    forceReg("Generators_QueueValue_Status", 0);
    EXPECT_EQ(writesOf([&] { EXPECT_EQ(applet.set(kSendSoftwareTrigger, uint32_t{1}), 0); }),
              WriteList{"TriggerMode_SoftwareTrigger_Mode=2"});
}

TEST_F(SoftwareTriggerTest, QueueOffRefusesWhileBusy) {
    startSoftwareMode(0);
    forceReg("Generators_Generator_MaximumReached_Status", 0);
    EXPECT_EQ(applet.get<uint32_t>(kBusy), 1u);
    EXPECT_EQ(applet.set(kSendSoftwareTrigger, uint32_t{1}), -60);
    forceReg("Generators_Generator_MaximumReached_Status", 1);
    forceReg("Generators_QueueValue_Status", 3);
    EXPECT_EQ(applet.get<uint32_t>(kBusy), 1u);
    forceReg("Generators_QueueValue_Status", 0);
    EXPECT_EQ(applet.get<uint32_t>(kBusy), 0u);
}

TEST_F(SoftwareTriggerTest, OutsideSoftwareModeOrWhileStoppedIsRefused) {
    mustSet(kTriggerState, uint32_t{0});
    EXPECT_EQ(applet.set(kSendSoftwareTrigger, uint32_t{1}), -2140);
    EXPECT_EQ(applet.get<uint32_t>(kBusy), 0u);
    mustSet(kTriggerState, uint32_t{2});
    mustSet(kAreaTriggerMode, uint32_t{4});
    EXPECT_EQ(applet.set(kSendSoftwareTrigger, uint32_t{1}), -2141);
    EXPECT_EQ(applet.lastError(), -2141);
}

TEST_F(SoftwareTriggerTest, FillLevelsFollowTheQueueStatus) {
    EXPECT_EQ(applet.get<uint32_t>(kQueueFillLevel), 0u); // generator mode
    startSoftwareMode(1);
    mustSet(kMultiplyPulses, uint32_t{3});
    forceReg("Monitoring_ReadQueueStatus_Status", 0x2);
    EXPECT_EQ(applet.get<uint32_t>(kQueueFillLevel), 2040u);
    forceReg("Monitoring_ReadQueueStatus_Status", 0);
    forceReg("Generators_QueueValue_Status", 17);
    EXPECT_EQ(applet.get<uint32_t>(kQueueFillLevel), 17u);
    EXPECT_EQ(applet.get<uint32_t>(kSoftwareFillLevel), 51u);
    forceReg("Generators_QueueValue_Status", 0);
    forceReg("Generators_Generator_MaximumReached_Status", 0);
    EXPECT_EQ(applet.get<uint32_t>(kQueueFillLevel), 1u); // a pulse still in work
    forceReg("Generators_Generator_MaximumReached_Status", 1);
    EXPECT_EQ(applet.get<uint32_t>(kQueueFillLevel), 0u);
    forceReg("Generators_QueueValue_Status", 17);
    mustSet(kTriggerState, uint32_t{1});
    EXPECT_EQ(applet.get<uint32_t>(kQueueFillLevel), 0u); // async stop
}

} // namespace
} // namespace kestrel::test
