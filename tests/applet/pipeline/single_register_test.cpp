// Parameters that drive one register each, through the exports: every accepted value reaches the
// register as its code, a refused value changes neither the parameter nor the register, and a
// failing write keeps the old value.
#include <ostream>

#include "pipeline_fixture.h"

namespace kestrel::test {
namespace {

struct Setting {
    int64_t value;    // set and read as a 32-bit word, signed or not as the parameter is
    uint64_t written; // the register's content afterwards
};

struct SingleRegisterRow {
    const char* name;
    int32_t id;
    const char* reg;
    Setting initial;
    std::vector<Setting> accepted; // set in order; the first differs from the initial value
    std::vector<int64_t> refused;  // out of range
};

void PrintTo(const SingleRegisterRow& row, std::ostream* os) {
    *os << row.name;
}

const SingleRegisterRow kRows[] = {
    {"CameraType",
     FG_CAMERA_LINK_CAMTYPE,
     designName(HostRegister::CameraFormat),
     {208, 0},
     {{210, 1}, {212, 2}, {208, 0}},
     {211, 1, 0}},
    {"UseDval", FG_USEDVAL, designName(HostRegister::CameraUseDval), {1, 1}, {{0, 0}, {1, 1}}, {2, -1}},
    {"OutputFormat",
     FG_FORMAT,
     designName(HostRegister::OutputFormatFGFORMATSelectSource),
     {3, 1},
     {{1, 0}, {3, 1}},
     {2, 0}},
    {"BitAlignment",
     FG_BITALIGNMENT,
     designName(HostRegister::OutputFormatFGBITALIGNMENTValue),
     {1, 1},
     {{0, 0}, {1, 1}},
     {2}},
    {"NoiseFilter",
     FG_NOISEFILTER,
     designName(HostRegister::NoiseFilterSelectValue),
     {0, 0},
     {{1, 1}, {0, 0}},
     {2}},
    {"ImageSelectPeriod",
     FG_IMG_SELECT_PERIOD,
     designName(HostRegister::ImageSelectorFGIMGSELECTPERIODDivisor),
     {1, 1},
     {{256, 256}, {8, 8}},
     {0, 257}},
    {"GeneratorEnable", FG_GEN_ENABLE, designName(GeneratorRegister::Enable), {0, 0}, {{1, 1}, {0, 0}}, {2}},
    {"GeneratorStart", FG_GEN_START, designName(GeneratorRegister::Start), {1, 1}, {{0, 0}, {1, 1}}, {2}},
    {"GeneratorRoll", FG_GEN_ROLL, designName(GeneratorRegister::Roll), {0, 0}, {{255, 255}, {3, 3}}, {256}},
    // The register counts lines minus one; height 0 writes the largest 32-bit count.
    {"GeneratorHeight",
     FG_GEN_HEIGHT,
     designName(GeneratorRegister::Height),
     {1024, 1023},
     {{1, 0}, {65535, 65534}, {0, 4294967295u}},
     {65536}},
};

class SingleRegisterParameter : public PipelineOnBoard,
                                public ::testing::WithParamInterface<SingleRegisterRow> {
protected:
    int32_t set(int64_t value) { return applet.set<uint32_t>(GetParam().id, static_cast<uint32_t>(value)); }
    void expectHolds(const Setting& setting) {
        EXPECT_EQ(u32(GetParam().id), static_cast<uint32_t>(setting.value));
        EXPECT_EQ(reg(GetParam().reg), setting.written);
    }
};

TEST_P(SingleRegisterParameter, WritesEachAcceptedValueAndKeepsTheOldOneOnRefusal) {
    const SingleRegisterRow& row = GetParam();
    expectHolds(row.initial);
    for (const int64_t value : row.refused) {
        SCOPED_TRACE(value);
        EXPECT_EQ(set(value), -6000);
        EXPECT_EQ(applet.lastError(), -6000);
        expectHolds(row.initial);
    }
    for (const Setting& setting : row.accepted) {
        SCOPED_TRACE(setting.value);
        ASSERT_EQ(set(setting.value), 0);
        expectHolds(setting);
    }
}

TEST_P(SingleRegisterParameter, FailingWriteKeepsTheOldValue) {
    const SingleRegisterRow& row = GetParam();
    applet.failWrites(row.reg, kBrokenRegister);
    EXPECT_EQ(set(row.accepted.front().value), kBrokenRegister);
    EXPECT_EQ(applet.lastError(), kBrokenRegister);
    expectHolds(row.initial);
}

INSTANTIATE_TEST_SUITE_P(EveryRow, SingleRegisterParameter, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kestrel::test
