// Images opened, queried and closed from several threads at once, as hosts with several grabber
// threads do: one image shared by all, and one of each thread's own.
#include "image_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kestrel::designrt::test {
namespace {

TEST(ConcurrentLookup, ThreadsResolveTheSameAnswersTogether) {
    const ImageHandle shared = openMemory(builtImage());
    ASSERT_NE(shared, nullptr);
    const auto& registers = builtDescription().registers;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 20; ++round) {
                const ImageHandle own(DesignImage_OpenFile(KESTREL_DESIGN_IMAGE_PATH, 2626, 1));
                for (void* image : {shared.get(), own.get()})
                    for (const auto& r : registers)
                        if (DesignImage_GetRegisterId(image, r.name.c_str()) != r.id ||
                            DesignImage_GetRegisterWidth(image, r.id) != static_cast<int32_t>(r.widthBits))
                            ++mismatches;
                if (DesignImage_GetProperty(shared.get(), 0) == nullptr)
                    ++mismatches;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
} // namespace kestrel::designrt::test
