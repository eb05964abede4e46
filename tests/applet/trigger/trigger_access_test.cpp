// Access words and dependent limits the trigger setters publish in the parameter-information
// tree, read in place as the host reads them.
#include "trigger_fixture.h"

namespace kestrel::test {
namespace {

constexpr int32_t kLegacyMode = 300254;
constexpr int32_t kAreaTriggerMode = 300200;
constexpr int32_t kSendSoftwareTrigger = 8800;
constexpr int32_t kTriggerInSource = 8110;
constexpr int32_t kInputDownscale = 300205;
constexpr int32_t kInputPhase = 300206;
constexpr int32_t kQueueMode = 300214;
constexpr int32_t kPfg2Downscale = 300224;
constexpr int32_t kPfg2Phase = 300225;
constexpr int32_t kExposure = 10020;
constexpr int32_t kCcSelect1 = 300251;

class TriggerAccessTest : public TriggerTest {
protected:
    const Gh5ParameterInfoNode& node(int32_t id) {
        if (const Gh5ParameterInfoNode* found = applet.infoNode(id))
            return *found;
        ADD_FAILURE() << "no node for " << id;
        static const Gh5ParameterInfoNode none{};
        return none;
    }
};

TEST_F(TriggerAccessTest, LegacySwitchSwapsTheAccessOfBothInterfaces) {
    EXPECT_EQ(node(kExposure).access, 1);
    EXPECT_EQ(node(kAreaTriggerMode).access, 7);
    ASSERT_EQ(applet.set(kLegacyMode, int32_t{1}), 0);
    EXPECT_EQ(node(kAreaTriggerMode).access, 1);
    EXPECT_EQ(node(kCcSelect1).access, 1);
    EXPECT_EQ(node(kInputDownscale).access, 1);
    EXPECT_EQ(node(kTriggerInSource).access, 7);
    EXPECT_EQ(node(kExposure).access, 7);
    ASSERT_EQ(applet.set(kLegacyMode, int32_t{0}), 0);
    EXPECT_EQ(node(kAreaTriggerMode).access, 7);
    EXPECT_EQ(node(kCcSelect1).access, 7);
    EXPECT_EQ(node(kExposure).access, 1);
    // Switching off reopens a shorter list than switching on closed; the reset's trigger mode
    // republishes the rest, the input downscaler among them.
    EXPECT_EQ(node(kInputDownscale).access, 7);
}

TEST_F(TriggerAccessTest, ExternalModeClosesTheSoftwareTrigger) {
    ASSERT_EQ(applet.set(kAreaTriggerMode, uint32_t{2}), 0);
    EXPECT_EQ(node(kSendSoftwareTrigger).access, 1);
    ASSERT_EQ(applet.set(kAreaTriggerMode, uint32_t{4}), 0);
    EXPECT_EQ(node(kSendSoftwareTrigger).access, 7);
}

TEST_F(TriggerAccessTest, QueueModePublishesTheSoftwareTriggerMaximum) {
    ASSERT_EQ(applet.set(kQueueMode, int32_t{1}), 0);
    EXPECT_EQ(node(kSendSoftwareTrigger).kind.integer.maximum, 2040);
    ASSERT_EQ(applet.set(kQueueMode, int32_t{0}), 0);
    EXPECT_EQ(node(kSendSoftwareTrigger).kind.integer.maximum, 1);
}

TEST_F(TriggerAccessTest, DownscaleAndPhasePublishEachOthersLimits) {
    ASSERT_EQ(applet.set(kPfg2Downscale, uint32_t{5}), 0);
    EXPECT_EQ(node(kPfg2Phase).kind.integer.maximum, 4);
    ASSERT_EQ(applet.set(kPfg2Phase, uint32_t{2}), 0);
    EXPECT_EQ(node(kPfg2Downscale).kind.integer.minimum, 3);
    ASSERT_EQ(applet.set(kInputDownscale, uint32_t{10}), 0);
    EXPECT_EQ(node(kInputPhase).kind.integer.maximum, 9);
    ASSERT_EQ(applet.set(kInputPhase, uint32_t{4}), 0);
    EXPECT_EQ(node(kInputDownscale).kind.integer.minimum, 5);
}

} // namespace
} // namespace kestrel::test
