// Creating and freeing the applet over and over must not grow the process: 1,000 cycles after a
// warm-up may add less than 1 MiB of resident memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "applet_on_board.h"
#include "kestrel12.h"

namespace {

int64_t residentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    return -1;
}

TEST(CreateAndFree, ThousandCyclesGrowTheResidentSizeByLessThanOneMebibyte) {
    gh5::Board board = gh5::Board::open(0);
    const auto cycles = [&board](int count) {
        for (int i = 0; i < count; ++i) {
            gh5::Grabber grabber = gh5::Grabber::create(board, "Kestrel12");
            const uint32_t width = 512;
            EXPECT_EQ(grabber.exports().Fg_setParameterWithType(grabber.record(), FG_WIDTH, &width, 0, 0), 0);
            EXPECT_EQ(grabber.free(), 0);
        }
    };
    cycles(20);
    const int64_t before = residentBytes();
    ASSERT_GT(before, 0);
#ifdef KESTREL_SANITIZED
    const int count = 50;
#else
    const int count = 1000;
#endif
    cycles(count);
    const int64_t growth = residentBytes() - before;
    std::printf("resident size grew by %lld bytes over %d create-and-free cycles\n", (long long)growth,
                count);
#ifndef KESTREL_SANITIZED
    EXPECT_LT(growth, 1 << 20);
#endif
}

} // namespace
