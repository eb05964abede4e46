// Software trigger pulses and the queue readouts, through the exports.
#include "trigger_fixture.h"

#include "core/error_codes.h"

namespace kestrel::test {
namespace {

class SoftwareTriggerTest : public TriggerTest {
protected:
    void startSoftwareMode(int32_t queue) {
        mustSet(FG_AREATRIGGERMODE, uint32_t{4});
        mustSet(FG_TRIGGERQUEUE_MODE, queue);
        mustSet(FG_TRIGGERSTATE, uint32_t{0});
    }
    int32_t send(uint32_t pulses) { return applet.set(FG_SENDSOFTWARETRIGGER, pulses); }
    uint32_t busy() { return applet.get<uint32_t>(FG_SOFTWARETRIGGER_IS_BUSY); }
};

TEST_F(SoftwareTriggerTest, QueueOnSendsEachOf2040PulsesWithOneWrite) {
    startSoftwareMode(1);
    EXPECT_EQ(writesOf([&] { EXPECT_EQ(send(2040), 0); }),
              WriteList(2040, "TriggerMode_SoftwareTrigger_Mode=2"));
    EXPECT_EQ(applet.get<uint32_t>(FG_SENDSOFTWARETRIGGER), 2040u);
}

// With the queue off a pulse goes out only while the generator is idle: its maximum reached and
// nothing queued.
TEST_F(SoftwareTriggerTest, QueueOffSendsOnePulseOnlyWhenTheGeneratorIsIdle) {
    startSoftwareMode(0);
    forceReg("Generators_Generator_MaximumReached_Status", 0);
    EXPECT_EQ(busy(), 1u);
    EXPECT_EQ(send(1), -60);
    forceReg("Generators_Generator_MaximumReached_Status", 1);
    forceReg("Generators_QueueValue_Status", 3);
    EXPECT_EQ(busy(), 1u);
    forceReg("Generators_QueueValue_Status", 0);
    EXPECT_EQ(busy(), 0u);
    EXPECT_EQ(writesOf([&] { EXPECT_EQ(send(1), 0); }), WriteList{"TriggerMode_SoftwareTrigger_Mode=2"});
    EXPECT_TRUE(writesOf([&] { EXPECT_EQ(send(2), kErrOutOfRange); }).empty());
}

TEST_F(SoftwareTriggerTest, OutsideSoftwareModeOrWhileStoppedIsRefused) {
    mustSet(FG_TRIGGERSTATE, uint32_t{0});
    EXPECT_EQ(send(1), kErrWrongTriggerMode);
    EXPECT_EQ(busy(), 0u);
    mustSet(FG_TRIGGERSTATE, uint32_t{2});
    mustSet(FG_AREATRIGGERMODE, uint32_t{4});
    EXPECT_EQ(send(1), kErrTriggerNotReady);
    EXPECT_EQ(applet.lastError(), kErrTriggerNotReady);
}

TEST_F(SoftwareTriggerTest, FillLevelsFollowTheQueueStatus) {
    const auto fillLevel = [&] { return applet.get<uint32_t>(FG_TRIGGERQUEUE_FILLLEVEL); };
    EXPECT_EQ(fillLevel(), 0u); // generator mode
    startSoftwareMode(1);
    mustSet(FG_TRIGGER_MULTIPLY_PULSES, uint32_t{3});
    forceReg("Monitoring_ReadQueueStatus_Status", 0x2);
    EXPECT_EQ(fillLevel(), 2040u);
    forceReg("Monitoring_ReadQueueStatus_Status", 0);
    forceReg("Generators_QueueValue_Status", 17);
    EXPECT_EQ(fillLevel(), 17u);
    EXPECT_EQ(applet.get<uint32_t>(FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL), 51u);
    forceReg("Generators_QueueValue_Status", 0);
    forceReg("Generators_Generator_MaximumReached_Status", 0);
    EXPECT_EQ(fillLevel(), 1u); // a pulse still in work
    forceReg("Generators_Generator_MaximumReached_Status", 1);
    EXPECT_EQ(fillLevel(), 0u);
    forceReg("Generators_QueueValue_Status", 17);
    mustSet(FG_TRIGGERSTATE, uint32_t{1});
    EXPECT_EQ(fillLevel(), 0u); // async stop
}

} // namespace
} // namespace kestrel::test
