// Temporary coefficient files: where they are made and how.
#include "core/temp_file_name.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/platform.h"
#include "scoped_environment.h"
#include "scratch_dir.h"

using kestrel::makeTempFileName;
using kestrel::test::ScopedEnvironment;
using TempFileName = kestrel::test::ScratchDirTest;

// An empty owner-only file in TMPDIR (with one separator) or /tmp.
TEST_F(TempFileName, MadeInTmpdirAsAnEmptyOwnerOnlyFile) {
    const std::string dir = path("");
    {
        ScopedEnvironment tmpdir("TMPDIR", dir.substr(0, dir.size() - 1).c_str());
        const std::optional<std::string> name = makeTempFileName();
        ASSERT_TRUE(name.has_value());
        EXPECT_EQ(name->size(), dir.size() + 16);
        struct stat info {};
        ASSERT_EQ(stat(name->c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_EQ(info.st_size, 0);
        kestrel::removeTempFile(*name);
    }
    const std::pair<const char*, const char*> rows[] = {
        {"/var/tmp", "/var/tmp/"}, {"/var/tmp/", "/var/tmp/"}, {"", "/tmp/"}, {nullptr, "/tmp/"}};
    for (const auto& [value, directory] : rows) {
        ScopedEnvironment tmpdir("TMPDIR", value);
        EXPECT_EQ(kestrel::platform::temporaryDirectory(), directory) << (value ? value : "unset");
    }
}
