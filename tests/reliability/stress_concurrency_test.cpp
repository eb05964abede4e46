// Eight threads on one applet mixing the calls a host makes: sets and gets of a number and a text,
// look-ups of parameters and events, the information tree, the register-description XML,
// configuration save and load; meanwhile a ninth thread creates and frees applets on another board.
// Each value read back is one some thread wrote; the thread-sanitizer run checks the rest. Save,
// load and the XML export take no lock of the applet's, so a host keeps them apart from the other
// calls itself, as these threads do with a shared mutex.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "applet_on_board.h"
#include "kestrel12.h"
#include "scratch_dir.h"

namespace {

constexpr int kThreads = 8;
constexpr int kCallsPerThread = 10000;
// The initial value comes first in each list; threads write the others.
constexpr uint32_t kWidths[] = {1024, 64, 128, 256, 512};
const std::string kBlackFiles[] = {"", "/nonexistent/black-a.tif", "/nonexistent/black-bb.tif"};

template <class T, std::size_t N> bool oneOf(const T (&values)[N], const T& value) {
    return std::find(std::begin(values), std::end(values), value) != std::end(values);
}

// Counts the features of the tree, whose shape stays as built while setters refresh values.
int countFeatures(const Gh5ParameterInfoNode* node) {
    if (node == nullptr || node->type != GH5_NODE_CATEGORY)
        return node != nullptr && node->paramName != nullptr ? 1 : 0;
    int features = 0;
    for (int32_t i = 0; i < node->kind.category.childCount; ++i)
        features += countFeatures(node->kind.category.children[i]);
    return features;
}

class Stress : public kestrel::test::ScratchDirTest {
protected:
    int tree() {
        return countFeatures(static_cast<const Gh5ParameterInfoNode*>(api.Fg_getParameterInfo(fg, 0)));
    }
    // Gtest assertions stay on the main thread; the other threads only count what went wrong.
    void check(bool ok, const char* what) {
        if (!ok && failures.fetch_add(1) == 0)
            firstFailure = what;
    }
    void work(int thread);

    kestrel::test::AppletOnBoard applet;
    Gh5Grabber* fg = applet.fg();
    const Gh5AppletExports& api = applet.exports();
    const int32_t blackId = api.Fg_getParameterIdByName(fg, "FG_SHADING_BLACK_FILENAME");
    const int features = tree();
    std::shared_mutex wholeApplet; // the host's own exclusion of save, load and XML
    std::atomic<int> failures{0};
    std::atomic<const char*> firstFailure{""};
};

void Stress::work(int thread) {
    const std::string ownFile = path("thread" + std::to_string(thread) + ".scf");
    bool saved = false;
    for (int call = 0; call < kCallsPerThread; ++call) {
        const int pick = (call * 7 + thread * 13) % 100, k = call + thread;
        std::shared_lock shared(wholeApplet, std::defer_lock);
        std::unique_lock exclusive(wholeApplet, std::defer_lock);
        pick >= 90 ? exclusive.lock() : shared.lock();
        uint32_t width = kWidths[1 + k % 4];
        char text[256] = {};
        if (pick < 25) {
            check(api.Fg_setParameterWithType(fg, FG_WIDTH, &width, 0, 0) == 0, "width set");
        } else if (pick < 40) {
            check(api.Fg_getParameterWithType(fg, FG_WIDTH, &width, 0, 0) == 0 && oneOf(kWidths, width),
                  "width get");
        } else if (pick < 47) {
            check(api.Fg_setParameterWithType(fg, blackId, kBlackFiles[k % 3].c_str(), 0, 0) == 0,
                  "text set");
        } else if (pick < 54) {
            check(api.Fg_getParameterWithType(fg, blackId, text, 0, 0) == 0 &&
                      oneOf(kBlackFiles, std::string(text)),
                  "text get");
        } else if (pick < 66) {
            const int32_t index = call % api.Fg_getNrOfParameter(fg);
            const char* name = api.Fg_getParameterName(fg, index);
            check(name != nullptr &&
                      api.Fg_getParameterIdByName(fg, name) == api.Fg_getParameterId(fg, index),
                  "look-ups by name and index");
        } else if (pick < 78) {
            const uint64_t mask = uint64_t{1} << (call % 64);
            const char* name = api.Fg_getEventName(fg, mask);
            check(name == nullptr || api.Fg_getEventMask(fg, name) == mask, "event look-ups");
        } else if (pick < 90) {
            check(tree() == features, "information tree");
        } else if (pick < 94) {
            uint64_t size = 0;
            check(api.Fg_getParameterInfoXML(fg, 0, nullptr, &size) == 0 && size > 0, "XML size");
            std::string xml(size, '\0');
            check(api.Fg_getParameterInfoXML(fg, 0, xml.data(), &size) == 0, "XML");
        } else if (pick < 97) {
            check(api.Fg_saveConfig(fg, ownFile.c_str()) == 0, "save");
            saved = true;
        } else if (saved) {
            // Every value in the file is one that some thread wrote: the load stays within them.
            check(api.Fg_loadConfig(fg, ownFile.c_str()) == 0, "load");
        }
    }
}

TEST_F(Stress, EightThreadsOnOneAppletWhileAnotherThreadCreatesAndFrees) {
    ASSERT_TRUE(blackId > 0 && features > 0);
    ASSERT_GE(gh5::Board::count(), 2) << "a second board is needed for the creating thread";
    std::atomic<bool> done{false};
    std::atomic<int> cycles{0};
    std::thread creator([&] {
        gh5::Board board = gh5::Board::open(1);
        for (; !done.load(); cycles.fetch_add(1)) {
            gh5::Grabber other = gh5::Grabber::create(board, "Kestrel12"); // a failure throws
            const uint32_t width = 256;
            check(other.exports().Fg_setParameterWithType(other.record(), FG_WIDTH, &width, 0, 0) == 0 &&
                      other.free() == 0,
                  "create, set and free");
        }
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([this, t] { work(t); });
    for (std::thread& worker : workers)
        worker.join();
    done = true;
    creator.join();
    EXPECT_EQ(failures.load(), 0) << "first failure: " << firstFailure.load();
    EXPECT_GT(cycles.load(), 0);
}

} // namespace
