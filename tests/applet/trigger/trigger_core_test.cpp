// The trigger setter pattern on its own: range check, store, legacy rule, action, restore.
#include <gtest/gtest.h>

#include "api/wrapper_private.h"
#include "trigger/trigger_core.h"

namespace kestrel {
namespace {

class TriggerCoreTest : public ::testing::Test {
protected:
    WrapperPrivate host;
    RegisterMap registers;
    GeneratorRegisters generator;
    ParameterValueBlock values;
    ParameterInfoNodes infoNodes;
    ParameterPropertyMap properties;
    AppletContext context{host, registers, generator, values, infoNodes, properties};
    TriggerCore core{context};
    uint32_t field = 5;
};

TEST_F(TriggerCoreTest, RejectedValueIsNeitherStoredNorActedOn) {
    bool acted = false;
    EXPECT_THROW(
        core.apply(field, 9u, false, LegacyRule::RefusedInLegacyMode, true, [&](uint32_t) { acted = true; }),
        int32_t);
    core.apply(field, 9u, false, LegacyRule::RefusedInLegacyMode, false, [&](uint32_t) { acted = true; });
    EXPECT_FALSE(acted);
    EXPECT_EQ(field, 5u);
}

TEST_F(TriggerCoreTest, ActionSeesTheNewValueStoredAndTheOldOneAsArgument) {
    core.apply(field, 7u, true, LegacyRule::RefusedInLegacyMode, true, [&](uint32_t old) {
        EXPECT_EQ(old, 5u);
        EXPECT_EQ(field, 7u);
    });
    EXPECT_EQ(field, 7u);
}

TEST_F(TriggerCoreTest, FailingActionRestoresTheOldValueEvenWhenQuiet) {
    core.apply(field, 7u, true, LegacyRule::RefusedInLegacyMode, false, [](uint32_t) { raise(-7777); });
    EXPECT_EQ(field, 5u);
    try {
        core.apply(field, 7u, true, LegacyRule::RefusedInLegacyMode, true, [](uint32_t) { raise(-7777); });
        FAIL() << "no code raised";
    } catch (int32_t code) {
        EXPECT_EQ(code, -7777);
    }
    EXPECT_EQ(field, 5u);
}

TEST_F(TriggerCoreTest, LegacyModeRefusesUnlessALegacyUpdateRuns) {
    values.triggerLegacyMode = 1;
    bool acted = false;
    try {
        core.apply(field, 7u, true, LegacyRule::RefusedInLegacyMode, true, [&](uint32_t) { acted = true; });
        FAIL() << "no code raised";
    } catch (int32_t code) {
        EXPECT_EQ(code, kErrInvalidArgument);
    }
    EXPECT_FALSE(acted);
    EXPECT_EQ(field, 5u);
    core.apply(field, 6u, true, LegacyRule::AlwaysAllowed, true, [](uint32_t) {});
    EXPECT_EQ(field, 6u);
    {
        const TriggerCore::LegacyUpdate update(core);
        { const TriggerCore::LegacyUpdate nested(core); }
        // The nested update ends without ending the outer one.
        EXPECT_TRUE(core.legacyUpdateInProgress());
        core.apply(field, 7u, true, LegacyRule::RefusedInLegacyMode, true, [](uint32_t) {});
    }
    EXPECT_FALSE(core.legacyUpdateInProgress());
    EXPECT_EQ(field, 7u);
}

TEST_F(TriggerCoreTest, LegacyParametersAreRefusedWhileTheInterfaceIsOff) {
    EXPECT_THROW(core.apply(field, 7u, true, LegacyRule::LegacyOnly, true, [](uint32_t) {}), int32_t);
    EXPECT_EQ(field, 5u);
    values.triggerLegacyMode = 1;
    core.apply(field, 7u, true, LegacyRule::LegacyOnly, true, [](uint32_t) {});
    EXPECT_EQ(field, 7u);
}

} // namespace
} // namespace kestrel
