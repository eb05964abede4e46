// One open image queried from several threads at once, as hosts with several grabber threads do.
#include "image_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kestrel::designrt::test {
namespace {

TEST(ConcurrentLookup, ThreadsResolveTheSameAnswersTogether) {
    const ImageHandle image = openMemory(builtImage());
    ASSERT_NE(image, nullptr);
    const auto& registers = builtDescription().registers;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 50; ++round) {
                for (const auto& r : registers) {
                    if (DesignImage_GetRegisterId(image.get(), r.name.c_str()) != r.id ||
                        DesignImage_GetRegisterWidth(image.get(), r.id) != static_cast<int32_t>(r.widthBits))
                        ++mismatches;
                }
                if (DesignImage_GetProperty(image.get(), 0) == nullptr)
                    ++mismatches;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(ConcurrentLookup, ThreadsOpenAndCloseTheirOwnImages) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 5; ++round) {
                const ImageHandle image(DesignImage_OpenFile(KESTREL_DESIGN_IMAGE_PATH, 2626, 1));
                if (!image || DesignImage_GetRegisterCount(image.get()) == 0)
                    ++failures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
} // namespace kestrel::designrt::test
