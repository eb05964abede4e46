// Splitting the applet's own path into the directory of "inspect.conf" and the module name.
#include "params/module_location.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

TEST(ModuleLocation, SplitsDirectoryAndNameWithoutExtension) {
    const auto location = splitModulePath("/opt/kestrel/lib/Kestrel12.so");
    ASSERT_TRUE(location.has_value());
    EXPECT_EQ(location->directory, "/opt/kestrel/lib");
    EXPECT_EQ(location->moduleName, "Kestrel12");
    EXPECT_EQ(inspectFilePath(*location), "/opt/kestrel/lib/inspect.conf");
}

TEST(ModuleLocation, RecognisesBackslashesToo) {
    const auto location = splitModulePath("C:\\Program Files\\Kestrel\\Kestrel12.dll");
    ASSERT_TRUE(location.has_value());
    EXPECT_EQ(location->directory, "C:\\Program Files\\Kestrel");
    EXPECT_EQ(location->moduleName, "Kestrel12");
}

TEST(ModuleLocation, CutsOnlyTheLastExtension) {
    const auto location = splitModulePath("/lib/Kestrel12.so.2");
    ASSERT_TRUE(location.has_value());
    EXPECT_EQ(location->moduleName, "Kestrel12.so");
    const auto dotted = splitModulePath("/lib.d/Kestrel12");
    ASSERT_TRUE(dotted.has_value());
    EXPECT_EQ(dotted->moduleName, "Kestrel12");
}

TEST(ModuleLocation, EmptyDirectoryOrNameGivesNothing) {
    EXPECT_FALSE(splitModulePath("Kestrel12.so").has_value());
    EXPECT_FALSE(splitModulePath("/Kestrel12.so").has_value());
    EXPECT_FALSE(splitModulePath("/lib/.so").has_value());
    EXPECT_FALSE(splitModulePath("/lib/").has_value());
    EXPECT_FALSE(splitModulePath("").has_value());
    EXPECT_STREQ(kUnknownModuleName, "none");
}

TEST(ModuleLocation, PathIsReadThroughA261CharacterBuffer) {
    const std::string directory = "/" + std::string(250, 'd');
    const auto location = splitModulePath(directory + "/Kestrel12.so"); // 264 characters
    ASSERT_TRUE(location.has_value());
    EXPECT_EQ(location->moduleName, "Kestrel1");
    EXPECT_EQ(location->directory.size() + 1 + location->moduleName.size(), 260u);
}

} // namespace
} // namespace kestrel
