// The binary interface of Kestrel12.so as the dynamic loader sees it, read with
// binutils: exactly the listed exports, the three board-side libraries by
// soname, and RUNPATH $ORIGIN.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "applet_export_names.h"

namespace {

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    std::array<char, 4096> buffer{};
    for (std::size_t n = 0; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        out.append(buffer.data(), n);
    EXPECT_EQ(::pclose(pipe), 0) << command;
    return out;
}

TEST(AppletBinary, IsKestrel12SoExportingExactlyTheEntryPoints) {
    const std::string path = KESTREL_APPLET_PATH;
    EXPECT_EQ(path.substr(path.find_last_of('/') + 1), "Kestrel12.so");
    // Defined dynamic symbols of default or protected visibility, weak ones
    // included.
    std::istringstream symbols(run("nm -D --defined-only --format=just-symbols '" + path + "'"));
    std::set<std::string> exported;
    for (std::string name; symbols >> name;)
        exported.insert(name);
    const auto names = kestrel::test::appletExportNames();
    EXPECT_EQ(exported, std::set<std::string>(names.begin(), names.end()));
}

// The three board-side libraries by soname, not the host library, found beside
// it.
TEST(AppletBinary, NeedsTheBoardSideLibrariesThroughRunpathOrigin) {
    const std::string dynamic = run("readelf -d '" KESTREL_APPLET_PATH "'");
    for (const char* soname : {"libdesignrt.so", "libregiort.so", "libboardhw.so"})
        EXPECT_NE(dynamic.find("Shared library: [" + std::string(soname) + "]"), std::string::npos)
            << soname << " in\n"
            << dynamic;
    EXPECT_EQ(dynamic.find("[libgrabhost5.so]"), std::string::npos);
    EXPECT_NE(dynamic.find("Library runpath: [$ORIGIN]"), std::string::npos) << dynamic;
    EXPECT_EQ(dynamic.find("(RPATH)"), std::string::npos);
}

} // namespace
