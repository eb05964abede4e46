// Every row of the properties query and the enumeration constants.
#include "api/applet_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "api/embedded_blocks.h"

using kestrel::appletInfo;

namespace {

constexpr uint64_t kUntouched = 0x5a5a5a5a5a5a5a5aull;

std::string textAt(uint64_t address) {
    return reinterpret_cast<const char*>(address);
}

// Runs a query that answers a text address in out2 and checks out1 stays untouched.
std::string textQuery(int32_t query) {
    uint64_t out1 = kUntouched;
    uint64_t out2 = 0;
    EXPECT_EQ(appletInfo(query, 0, 0, &out1, &out2), 0) << query;
    EXPECT_EQ(out1, kUntouched) << query;
    return out2 != 0 ? textAt(out2) : std::string("<null>");
}

int32_t constantOf(const char* name) {
    return appletInfo(4352, 0, 0, const_cast<char*>(name), nullptr);
}

} // namespace

TEST(AppletInfo, PlainZeroQueriesWriteNothing) {
    for (int32_t query : {848, 1040, 2160, 2192, 2560, 3328}) {
        uint64_t out1 = kUntouched, out2 = kUntouched;
        EXPECT_EQ(appletInfo(query, 7, 9, &out1, &out2), 0) << query;
        EXPECT_EQ(out1, kUntouched);
        EXPECT_EQ(out2, kUntouched);
    }
}

TEST(AppletInfo, PlainOneQueriesWriteNothing) {
    for (int32_t query : {1045, 1792, 1872, 1888, 2816, 3072, 4608}) {
        uint64_t out1 = kUntouched, out2 = kUntouched;
        EXPECT_EQ(appletInfo(query, 7, 9, &out1, &out2), 1) << query;
        EXPECT_EQ(out1, kUntouched);
        EXPECT_EQ(out2, kUntouched);
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
}

TEST(AppletInfo, DesignImageQueryWithNullOutputsWritesNothing) {
    EXPECT_EQ(appletInfo(1042, 0, 0, nullptr, nullptr), 0);
}

TEST(AppletInfo, TextQueries) {
    EXPECT_EQ(textQuery(1043), "5e1b7a20-3c94-4d2f-a6e8-0f21c9d4b731");
    EXPECT_EQ(textQuery(1044), "");
    EXPECT_EQ(textQuery(4096),
              "Pelorus Advanced with support of Velora technology, 12Bit image processing, shading "
              "correction, median noise filter, dead pixel interpolation and lookup table for one Camera "
              "Link MEDIUM configuration grayscale area scan camera.");
    EXPECT_EQ(textQuery(4112), "Pelorus Advanced:Area");
    EXPECT_EQ(textQuery(4128),
              "class=standard,family=acquisition,type=single,sensortype=area,color=gray,interface=cl-medium");
    EXPECT_EQ(textQuery(4176), "Kestrel12");
    EXPECT_EQ(textQuery(4192), "2.4.1.2");
    EXPECT_EQ(textQuery(4208), "2.4.1.2.20170418.111648");
}

TEST(AppletInfo, TextAddressesAreStable) {
    uint64_t first = 0, second = 0;
    appletInfo(4176, 0, 0, nullptr, &first);
    appletInfo(4176, 0, 0, nullptr, &second);
    EXPECT_EQ(first, second);
}

TEST(AppletInfo, NumericAnswers) {
    EXPECT_EQ(appletInfo(2048, 0, 0, nullptr, nullptr), 131076);
    EXPECT_EQ(appletInfo(2176, 0, 0, nullptr, nullptr), 2626);
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

TEST(AppletInfo, QueriesCheckingA) {
    for (int32_t query : {4624, 4640, 4688}) {
        EXPECT_EQ(appletInfo(query, 0, 5, nullptr, nullptr), 1) << query;
        EXPECT_EQ(appletInfo(query, 1, 0, nullptr, nullptr), -2070) << query;
    }
    EXPECT_EQ(appletInfo(4704, 0, 3, nullptr, nullptr), 9);
    EXPECT_EQ(appletInfo(4704, 2, 0, nullptr, nullptr), -2070);
}

TEST(AppletInfo, QueriesCheckingAAndB) {
    for (int32_t query : {4656, 4672}) {
        EXPECT_EQ(appletInfo(query, 0, 0, nullptr, nullptr), 0) << query;
        EXPECT_EQ(appletInfo(query, 1, 0, nullptr, nullptr), -2070) << query;
        EXPECT_EQ(appletInfo(query, 0, 1, nullptr, nullptr), -2070) << query;
    }
}

TEST(AppletInfo, UnknownQueriesAreNotSupported) {
    uint64_t out1 = kUntouched;
    EXPECT_EQ(appletInfo(5000, 0, 0, &out1, nullptr), -2130);
    EXPECT_EQ(appletInfo(0, 0, 0, nullptr, nullptr), -2130);
    EXPECT_EQ(appletInfo(-1, 0, 0, nullptr, nullptr), -2130);
    EXPECT_EQ(out1, kUntouched);
}

TEST(AppletInfo, EnumerationConstantsByExactName) {
    EXPECT_EQ(constantOf("FG_CL_MEDIUM_12_BIT"), 212);
    EXPECT_EQ(constantOf("CC_NOT_EXSYNC"), 6);
    EXPECT_EQ(constantOf("FG_GRAY16"), 1);
    EXPECT_EQ(constantOf("ATM_SOFTWARE"), 4);
    EXPECT_EQ(constantOf("TRGINSRC_7"), 7);
    EXPECT_EQ(constantOf("NOT_INPUT_BYPASS"), 11);
    EXPECT_EQ(constantOf("ASYNC_SOFTWARE_TRIGGER"), 4);
    EXPECT_EQ(constantOf("CC_NOT_STROBEPULSE"), 8);
    EXPECT_EQ(constantOf("FG_NO"), 0);
}

TEST(AppletInfo, EnumerationConstantsRefuseOtherCaseUnknownAndNull) {
    EXPECT_EQ(constantOf("fg_cl_medium_12_bit"), -2070);
    EXPECT_EQ(constantOf("FG_CL_MEDIUM_14_BIT"), -2070);
    EXPECT_EQ(constantOf(""), -2070);
    EXPECT_EQ(appletInfo(4352, 0, 0, nullptr, nullptr), -2070);
}

TEST(AppletInfo, EnumerationTableHasEverySeventyFourEntries) {
    const char* names[] = {"FG_CL_MEDIUM_8_BIT",
                           "FG_CL_MEDIUM_10_BIT",
                           "FG_CL_MEDIUM_12_BIT",
                           "FG_YES",
                           "FG_NO",
                           "FG_GRAY",
                           "FG_GRAY16",
                           "FG_LEFT_ALIGNED",
                           "FG_RIGHT_ALIGNED",
                           "FG_CAMPORT",
                           "FG_GENERATOR",
                           "FG_ON",
                           "FG_OFF",
                           "LUT_TYPE_PROCESSING",
                           "LUT_TYPE_CUSTOM",
                           "LUT_IMPLEMENTATION_FULL_LUT",
                           "LUT_IMPLEMENTATION_KNEELUT",
                           "FG_MAX_VALUE",
                           "FG_MEAN_VALUE",
                           "FG_MAX_RANGE",
                           "FG_CUSTOM_VALUE",
                           "FG_APPLY",
                           "ATM_GENERATOR",
                           "ATM_EXTERNAL",
                           "ATM_SOFTWARE",
                           "TS_ACTIVE",
                           "TS_ASYNC_STOP",
                           "TS_SYNC_STOP",
                           "TRGINSRC_0",
                           "TRGINSRC_1",
                           "TRGINSRC_2",
                           "TRGINSRC_3",
                           "TRGINSRC_4",
                           "TRGINSRC_5",
                           "TRGINSRC_6",
                           "TRGINSRC_7",
                           "LOW_ACTIVE",
                           "HIGH_ACTIVE",
                           "IS_BUSY",
                           "IS_NOT_BUSY",
                           "CC_PULSEGEN0",
                           "CC_PULSEGEN1",
                           "CC_PULSEGEN2",
                           "CC_PULSEGEN3",
                           "CC_GND",
                           "CC_VCC",
                           "CC_NOT_PULSEGEN0",
                           "CC_NOT_PULSEGEN1",
                           "CC_NOT_PULSEGEN2",
                           "CC_NOT_PULSEGEN3",
                           "CC_INPUT_BYPASS",
                           "CC_NOT_INPUT_BYPASS",
                           "PULSEGEN0",
                           "PULSEGEN1",
                           "PULSEGEN2",
                           "PULSEGEN3",
                           "GND",
                           "VCC",
                           "NOT_PULSEGEN0",
                           "NOT_PULSEGEN1",
                           "NOT_PULSEGEN2",
                           "NOT_PULSEGEN3",
                           "INPUT_BYPASS",
                           "NOT_INPUT_BYPASS",
                           "FREE_RUN",
                           "GRABBER_CONTROLLED",
                           "ASYNC_TRIGGER",
                           "ASYNC_SOFTWARE_TRIGGER",
                           "FG_LOW",
                           "FG_HIGH",
                           "CC_EXSYNC",
                           "CC_NOT_EXSYNC",
                           "CC_STROBEPULSE",
                           "CC_NOT_STROBEPULSE"};
    const int32_t values[] = {208, 210, 212, 1, 0, 3,  1,  1, 0, 0, 1, 1, 0,  3,  0, 0, 1, 0, 1,
                              2,   3,   1,   1, 2, 4,  0,  1, 2, 0, 1, 2, 3,  4,  5, 6, 7, 1, 0,
                              1,   0,   0,   1, 2, 3,  4,  5, 6, 7, 8, 9, 10, 11, 0, 1, 2, 3, 4,
                              5,   6,   7,   8, 9, 10, 11, 0, 1, 2, 4, 0, 1,  0,  6, 2, 8};
    static_assert(std::size(names) == 74 && std::size(values) == 74);
    for (std::size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(constantOf(names[i]), values[i]) << names[i];
}
