// The image the build makes from the repository's description: complete, as described, reproducible.
#include "image_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kestrel::designrt::test {
namespace {

const char* eventName(const void* record) {
    return *reinterpret_cast<const char* const*>(static_cast<const char*>(record) + 8);
}
int32_t eventKind(const void* record) {
    return *reinterpret_cast<const int32_t*>(static_cast<const char*>(record) + 20);
}

class BuiltImage : public ::testing::Test {
protected:
    void SetUp() override {
        image_.reset(DesignImage_OpenFile(builtImagePath(), DESIGNRT_FORMAT_REVISION, DESIGNRT_OPEN_VERIFY));
        ASSERT_NE(image_, nullptr);
    }
    void* image() const { return image_.get(); }

private:
    ImageHandle image_;
};

TEST_F(BuiltImage, NamesEndingInBlankAndIndexResolveOnlyWithTheBlank) {
    EXPECT_NE(
        DesignImage_GetRegisterId(image(), "Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile 0"), 0u);
    EXPECT_EQ(DesignImage_GetRegisterId(image(), "Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile0"),
              0u);
    EXPECT_EQ(DesignImage_GetRegisterId(image(), "Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile"),
              0u);
}

TEST_F(BuiltImage, EveryRegisterMatchesItsDescription) {
    const auto& description = builtDescription();
    ASSERT_EQ(DesignImage_GetRegisterCount(image()), static_cast<int32_t>(description.registers.size()));
    for (std::size_t i = 0; i < description.registers.size(); ++i) {
        const auto& r = description.registers[i];
        const char* name = DesignImage_GetRegisterName(image(), static_cast<int32_t>(i + 1));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(r.name, name);
        EXPECT_EQ(DesignImage_GetRegisterId(image(), name), r.id) << r.name;
        EXPECT_EQ(DesignImage_GetRegisterWidth(image(), r.id), static_cast<int32_t>(r.widthBits)) << r.name;
        EXPECT_EQ(DesignImage_GetRegisterInfo(image(), r.id), r.writable ? 1 : 0) << r.name;
    }
}

TEST_F(BuiltImage, WidthsHoldTheValuesTheAppletWrites) {
    const auto width = [&](const char* name) {
        return DesignImage_GetRegisterWidth(image(), DesignImage_GetRegisterId(image(), name));
    };
    // Largest values written: minimum period 4294967287 ticks, width 6.8e7 us in ticks, ROI 4096,
    // gain default 4096, image selector 256, simulator height 0 written as 0xFFFFFFFF.
    EXPECT_EQ(width("Device1_Process1_Trigger_TriggerCam0_Generators_Generator_MinimumPeriod_Number"), 32);
    EXPECT_EQ(
        width("Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator0_Width_Width"),
        32);
    EXPECT_GE(width("Device1_Process0_Buffer_0_DRAM_A_0_XLength"), 13);
    EXPECT_GE(width("Device1_Process0_Shading_EnableGain_Default_Value"), 13);
    EXPECT_GE(width("Device1_Process0_ImageSelector_FG_IMG_SELECT_PERIOD_Divisor"), 9);
    EXPECT_EQ(width("AAGenHeight"), 32);
    EXPECT_EQ(width("Device1_Process0_LookupTable_LookupTable_LUTcontent"), 12);
    EXPECT_EQ(width("Device1_Process0_Shading_ShadingBuffer_1_CoefficientFile 0"), 16);
}

TEST_F(BuiltImage, IdsAreUniqueClearOfHostIdsAndOfferEveryDirectAccessWidth) {
    std::set<uint32_t> ids;
    std::set<int32_t> widths;
    for (int32_t i = 1; i <= DesignImage_GetRegisterCount(image()); ++i) {
        const uint32_t id = DesignImage_GetRegisterId(image(), DesignImage_GetRegisterName(image(), i));
        EXPECT_GT(id, 0u);
        EXPECT_LT(id, 1000000u);
        EXPECT_TRUE(ids.insert(id).second) << id;
        widths.insert(DesignImage_GetRegisterWidth(image(), id));
    }
    for (uint32_t reserved : {600u, 601u, 2050u, 3050u, 3051u, 3060u, 3070u, 3080u, 3090u, 5210u, 24092u})
        EXPECT_EQ(ids.count(reserved), 0u) << reserved;
    for (int32_t w : {1, 24, 32, 40, 48, 64})
        EXPECT_EQ(widths.count(w), 1u) << w;
}

TEST_F(BuiltImage, EventRecordsMatchTheDescriptionAndEndAfterTheLast) {
    const auto& events = builtDescription().events;
    ASSERT_LE(events.size(), 64u);
    bool internal = false;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const void* record = DesignImage_GetProperty(image(), static_cast<int32_t>(i));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(events[i].name, eventName(record));
        EXPECT_EQ(eventKind(record), events[i].kind);
        internal = internal || eventKind(record) != 1;
    }
    EXPECT_TRUE(internal) << "an internal event that is not published";
    EXPECT_EQ(DesignImage_GetProperty(image(), static_cast<int32_t>(events.size())), nullptr);
    EXPECT_EQ(DesignImage_GetProperty(image(), 64), nullptr);
    EXPECT_EQ(DesignImage_GetProperty(image(), -1), nullptr);
    // The overflow event comes first.
    EXPECT_STREQ(eventName(DesignImage_GetProperty(image(), 0)), "Device1_Process0_Overflow_Overflow");
    EXPECT_EQ(eventKind(DesignImage_GetProperty(image(), 0)), 1);
}

TEST(BuiltImageBuild, IsReproducibleFromTheDescription) {
    EXPECT_TRUE(design::buildDesignImage(builtDescription()) == builtImage());
}

} // namespace
} // namespace kestrel::designrt::test
