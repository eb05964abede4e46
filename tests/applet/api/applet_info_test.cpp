// Every row of the properties query and the enumeration constants.
#include "api/applet_info.h"

#include <gtest/gtest.h>

#include <utility>

#include "api/embedded_blocks.h"
#include "core/error_codes.h"

using kestrel::appletInfo;

namespace {

constexpr uint64_t kUntouched = 0x5a5a5a5a5a5a5a5aull;
constexpr int32_t kInvalid = kestrel::kErrInvalidArgument;

// Queries that answer through their result alone, both outputs untouched: {query, a, b, result}.
// Fixed answers whatever a and b are, numbers, queries that check a (b is free) or a and b, unknown.
constexpr int32_t kPlainRows[][4] = {{848, 7, 9, 0},
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
                                     {2048, 0, 0, 131076},
                                     {2176, 0, 0, 2626},
                                     {4624, 0, 5, 1},
                                     {4624, 1, 0, kInvalid},
                                     {4640, 0, 5, 1},
                                     {4640, 1, 0, kInvalid},
                                     {4688, 0, 5, 1},
                                     {4688, 1, 0, kInvalid},
                                     {4704, 0, 3, 9},
                                     {4704, 2, 0, kInvalid},
                                     {4656, 0, 0, 0},
                                     {4656, 1, 0, kInvalid},
                                     {4656, 0, 1, kInvalid},
                                     {4672, 0, 0, 0},
                                     {4672, 1, 0, kInvalid},
                                     {4672, 0, 1, kInvalid},
                                     {5000, 0, 0, kestrel::kErrNotSupported},
                                     {0, 0, 0, kestrel::kErrNotSupported},
                                     {-1, 0, 0, kestrel::kErrNotSupported}};

TEST(AppletInfo, PlainQueriesAnswerThroughTheirResultAlone) {
    for (const auto& [query, a, b, result] : kPlainRows) {
        uint64_t out1 = kUntouched, out2 = kUntouched;
        const auto ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
        EXPECT_EQ(appletInfo(query, ua, ub, &out1, &out2), result) << query << " a=" << a << " b=" << b;
        EXPECT_EQ(out1, kUntouched) << query;
        EXPECT_EQ(out2, kUntouched) << query;
        EXPECT_EQ(appletInfo(query, ua, ub, nullptr, nullptr), result) << query;
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

TEST(AppletInfo, DesignImageIsTheEmbeddedBlockAndNoBoardOrImageBeforeAnyCreation) {
    uint64_t size = 0, address = 0;
    EXPECT_EQ(appletInfo(1042, 0, 0, &size, &address), 0);
    EXPECT_EQ(size, 2113379u);
    EXPECT_EQ(address, reinterpret_cast<uint64_t>(kestrel_embedded_design_image));
    EXPECT_EQ(appletInfo(1042, 0, 0, nullptr, nullptr), 0);
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
