// Eight threads on one applet, each making a mix of every kind of call a host makes: typed sets
// and gets of a number, a floating-point value and a text, look-ups by name and index, the
// information tree, the register-description XML, configuration save and load, event look-ups;
// meanwhile a ninth thread creates and frees applets on another board. Every value read back is
// one that some thread wrote (or the initial one); the thread-sanitizer run checks the rest.
//
// Configuration save and load and the XML export take no lock of the applet's: they read and
// change the values beside the parameter lock that typed sets and gets hold. A host that mixes
// them with typed calls on one applet keeps them apart itself, as this test's threads do with a
// shared mutex (typed and look-up calls shared, save, load and XML exclusive).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "applet_on_board.h"
#include "kestrel12.h"

namespace {

using kestrel::test::AppletOnBoard;

constexpr int kThreads = 8;
constexpr int kCallsPerThread = 10000;

constexpr int32_t kWidth = FG_WIDTH;
constexpr uint32_t kInitialWidth = 1024;
constexpr uint32_t kWidths[] = {64, 128, 256, 512};
constexpr double kInitialOffset = 0.0;
constexpr double kOffsets[] = {0.25, -0.5, 0.75};
const char* const kBlackFiles[] = {"", "/nonexistent/black-a.tif", "/nonexistent/black-bb.tif"};

// Counts what went wrong on the worker threads; gtest assertions stay on the main thread.
struct Failures {
    std::atomic<int> count{0};
    std::atomic<const char*> first{nullptr};
    void check(bool ok, const char* what) {
        if (!ok && count.fetch_add(1) == 0)
            first = what;
    }
};

template <class T, std::size_t N> bool oneOf(const T (&values)[N], T value, T initial) {
    if (value == initial)
        return true;
    for (const T& v : values)
        if (v == value)
            return true;
    return false;
}

bool knownBlackFile(const char* text) {
    for (const char* name : kBlackFiles)
        if (std::strcmp(text, name) == 0)
            return true;
    return false;
}

// Walks the fields of the tree that stay as built; the values setters refresh are left alone.
int countFeatures(const Gh5ParameterInfoNode* node) {
    if (node == nullptr)
        return 0;
    if (node->type != GH5_NODE_CATEGORY)
        return node->paramName != nullptr ? 1 : 0;
    int features = 0;
    for (int32_t i = 0; i < node->kind.category.childCount; ++i)
        features += countFeatures(node->kind.category.children[i]);
    return features;
}

class Stress : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrel-stress-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        fg = applet.fg();
        const Gh5AppletExports& api = applet.exports();
        ids = {api.Fg_getParameterIdByName(fg, "FG_PROCESSING_OFFSET"),
               api.Fg_getParameterIdByName(fg, "FG_SHADING_BLACK_FILENAME"),
               api.Fg_getParameterIdByName(fg, "FG_IMG_SELECT_PERIOD")};
        for (int32_t id : ids)
            ASSERT_GT(id, 0);
        for (int bit = 0; bit < 64; ++bit) {
            const char* name = api.Fg_getEventName(fg, uint64_t{1} << bit);
            if (name != nullptr)
                events.emplace_back(name, uint64_t{1} << bit);
        }
        ASSERT_FALSE(events.empty());
        features = countFeatures(static_cast<const Gh5ParameterInfoNode*>(api.Fg_getParameterInfo(fg, 0)));
        ASSERT_GT(features, 0);
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    void work(int thread, Failures& failures);

    AppletOnBoard applet;
    Gh5Grabber* fg = nullptr;
    std::vector<int32_t> ids;
    std::vector<std::pair<std::string, uint64_t>> events;
    int features = 0;
    std::filesystem::path directory;
    std::shared_mutex wholeApplet; // the host's own exclusion of save, load and XML
};

void Stress::work(int thread, Failures& failures) {
    const Gh5AppletExports& api = applet.exports();
    const int32_t offsetId = ids[0], blackId = ids[1], periodId = ids[2];
    const std::string ownFile = (directory / ("thread" + std::to_string(thread) + ".scf")).string();
    bool saved = false;
    for (int call = 0; call < kCallsPerThread; ++call) {
        const int pick = (call * 7 + thread * 13) % 100;
        const char* what = "";
        const auto check = [&](bool ok) { failures.check(ok, what); };
        std::shared_lock typedCalls(wholeApplet, std::defer_lock);
        std::unique_lock wholeAppletCalls(wholeApplet, std::defer_lock);
        if (pick >= 90) // XML, save, load and the last error
            wholeAppletCalls.lock();
        else
            typedCalls.lock();
        if (pick < 20) {
            what = "width set";
            const uint32_t width = kWidths[(call + thread) % 4];
            check(api.Fg_setParameterWithType(fg, kWidth, &width, 0, 0) == 0);
        } else if (pick < 35) {
            what = "width get";
            uint32_t width = 0;
            check(api.Fg_getParameterWithType(fg, kWidth, &width, 0, 0) == 0 &&
                  oneOf(kWidths, width, kInitialWidth));
        } else if (pick < 42) {
            what = "offset set";
            const double offset = kOffsets[(call + thread) % 3];
            check(api.Fg_setParameterWithType(fg, offsetId, &offset, 0, 0) == 0);
        } else if (pick < 49) {
            what = "offset get";
            double offset = -1.0;
            check(api.Fg_getParameterWithType(fg, offsetId, &offset, 0, 0) == 0 &&
                  oneOf(kOffsets, offset, kInitialOffset));
        } else if (pick < 54) {
            what = "text set";
            check(api.Fg_setParameterWithType(fg, blackId, kBlackFiles[(call + thread) % 3], 0, 0) == 0);
        } else if (pick < 59) {
            what = "text get";
            char text[256] = {};
            check(api.Fg_getParameterWithType(fg, blackId, text, 0, 0) == 0 && knownBlackFile(text));
        } else if (pick < 64) {
            what = "period set and get";
            const uint32_t period = 1 + static_cast<uint32_t>(thread);
            const int32_t result = api.Fg_setParameterWithType(fg, periodId, &period, 0, 0);
            uint32_t back = 0;
            check(result == 0 && api.Fg_getParameterWithType(fg, periodId, &back, 0, 0) == 0 && back >= 1 &&
                  back <= kThreads);
        } else if (pick < 74) {
            what = "look-ups by name and index";
            check(api.Fg_getParameterIdByName(fg, "FG_WIDTH") == kWidth);
            const int32_t count = api.Fg_getNrOfParameter(fg);
            const char* name = api.Fg_getParameterName(fg, call % count);
            check(name != nullptr &&
                  api.Fg_getParameterIdByName(fg, name) == api.Fg_getParameterId(fg, call % count));
        } else if (pick < 82) {
            what = "event look-ups";
            const auto& [name, mask] = events[static_cast<std::size_t>(call) % events.size()];
            check(api.Fg_getEventMask(fg, name.c_str()) == mask);
            const char* back = api.Fg_getEventName(fg, mask);
            check(back != nullptr && name == back);
        } else if (pick < 90) {
            what = "information tree";
            check(countFeatures(static_cast<const Gh5ParameterInfoNode*>(api.Fg_getParameterInfo(fg, 0))) ==
                  features);
        } else if (pick < 94) {
            what = "XML";
            uint64_t size = 0;
            check(api.Fg_getParameterInfoXML(fg, 0, nullptr, &size) == 0 && size > 0);
            std::string xml(size, '\0');
            const int32_t result = api.Fg_getParameterInfoXML(fg, 0, xml.data(), &size);
            // Another thread's set may grow the text between the size query and the export.
            check(result == 0 || result == -500);
        } else if (pick < 97) {
            what = "save";
            check(api.Fg_saveConfig(fg, ownFile.c_str()) == 0);
            saved = true;
        } else if (saved) {
            what = "load";
            // Every value in the file is one that some thread wrote: the load stays within them.
            check(api.Fg_loadConfig(fg, ownFile.c_str()) == 0);
        } else {
            (void)api.Fg_getLastErrorNumber(fg);
        }
    }
}

TEST_F(Stress, EightThreadsOnOneAppletWhileAnotherThreadCreatesAndFrees) {
    ASSERT_GE(gh5::Board::count(), 2) << "a second board is needed for the creating thread";
    Failures failures;
    std::atomic<bool> done{false};
    std::atomic<int> cycles{0};
    std::atomic<int> creationFailures{0};
    std::thread creator([&] {
        gh5::Board board = gh5::Board::open(1);
        while (!done.load()) {
            try {
                gh5::Grabber other = gh5::Grabber::create(board, "Kestrel12");
                uint32_t width = 256;
                if (other.exports().Fg_setParameterWithType(other.record(), kWidth, &width, 0, 0) != 0)
                    creationFailures.fetch_add(1);
                if (other.free() != 0)
                    creationFailures.fetch_add(1);
            } catch (const gh5::Error&) {
                creationFailures.fetch_add(1);
            }
            cycles.fetch_add(1);
        }
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([&, t] { work(t, failures); });
    for (std::thread& worker : workers)
        worker.join();
    done = true;
    creator.join();

    EXPECT_EQ(failures.count.load(), 0)
        << "first failure: " << (failures.first.load() ? failures.first.load() : "");
    EXPECT_EQ(creationFailures.load(), 0);
    EXPECT_GT(cycles.load(), 0);
    RecordProperty("calls", kThreads * kCallsPerThread);
    RecordProperty("create_free_cycles", cycles.load());
    std::printf("%d calls on one applet from %d threads; %d applets created and freed meanwhile\n",
                kThreads * kCallsPerThread, kThreads, cycles.load());
}

} // namespace
