// Every row of the properties query and the enumeration constants.
#include "api/applet_info.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "api/embedded_blocks.h"
#include "core/error_codes.h"

using kestrel::appletInfo;

namespace {

constexpr uint64_t kUntouched = 0x5a5a5a5a5a5a5a5aull;
constexpr int32_t kInvalid = kestrel::kErrInvalidArgument;

// Queries that answer through their result alone, both outputs untouched: {result, a, b, queries}.
// Fixed answers whatever a and b are, numbers, queries that check a (b is free) or a and b, unknown.
const struct {
    int32_t result;
    uint32_t a, b;
    std::vector<int32_t> queries;
} kPlainRows[] = {{0, 7, 9, {848, 1040, 2160, 2192, 2560, 3328}},
                  {1, 7, 9, {1045, 1792, 1872, 1888, 2816, 3072, 4608}},
                  {131076, 0, 0, {2048}},
                  {2626, 0, 0, {2176}},
                  {1, 0, 5, {4624, 4640, 4688}},
                  {kInvalid, 1, 0, {4624, 4640, 4688, 4656, 4672}},
                  {9, 0, 3, {4704}},
                  {kInvalid, 2, 0, {4704}},
                  {0, 0, 0, {4656, 4672}},
                  {kInvalid, 0, 1, {4656, 4672}},
                  {kestrel::kErrNotSupported, 0, 0, {5000, 0, -1}}};

TEST(AppletInfo, PlainQueriesAnswerThroughTheirResultAlone) {
    for (const auto& [result, a, b, queries] : kPlainRows)
        for (const int32_t query : queries) {
            uint64_t out1 = kUntouched, out2 = kUntouched;
            EXPECT_EQ(appletInfo(query, a, b, &out1, &out2), result) << query << " a=" << a << " b=" << b;
            EXPECT_EQ(std::pair(out1, out2), std::pair(kUntouched, kUntouched)) << query;
            EXPECT_EQ(appletInfo(query, a, b, nullptr, nullptr), result) << query;
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

TEST(AppletInfo, IconAndDesignImageAreTheEmbeddedBlocksAndNoBoardOrImageBeforeAnyCreation) {
    const std::tuple<int32_t, uint64_t, const unsigned char*> blocks[] = {
        {1041, 2992, kestrel_embedded_icon}, {1042, 2113379, kestrel_embedded_design_image}};
    for (const auto& [query, expectedSize, block] : blocks) {
        uint64_t size = 0, address = 0;
        EXPECT_EQ(appletInfo(query, 0, 0, &size, &address), 0);
        EXPECT_EQ(size, expectedSize);
        EXPECT_EQ(address, reinterpret_cast<uint64_t>(block));
        EXPECT_EQ(appletInfo(query, 0, 0, nullptr, nullptr), 0);
    }
    uint64_t word = kUntouched;
    EXPECT_EQ(appletInfo(2304, 0, 0, &word, nullptr), 0);
    EXPECT_EQ(word, 0x5a5a5a5a00000000ull) << "a 32-bit zero in the first output";
    EXPECT_EQ(appletInfo(2304, 0, 0, nullptr, nullptr), 0);
    for (int32_t query : {4144, 4160}) {
        uint64_t out1 = kUntouched, out2 = kUntouched;
        EXPECT_EQ(appletInfo(query, 0, 0, &out1, &out2), 0);
        EXPECT_EQ(out1, 0u) << query;
        EXPECT_EQ(out2, kUntouched) << query;
    }
}

TEST(AppletInfo, EnumerationConstantsRefuseOtherCaseUnknownAndNull) {
    for (const char* name : {"fg_cl_medium_12_bit", "FG_CL_MEDIUM_14_BIT", ""})
        EXPECT_EQ(appletInfo(4352, 0, 0, const_cast<char*>(name), nullptr), kInvalid) << name;
    EXPECT_EQ(appletInfo(4352, 0, 0, nullptr, nullptr), kInvalid);
}

} // namespace
