// Several threads driving one applet at once through its exports: typed sets and gets of every
// family, enumeration and description queries. Each thread owns its registers, so every value it
// reads back must be the one it wrote last; the thread sanitizer run checks the rest.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "applet_on_board.h"
#include "core/error_codes.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_ids.h"
#include "test_system.h"

namespace {

using namespace kestrel::ids;

using kestrel::test::AppletOnBoard;

constexpr int kThreads = 4;
constexpr int kRounds = 400;

// Registers each thread writes through the design-access family (host id = design id), one per
// thread, 32 bits wide.
constexpr const char* kThreadRegisters[kThreads] = {
    "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator0_Width_Width",
    "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator1_Width_Width",
    "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator2_Width_Width",
    "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator3_Width_Width",
};

// Counts what went wrong on a worker thread; gtest assertions stay on the main thread.
struct Failures {
    std::atomic<int> count{0};
    void check(bool ok) {
        if (!ok)
            count.fetch_add(1, std::memory_order_relaxed);
    }
};

void mixedWork(AppletOnBoard& applet, int thread, int32_t ownId, Failures& failures) {
    const Gh5AppletExports& exports = applet.exports();
    void* fg = applet.fg();
    for (int round = 0; round < kRounds; ++round) {
        const uint32_t mine = static_cast<uint32_t>(thread * 100000 + round + 1);
        failures.check(exports.Fg_setParameterWithType(fg, ownId, &mine, 0, 0) == 0);
        uint32_t back = 0;
        failures.check(exports.Fg_getParameterWithType(fg, ownId, &back, 0, 0) == 0);
        failures.check(back == mine);

        uint32_t depth = 0;
        failures.check(exports.Fg_getParameterWithType(fg, FG_PIXELDEPTH, &depth, 0, 0) == 0 && depth == 12);
        failures.check(exports.Fg_setParameterWithType(fg, FG_PIXELDEPTH, &depth, 0, 0) ==
                       kestrel::kErrNotAvailable);
        uint64_t dmas = ~uint64_t{0};
        failures.check(exports.Fg_getParameterWithType(fg, FG_NR_OF_DMAS, &dmas, 0, 4) == 0 && dmas == 1);

        char text[256] = "FG_HEIGHT";
        failures.check(exports.Fg_getParameterWithType(fg, kestrel::ids::kDescriptionQuery, text, 0, 0) ==
                           0 &&
                       std::strcmp(text, "Image height of the acquisition ROI.") == 0);

        // Sets of a parameter the other threads change too: valid values only, so every one succeeds.
        const uint32_t width = 64u + 16u * static_cast<uint32_t>((round + thread) % 8);
        failures.check(exports.Fg_setParameterWithType(fg, FG_WIDTH, &width, 0, 0) == 0);
        uint32_t height = 0;
        failures.check(exports.Fg_getParameterWithType(fg, FG_HEIGHT, &height, 0, 0) == 0 && height == 1024);

        failures.check(exports.Fg_getNrOfParameter(fg) == kestrel::kCatalogueSize);
        failures.check(exports.Fg_getParameterIdByName(fg, "FG_WIDTH") == FG_WIDTH);
        const char* name = exports.Fg_getParameterName(fg, (round * 7 + thread) % kestrel::kCatalogueSize);
        failures.check(name != nullptr && std::strncmp(name, "FG_", 3) == 0);
        failures.check(exports.Fg_getParameterId(fg, 18) == FG_WIDTH);
        (void)exports.Fg_getLastErrorNumber(fg);
    }
}

TEST(DispatchConcurrency, MixedSetsAndGetsFromSeveralThreadsKeepEachThreadsValues) {
    AppletOnBoard applet;
    int32_t ids[kThreads];
    for (int i = 0; i < kThreads; ++i) {
        ids[i] = 2000000 + static_cast<int32_t>(applet.registerId(kThreadRegisters[i]));
        ASSERT_GT(ids[i], 2000000) << kThreadRegisters[i];
    }
    Failures failures;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] { mixedWork(applet, i, ids[i], failures); });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.count.load(), 0);
    for (int i = 0; i < kThreads; ++i)
        EXPECT_EQ(applet.reg(kThreadRegisters[i]), static_cast<uint64_t>(i * 100000 + kRounds)) << i;
}

TEST(DispatchConcurrency, DirectRegisterAccessFromSeveralThreadsKeepsWideAndNarrowValuesWhole) {
    kestrel::test::setEnvironment("QUIL_ENABLE_DRA", "1");
    AppletOnBoard applet;
    kestrel::test::setEnvironment("QUIL_ENABLE_DRA", nullptr);
    const int32_t wide =
        1000000 + static_cast<int32_t>(applet.registerId("Device1_Process0_Timestamp_Preset_Value"));
    const int32_t narrow =
        1000000 + static_cast<int32_t>(applet.registerId("Device1_Process0_Camera_FrameTimeout_Ticks"));
    Failures failures;
    std::atomic<bool> stop{false};
    // One writer per register, several readers: a reader must never see a value no writer wrote.
    std::thread wideWriter([&] {
        for (uint64_t i = 1; i <= kRounds; ++i) {
            const uint64_t value = (i << 24) | i; // both halves carry the round
            failures.check(applet.exports().Fg_setParameterWithType(applet.fg(), wide, &value, 0, 0) == 0);
        }
    });
    std::thread narrowWriter([&] {
        for (uint32_t i = 1; i <= kRounds; ++i)
            failures.check(applet.exports().Fg_setParameterWithType(applet.fg(), narrow, &i, 0, 0) == 0);
    });
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back([&] {
            while (!stop.load(std::memory_order_acquire)) {
                uint64_t value = 0;
                failures.check(applet.exports().Fg_getParameterWithType(applet.fg(), wide, &value, 0, 0) ==
                               0);
                failures.check((value >> 24) == (value & 0xFFFFFF));
                uint64_t small = ~uint64_t{0};
                failures.check(applet.exports().Fg_getParameterWithType(applet.fg(), narrow, &small, 0, 3) ==
                               0);
                failures.check(small <= kRounds);
            }
        });
    wideWriter.join();
    narrowWriter.join();
    stop.store(true, std::memory_order_release);
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(failures.count.load(), 0);
    EXPECT_EQ(applet.reg("Device1_Process0_Camera_FrameTimeout_Ticks"), static_cast<uint64_t>(kRounds));
}

} // namespace
