// The binary interface of Kestrel12.so as the dynamic loader sees it: exactly the listed exports,
// the three board-side libraries by soname, and RUNPATH $ORIGIN.
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

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

const std::set<std::string> kExpectedExports = {"Std_entry",
                                                "Info",
                                                "Fg_setParameterWithType",
                                                "Fg_getParameterWithType",
                                                "Fg_getParameterIdByName",
                                                "Fg_getParameterName",
                                                "Fg_getParameterId",
                                                "Fg_getNrOfParameter",
                                                "Fg_getEventMask",
                                                "Fg_getEventName",
                                                "Fg_saveConfig",
                                                "Fg_loadConfig",
                                                "Fg_getParameterInfoXML",
                                                "Fg_getParameterInfo",
                                                "Fg_AllocShading",
                                                "Fg_FreeShading",
                                                "Shad_SetSubValueLine",
                                                "Shad_SetMultValueLine",
                                                "Shad_SetFixedPatternNoiseLine",
                                                "Shad_GetMaxLine",
                                                "Shad_GetAccess",
                                                "Shad_FreeAccess",
                                                "Shad_WriteActLine",
                                                "Fg_getAppletId",
                                                "Fg_getStatusEx",
                                                "Fg_AcquireEx",
                                                "Fg_stopAcquireEx",
                                                "Fg_getLastPicNumberEx",
                                                "Fg_getLastPicNumberBlockingEx",
                                                "Fg_getLastErrorNumber",
                                                "Fg_FreeGrabber"};

class AppletBinary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(info.valid()) << KESTREL_APPLET_PATH; }
    DynamicInfo info{KESTREL_APPLET_PATH};
};

} // namespace

TEST(AppletBinaryName, HasNoLibPrefix) {
    const std::string path = KESTREL_APPLET_PATH;
    EXPECT_EQ(path.substr(path.find_last_of('/') + 1), "Kestrel12.so");
}

TEST_F(AppletBinary, ExportsExactlyTheThirtyOneEntryPoints) {
    ASSERT_EQ(kExpectedExports.size(), 31u);
    std::vector<std::string> unexpected;
    std::set_difference(info.exported().begin(), info.exported().end(), kExpectedExports.begin(),
                        kExpectedExports.end(), std::back_inserter(unexpected));
    std::vector<std::string> missing;
    std::set_difference(kExpectedExports.begin(), kExpectedExports.end(), info.exported().begin(),
                        info.exported().end(), std::back_inserter(missing));
    EXPECT_TRUE(unexpected.empty()) << "unexpected export: " << unexpected.front();
    EXPECT_TRUE(missing.empty()) << "missing export: " << missing.front();
}

TEST_F(AppletBinary, NeedsTheThreeBoardSideLibrariesBySoname) {
    for (const char* soname : {"libdesignrt.so", "libregiort.so", "libboardhw.so"})
        EXPECT_NE(std::find(info.needed().begin(), info.needed().end(), soname), info.needed().end())
            << soname;
}

TEST_F(AppletBinary, DoesNotNeedTheHostLibrary) {
    EXPECT_EQ(std::find(info.needed().begin(), info.needed().end(), "libgrabhost5.so"), info.needed().end());
}

TEST_F(AppletBinary, FindsItsNeighboursThroughRunpathOrigin) {
    EXPECT_EQ(info.runpath(), "$ORIGIN");
    EXPECT_FALSE(info.hasRpath());
}
