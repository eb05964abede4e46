// Temporary coefficient file names: base-62 digits, counter steps, exclusive creation, limits.
#include "core/temp_file_name.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "scoped_environment.h"
#include "scratch_dir.h"

using kestrel::fillTemplateAndCreate;
using kestrel::makeTempFileName;
using kestrel::tempNameCounter;
using kestrel::test::ScopedEnvironment;
using TempFileName = kestrel::test::ScratchDirTest;

namespace {

// Six base-62 digits, least significant first.
std::string base62(uint64_t value) {
    constexpr const char* kDigits = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string digits;
    for (int i = 0; i < 6; ++i, value /= 62)
        digits.push_back(kDigits[value % 62]);
    return digits;
}

} // namespace

// The digits are the tick plus the counter, which keeps that sum; a taken name advances the counter
// by 7777 and tries again. Where no file can be made, every attempt steps the counter, and the name
// is emptied; a template without six X is refused unchanged.
TEST_F(TempFileName, DigitsAreTheTickPlusTheCounterAndATakenNameStepsBy7777) {
    const uint64_t first = 9000 + tempNameCounter();
    writeFile("coef-" + base62(first) + ".tiff", "");
    std::string name = path("coef-XXXXXX.tiff");
    ASSERT_TRUE(fillTemplateAndCreate(name, 5, 9000));
    EXPECT_EQ(name, path("coef-" + base62(first + 7777) + ".tiff"));
    EXPECT_EQ(tempNameCounter(), first + 7777);
    EXPECT_TRUE(std::filesystem::exists(name));
    std::string again = path("coef-XXXXXX.tiff");
    ASSERT_TRUE(fillTemplateAndCreate(again, 5, 9000));
    EXPECT_NE(again, name) << "two names in the same millisecond";

    const uint64_t before = 5 + tempNameCounter();
    std::string nowhere = "/nonexistent-kestrel-directory/coef-XXXXXX.tiff";
    EXPECT_FALSE(fillTemplateAndCreate(nowhere, 5, 5));
    EXPECT_TRUE(nowhere.empty());
    EXPECT_EQ(tempNameCounter(), before + 7777u * kestrel::kTempFileAttempts);
    for (std::string bad : {"/tmp/coef-XXXXX.tiff", "XXXXX"}) {
        std::string refused = bad;
        EXPECT_FALSE(fillTemplateAndCreate(refused, 5, 1));
        EXPECT_EQ(refused, bad);
    }
}

// An empty owner-only file in TMPDIR (with one separator) or /tmp; the directory may hold at most
// 242 characters with its separator.
TEST_F(TempFileName, MadeInTmpdirAsAnEmptyOwnerOnlyFile) {
    const std::string dir = path("");
    {
        ScopedEnvironment tmpdir("TMPDIR", dir.substr(0, dir.size() - 1).c_str());
        const std::optional<std::string> name = makeTempFileName();
        ASSERT_TRUE(name.has_value());
        EXPECT_EQ(name->rfind(dir + "coef-", 0), 0u);
        EXPECT_EQ(name->size(), dir.size() + 16);
        EXPECT_EQ(name->substr(name->size() - 5), ".tiff");
        struct stat info {};
        ASSERT_EQ(stat(name->c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_EQ(info.st_size, 0);
        kestrel::removeTempFile(*name);
        EXPECT_FALSE(std::filesystem::exists(*name));
    }
    const std::pair<const char*, const char*> rows[] = {
        {"/var/tmp", "/var/tmp/"}, {"/var/tmp/", "/var/tmp/"}, {"", "/tmp/"}, {nullptr, "/tmp/"}};
    for (const auto& [value, directory] : rows) {
        ScopedEnvironment tmpdir("TMPDIR", value);
        EXPECT_EQ(kestrel::platform::temporaryDirectory(), directory) << (value ? value : "unset");
    }
    std::string directory = dir;
    while (directory.size() < 242) {
        const std::size_t room = 242 - directory.size();
        directory.append(room > 100 ? 99 : room - 1, 'e');
        directory.push_back('/');
    }
    for (const std::string& tried : {directory, directory.substr(0, 241) + "e/"}) {
        std::filesystem::create_directories(tried);
        ScopedEnvironment tmpdir("TMPDIR", tried.c_str());
        const std::optional<std::string> name = makeTempFileName();
        EXPECT_EQ(name.has_value(), tried.size() == 242) << tried.size();
        if (name.has_value())
            kestrel::removeTempFile(*name);
    }
}
