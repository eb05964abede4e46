// The catalogue table: rows, identifiers, names, types, defaults, saved flags and descriptions.
#include "params/parameter_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "params/parameter_ids.h"

namespace kestrel {
namespace {

TEST(ParameterCatalogue, IdentifiersAndNamesAreUnique) {
    std::set<int32_t> idSet;
    std::set<std::string> nameSet;
    for (const auto& row : ParameterCatalogue::all()) {
        EXPECT_TRUE(idSet.insert(row.id).second) << row.name;
        EXPECT_TRUE(nameSet.insert(row.name).second) << row.name;
        EXPECT_EQ(std::string(row.name).rfind("FG_", 0), 0u) << row.name;
    }
}

TEST(ParameterCatalogue, FindsEveryRowByIdNameAndIndex) {
    for (const auto& row : ParameterCatalogue::all()) {
        EXPECT_EQ(ParameterCatalogue::byId(row.id), &row);
        EXPECT_EQ(ParameterCatalogue::byName(row.name), &row);
        EXPECT_EQ(ParameterCatalogue::byIndex(row.index), &row);
    }
}

TEST(ParameterCatalogue, NameLookupIsCaseSensitiveAndExact) {
    EXPECT_EQ(ParameterCatalogue::byName("fg_width"), nullptr);
    EXPECT_EQ(ParameterCatalogue::byName("FG_Width"), nullptr);
    EXPECT_EQ(ParameterCatalogue::byName("FG_WIDTH "), nullptr);
    EXPECT_EQ(ParameterCatalogue::byName("FG_WIDT"), nullptr);
    EXPECT_EQ(ParameterCatalogue::byName(""), nullptr);
    EXPECT_EQ(ParameterCatalogue::byName(std::string_view("FG_WIDTH\0", 9)), nullptr);
    ASSERT_NE(ParameterCatalogue::byName("FG_WIDTH"), nullptr);
    EXPECT_EQ(ParameterCatalogue::byName("FG_WIDTH")->id, 100);
}

TEST(ParameterCatalogue, ReadOnlyRowsAreExactlyTheParametersWhoseSetIsRefused) {
    std::istringstream words(
        "FG_APPLET_VERSION FG_APPLET_REVISION FG_APPLET_ID FG_HAP_FILE FG_DMASTATUS FG_CAMSTATUS "
        "FG_CAMSTATUS_EXTENDED FG_TRANSFER_LEN FG_NR_OF_PROCESSES FG_NR_OF_DMAS FG_NR_OF_CAMS "
        "FG_DMA_PORT FG_CAM_PORT FG_APC_STOP_TIMEOUT FG_FILLLEVEL FG_OVERFLOW FG_PIXELDEPTH "
        "FG_GEN_ACTIVE FG_GEN_PASSIVE FG_GEN_LINE_WIDTH FG_LUT_IMPLEMENTATION_TYPE FG_LUT_IN_BITS "
        "FG_LUT_OUT_BITS FG_TRIGGER_EXCEEDED_PERIOD_LIMITS FG_DIGIO_INPUT FG_SOFTWARETRIGGER_IS_BUSY "
        "FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL FG_TRIGGERIN_STATS_PULSECOUNT FG_TRIGGERIN_STATS_FREQUENCY "
        "FG_TRIGGERIN_STATS_MINFREQUENCY FG_TRIGGERIN_STATS_MAXFREQUENCY FG_TRIGGERQUEUE_FILLLEVEL "
        "FG_TRIGGEROUT_STATS_PULSECOUNT FG_MISSING_CAMERA_FRAME_RESPONSE");
    const std::set<std::string> refused{std::istream_iterator<std::string>(words), {}};
    ASSERT_EQ(refused.size(), 34u);
    std::set<std::string> readOnly;
    for (const auto& row : ParameterCatalogue::all())
        if (row.readOnly())
            readOnly.insert(row.name);
    EXPECT_EQ(readOnly, refused);
}

} // namespace
} // namespace kestrel
