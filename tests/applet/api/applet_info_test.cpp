// Every row of the properties query and the enumeration constants.
#include "api/applet_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <utility>

#include "api/embedded_blocks.h"

using kestrel::appletInfo;

namespace {

constexpr uint64_t kUntouched = 0x5a5a5a5a5a5a5a5aull;

int32_t constantOf(const char* name) {
    return appletInfo(4352, 0, 0, const_cast<char*>(name), nullptr);
}

struct PlainRow {
    int32_t query;
    uint32_t a;
    uint32_t b;
    int32_t result;
};

// Queries that answer through their result alone: both outputs stay untouched.
constexpr PlainRow kPlainRows[] = {
    // fixed zeros and ones, whatever a and b are
    {848, 7, 9, 0},
    {1040, 7, 9, 0},
    {2160, 7, 9, 0},
    {2192, 7, 9, 0},
    {2560, 7, 9, 0},
    {3328, 7, 9, 0},
    {1045, 7, 9, 1},
    {1792, 7, 9, 1},
    {1872, 7, 9, 1},
    {1888, 7, 9, 1},
    {2816, 7, 9, 1},
    {3072, 7, 9, 1},
    {4608, 7, 9, 1},
    // numbers
    {2048, 0, 0, 131076},
    {2176, 0, 0, 2626},
    // queries that check a (b is free), and a and b
    {4624, 0, 5, 1},
    {4624, 1, 0, -2070},
    {4640, 0, 5, 1},
    {4640, 1, 0, -2070},
    {4688, 0, 5, 1},
    {4688, 1, 0, -2070},
    {4704, 0, 3, 9},
    {4704, 2, 0, -2070},
    {4656, 0, 0, 0},
    {4656, 1, 0, -2070},
    {4656, 0, 1, -2070},
    {4672, 0, 0, 0},
    {4672, 1, 0, -2070},
    {4672, 0, 1, -2070},
    // unknown queries
    {5000, 0, 0, -2130},
    {0, 0, 0, -2130},
    {-1, 0, 0, -2130}};

} // namespace

TEST(AppletInfo, PlainQueriesAnswerThroughTheirResultAlone) {
    for (const PlainRow& row : kPlainRows) {
        uint64_t out1 = kUntouched, out2 = kUntouched;
        EXPECT_EQ(appletInfo(row.query, row.a, row.b, &out1, &out2), row.result)
            << row.query << " a=" << row.a << " b=" << row.b;
        EXPECT_EQ(out1, kUntouched) << row.query;
        EXPECT_EQ(out2, kUntouched) << row.query;
        EXPECT_EQ(appletInfo(row.query, row.a, row.b, nullptr, nullptr), row.result) << row.query;
    }
}

TEST(AppletInfo, TextQueriesAnswerAStableAddressInTheSecondOutput) {
    const std::pair<int32_t, const char*> rows[] = {
        {1043, "5e1b7a20-3c94-4d2f-a6e8-0f21c9d4b731"},
        {1044, ""},
        {4096, "Pelorus Advanced with support of Velora technology, 12Bit image processing, shading "
               "correction, median noise filter, dead pixel interpolation and lookup table for one Camera "
               "Link MEDIUM configuration grayscale area scan camera."},
        {4112, "Pelorus Advanced:Area"},
        {4128,
         "class=standard,family=acquisition,type=single,sensortype=area,color=gray,interface=cl-medium"},
        {4176, "Kestrel12"},
        {4192, "2.4.1.2"},
        {4208, "2.4.1.2.20170418.111648"}};
    for (const auto& [query, text] : rows) {
        uint64_t out1 = kUntouched, out2 = 0, again = 0;
        ASSERT_EQ(appletInfo(query, 0, 0, &out1, &out2), 0) << query;
        ASSERT_NE(out2, 0u) << query;
        EXPECT_STREQ(reinterpret_cast<const char*>(out2), text) << query;
        EXPECT_EQ(out1, kUntouched) << query;
        appletInfo(query, 0, 0, nullptr, &again);
        EXPECT_EQ(again, out2) << query;
    }
}

TEST(AppletInfo, IconIsA2992BytePng) {
    uint64_t size = 0, address = 0;
    EXPECT_EQ(appletInfo(1041, 5, 6, &size, &address), 0);
    EXPECT_EQ(size, 2992u);
    ASSERT_NE(address, 0u);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const void*>(address), "\x89PNG\r\n\x1a\n", 8), 0);
}

TEST(AppletInfo, DesignImageIsTheEmbeddedBlock) {
    uint64_t size = 0, address = 0;
    EXPECT_EQ(appletInfo(1042, 0, 0, &size, &address), 0);
    EXPECT_EQ(size, 2113379u);
    EXPECT_EQ(address, reinterpret_cast<uint64_t>(kestrel_embedded_design_image));
    EXPECT_EQ(appletInfo(1042, 0, 0, nullptr, nullptr), 0);
}

TEST(AppletInfo, Query2304WritesA32BitZero) {
    uint64_t out1 = kUntouched;
    EXPECT_EQ(appletInfo(2304, 0, 0, &out1, nullptr), 0);
    EXPECT_EQ(out1, 0x5a5a5a5a00000000ull);
}

TEST(AppletInfo, LastBoardAndImageAreNullBeforeAnyCreation) {
    uint64_t board = kUntouched, image = kUntouched, out2 = kUntouched;
    EXPECT_EQ(appletInfo(4144, 0, 0, &board, &out2), 0);
    EXPECT_EQ(board, 0u);
    EXPECT_EQ(out2, kUntouched);
    EXPECT_EQ(appletInfo(4160, 0, 0, &image, nullptr), 0);
    EXPECT_EQ(image, 0u);
}

TEST(AppletInfo, EnumerationConstantsRefuseOtherCaseUnknownAndNull) {
    EXPECT_EQ(constantOf("fg_cl_medium_12_bit"), -2070);
    EXPECT_EQ(constantOf("FG_CL_MEDIUM_14_BIT"), -2070);
    EXPECT_EQ(constantOf(""), -2070);
    EXPECT_EQ(appletInfo(4352, 0, 0, nullptr, nullptr), -2070);
}

TEST(AppletInfo, EnumerationTableHasEverySeventyFourEntries) {
    std::istringstream constants(
        "FG_CL_MEDIUM_8_BIT=208 FG_CL_MEDIUM_10_BIT=210 FG_CL_MEDIUM_12_BIT=212 FG_YES=1 FG_NO=0 "
        "FG_GRAY=3 FG_GRAY16=1 FG_LEFT_ALIGNED=1 FG_RIGHT_ALIGNED=0 FG_CAMPORT=0 FG_GENERATOR=1 "
        "FG_ON=1 FG_OFF=0 LUT_TYPE_PROCESSING=3 LUT_TYPE_CUSTOM=0 LUT_IMPLEMENTATION_FULL_LUT=0 "
        "LUT_IMPLEMENTATION_KNEELUT=1 FG_MAX_VALUE=0 FG_MEAN_VALUE=1 FG_MAX_RANGE=2 "
        "FG_CUSTOM_VALUE=3 FG_APPLY=1 ATM_GENERATOR=1 ATM_EXTERNAL=2 ATM_SOFTWARE=4 TS_ACTIVE=0 "
        "TS_ASYNC_STOP=1 TS_SYNC_STOP=2 TRGINSRC_0=0 TRGINSRC_1=1 TRGINSRC_2=2 TRGINSRC_3=3 "
        "TRGINSRC_4=4 TRGINSRC_5=5 TRGINSRC_6=6 TRGINSRC_7=7 LOW_ACTIVE=1 HIGH_ACTIVE=0 IS_BUSY=1 "
        "IS_NOT_BUSY=0 CC_PULSEGEN0=0 CC_PULSEGEN1=1 CC_PULSEGEN2=2 CC_PULSEGEN3=3 CC_GND=4 CC_VCC=5 "
        "CC_NOT_PULSEGEN0=6 CC_NOT_PULSEGEN1=7 CC_NOT_PULSEGEN2=8 CC_NOT_PULSEGEN3=9 "
        "CC_INPUT_BYPASS=10 CC_NOT_INPUT_BYPASS=11 PULSEGEN0=0 PULSEGEN1=1 PULSEGEN2=2 PULSEGEN3=3 "
        "GND=4 VCC=5 NOT_PULSEGEN0=6 NOT_PULSEGEN1=7 NOT_PULSEGEN2=8 NOT_PULSEGEN3=9 INPUT_BYPASS=10 "
        "NOT_INPUT_BYPASS=11 FREE_RUN=0 GRABBER_CONTROLLED=1 ASYNC_TRIGGER=2 "
        "ASYNC_SOFTWARE_TRIGGER=4 FG_LOW=0 FG_HIGH=1 CC_EXSYNC=0 CC_NOT_EXSYNC=6 CC_STROBEPULSE=2 "
        "CC_NOT_STROBEPULSE=8 ");
    int count = 0;
    for (std::string entry; constants >> entry; ++count) {
        const std::size_t equals = entry.find('=');
        EXPECT_EQ(constantOf(entry.substr(0, equals).c_str()), std::stoi(entry.substr(equals + 1))) << entry;
    }
    EXPECT_EQ(count, 74);
}
