// Creation and configuration loading with one dependency failing at one moment: each host entry
// point missing, each register id look-up answering 0, each host or board write failing, the design
// image not opening, and each write of a configuration load failing. A clean run counts the points
// of each kind; then each point fails once. Every time the result is the code that step gives (the
// object, for anything that fails while it builds), the object answers, teardown succeeds, nothing
// stays open or loaded, and the next creation works. The asan preset's leak check adds that
// nothing leaked.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "applet_under_test.h"
#include "core/error_codes.h"
#include "scratch_dir.h"

namespace {

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;

enum class Phase { Creation, Load };
// Not a point of the doubles: the k-th host entry point is missing.
constexpr int kMissingEntry = FAKE_POINT_KINDS;

struct Sweep {
    const char* what;
    int point; // enum FakePoint, or kMissingEntry
    Phase phase;
    int32_t code; // what creation or the load gives when the point fails
};

const Sweep kSweeps[] = {
    {"host entry point missing", kMissingEntry, Phase::Creation, kestrel::kOk},
    {"host register look-up answering 0", FAKE_POINT_HOST_LOOKUP, Phase::Creation, kestrel::kOk},
    {"design register look-up answering 0", FAKE_POINT_DESIGN_LOOKUP, Phase::Creation, kestrel::kOk},
    {"host write failing", FAKE_POINT_HOST_WRITE, Phase::Creation, kestrel::kOk},
    {"board write failing", FAKE_POINT_BOARD_WRITE, Phase::Creation, kestrel::kOk},
    {"design image not opening", FAKE_POINT_DESIGN_OPEN, Phase::Creation, kestrel::kErrInitFailed},
    {"configuration load, host write failing", FAKE_POINT_HOST_WRITE, Phase::Load, kestrel::kOk},
    {"configuration load, board write failing", FAKE_POINT_BOARD_WRITE, Phase::Load, kestrel::kOk},
};

std::vector<std::string> hostEntryPoints() {
    std::vector<std::string> names;
    std::stringstream list(KESTREL_HOST_ENTRY_POINTS);
    for (std::string name; std::getline(list, name, ',');)
        names.push_back(name);
    return names;
}

// A host double lacking one entry point, loaded first so that the applet's own load of the host
// by its soname finds it.
class HostWithout {
public:
    explicit HostWithout(const std::string& entry)
        : library_(dlopen((KESTREL_FAKE_WITHOUT_DIR "/" + entry + "/libgrabhost5.so").c_str(), RTLD_NOW)) {
        EXPECT_NE(library_, nullptr) << dlerror();
        EXPECT_EQ(library_ == nullptr ? nullptr : dlsym(library_, entry.c_str()), nullptr) << entry;
    }
    ~HostWithout() {
        if (library_ != nullptr)
            dlclose(library_);
    }
    HostWithout(const HostWithout&) = delete;
    HostWithout& operator=(const HostWithout&) = delete;

private:
    void* library_;
};

bool hostInProcess() {
    void* host = dlopen("libgrabhost5.so", RTLD_NOW | RTLD_NOLOAD);
    if (host != nullptr)
        dlclose(host);
    return host != nullptr;
}

class FaultSweep : public kestrel::test::ScratchDirTest {
protected:
    void SetUp() override {
        ScratchDirTest::SetUp();
        config = path("sweep.scf");
        ASSERT_TRUE(applet.loaded());
        HostRecord record;
        ASSERT_EQ(create(record), 0);
        ASSERT_EQ(api().Fg_saveConfig(&record, config.c_str()), 0);
        ASSERT_EQ(api().Fg_FreeGrabber(&record), 0);
    }

    const kestrel::test::AppletExports& api() { return applet.api(); }
    // Creates on a fresh record of the doubles, with the k-th call of `point` failing (0: none).
    int32_t create(HostRecord& record, int point = 0, int32_t k = 0) {
        FakeState& s = applet.state();
        s = FakeState{};
        s.hostHandle = &hostStandIn;
        s.hostKnowsEveryName = 1;
        arm(point, k);
        return applet.create(record);
    }
    // From now on, the k-th call of `point` fails.
    void arm(int point, int32_t k) {
        FakeState& s = applet.state();
        std::fill(std::begin(s.pointCalls), std::end(s.pointCalls), 0);
        s.faultPoint = point;
        s.faultAt = k;
    }

    // The object sets and reads a parameter; a host without typed writes refuses the set cleanly.
    void expectWorks(HostRecord& record, bool hostWrites) {
        EXPECT_GT(api().Fg_getNrOfParameter(&record), 0);
        int32_t before = 0, width = 512, after = 0;
        EXPECT_EQ(api().Fg_getParameterWithType(&record, FG_WIDTH, &before, 0, 2), 0);
        const int32_t set = api().Fg_setParameterWithType(&record, FG_WIDTH, &width, 0, 2);
        EXPECT_TRUE(set == 0 || !hostWrites) << set;
        EXPECT_EQ(api().Fg_getParameterWithType(&record, FG_WIDTH, &after, 0, 2), 0);
        EXPECT_EQ(after, set == 0 ? width : before);
    }

    // Runs the sweep's phase with its k-th point failing (0: none); the number of points it met.
    int32_t run(const Sweep& sweep, int32_t k) {
        SCOPED_TRACE(std::string(sweep.what) + ", point " + std::to_string(k));
        const std::string entry = sweep.point == kMissingEntry && k > 0 ? entries[k - 1] : "";
        std::optional<HostWithout> lacking;
        if (!entry.empty())
            lacking.emplace(entry);
        HostRecord record;
        const bool load = sweep.phase == Phase::Load;
        const int32_t created = create(record, sweep.point, load ? 0 : k);
        EXPECT_EQ(created, k == 0 || load ? kestrel::kOk : sweep.code);
        if (load && created == 0) {
            arm(sweep.point, k);
            EXPECT_EQ(api().Fg_loadConfig(&record, config.c_str()), k == 0 ? kestrel::kOk : sweep.code);
        }
        FakeState& s = applet.state();
        const int32_t points =
            sweep.point == kMissingEntry ? static_cast<int32_t>(entries.size()) : s.pointCalls[sweep.point];
        if (created == 0) {
            expectWorks(record, entry != "Fg_setParameterWithType");
            EXPECT_EQ(api().Fg_FreeGrabber(&record), 0);
        }
        EXPECT_EQ(record.applet, nullptr);
        EXPECT_EQ(s.designCloseCount, s.designOpenedCount) << "design image left open";
        EXPECT_EQ(s.hostFreeGrabberCalls, entry == "Fg_FreeGrabber" ? 0 : s.hostHandlesMade)
            << "host handle not returned";
        lacking.reset();
        EXPECT_FALSE(hostInProcess()) << "host library left loaded";
        HostRecord next;
        EXPECT_EQ(create(next), 0) << "the next creation";
        EXPECT_EQ(api().Fg_FreeGrabber(&next), 0);
        return points;
    }

    AppletUnderTest applet{KESTREL_FAKE_APPLET_DIR};
    const std::vector<std::string> entries = hostEntryPoints();
    std::string config;
    int hostStandIn = 0;
};

TEST_F(FaultSweep, EachPointFailingOnceLeavesCreationWhole) {
    for (const Sweep& sweep : kSweeps) {
        const int32_t points = run(sweep, 0);
        EXPECT_GT(points, 0) << sweep.what;
        std::printf("[ sweep    ] %s: %d points\n", sweep.what, points);
        for (int32_t k = 1; k <= points && !HasFailure(); ++k)
            run(sweep, k);
    }
}

} // namespace
