// The binary interface of Kestrel12.so as the dynamic loader sees it: exactly the listed exports,
// the three board-side libraries by soname, and RUNPATH $ORIGIN.
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "applet_export_names.h"

namespace {

// The dynamic symbol table and dynamic section of a 64-bit ELF shared object.
class DynamicInfo {
public:
    explicit DynamicInfo(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (bytes_.size() < sizeof(Elf64_Ehdr) || std::memcmp(bytes_.data(), ELFMAG, SELFMAG) != 0 ||
            bytes_[EI_CLASS] != ELFCLASS64)
            return;
        const auto& header = at<Elf64_Ehdr>(0);
        for (int i = 0; i < header.e_shnum; ++i) {
            const auto& section = at<Elf64_Shdr>(header.e_shoff + i * header.e_shentsize);
            if (section.sh_type == SHT_DYNSYM)
                readSymbols(section, header);
            else if (section.sh_type == SHT_DYNAMIC)
                readDynamic(section, header);
        }
        valid_ = true;
    }

    bool valid() const { return valid_; }
    const std::set<std::string>& exported() const { return exported_; }
    const std::vector<std::string>& needed() const { return needed_; }
    const std::string& runpath() const { return runpath_; }
    bool hasRpath() const { return hasRpath_; }

private:
    template <typename T> const T& at(uint64_t offset) const {
        return *reinterpret_cast<const T*>(bytes_.data() + offset);
    }
    const char* stringAt(const Elf64_Shdr& strings, uint64_t offset) const {
        return reinterpret_cast<const char*>(bytes_.data() + strings.sh_offset + offset);
    }
    const Elf64_Shdr& linkedSection(const Elf64_Shdr& section, const Elf64_Ehdr& header) const {
        return at<Elf64_Shdr>(header.e_shoff + section.sh_link * header.e_shentsize);
    }

    void readSymbols(const Elf64_Shdr& section, const Elf64_Ehdr& header) {
        const Elf64_Shdr& strings = linkedSection(section, header);
        for (uint64_t offset = 0; offset + sizeof(Elf64_Sym) <= section.sh_size;
             offset += sizeof(Elf64_Sym)) {
            const auto& symbol = at<Elf64_Sym>(section.sh_offset + offset);
            const int binding = ELF64_ST_BIND(symbol.st_info);
            const bool defined = symbol.st_shndx != SHN_UNDEF;
            const bool visible = ELF64_ST_VISIBILITY(symbol.st_other) == STV_DEFAULT ||
                                 ELF64_ST_VISIBILITY(symbol.st_other) == STV_PROTECTED;
            if (defined && visible && (binding == STB_GLOBAL || binding == STB_WEAK))
                exported_.insert(stringAt(strings, symbol.st_name));
        }
    }

    void readDynamic(const Elf64_Shdr& section, const Elf64_Ehdr& header) {
        const Elf64_Shdr& strings = linkedSection(section, header);
        for (uint64_t offset = 0; offset + sizeof(Elf64_Dyn) <= section.sh_size;
             offset += sizeof(Elf64_Dyn)) {
            const auto& entry = at<Elf64_Dyn>(section.sh_offset + offset);
            if (entry.d_tag == DT_NEEDED)
                needed_.push_back(stringAt(strings, entry.d_un.d_val));
            else if (entry.d_tag == DT_RUNPATH)
                runpath_ = stringAt(strings, entry.d_un.d_val);
            else if (entry.d_tag == DT_RPATH)
                hasRpath_ = true;
        }
    }

    std::vector<char> bytes_;
    bool valid_ = false;
    std::set<std::string> exported_;
    std::vector<std::string> needed_;
    std::string runpath_;
    bool hasRpath_ = false;
};

class AppletBinary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(info.valid()) << KESTREL_APPLET_PATH; }
    DynamicInfo info{KESTREL_APPLET_PATH};
};

} // namespace

TEST_F(AppletBinary, IsKestrel12SoExportingExactlyTheEntryPoints) {
    const std::string path = KESTREL_APPLET_PATH;
    EXPECT_EQ(path.substr(path.find_last_of('/') + 1), "Kestrel12.so");
    const auto names = kestrel::test::appletExportNames();
    EXPECT_EQ(info.exported(), std::set<std::string>(names.begin(), names.end()));
}

// The three board-side libraries by soname, not the host library, found beside it.
TEST_F(AppletBinary, NeedsTheBoardSideLibrariesThroughRunpathOrigin) {
    const auto& needed = info.needed();
    for (const char* soname : {"libdesignrt.so", "libregiort.so", "libboardhw.so"})
        EXPECT_NE(std::find(needed.begin(), needed.end(), soname), needed.end()) << soname;
    EXPECT_EQ(std::find(needed.begin(), needed.end(), "libgrabhost5.so"), needed.end());
    EXPECT_EQ(info.runpath(), "$ORIGIN");
    EXPECT_FALSE(info.hasRpath());
}
