// The access switches of the catalogue rows, held on the applet for every row they name: each
// switch sets the published access word of exactly its rows, and a setter refuses while its row
// is read-only under the trigger interface in use. Driven by the rows, so a new row is covered
// by its column.
#include <gtest/gtest.h>

#include <cstdint>

#include "applet_on_board.h"
#include "core/error_codes.h"
#include "grabhost5_host.h"
#include "params/catalogue_rows.h"

namespace kestrel::test {
namespace {

using namespace kestrel::ids;
using namespace kestrel::access_switch;

constexpr int32_t kReadOnly = 1;
constexpr int32_t kWritable = 7;

class AccessSwitch : public testing::Test {
protected:
    // Every row that `switches` names has the access word `writable` gives it.
    template <class Writable> void expectAccess(AccessSwitches switches, Writable&& writable) {
        for (const ParameterDefinition& row : kCatalogueRows) {
            if (row.switchedBy(switches)) {
                EXPECT_EQ(applet.infoNode(row.id)->access, writable(row) ? kWritable : kReadOnly) << row.name;
            }
        }
    }
    // Setting a row to its current value, as the table sees it.
    int32_t setCurrent(const ParameterDefinition& row) {
        if (row.type == ParameterType::Double)
            return applet.set(row.id, applet.get<double>(row.id));
        return applet.set(row.id, applet.get<uint32_t>(row.id));
    }

    AppletOnBoard applet;
};

// The LUT type opens the custom file or the processing settings; external trigger mode closes the
// software-only rows and any other mode opens every row the mode reopens.
TEST_F(AccessSwitch, TheLutTypeAndTheTriggerModeSetTheirRowsAccess) {
    for (const int32_t type : {0, 3}) {
        ASSERT_EQ(applet.set(FG_LUT_TYPE, type), 0);
        const AccessSwitches open = type == 0 ? kWhileLutCustom : kWhileLutProcessing;
        expectAccess(kWhileLutCustom | kWhileLutProcessing,
                     [&](const ParameterDefinition& r) { return r.switchedBy(open); });
    }
    for (const uint32_t mode : {2u, 4u}) {
        ASSERT_EQ(applet.set(FG_AREATRIGGERMODE, mode), 0);
        expectAccess(kReopenedByTriggerMode,
                     [&](const ParameterDefinition& r) { return mode != 2 || !r.switchedBy(kSoftwareOnly); });
    }
}

TEST_F(AccessSwitch, TheLegacyModeSwapsTheTwoTriggerInterfaces) {
    for (const int32_t on : {1, 0}) {
        SCOPED_TRACE(on == 1 ? "legacy on" : "legacy off");
        ASSERT_EQ(applet.set(FG_TRIGGER_LEGACY_MODE, on), 0);
        const AccessSwitches writableNow = on == 1 ? kWhileLegacyOn : kWhileLegacyOff;
        expectAccess(kWhileLegacyOn | kWhileLegacyOff,
                     [&](const ParameterDefinition& row) { return row.switchedBy(writableNow); });
        for (const ParameterDefinition& row : kCatalogueRows) {
            if (row.switchedBy(kWhileLegacyOn | kWhileLegacyOff) && !row.switchedBy(writableNow)) {
                EXPECT_EQ(setCurrent(row), kErrInvalidArgument) << row.name;
            }
        }
    }
}

} // namespace
} // namespace kestrel::test
