// The applet's lookup tables: catalogue names, the register-access and design-access families,
// list indexes, descriptions and the DMA channel.
#include "params/parameter_tables.h"

#include <gtest/gtest.h>

#include <designrt.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/design_registers.h"
#include "info/parameter_info_tree.h"
#include "params/fake_design_registers.h"
#include "params/inspect_settings.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_ids.h"

namespace kestrel {
namespace {

constexpr std::size_t kFixed = kCatalogueSize;

using testing::FakeDesignRegisters;

FeatureHeader header(const char* name, int32_t id) {
    FeatureHeader h;
    h.displayName = name;
    h.paramName = name;
    h.id = id;
    return h;
}

// A host that knows a few design parameters by name and publishes them in its own tree.
class FakeHost {
public:
    FakeHost() {
        ParameterInfoNode* root = tree_.addCategory(0, nullptr, "Sensor");
        ParameterInfoNode* inner = tree_.addCategory(0, root, "Inner");
        tree_.addIntegerFeature(root, header("Device1_Gain", 501), 0, 10, 1);
        tree_.addDoubleFeature(inner, header("Device1_Offset", 502), 0, 1, 0.5);
        tree_.addIntegerArrayFeature(inner, header("Device1_Table", 503), 4, 0, 1, 1); // never switched on
        tree_.addEnumerationFeature(tree_.addCategory(0, nullptr, "Second"), header("Device1_Mode", 504), 0);
    }

    const ParameterInfoNode* root() const { return tree_.nextRoot(nullptr, 0); }
    int32_t idByName(const char* name) {
        ++idQueries;
        const auto it = ids_.find(name);
        return it == ids_.end() ? 0 : it->second;
    }
    int idQueries = 0;

private:
    ParameterInfoTree tree_;
    std::map<std::string, int32_t> ids_{
        {"Device1_Gain", 501}, {"Device1_Offset", 502}, {"Device1_Table", 503}, {"Device1_Mode", 504}};
};

class ParameterTablesTest : public ::testing::Test {
protected:
    CatalogueSources sources() {
        CatalogueSources s;
        s.designRegisters = &registers_;
        s.settings = &settings_;
        s.moduleName = "Kestrel12";
        s.hostParameterInfo = [this] { return host_.root(); };
        s.hostParameterIdByName = [this](const char* name) { return host_.idByName(name); };
        return s;
    }

    FakeDesignRegisters registers_{{{"Device1_Process0_Camera_Format", 100101, 2, true},
                                    {"Device1_Process0_Overflow_OverflowOccurred", 100901, 1, false},
                                    {"Device1_Wide", 100902, 40, true}}};
    InspectSettings settings_;
    FakeHost host_;
};

TEST_F(ParameterTablesTest, RegisterAccessAddsOneNamePerRegisterInDesignOrder) {
    auto s = sources();
    s.registerAccessEnabled = true;
    const auto tables = ParameterTables::build(s);
    EXPECT_EQ(tables.parameterCount(), kFixed + 3);
    EXPECT_STREQ(tables.nameByIndex(kFixed), "DRA_Device1_Process0_Camera_Format");
    EXPECT_STREQ(tables.nameByIndex(kFixed + 2), "DRA_Device1_Wide");
    EXPECT_EQ(tables.idByName("DRA_Device1_Process0_Camera_Format"), 1100101);
    EXPECT_EQ(tables.idByIndex(kFixed + 1), 1100901);
    EXPECT_FALSE(tables.idByName("DRA_device1_wide").has_value());
    EXPECT_FALSE(tables.idByName("Device1_Wide").has_value());
    EXPECT_TRUE(tables.registerAccessEnabled());
}

TEST_F(ParameterTablesTest, SwitchedOnDesignParametersThatTheHostKnowsFollowTheRegisters) {
    settings_.readText(
        "[Kestrel12]\nDevice1_Gain = On\nDevice1_Offset = TRUE\nDevice1_Mode = 1\nUnknown = yes\n"
        "Device1_Table = off\n[Other]\nDevice1_Mode = on\n");
    auto s = sources();
    s.registerAccessEnabled = true;
    const auto tables = ParameterTables::build(s);
    ASSERT_EQ(tables.parameterCount(), kFixed + 6);
    // Key order of the section: Device1_Gain, Device1_Mode, Device1_Offset.
    EXPECT_STREQ(tables.nameByIndex(kFixed + 3), "DDSA_Device1_Gain");
    EXPECT_STREQ(tables.nameByIndex(kFixed + 4), "DDSA_Device1_Mode");
    EXPECT_STREQ(tables.nameByIndex(kFixed + 5), "DDSA_Device1_Offset");
    const std::map<std::string, int32_t> expected{
        {"DDSA_Device1_Gain", 2000501}, {"DDSA_Device1_Mode", 2000504}, {"DDSA_Device1_Offset", 2000502}};
    EXPECT_EQ(tables.designParameterIds(), expected);
    EXPECT_TRUE(tables.designAccessActive());
}

// Only the four true words switch a name on, only names the host knows count, and only the module's
// own section is read; only a switched-on name is asked for.
TEST_F(ParameterTablesTest, OnlyTheFourTrueWordsSwitchOnAndOnlyKnownNamesCount) {
    settings_.readText("[Kestrel12]\nDevice1_Gain = off\nDevice1_Mode = 2\nDevice1_Offset = enabled\n"
                       "Unknown = on\n[none]\nDevice1_Gain = on\n");
    const auto tables = ParameterTables::build(sources());
    EXPECT_EQ(tables.parameterCount(), kFixed);
    EXPECT_TRUE(tables.designParameterIds().empty());
    EXPECT_FALSE(tables.designAccessActive());
    EXPECT_EQ(host_.idQueries, 1);
    auto s = sources();
    s.moduleName = "none";
    EXPECT_EQ(ParameterTables::build(s).parameterCount(), kFixed + 1);
}

TEST_F(ParameterTablesTest, EnvironmentSwitchTurnsOnEveryMirrorableHostFeature) {
    auto s = sources();
    s.designAccessSwitch = true;
    const auto tables = ParameterTables::build(s);
    EXPECT_EQ(settings_.get("Kestrel12::Device1_Gain"), "On");
    EXPECT_EQ(settings_.get("Kestrel12::Device1_Offset"), "On");
    EXPECT_EQ(settings_.get("Kestrel12::Device1_Mode"), "On");
    // Integer arrays are never mirrored; categories are walked, not switched on.
    EXPECT_FALSE(settings_.contains("Kestrel12::Device1_Table"));
    EXPECT_FALSE(settings_.contains("Kestrel12::Inner"));
    EXPECT_EQ(tables.parameterCount(), kFixed + 3);
    EXPECT_TRUE(tables.designAccessActive());
}

} // namespace
} // namespace kestrel
