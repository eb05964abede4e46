// Splitting the applet's own path into the directory of "inspect.conf" and the module name.
#include "params/module_location.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

TEST(ModuleLocation, SplitsDirectoryAndNameWithoutTheLastExtension) {
    // {path, directory, module name}; either separator counts.
    const char* const rows[][3] = {
        {"/opt/kestrel/lib/Kestrel12.so", "/opt/kestrel/lib", "Kestrel12"},
        {"C:\\Program Files\\Kestrel\\Kestrel12.dll", "C:\\Program Files\\Kestrel", "Kestrel12"},
        {"/lib/Kestrel12.so.2", "/lib", "Kestrel12.so"},
        {"/lib.d/Kestrel12", "/lib.d", "Kestrel12"}};
    for (const auto& [path, directory, name] : rows) {
        const auto location = splitModulePath(path);
        ASSERT_TRUE(location.has_value()) << path;
        EXPECT_EQ(location->directory, directory);
        EXPECT_EQ(location->moduleName, name);
    }
    EXPECT_EQ(inspectFilePath(*splitModulePath("/opt/lib/Kestrel12.so")), "/opt/lib/inspect.conf");
    for (const char* path : {"Kestrel12.so", "/Kestrel12.so", "/lib/.so", "/lib/", ""})
        EXPECT_FALSE(splitModulePath(path).has_value()) << path;
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
