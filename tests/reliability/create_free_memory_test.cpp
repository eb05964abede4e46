// Creating and freeing the applet over and over must not grow the process: 1,000 cycles after a
// warm-up may add less than 1 MiB of resident memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "applet_on_board.h"
#include "kestrel12.h"

namespace {

#ifdef KESTREL_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

int64_t residentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    return -1;
}

void cycles(gh5::Board& board, int count) {
    for (int i = 0; i < count; ++i) {
        gh5::Grabber grabber = gh5::Grabber::create(board, "Kestrel12");
        const uint32_t width = 512;
        ASSERT_EQ(grabber.exports().Fg_setParameterWithType(grabber.record(), FG_WIDTH, &width, 0, 0), 0);
        ASSERT_EQ(grabber.free(), 0);
    }
}

TEST(CreateAndFree, ThousandCyclesGrowTheResidentSizeByLessThanOneMebibyte) {
    gh5::Board board = gh5::Board::open(0);
    ASSERT_NO_FATAL_FAILURE(cycles(board, 20));
    const int64_t before = residentBytes();
    ASSERT_GT(before, 0);
    const int count = kSanitized ? 50 : 1000;
    ASSERT_NO_FATAL_FAILURE(cycles(board, count));
    const int64_t growth = residentBytes() - before;
    std::printf("resident size grew by %lld bytes over %d create-and-free cycles\n", (long long)growth,
                count);
    if (!kSanitized) {
        EXPECT_LT(growth, 1 << 20);
    }
}

} // namespace
