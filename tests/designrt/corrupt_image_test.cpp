// Damaged, truncated and foreign images: always refused, never read outside their bytes.
#include "image_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kestrel::designrt::test {
namespace {

namespace header = format::header;
namespace reg = format::reg;

// Opens exactly `length` bytes from a buffer of that size, so that a sanitizer sees any read beyond.
ImageHandle openPrefix(const Bytes& image, std::size_t length, int32_t flags) {
    const Bytes prefix(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
    return openMemory(prefix, flags);
}

// Touches everything an open image hands out; true when every answer is consistent.
bool queryEverything(void* image) {
    bool consistent = true;
    const int32_t count = DesignImage_GetRegisterCount(image);
    for (int32_t i = 1; i <= count; ++i) {
        const char* name = DesignImage_GetRegisterName(image, i);
        if (name == nullptr)
            return false;
        const uint32_t id = DesignImage_GetRegisterId(image, name);
        consistent = consistent && DesignImage_GetRegisterWidth(image, id) > 0;
        DesignImage_GetRegisterInfo(image, id);
    }
    for (int32_t i = 0; const void* record = DesignImage_GetProperty(image, i); ++i) {
        const char* name = nullptr;
        std::memcpy(&name, static_cast<const char*>(record) + 8, sizeof name);
        consistent = consistent && std::strlen(name) > 0;
    }
    return consistent;
}

// The structure checks alone must refuse the image: the checksum is made to match first.
void expectRefused(Bytes image) {
    reseal(image);
    EXPECT_EQ(openMemory(image, DESIGNRT_OPEN_VERIFY), nullptr);
    EXPECT_EQ(openMemory(image, 0), nullptr);
}

Bytes smallImage() {
    return design::buildDesignImage(smallDesign());
}

std::size_t stringOffset(const Bytes& image, const std::string& text) {
    const std::size_t start = field32(image, header::kStringTableOffset);
    const std::size_t size = field32(image, header::kStringTableBytes);
    const std::string strings(reinterpret_cast<const char*>(image.data()) + start, size);
    const std::size_t at = strings.find(text + '\0');
    EXPECT_NE(at, std::string::npos) << text;
    return at;
}

TEST(TruncatedImage, IsRefusedAtEveryLengthThroughTheTables) {
    const Bytes& image = builtImage();
    const std::size_t tablesEnd = field32(image, header::kChecksummedBytes);
    for (std::size_t length = 0; length <= tablesEnd + 64; ++length) {
        EXPECT_EQ(openPrefix(image, length, DESIGNRT_OPEN_VERIFY), nullptr) << length;
        EXPECT_EQ(openPrefix(image, length, 0), nullptr) << length;
    }
}

TEST(DamagedImage, EveryFlippedByteOfHeaderAndTablesFailsTheChecksum) {
    Bytes image = builtImage();
    const std::size_t tablesEnd = field32(image, header::kChecksummedBytes);
    for (std::size_t i = 0; i < tablesEnd; ++i) {
        image[i] ^= std::byte{0xFF};
        EXPECT_EQ(openMemory(image, DESIGNRT_OPEN_VERIFY), nullptr) << i;
        image[i] ^= std::byte{0xFF};
    }
}

TEST(DamagedImage, FlippedBytesWithoutVerifyNeverBreakTheReader) {
    Bytes image = builtImage();
    const std::size_t tablesEnd = field32(image, header::kChecksummedBytes);
    const auto flipAndQuery = [&](std::size_t i, std::byte mask) {
        image[i] ^= mask;
        const ImageHandle opened = openMemory(image, 0);
        if (opened) {
            EXPECT_TRUE(queryEverything(opened.get())) << i;
        }
        image[i] ^= mask;
    };
    for (std::size_t i = 0; i < tablesEnd; ++i)
        flipAndQuery(i, std::byte{0xFF});
    // Counts and offsets one off, or off by a huge amount.
    for (std::size_t i = 0; i < format::kHeaderBytes; ++i) {
        flipAndQuery(i, std::byte{0x01});
        flipAndQuery(i, std::byte{0x80});
    }
}

// A change to a small image that its structure checks must refuse, the checksum made to match.
struct Damage {
    std::string name;
    std::function<void(Bytes&)> apply;
};

Damage field(std::string name, std::size_t offset, uint32_t value) {
    return {std::move(name), [offset, value](Bytes& image) { setField32(image, offset, value); }};
}
Damage registerByte(std::string name, std::size_t member, uint8_t value) {
    return {std::move(name),
            [member, value](Bytes& image) { image[registerEntry(image, 0) + member] = std::byte{value}; }};
}
Damage nameByte(std::string name, const char* text, std::size_t at, uint8_t value) {
    return {std::move(name), [text, at, value](Bytes& image) {
                image[field32(image, header::kStringTableOffset) + stringOffset(image, text) + at] =
                    std::byte{value};
            }};
}

std::vector<Damage> structuralDamage() {
    std::vector<Damage> all{
        {"WrongMagic", [](Bytes& image) { image[0] = std::byte{'X'}; }},
        field("OtherFormatRevision", header::kFormatRevision, 2627),
        field("OtherHeaderSize", header::kHeaderBytes, 128),
        field("ReservedHeaderBitsSet", header::kReserved, 1),
        {"RecordedLengthOneMore",
         [](Bytes& image) { setField64(image, header::kImageBytes, image.size() + 1); }},
        {"RecordedLengthOneLess",
         [](Bytes& image) { setField64(image, header::kImageBytes, image.size() - 1); }},
        {"RecordedLengthHuge", [](Bytes& image) { setField64(image, header::kImageBytes, UINT64_MAX); }},
        field("StringTableHuge", header::kStringTableBytes, UINT32_MAX),
        field("StringTableEmpty", header::kStringTableBytes, 0),
        field("TableRegionBeyondTheImage", header::kChecksummedBytes, 5000),
        field("TableRegionInsideTheHeader", header::kChecksummedBytes, 32),
        {"EventTableOverlapsRegisterTable",
         [](Bytes& image) {
             setField32(image, header::kEventTableOffset, field32(image, header::kRegisterTableOffset) + 8);
         }},
        {"StringTableOverlapsEventTable",
         [](Bytes& image) {
             setField32(image, header::kStringTableOffset, field32(image, header::kEventTableOffset));
         }},
        {"DesignNamePastTheStrings",
         [](Bytes& image) {
             setField32(image, header::kDesignNameOffset, field32(image, header::kStringTableBytes));
         }},
        {"DesignNameInsideAName",
         [](Bytes& image) {
             setField32(image, header::kDesignNameOffset,
                        static_cast<uint32_t>(stringOffset(image, "Small") + 5));
         }},
        {"UnterminatedStringTable",
         [](Bytes& image) {
             image[field32(image, header::kStringTableOffset) + field32(image, header::kStringTableBytes) -
                   1] = std::byte{'x'};
         }},
        {"EmptyRegisterName",
         [](Bytes& image) {
             const auto end = static_cast<uint32_t>(stringOffset(image, "Block_A") + std::strlen("Block_A"));
             setField32(image, registerEntry(image, 0) + reg::kNameOffset, end);
         }},
        nameByte("LineFeedInAName", "Block_B", 2, '\n'),
        nameByte("NonAsciiByteInAName", "Event_One", 1, 0xC3),
        {"DuplicateRegisterIds",
         [](Bytes& image) {
             setField32(image, registerEntry(image, 3) + reg::kId,
                        field32(image, registerEntry(image, 0) + reg::kId));
         }},
        {"DuplicateRegisterNames",
         [](Bytes& image) {
             setField32(image, registerEntry(image, 1) + reg::kNameOffset,
                        field32(image, registerEntry(image, 0) + reg::kNameOffset));
         }},
        {"DuplicateEventNames",
         [](Bytes& image) {
             setField32(image, eventEntry(image, 1) + format::event::kNameOffset,
                        field32(image, eventEntry(image, 0) + format::event::kNameOffset));
         }},
        registerByte("UnknownAccessKind", reg::kAccess, 0x03),
        registerByte("UnknownRegisterKind", reg::kKind, 3),
        registerByte("ReservedRegisterBitsSet", reg::kReserved, 1),
        // Only tables span several entries.
        {"ValueRegisterOfDepthTwo",
         [](Bytes& image) { setField32(image, registerEntry(image, 0) + reg::kDepth, 2); }},
        {"TableRegisterOfDepthZero",
         [](Bytes& image) { setField32(image, registerEntry(image, 2) + reg::kDepth, 0); }},
    };
    for (uint32_t count : {uint32_t{5}, format::kMaxRegisters + 1, UINT32_MAX / 16 + 1, UINT32_MAX})
        all.push_back(field("RegisterCount" + std::to_string(count), header::kRegisterCount, count));
    for (uint32_t count : {uint32_t{3}, format::kMaxEvents + 1, UINT32_MAX})
        all.push_back(field("EventCount" + std::to_string(count), header::kEventCount, count));
    const std::pair<const char*, std::size_t> tables[] = {{"RegisterTable", header::kRegisterTableOffset},
                                                          {"EventTable", header::kEventTableOffset},
                                                          {"StringTable", header::kStringTableOffset}};
    for (const auto& [table, offsetField] : tables)
        for (uint32_t offset : {uint32_t{0}, uint32_t{8}, uint32_t{4000}, UINT32_MAX - 8, UINT32_MAX})
            all.push_back(field(std::string(table) + "At" + std::to_string(offset), offsetField, offset));
    for (uint32_t offset : {uint32_t{4096}, UINT32_MAX}) {
        all.push_back({"RegisterNameAt" + std::to_string(offset), [offset](Bytes& image) {
                           setField32(image, registerEntry(image, 2) + reg::kNameOffset, offset);
                       }});
        all.push_back({"EventNameAt" + std::to_string(offset), [offset](Bytes& image) {
                           setField32(image, eventEntry(image, 1) + format::event::kNameOffset, offset);
                       }});
    }
    for (uint32_t id : {uint32_t{0}, uint32_t{1000000}, UINT32_MAX}) {
        all.push_back({"RegisterId" + std::to_string(id),
                       [id](Bytes& image) { setField32(image, registerEntry(image, 1) + reg::kId, id); }});
    }
    for (uint8_t width : {uint8_t{0}, uint8_t{65}, uint8_t{255}})
        all.push_back(registerByte("RegisterWidth" + std::to_string(width), reg::kWidthBits, width));
    return all;
}

class StructurallyDamagedImage : public testing::TestWithParam<Damage> {};

TEST_P(StructurallyDamagedImage, IsRefusedWithAndWithoutVerify) {
    Bytes image = smallImage();
    GetParam().apply(image);
    expectRefused(std::move(image));
}

INSTANTIATE_TEST_SUITE_P(SmallImage, StructurallyDamagedImage, testing::ValuesIn(structuralDamage()),
                         [](const auto& row) { return row.param.name; });

TEST(CorruptHeader, MoreThanSixtyFourEventsAreRefused) {
    std::string text = "design Many\nimage-bytes 8192\nregister 1 1 rw value E64\n";
    for (int i = 0; i < 64; ++i)
        text += "event 1 E" + std::to_string(i) + "\n";
    Bytes image = design::buildDesignImage(parseText(text));
    // Append the 64 records plus one naming the register's string, so every name stays unique.
    const uint32_t end = field32(image, header::kChecksummedBytes);
    std::copy_n(image.begin() + eventEntry(image, 0), 64 * format::kEventEntryBytes, image.begin() + end);
    const std::size_t extra = end + 64 * format::kEventEntryBytes;
    setField32(image, extra + format::event::kNameOffset, static_cast<uint32_t>(stringOffset(image, "E64")));
    setField32(image, extra + format::event::kKind, 1);
    setField32(image, header::kEventTableOffset, end);

    setField32(image, header::kEventCount, 64);
    setField32(image, header::kChecksummedBytes, static_cast<uint32_t>(extra));
    reseal(image);
    EXPECT_NE(openMemory(image), nullptr);

    setField32(image, header::kEventCount, 65);
    setField32(image, header::kChecksummedBytes, static_cast<uint32_t>(extra + format::kEventEntryBytes));
    expectRefused(image);
}

TEST(CorruptStrings, NamesLongerThan255BytesAreRefused) {
    const std::string a(200, 'a');
    const std::string b(200, 'b');
    const std::string text =
        "design Long\nimage-bytes 4096\nregister 1 1 rw value " + a + "\nregister 2 1 rw value " + b + "\n";
    Bytes image = design::buildDesignImage(parseText(text));
    reseal(image);
    ASSERT_NE(openMemory(image), nullptr);
    image[field32(image, header::kStringTableOffset) + stringOffset(image, a) + a.size()] = std::byte{'-'};
    expectRefused(image);
}

TEST(OversizedImage, LengthBeyondTheLimitIsRefusedBeforeReading) {
    const Bytes& image = builtImage();
    EXPECT_EQ(DesignImage_OpenMemory(image.data(), uint64_t{1} << 40, 0), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(image.data(), UINT64_MAX, 0), nullptr);
}

} // namespace
} // namespace kestrel::designrt::test
