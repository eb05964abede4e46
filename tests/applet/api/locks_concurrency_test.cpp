// The object lock serialises threads: counted increments under it are never lost.
#include "support/locks.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using quil::templates::platform::CriticalSection;
using quil::templates::platform::CriticalSectionGuard;
using quil::templates::platform::RecursiveMutex;
using quil::templates::platform::RecursiveMutexGuard;

TEST(CriticalSectionConcurrency, GuardsSerialiseEveryThread) {
    CriticalSection section;
    long counter = 0; // deliberately plain: only the lock protects it
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                CriticalSectionGuard guard(section);
                ++counter;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 8000);
    EXPECT_FALSE(section.isLocked());
}

TEST(RecursiveMutexConcurrency, NestedGuardsSerialiseEveryThread) {
    RecursiveMutex mutex;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                RecursiveMutexGuard outer(mutex);
                RecursiveMutexGuard inner(mutex);
                ++counter;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 8000);
    EXPECT_EQ(mutex.holdCount(), 0u);
}
