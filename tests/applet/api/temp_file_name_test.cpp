// Temporary coefficient file names: base-62 digits, counter steps, exclusive creation, limits.
#include "api/temp_file_name.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "scoped_environment.h"

using kestrel::fillTemplateAndCreate;
using kestrel::makeTempFileName;
using kestrel::tempNameCounter;
using kestrel::test::ScopedEnvironment;

namespace {

std::string base62(uint64_t value) {
    constexpr const char* kDigits = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string digits;
    for (int i = 0; i < 6; ++i) {
        digits.push_back(kDigits[value % 62]);
        value /= 62;
    }
    return digits;
}

class TempDirectory {
public:
    TempDirectory() {
        char pattern[] = "/tmp/kestrel-temp-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDirectory() { std::filesystem::remove_all(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace

TEST(TempFileName, DigitsAreBase62OfTickPlusCounterLeastSignificantFirst) {
    TempDirectory directory;
    const uint64_t tick = 62 * 62 + 1;
    const uint64_t expected = tick + tempNameCounter();
    std::string name = directory.path() + "/coef-XXXXXX.tiff";
    ASSERT_TRUE(fillTemplateAndCreate(name, 5, tick));
    EXPECT_EQ(name, directory.path() + "/coef-" + base62(expected) + ".tiff");
    EXPECT_EQ(tempNameCounter(), expected);
    EXPECT_TRUE(std::filesystem::exists(name));
}

TEST(TempFileName, TwoNamesInTheSameMillisecondDiffer) {
    TempDirectory directory;
    std::string first = directory.path() + "/coef-XXXXXX.tiff";
    std::string second = first;
    ASSERT_TRUE(fillTemplateAndCreate(first, 5, 1000));
    ASSERT_TRUE(fillTemplateAndCreate(second, 5, 1000));
    EXPECT_NE(first, second);
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
}

TEST(TempFileName, ATakenNameAdvancesTheCounterBy7777) {
    TempDirectory directory;
    const uint64_t tick = 5000;
    const uint64_t first = tick + tempNameCounter();
    const std::string taken = directory.path() + "/coef-" + base62(first) + ".tiff";
    std::filesystem::create_directories(directory.path());
    {
        std::FILE* file = std::fopen(taken.c_str(), "w");
        std::fclose(file);
    }

    std::string name = directory.path() + "/coef-XXXXXX.tiff";
    ASSERT_TRUE(fillTemplateAndCreate(name, 5, tick));
    EXPECT_EQ(name, directory.path() + "/coef-" + base62(first + 7777) + ".tiff");
    EXPECT_EQ(tempNameCounter(), first + 7777);
}

// Every attempt counts: with all names but the last attempt's taken, that one is still made.
TEST(TempFileName, TheLastAttemptIsStillMade) {
    TempDirectory directory;
    std::filesystem::create_directories(directory.path());
    const uint64_t tick = 9000;
    const uint64_t first = tick + tempNameCounter();
    for (int attempt = 0; attempt + 1 < kestrel::kTempFileAttempts; ++attempt) {
        std::FILE* file =
            std::fopen((directory.path() + "/c" + base62(first + 7777u * attempt)).c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    std::string name = directory.path() + "/cXXXXXX";
    ASSERT_TRUE(fillTemplateAndCreate(name, 0, tick));
    EXPECT_EQ(name, directory.path() + "/c" + base62(first + 7777u * (kestrel::kTempFileAttempts - 1)));
}

TEST(TempFileName, TemplateWithoutSixXBeforeTheSuffixIsRefusedUnchanged) {
    std::string name = "/tmp/coef-XXXXX.tiff";
    EXPECT_FALSE(fillTemplateAndCreate(name, 5, 1));
    EXPECT_EQ(name, "/tmp/coef-XXXXX.tiff");
    std::string tooShort = "XXXXX";
    EXPECT_FALSE(fillTemplateAndCreate(tooShort, 5, 1));
    EXPECT_EQ(tooShort, "XXXXX");
}

TEST(TempFileName, NoCreatableFileEmptiesTheName) {
    std::string name = "/nonexistent-kestrel-directory/coef-XXXXXX.tiff";
    EXPECT_FALSE(fillTemplateAndCreate(name, 5, 1));
    EXPECT_TRUE(name.empty());
}

TEST(TempFileName, MadeInTmpdirAsAnOwnerOnlyFile) {
    TempDirectory directory;
    ScopedEnvironment tmpdir("TMPDIR", directory.path().c_str());
    const std::optional<std::string> name = makeTempFileName();
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(name->rfind(directory.path() + "/coef-", 0), 0u);
    EXPECT_EQ(name->size(), directory.path().size() + 1 + 16);
    EXPECT_EQ(name->substr(name->size() - 5), ".tiff");
    struct stat info {};
    ASSERT_EQ(stat(name->c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 0);
    kestrel::removeTempFile(*name);
    EXPECT_FALSE(std::filesystem::exists(*name));
}

TEST(TempFileName, EmptyTmpdirFallsBackToTmp) {
    ScopedEnvironment tmpdir("TMPDIR", "");
    const std::optional<std::string> name = makeTempFileName();
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(name->rfind("/tmp/coef-", 0), 0u);
    kestrel::removeTempFile(*name);
}

TEST(TempFileName, DirectoryOf243CharactersGivesNoName) {
    std::string directory = "/tmp/";
    directory.append(243 - directory.size() - 1, 'd');
    directory.push_back('/');
    ASSERT_EQ(directory.size(), 243u);
    ScopedEnvironment tmpdir("TMPDIR", directory.c_str());
    EXPECT_FALSE(makeTempFileName().has_value());
}

TEST(TempFileName, DirectoryOf242CharactersStillGivesAName) {
    TempDirectory base;
    std::string directory = base.path() + "/";
    // Components under the file-name limit, the whole directory 242 characters with its '/'.
    while (directory.size() < 242) {
        const std::size_t room = 242 - directory.size();
        const std::size_t component = room > 100 ? 99 : room - 1;
        directory.append(component, 'e');
        directory.push_back('/');
    }
    ASSERT_EQ(directory.size(), 242u);
    std::filesystem::create_directories(directory);
    ScopedEnvironment tmpdir("TMPDIR", directory.c_str());
    const std::optional<std::string> name = makeTempFileName();
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(name->size(), 242u + 16u);
    kestrel::removeTempFile(*name);
}
