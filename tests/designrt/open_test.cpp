// Opening images: what version and flags mean, ownership of the memory, answers for NULL and unknowns.
#include "image_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace kestrel::designrt::test {
namespace {

class TemporaryDirectory {
public:
    TemporaryDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "designrt-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TemporaryDirectory() { std::filesystem::remove_all(path_); }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    std::filesystem::path operator/(const char* name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

TEST(DesignImageOpen, FileRequiresTheFormatRevision) {
    EXPECT_EQ(DesignImage_OpenFile(builtImagePath(), 2625, DESIGNRT_OPEN_VERIFY), nullptr);
    EXPECT_EQ(DesignImage_OpenFile(builtImagePath(), 0, DESIGNRT_OPEN_VERIFY), nullptr);
    const ImageHandle image(DesignImage_OpenFile(builtImagePath(), 2626, 1));
    EXPECT_NE(image, nullptr);
}

TEST(DesignImageOpen, RefusesUnknownFlagBits) {
    EXPECT_EQ(DesignImage_OpenFile(builtImagePath(), 2626, 2), nullptr);
    EXPECT_EQ(DesignImage_OpenFile(builtImagePath(), 2626, -1), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(builtImage().data(), builtImage().size(), 3), nullptr);
}

TEST(DesignImageOpen, WithoutVerifyAcceptsAWrongChecksum) {
    Bytes image = builtImage();
    setField32(image, format::header::kChecksum, field32(image, format::header::kChecksum) ^ 1);
    EXPECT_EQ(openMemory(image, DESIGNRT_OPEN_VERIFY), nullptr);
    EXPECT_NE(openMemory(image, 0), nullptr);
}

TEST(DesignImageOpen, KeepsItsOwnCopyOfTheTables) {
    auto copy = std::make_unique<Bytes>(builtImage());
    const ImageHandle image = openMemory(*copy);
    ASSERT_NE(image, nullptr);
    std::fill(copy->begin(), copy->end(), std::byte{0xAB});
    copy.reset();
    EXPECT_STREQ(DesignImage_GetRegisterName(image.get(), 1), builtDescription().registers[0].name.c_str());
    EXPECT_EQ(DesignImage_GetRegisterId(image.get(), builtDescription().registers[0].name.c_str()),
              builtDescription().registers[0].id);
}

TEST(DesignImageOpen, RefusesMissingPathsNonFilesAndNullMemory) {
    EXPECT_EQ(DesignImage_OpenFile(nullptr, 2626, 1), nullptr);
    EXPECT_EQ(DesignImage_OpenFile("", 2626, 1), nullptr);
    EXPECT_EQ(DesignImage_OpenFile("/nonexistent/Kestrel12.hap", 2626, 1), nullptr);
    const TemporaryDirectory dir;
    EXPECT_EQ(DesignImage_OpenFile(dir.path().c_str(), 2626, 1), nullptr);
    EXPECT_EQ(DesignImage_OpenFile("/dev/null", 2626, 1), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(nullptr, builtImage().size(), 1), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(builtImage().data(), 0, 1), nullptr);
}

TEST(DesignImageQueries, AnswerUnknownForANullImage) {
    DesignImage_Close(nullptr);
    EXPECT_EQ(DesignImage_GetRegisterCount(nullptr), 0);
    EXPECT_EQ(DesignImage_GetRegisterName(nullptr, 1), nullptr);
    EXPECT_EQ(DesignImage_GetRegisterId(nullptr, "AAGenEnable"), 0u);
    EXPECT_EQ(DesignImage_GetRegisterWidth(nullptr, 120001), 0);
    EXPECT_EQ(DesignImage_GetRegisterInfo(nullptr, 120001), 0);
    EXPECT_EQ(DesignImage_GetProperty(nullptr, 0), nullptr);
}

TEST(DesignImageQueries, AnswerUnknownForUnknownKeys) {
    const ImageHandle image = openMemory(builtImage());
    ASSERT_NE(image, nullptr);
    const int32_t count = DesignImage_GetRegisterCount(image.get());
    EXPECT_EQ(DesignImage_GetRegisterName(image.get(), 0), nullptr);
    EXPECT_EQ(DesignImage_GetRegisterName(image.get(), count + 1), nullptr);
    EXPECT_EQ(DesignImage_GetRegisterName(image.get(), -5), nullptr);
    EXPECT_EQ(DesignImage_GetRegisterId(image.get(), nullptr), 0u);
    EXPECT_EQ(DesignImage_GetRegisterId(image.get(), ""), 0u);
    EXPECT_EQ(DesignImage_GetRegisterId(image.get(), "aagenenable"), 0u);
    EXPECT_EQ(DesignImage_GetRegisterWidth(image.get(), 0), 0);
    EXPECT_EQ(DesignImage_GetRegisterWidth(image.get(), 999999), 0);
    EXPECT_EQ(DesignImage_GetRegisterInfo(image.get(), 0), 0);
}

TEST(DesignImageQueries, EventRecordHasItsDocumentedLayout) {
    const ImageHandle image = openMemory(builtImage());
    ASSERT_NE(image, nullptr);
    const auto* record = static_cast<const char*>(DesignImage_GetProperty(image.get(), 1));
    ASSERT_NE(record, nullptr);
    uint32_t recordBytes = 0;
    uint32_t index = 0;
    const char* name = nullptr;
    uint32_t nameBytes = 0;
    std::memcpy(&recordBytes, record, 4);
    std::memcpy(&index, record + 4, 4);
    std::memcpy(&name, record + 8, 8);
    std::memcpy(&nameBytes, record + 16, 4);
    EXPECT_EQ(recordBytes, 24u);
    EXPECT_EQ(index, 1u);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::strlen(name), nameBytes);
    EXPECT_STREQ(name, builtDescription().events[1].name.c_str());
}

TEST(DesignImageQueries, SmallDesignReportsKindsThroughWidthAndAccess) {
    const ImageHandle image = openMemory(design::buildDesignImage(smallDesign()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(DesignImage_GetRegisterCount(image.get()), 4);
    EXPECT_EQ(DesignImage_GetRegisterId(image.get(), "Block_File 0"), 1004u);
    EXPECT_EQ(DesignImage_GetRegisterWidth(image.get(), 1003), 12);
    EXPECT_EQ(DesignImage_GetRegisterInfo(image.get(), 1002), 0);
    EXPECT_EQ(DesignImage_GetRegisterInfo(image.get(), 1001), 1);
}

TEST(DesignImageQueries, DesignWithoutRegistersOrEventsOpens) {
    const ImageHandle image =
        openMemory(design::buildDesignImage(parseText("design Empty\nimage-bytes 100\n")));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(DesignImage_GetRegisterCount(image.get()), 0);
    EXPECT_EQ(DesignImage_GetRegisterName(image.get(), 1), nullptr);
    EXPECT_EQ(DesignImage_GetProperty(image.get(), 0), nullptr);
}

TEST(DesignImageOpen, AnEmptyTableOverlapsNothingWhereverItLies) {
    Bytes image = design::buildDesignImage(parseText("design D\nimage-bytes 4096\nregister 1 1 rw value A\n"
                                                     "register 2 1 rw value B\n"));
    setField32(image, format::header::kEventTableOffset,
               field32(image, format::header::kRegisterTableOffset) + format::kRegisterEntryBytes);
    reseal(image);
    EXPECT_NE(openMemory(image), nullptr);
    image = design::buildDesignImage(parseText("design D\nimage-bytes 4096\nevent 1 A\nevent 1 B\n"));
    setField32(image, format::header::kRegisterTableOffset,
               field32(image, format::header::kEventTableOffset) + format::kEventEntryBytes);
    reseal(image);
    EXPECT_NE(openMemory(image), nullptr);
}

} // namespace
} // namespace kestrel::designrt::test
