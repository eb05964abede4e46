// Opening images and asking them: the built image as described, what version and flags mean,
// ownership of the memory, answers for NULL and unknowns.
#include "image_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kestrel::designrt::test {
namespace {

TEST(BuiltImage, EveryRegisterMatchesItsDescriptionAndIdsAreUnique) {
    const ImageHandle image(DesignImage_OpenFile(KESTREL_DESIGN_IMAGE_PATH, DESIGNRT_FORMAT_REVISION, 1));
    ASSERT_NE(image, nullptr);
    const auto& registers = builtDescription().registers;
    ASSERT_EQ(DesignImage_GetRegisterCount(image.get()), static_cast<int32_t>(registers.size()));
    std::set<uint32_t> ids;
    for (std::size_t i = 0; i < registers.size(); ++i) {
        const auto& r = registers[i];
        const char* name = DesignImage_GetRegisterName(image.get(), static_cast<int32_t>(i + 1));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(std::tuple(std::string(name), DesignImage_GetRegisterId(image.get(), name),
                             DesignImage_GetRegisterWidth(image.get(), r.id),
                             DesignImage_GetRegisterInfo(image.get(), r.id)),
                  std::tuple(r.name, r.id, static_cast<int32_t>(r.widthBits), r.writable ? 1 : 0));
        EXPECT_TRUE(ids.insert(r.id).second) << r.id;
    }
}

TEST(DesignImageOpen, RefusesOtherRevisionsUnknownFlagsAndMissingInput) {
    const char* path = KESTREL_DESIGN_IMAGE_PATH;
    for (const auto& [file, revision, flags] : {std::tuple{path, 2625, 1},
                                                {path, 2626, 2},
                                                {"/nonexistent/K.hap", 2626, 1},
                                                {"/dev/null", 2626, 1}})
        EXPECT_EQ(DesignImage_OpenFile(file, revision, flags), nullptr) << file << revision << flags;
    EXPECT_EQ(DesignImage_OpenFile(nullptr, 2626, 1), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(builtImage().data(), builtImage().size(), 3), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(builtImage().data(), 0, 1), nullptr);
    // Without verification a wrong checksum is let through.
    Bytes image = builtImage();
    setField32(image, format::header::kChecksum, field32(image, format::header::kChecksum) ^ 1);
    EXPECT_EQ(openMemory(image, DESIGNRT_OPEN_VERIFY), nullptr);
    EXPECT_NE(openMemory(image, 0), nullptr);
}

TEST(DesignImageOpen, KeepsItsOwnCopyOfTheTables) {
    auto copy = std::make_unique<Bytes>(builtImage());
    const ImageHandle image = openMemory(*copy);
    std::fill(copy->begin(), copy->end(), std::byte{0xAB});
    copy.reset();
    const auto& first = builtDescription().registers[0];
    EXPECT_EQ(DesignImage_GetRegisterId(image.get(), DesignImage_GetRegisterName(image.get(), 1)), first.id);
}

TEST(DesignImageQueries, AnswerUnknownForANullImageAndUnknownKeys) {
    DesignImage_Close(nullptr);
    const ImageHandle built = openMemory(builtImage());
    ASSERT_NE(built, nullptr);
    const int32_t count = DesignImage_GetRegisterCount(built.get());
    for (void* image : {static_cast<void*>(nullptr), built.get()}) {
        for (int32_t index : {0, count + 1})
            EXPECT_EQ(DesignImage_GetRegisterName(image, index), nullptr) << index;
        for (const char* name : {static_cast<const char*>(nullptr), "aagenenable"})
            EXPECT_EQ(DesignImage_GetRegisterId(image, name), 0u);
        EXPECT_EQ(DesignImage_GetRegisterWidth(image, 999999u) + DesignImage_GetRegisterInfo(image, 999999u),
                  0);
        EXPECT_EQ(DesignImage_GetProperty(image, -1), nullptr);
    }
    EXPECT_EQ(DesignImage_GetRegisterCount(nullptr), 0);
    EXPECT_EQ(DesignImage_GetProperty(nullptr, 0), nullptr);
}

} // namespace
} // namespace kestrel::designrt::test
