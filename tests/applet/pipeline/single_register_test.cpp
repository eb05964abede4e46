// Parameters that drive one register each, through the exports: every accepted value reaches the
// register as its code. Refusals and failing writes are the parameter contract's.
#include "pipeline_fixture.h"

namespace kestrel::test {
namespace {

struct Setting {
    int64_t value;    // set and read as a 32-bit word, signed or not as the parameter is
    uint64_t written; // the register's content afterwards
};

TEST_F(PipelineOnBoard, SingleRegisterParametersWriteEachAcceptedValueAsItsCode) {
    const struct {
        int32_t id;
        const char* reg;
        std::vector<Setting> settings; // the initial one first, then set in order
    } rows[] = {
        {FG_CAMERA_LINK_CAMTYPE, designName(H::CameraFormat), {{208, 0}, {210, 1}, {212, 2}, {208, 0}}},
        {FG_USEDVAL, designName(H::CameraUseDval), {{1, 1}, {0, 0}, {1, 1}}},
        {FG_FORMAT, designName(H::OutputFormatFGFORMATSelectSource), {{3, 1}, {1, 0}, {3, 1}}},
        {FG_BITALIGNMENT, designName(H::OutputFormatFGBITALIGNMENTValue), {{1, 1}, {0, 0}, {1, 1}}},
        {FG_NOISEFILTER, designName(H::NoiseFilterSelectValue), {{0, 0}, {1, 1}, {0, 0}}},
        {FG_IMG_SELECT_PERIOD,
         designName(H::ImageSelectorFGIMGSELECTPERIODDivisor),
         {{1, 1}, {256, 256}, {8, 8}}},
        {FG_GEN_ENABLE, designName(G::Enable), {{0, 0}, {1, 1}, {0, 0}}},
        {FG_GEN_START, designName(G::Start), {{1, 1}, {0, 0}, {1, 1}}},
        {FG_GEN_ROLL, designName(G::Roll), {{0, 0}, {255, 255}, {3, 3}}},
        // The register counts lines minus one; height 0 writes the largest 32-bit count.
        {FG_GEN_HEIGHT, designName(G::Height), {{1024, 1023}, {1, 0}, {65535, 65534}, {0, 4294967295u}}},
    };
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.settings.size(); ++i) {
            const Setting& setting = row.settings[i];
            if (i > 0) {
                ASSERT_EQ(applet.set<uint32_t>(row.id, static_cast<uint32_t>(setting.value)), 0) << row.reg;
            }
            EXPECT_EQ(u32(row.id), static_cast<uint32_t>(setting.value)) << row.reg;
            EXPECT_EQ(reg(row.reg), setting.written) << row.reg << " = " << setting.value;
        }
}

} // namespace
} // namespace kestrel::test
