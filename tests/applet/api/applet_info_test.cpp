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

TEST(AppletInfo, DesignImageIsTheEmbeddedBlock) {
    uint64_t size = 0, address = 0;
    EXPECT_EQ(appletInfo(1042, 0, 0, &size, &address), 0);
    EXPECT_EQ(size, 2113379u);
    EXPECT_EQ(address, reinterpret_cast<uint64_t>(kestrel_embedded_design_image));
    EXPECT_EQ(appletInfo(1042, 0, 0, nullptr, nullptr), 0);
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
