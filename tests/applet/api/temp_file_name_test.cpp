// Temporary coefficient file names: base-62 digits, counter steps, exclusive creation, limits.
#include "core/temp_file_name.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "scoped_environment.h"

using kestrel::fillTemplateAndCreate;
using kestrel::makeTempFileName;
using kestrel::tempNameCounter;
using kestrel::test::ScopedEnvironment;

namespace {

// Six base-62 digits, least significant first.
std::string base62(uint64_t value) {
    constexpr const char* kDigits = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string digits;
    for (int i = 0; i < 6; ++i, value /= 62)
        digits.push_back(kDigits[value % 62]);
    return digits;
}

class TempFileName : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrel-temp-XXXXXX";
        dir = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    void touch(const std::string& name) const { std::fclose(std::fopen((dir + "/" + name).c_str(), "w")); }
    std::string dir;
};

} // namespace

// The digits are the tick plus the counter, which keeps that sum; a taken name advances the counter
// by 7777 and tries again.
TEST_F(TempFileName, DigitsAreTheTickPlusTheCounterAndATakenNameStepsBy7777) {
    const uint64_t first = 9000 + tempNameCounter();
    touch("coef-" + base62(first) + ".tiff");
    std::string name = dir + "/coef-XXXXXX.tiff";
    ASSERT_TRUE(fillTemplateAndCreate(name, 5, 9000));
    EXPECT_EQ(name, dir + "/coef-" + base62(first + 7777) + ".tiff");
    EXPECT_EQ(tempNameCounter(), first + 7777);
    EXPECT_TRUE(std::filesystem::exists(name));
    // Two names in the same millisecond differ.
    std::string again = dir + "/coef-XXXXXX.tiff";
    ASSERT_TRUE(fillTemplateAndCreate(again, 5, 9000));
    EXPECT_NE(again, name);
}

// Where no file can be made, every one of the attempts steps the counter, and the name is emptied.
TEST_F(TempFileName, AllAttemptsAreMadeBeforeGivingUp) {
    const uint64_t first = 5 + tempNameCounter();
    std::string name = "/nonexistent-kestrel-directory/coef-XXXXXX.tiff";
    EXPECT_FALSE(fillTemplateAndCreate(name, 5, 5));
    EXPECT_TRUE(name.empty());
    EXPECT_EQ(tempNameCounter(), first + 7777u * kestrel::kTempFileAttempts);
}

TEST_F(TempFileName, TemplatesWithoutSixXAreRefusedUnchanged) {
    for (std::string bad : {"/tmp/coef-XXXXX.tiff", "XXXXX"}) {
        std::string name = bad;
        EXPECT_FALSE(fillTemplateAndCreate(name, 5, 1));
        EXPECT_EQ(name, bad) << "left unchanged";
    }
}

TEST_F(TempFileName, MadeInTmpdirAsAnEmptyOwnerOnlyFile) {
    ScopedEnvironment tmpdir("TMPDIR", dir.c_str());
    const std::optional<std::string> name = makeTempFileName();
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(name->rfind(dir + "/coef-", 0), 0u);
    EXPECT_EQ(name->size(), dir.size() + 1 + 16);
    EXPECT_EQ(name->substr(name->size() - 5), ".tiff");
    struct stat info {};
    ASSERT_EQ(stat(name->c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 0);
    kestrel::removeTempFile(*name);
    EXPECT_FALSE(std::filesystem::exists(*name));
}

TEST_F(TempFileName, TheDirectoryIsTmpdirWithOneSeparatorOrTmp) {
    // {TMPDIR (null: unset), directory}
    const std::pair<const char*, const char*> rows[] = {
        {"/var/tmp", "/var/tmp/"}, {"/var/tmp/", "/var/tmp/"}, {"", "/tmp/"}, {nullptr, "/tmp/"}};
    for (const auto& [value, directory] : rows) {
        ScopedEnvironment tmpdir("TMPDIR", value);
        EXPECT_EQ(kestrel::platform::temporaryDirectory(), directory) << (value ? value : "unset");
    }
}

// The directory may hold at most 242 characters with its separator.
TEST_F(TempFileName, DirectoryOf242CharactersIsTheLongestThatGivesAName) {
    std::string directory = dir + "/";
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
