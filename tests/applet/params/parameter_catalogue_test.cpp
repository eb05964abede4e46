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

TEST(ParameterCatalogue, Has140RowsInListIndexOrder) {
    const auto rows = ParameterCatalogue::all();
    ASSERT_EQ(rows.size(), 140u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].index, static_cast<int32_t>(i));
    EXPECT_STREQ(rows.front().name, "FG_TIMEOUT");
    EXPECT_STREQ(rows[18].name, "FG_WIDTH");
    EXPECT_STREQ(rows.back().name, "FG_DIGIO_OUTPUT");
}

TEST(ParameterCatalogue, IdentifiersAndNamesAreUnique) {
    std::set<int32_t> idSet;
    std::set<std::string> nameSet;
    for (const auto& row : ParameterCatalogue::all()) {
        EXPECT_TRUE(idSet.insert(row.id).second) << row.name;
        EXPECT_TRUE(nameSet.insert(row.name).second) << row.name;
        EXPECT_EQ(std::string(row.name).rfind("FG_", 0), 0u) << row.name;
    }
}

TEST(ParameterCatalogue, IdentifiersStayBelowTheRegisterAccessFamily) {
    for (const auto& row : ParameterCatalogue::all())
        EXPECT_LE(row.id, ids::kRegisterAccessBase) << row.name;
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

TEST(ParameterCatalogue, UnknownIdentifiersAndIndexesAreNotFound) {
    for (int32_t id : {0, 1, 99, 101, 24114, 300239, 300255, 1000000, 1000001, 2000001, -100})
        EXPECT_EQ(ParameterCatalogue::byId(id), nullptr) << id;
    EXPECT_EQ(ParameterCatalogue::byIndex(-1), nullptr);
    EXPECT_EQ(ParameterCatalogue::byIndex(140), nullptr);
}

TEST(ParameterCatalogue, IdConstantsMatchTheirRows) {
    EXPECT_EQ(ParameterCatalogue::byName("FG_TIMEOUT")->id, ids::FG_TIMEOUT);
    EXPECT_EQ(ParameterCatalogue::byName("FG_LUT_CUSTOM_FILE")->id, ids::FG_LUT_CUSTOM_FILE);
    EXPECT_EQ(ParameterCatalogue::byName("FG_TRIGGER_LEGACY_MODE")->id, ids::FG_TRIGGER_LEGACY_MODE);
    EXPECT_EQ(ParameterCatalogue::byName("FG_TRIGGER_FRAMESPERSECOND")->id, 90);
    EXPECT_EQ(ParameterCatalogue::byName("FG_DIGIO_OUTPUT")->id, ids::FG_DIGIO_OUTPUT);
    EXPECT_EQ(ids::kDescriptionQuery, 24114);
}

TEST(ParameterCatalogue, Marks97ParametersAsSaved) {
    const auto rows = ParameterCatalogue::all();
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const auto& row) { return row.saved; }), 97);
    for (const char* notSaved : {"FG_LUT_VALUE", "FG_LUT_SAVE_FILE", "FG_SHADING_APPLY_SETTINGS",
                                 "FG_SENDSOFTWARETRIGGER", "FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR"})
        EXPECT_FALSE(ParameterCatalogue::byName(notSaved)->saved) << notSaved;
    for (const auto& row : rows) {
        if (row.readOnly()) {
            EXPECT_FALSE(row.saved) << row.name;
        }
    }
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

TEST(ParameterCatalogue, HostAnsweredParametersAreTheSevenHostValues) {
    std::set<std::string> hostValues;
    for (const auto& row : ParameterCatalogue::all())
        if (row.type == ParameterType::HostValue)
            hostValues.insert(row.name);
    EXPECT_EQ(hostValues,
              (std::set<std::string>{"FG_TRANSFER_LEN", "FG_NR_OF_PROCESSES", "FG_NR_OF_DMAS",
                                     "FG_NR_OF_CAMS", "FG_DMA_PORT", "FG_CAM_PORT", "FG_APC_STOP_TIMEOUT"}));
}

TEST(ParameterCatalogue, TypesFollowTheValueKinds) {
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_WIDTH)->type, ParameterType::UInt32);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_FORMAT)->type, ParameterType::Int32);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_GEN_FREQ)->type, ParameterType::Double);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_HAP_FILE)->type, ParameterType::String);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_LUT_VALUE)->type, ParameterType::Field);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_SHADING_BLACK_FILENAME)->type, ParameterType::String);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_TRIGGERIN_STATS_FREQUENCY)->type, ParameterType::Double);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_EXSYNCDELAY)->type, ParameterType::Double);
}

TEST(ParameterCatalogue, ConstantsAndInitialValuesAreKept) {
    const auto* version = ParameterCatalogue::byId(ids::FG_APPLET_VERSION);
    EXPECT_EQ(version->defaultValue.kind, DefaultKind::Constant);
    EXPECT_EQ(version->defaultValue.number, 2.0);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_APPLET_REVISION)->defaultValue.number, 4.0);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_PIXELDEPTH)->defaultValue.number, 12.0);
    const auto* hap = ParameterCatalogue::byId(ids::FG_HAP_FILE);
    EXPECT_EQ(hap->defaultValue.kind, DefaultKind::Constant);
    EXPECT_STREQ(hap->defaultValue.text, "Kestrel12.hap");
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_CAMSTATUS)->defaultValue.kind, DefaultKind::None);
    const auto* camType = ParameterCatalogue::byId(ids::FG_CAMERA_LINK_CAMTYPE);
    EXPECT_EQ(camType->defaultValue.kind, DefaultKind::Initial);
    EXPECT_EQ(camType->defaultValue.number, 208.0);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_TRIGGER_PULSEFORMGEN0_WIDTH)->defaultValue.number, 4000.0);
    EXPECT_EQ(ParameterCatalogue::byId(ids::FG_TRIGGER_PULSEFORMGEN1_WIDTH)->defaultValue.number, 4.0);
    EXPECT_STREQ(ParameterCatalogue::byId(ids::FG_LUT_CUSTOM_FILE)->defaultValue.text, "");
    for (const auto& row : ParameterCatalogue::all()) {
        if (!row.readOnly()) {
            EXPECT_EQ(row.defaultValue.kind, DefaultKind::Initial) << row.name;
        }
    }
}

TEST(ParameterCatalogue, LongestDescriptionIsTheExtendedCameraStatus) {
    const char* text = ParameterCatalogue::byName("FG_CAMSTATUS_EXTENDED")->description;
    EXPECT_EQ(std::strlen(text), 225u);
    std::size_t longest = 0;
    for (const auto& row : ParameterCatalogue::all())
        longest = std::max(longest, std::strlen(row.description));
    EXPECT_EQ(longest + 1, 226u);
}

TEST(ParameterCatalogue, DescriptionsKeepTheirExactText) {
    EXPECT_STREQ(ParameterCatalogue::byName("FG_WIDTH")->description, "Image width of the acquisition ROI.");
    EXPECT_STREQ(ParameterCatalogue::byName("FG_TIMEOUT")->description,
                 "Internal framegrabber image timeout. This is independend of the runtime timeout value.");
    // A trailing blank is part of the text.
    EXPECT_STREQ(ParameterCatalogue::byName("FG_SHADING_GAIN_CORRECTION_MODE")->description,
                 "Select the mode to determine the automatic gain correction values. ");
    EXPECT_STREQ(ParameterCatalogue::byName("FG_LUT_TYPE")->description,
                 "Enables the LUT to be load with custom values or use the applet's processor.");
}

TEST(ParameterCatalogue, LegacyParametersDescribeThemselvesAndFourteenOthersAreEmpty) {
    int selfNamed = 0;
    int empty = 0;
    for (const auto& row : ParameterCatalogue::all()) {
        if (std::strcmp(row.name, row.description) == 0)
            ++selfNamed;
        if (row.description[0] == '\0')
            ++empty;
    }
    EXPECT_EQ(selfNamed, 14);
    EXPECT_EQ(empty, 21);
    EXPECT_STREQ(ParameterCatalogue::byName("FG_PRESCALER")->description, "FG_PRESCALER");
    EXPECT_STREQ(ParameterCatalogue::byName("FG_GEN_FREQ")->description, "");
    EXPECT_STREQ(ParameterCatalogue::byName("FG_GEN_ENABLE")->description,
                 "Use internal frame generator or CameraLink input.");
}

} // namespace
} // namespace kestrel
