// The POSIX platform layer: libraries, module path, environment, temporary directory, files, clock.
#include "platform/platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>

#include "scoped_environment.h"

namespace platform = kestrel::platform;
using kestrel::test::ScopedEnvironment;

TEST(SharedLibrary, LoadsALibraryAndFindsItsSymbols) {
    std::optional<platform::SharedLibrary> library = platform::SharedLibrary::open("libc.so.6");
    ASSERT_TRUE(library.has_value());
    EXPECT_NE(library->symbol("strlen"), nullptr);
    EXPECT_EQ(library->symbol("kestrel_no_such_symbol"), nullptr);
    EXPECT_EQ(library->symbol(nullptr), nullptr);
}

TEST(SharedLibrary, MissingLibraryOrNullNameGivesNothing) {
    EXPECT_FALSE(platform::SharedLibrary::open("libkestrel-no-such-library.so").has_value());
    EXPECT_FALSE(platform::SharedLibrary::open(nullptr).has_value());
}

TEST(SharedLibrary, MovedFromLibraryHasNoSymbols) {
    std::optional<platform::SharedLibrary> library = platform::SharedLibrary::open("libc.so.6");
    ASSERT_TRUE(library.has_value());
    platform::SharedLibrary moved = std::move(*library);
    EXPECT_NE(moved.symbol("strlen"), nullptr);
    EXPECT_EQ(library->symbol("strlen"), nullptr);
}

TEST(Platform, HostLibraryFileName) {
    EXPECT_STREQ(platform::hostLibraryFileName(), "libgrabhost5.so");
}

TEST(Platform, ModuleFileNameIsTheFileHoldingTheCode) {
    const std::string path = platform::moduleFileName();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::equivalent(path, "/proc/self/exe"));
}

TEST(Platform, EnvironmentValueTellsEmptyFromUnset) {
    {
        ScopedEnvironment variable("KESTREL_PLATFORM_TEST", "");
        ASSERT_TRUE(platform::environmentValue("KESTREL_PLATFORM_TEST").has_value());
        EXPECT_EQ(*platform::environmentValue("KESTREL_PLATFORM_TEST"), "");
    }
    ScopedEnvironment variable("KESTREL_PLATFORM_TEST", nullptr);
    EXPECT_FALSE(platform::environmentValue("KESTREL_PLATFORM_TEST").has_value());
}

TEST(Platform, TemporaryDirectoryEndsInOneSeparator) {
    // {TMPDIR (null: unset), directory}
    const std::pair<const char*, const char*> rows[] = {
        {"/var/tmp", "/var/tmp/"}, {"/var/tmp/", "/var/tmp/"}, {"", "/tmp/"}, {nullptr, "/tmp/"}};
    for (const auto& [value, directory] : rows) {
        ScopedEnvironment tmpdir("TMPDIR", value);
        EXPECT_EQ(platform::temporaryDirectory(), directory) << (value ? value : "unset");
    }
}

TEST(Platform, ExclusiveCreateRefusesAnExistingFile) {
    char pattern[] = "/tmp/kestrel-platform-XXXXXX";
    const std::string directory = mkdtemp(pattern);
    const std::string path = directory + "/file";
    EXPECT_TRUE(platform::createFileExclusive(path.c_str()));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_FALSE(platform::createFileExclusive(path.c_str()));
    EXPECT_TRUE(platform::removeFile(path.c_str()));
    EXPECT_FALSE(platform::removeFile(path.c_str()));
    std::filesystem::remove_all(directory);
}

TEST(NativeMutex, OwnerMayTakeItAgain) {
    platform::NativeMutex mutex;
    mutex.lock();
    EXPECT_TRUE(mutex.tryLock());
    EXPECT_TRUE(mutex.unlock());
    EXPECT_TRUE(mutex.unlock());
}
