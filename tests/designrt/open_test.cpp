// Opening images and asking them: the built image as described, what version and flags mean,
// ownership of the memory, answers for NULL and unknowns.
#include "image_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kestrel::designrt::test {
namespace {

const char* eventName(const void* record) {
    return *reinterpret_cast<const char* const*>(static_cast<const char*>(record) + 8);
}
int32_t eventKind(const void* record) {
    return *reinterpret_cast<const int32_t*>(static_cast<const char*>(record) + 20);
}

class BuiltImage : public ::testing::Test {
protected:
    void* image() const { return image_.get(); }
    uint32_t id(const char* name) const { return DesignImage_GetRegisterId(image(), name); }

private:
    ImageHandle image_{DesignImage_OpenFile(KESTREL_DESIGN_IMAGE_PATH, DESIGNRT_FORMAT_REVISION, 1)};
};

TEST_F(BuiltImage, EveryRegisterMatchesItsDescriptionAndIdsAreUniqueAndClearOfHostIds) {
    ASSERT_NE(image(), nullptr);
    const auto& description = builtDescription();
    ASSERT_EQ(DesignImage_GetRegisterCount(image()), static_cast<int32_t>(description.registers.size()));
    std::set<uint32_t> ids;
    for (std::size_t i = 0; i < description.registers.size(); ++i) {
        const auto& r = description.registers[i];
        const char* name = DesignImage_GetRegisterName(image(), static_cast<int32_t>(i + 1));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(r.name, name);
        EXPECT_EQ(id(name), r.id) << r.name;
        EXPECT_EQ(DesignImage_GetRegisterWidth(image(), r.id), static_cast<int32_t>(r.widthBits)) << r.name;
        EXPECT_EQ(DesignImage_GetRegisterInfo(image(), r.id), r.writable ? 1 : 0) << r.name;
        EXPECT_TRUE(ids.insert(r.id).second) << r.id;
    }
    for (uint32_t reserved : design::kHostReservedIds)
        EXPECT_EQ(ids.count(reserved), 0u) << reserved;
    EXPECT_NE(id("Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile 0"), 0u);
    EXPECT_EQ(id("Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile0"), 0u);
    EXPECT_EQ(id("Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile"), 0u);
}

TEST_F(BuiltImage, EventRecordsMatchTheDescriptionAndEndAfterTheLast) {
    const auto& events = builtDescription().events;
    ASSERT_LE(events.size(), 64u);
    bool internal = false;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const auto* record =
            static_cast<const char*>(DesignImage_GetProperty(image(), static_cast<int32_t>(i)));
        ASSERT_NE(record, nullptr);
        uint32_t header[2] = {};
        uint32_t nameBytes = 0;
        std::memcpy(header, record, sizeof header);
        std::memcpy(&nameBytes, record + 16, 4);
        EXPECT_EQ(header[0], 24u);
        EXPECT_EQ(header[1], i);
        EXPECT_EQ(events[i].name, eventName(record));
        EXPECT_EQ(std::strlen(eventName(record)), nameBytes);
        EXPECT_EQ(eventKind(record), events[i].kind);
        internal = internal || eventKind(record) != 1;
    }
    EXPECT_TRUE(internal) << "an internal event that is not published";
    for (int32_t past : {static_cast<int32_t>(events.size()), 64, -1})
        EXPECT_EQ(DesignImage_GetProperty(image(), past), nullptr) << past;
    // The overflow event comes first.
    EXPECT_STREQ(eventName(DesignImage_GetProperty(image(), 0)), "Device1_Process0_Overflow_Overflow");
}

TEST(DesignImageOpen, RefusesOtherRevisionsUnknownFlagsAndMissingInput) {
    const char* path = KESTREL_DESIGN_IMAGE_PATH;
    EXPECT_NE(ImageHandle(DesignImage_OpenFile(path, 2626, 1)), nullptr);
    for (const auto& [file, revision, flags] : {std::tuple{path, 2625, 1},
                                                {path, 0, 1},
                                                {path, 2626, 2},
                                                {path, 2626, -1},
                                                {"", 2626, 1},
                                                {"/nonexistent/K.hap", 2626, 1},
                                                {"/tmp", 2626, 1},
                                                {"/dev/null", 2626, 1}})
        EXPECT_EQ(DesignImage_OpenFile(file, revision, flags), nullptr)
            << file << " " << revision << " " << flags;
    EXPECT_EQ(DesignImage_OpenFile(nullptr, 2626, 1), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(builtImage().data(), builtImage().size(), 3), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(nullptr, builtImage().size(), 1), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(builtImage().data(), 0, 1), nullptr);
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
    const auto& first = builtDescription().registers[0];
    EXPECT_STREQ(DesignImage_GetRegisterName(image.get(), 1), first.name.c_str());
    EXPECT_EQ(DesignImage_GetRegisterId(image.get(), first.name.c_str()), first.id);
}

TEST(DesignImageQueries, AnswerUnknownForANullImageAndUnknownKeys) {
    DesignImage_Close(nullptr);
    const ImageHandle built = openMemory(builtImage());
    ASSERT_NE(built, nullptr);
    const int32_t count = DesignImage_GetRegisterCount(built.get());
    for (void* image : {static_cast<void*>(nullptr), built.get()}) {
        for (int32_t index : {0, count + 1, -5})
            EXPECT_EQ(DesignImage_GetRegisterName(image, index), nullptr) << index;
        for (const char* name : {static_cast<const char*>(nullptr), "", "aagenenable"})
            EXPECT_EQ(DesignImage_GetRegisterId(image, name), 0u);
        for (uint32_t id : {0u, 999999u}) {
            EXPECT_EQ(DesignImage_GetRegisterWidth(image, id), 0) << id;
            EXPECT_EQ(DesignImage_GetRegisterInfo(image, id), 0) << id;
        }
    }
    EXPECT_EQ(DesignImage_GetRegisterCount(nullptr), 0);
    EXPECT_EQ(DesignImage_GetRegisterName(nullptr, 1), nullptr);
    EXPECT_EQ(DesignImage_GetRegisterId(nullptr, "AAGenEnable"), 0u);
    EXPECT_EQ(DesignImage_GetRegisterWidth(nullptr, 120001), 0);
    EXPECT_EQ(DesignImage_GetRegisterInfo(nullptr, 120001), 0);
    EXPECT_EQ(DesignImage_GetProperty(nullptr, 0), nullptr);
}

TEST(DesignImageQueries, ADesignWithoutRegistersOrEventsOpens) {
    const ImageHandle empty =
        openMemory(design::buildDesignImage(parseText("design Empty\nimage-bytes 100\n")));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(DesignImage_GetRegisterCount(empty.get()), 0);
    EXPECT_EQ(DesignImage_GetRegisterName(empty.get(), 1), nullptr);
    EXPECT_EQ(DesignImage_GetProperty(empty.get(), 0), nullptr);
}

TEST(DesignImageOpen, AnEmptyTableOverlapsNothingWhereverItLies) {
    const auto opensWith = [](const char* lines, std::size_t moved, std::size_t after,
                              std::size_t entryBytes) {
        Bytes image =
            design::buildDesignImage(parseText(std::string("design D\nimage-bytes 4096\n") + lines));
        setField32(image, moved, static_cast<uint32_t>(field32(image, after) + entryBytes));
        reseal(image);
        return openMemory(image) != nullptr;
    };
    EXPECT_TRUE(opensWith("register 1 1 rw value A\nregister 2 1 rw value B\n",
                          format::header::kEventTableOffset, format::header::kRegisterTableOffset,
                          format::kRegisterEntryBytes));
    EXPECT_TRUE(opensWith("event 1 A\nevent 1 B\n", format::header::kRegisterTableOffset,
                          format::header::kEventTableOffset, format::kEventEntryBytes));
}

} // namespace
} // namespace kestrel::designrt::test
