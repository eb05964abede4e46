// Creating and freeing the applet over and over on the virtual board must not grow the process:
// 1,000 cycles after a warm-up may add less than 1 MiB of resident memory. The figure is printed
// and recorded as a test property. Sanitizer builds keep freed memory in quarantine, so there the
// cycles only run (their leak check covers the rest).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "applet_on_board.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr int kCycles = kSanitized ? 50 : 1000;
constexpr int kWarmUp = 20;
constexpr int64_t kLimitBytes = 1 << 20;

// Resident set size of this process from /proc, in bytes.
int64_t residentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    return -1;
}

void cycle(gh5::Board& board) {
    gh5::Grabber grabber = gh5::Grabber::create(board, "Kestrel12");
    uint32_t width = 512;
    ASSERT_EQ(grabber.exports().Fg_setParameterWithType(grabber.record(), 100, &width, 0, 0), 0);
    ASSERT_EQ(grabber.free(), 0);
}

} // namespace

TEST(CreateAndFree, ThousandCyclesGrowTheResidentSizeByLessThanOneMebibyte) {
    gh5::Board board = gh5::Board::open(0);
    for (int i = 0; i < kWarmUp; ++i)
        ASSERT_NO_FATAL_FAILURE(cycle(board));
    const int64_t before = residentBytes();
    ASSERT_GT(before, 0);
    for (int i = 0; i < kCycles; ++i)
        ASSERT_NO_FATAL_FAILURE(cycle(board));
    const int64_t growth = residentBytes() - before;
    std::printf("resident size grew by %lld bytes over %d create-and-free cycles\n",
                static_cast<long long>(growth), kCycles);
    RecordProperty("rss_growth_bytes", std::to_string(growth));
    if (!kSanitized) {
        EXPECT_LT(growth, kLimitBytes);
    }
}
