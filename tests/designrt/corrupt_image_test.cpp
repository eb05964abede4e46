// Damaged, truncated and foreign images: always refused, never read outside their bytes.
#include "image_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kestrel::designrt::test {
namespace {

namespace header = format::header;
namespace reg = format::reg;
namespace event = format::event;

// Opens exactly `length` bytes from a buffer of that size, so that a sanitizer sees any read beyond.
ImageHandle openPrefix(const Bytes& image, std::size_t length, int32_t flags) {
    return openMemory(Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length)), flags);
}

// The structure checks alone must refuse the image: the checksum is made to match first.
void expectRefused(Bytes image, const std::string& what = "") {
    reseal(image);
    EXPECT_EQ(openMemory(image, DESIGNRT_OPEN_VERIFY), nullptr) << what;
    EXPECT_EQ(openMemory(image, 0), nullptr) << what;
}

std::size_t stringOffset(const Bytes& image, const std::string& text) {
    const std::string strings(reinterpret_cast<const char*>(image.data()) +
                                  field32(image, header::kStringTableOffset),
                              field32(image, header::kStringTableBytes));
    const std::size_t at = strings.find(text + '\0');
    EXPECT_NE(at, std::string::npos) << text;
    return at;
}

TEST(TruncatedImage, IsRefusedAtEveryLengthThroughTheTables) {
    const Bytes& image = builtImage();
    for (std::size_t length = 0; length <= field32(image, header::kChecksummedBytes) + 64; ++length) {
        EXPECT_EQ(openPrefix(image, length, DESIGNRT_OPEN_VERIFY), nullptr) << length;
        EXPECT_EQ(openPrefix(image, length, 0), nullptr) << length;
    }
}

TEST(DamagedImage, AnyFlippedByteFailsTheChecksum) {
    Bytes image = builtImage();
    for (std::size_t i = 0; i < field32(image, header::kChecksummedBytes); ++i) {
        image[i] ^= std::byte{0xFF};
        EXPECT_EQ(openMemory(image, DESIGNRT_OPEN_VERIFY), nullptr) << i;
        image[i] ^= std::byte{0xFF};
    }
}

// One change to the small image: `bytes` little-endian bytes of `value` stored at `at`.
using At = std::function<std::size_t(const Bytes&)>;
using Value = std::function<uint64_t(const Bytes&)>;
struct Damage {
    std::string name;
    At at;
    Value value;
    int bytes = 4;
};
const auto H = [](std::size_t offset) -> At { return [=](const Bytes&) { return offset; }; };
const auto R = [](std::size_t i, std::size_t m) -> At {
    return [=](const Bytes& b) { return registerEntry(b, i) + m; };
};
const auto E = [](std::size_t i, std::size_t m) -> At {
    return [=](const Bytes& b) { return eventEntry(b, i) + m; };
};
const auto S = [](const char* text, std::size_t k) -> At {
    return [=](const Bytes& b) { return field32(b, header::kStringTableOffset) + stringOffset(b, text) + k; };
};
const auto V = [](uint64_t value) -> Value { return [=](const Bytes&) { return value; }; };
// The 32-bit field at `from`, plus `delta`.
const auto F = [](At from, int64_t delta = 0) -> Value {
    return [=](const Bytes& b) { return field32(b, from(b)) + delta; };
};

std::vector<Damage> structuralDamage() {
    std::vector<Damage> all{
        {"WrongMagic", H(0), V('X'), 1},
        {"OtherFormatRevision", H(header::kFormatRevision), V(2627)},
        {"OtherHeaderSize", H(header::kHeaderBytes), V(128)},
        {"ReservedHeaderBitsSet", H(header::kReserved), V(1)},
        {"RecordedLengthOneMore", H(header::kImageBytes), [](const Bytes& b) { return b.size() + 1; }, 8},
        {"RecordedLengthOneLess", H(header::kImageBytes), [](const Bytes& b) { return b.size() - 1; }, 8},
        {"StringTableHuge", H(header::kStringTableBytes), V(UINT32_MAX)},
        {"StringTableEmpty", H(header::kStringTableBytes), V(0)},
        {"TableRegionBeyondTheImage", H(header::kChecksummedBytes), V(5000)},
        {"TableRegionInsideTheHeader", H(header::kChecksummedBytes), V(32)},
        {"EventTableOverlapsRegisterTable", H(header::kEventTableOffset),
         F(H(header::kRegisterTableOffset), 8)},
        {"StringTableOverlapsEventTable", H(header::kStringTableOffset), F(H(header::kEventTableOffset))},
        {"DesignNamePastTheStrings", H(header::kDesignNameOffset), F(H(header::kStringTableBytes))},
        {"DesignNameEmpty", H(header::kDesignNameOffset), F(H(header::kDesignNameOffset), 5)},
        {"UnterminatedStringTable", S("Event_One", 9), V('x'), 1}, // the table's last byte
        {"EmptyRegisterName", R(0, reg::kNameOffset), F(R(0, reg::kNameOffset), 7)},
        {"LineFeedInAName", S("Block_B", 2), V('\n'), 1},
        {"NonAsciiByteInAName", S("Event_One", 1), V(0xC3), 1},
        {"DuplicateRegisterIds", R(3, reg::kId), F(R(0, reg::kId))},
        {"DuplicateRegisterNames", R(1, reg::kNameOffset), F(R(0, reg::kNameOffset))},
        {"DuplicateEventNames", E(1, event::kNameOffset), F(E(0, event::kNameOffset))},
        {"UnknownAccessKind", R(0, reg::kAccess), V(3), 1},
        {"UnknownRegisterKind", R(0, reg::kKind), V(3), 1},
        {"ReservedRegisterBitsSet", R(0, reg::kReserved), V(1), 1},
        // Only tables span several entries.
        {"ValueRegisterOfDepthTwo", R(0, reg::kDepth), V(2)},
        {"TableRegisterOfDepthZero", R(2, reg::kDepth), V(0)},
    };
    const auto add = [&](const std::string& name, At at, uint64_t value, int bytes = 4) {
        all.push_back({name + std::to_string(value), std::move(at), V(value), bytes});
    };
    for (uint32_t count : {format::kMaxRegisters + 1, UINT32_MAX / 16 + 1})
        add("RegisterCount", H(header::kRegisterCount), count);
    for (uint32_t count : {format::kMaxEvents + 1})
        add("EventCount", H(header::kEventCount), count);
    for (uint32_t offset : {uint32_t{8}, UINT32_MAX - 8}) {
        add("RegisterTableAt", H(header::kRegisterTableOffset), offset);
        add("EventTableAt", H(header::kEventTableOffset), offset);
        add("StringTableAt", H(header::kStringTableOffset), offset);
    }
    for (uint32_t offset : {uint32_t{4096}, UINT32_MAX}) {
        add("RegisterNameAt", R(2, reg::kNameOffset), offset);
        add("EventNameAt", E(1, event::kNameOffset), offset);
    }
    for (uint32_t id : {uint32_t{0}, UINT32_MAX})
        add("RegisterId", R(1, reg::kId), id);
    for (uint8_t width : {uint8_t{0}, uint8_t{65}})
        add("RegisterWidth", R(0, reg::kWidthBits), width, 1);
    return all;
}

TEST(StructurallyDamagedImage, IsRefusedWithAndWithoutVerify) {
    const Bytes small = design::buildDesignImage(smallDesign());
    for (const Damage& damage : structuralDamage()) {
        Bytes image = small;
        const std::size_t at = damage.at(image);
        const uint64_t value = damage.value(image);
        if (damage.bytes == 8)
            setField64(image, at, value);
        else if (damage.bytes == 4)
            setField32(image, at, static_cast<uint32_t>(value));
        else
            image[at] = static_cast<std::byte>(value);
        expectRefused(std::move(image), damage.name);
    }
}

TEST(CorruptHeader, SixtyFourEventsOpenAndSixtyFiveAreRefused) {
    std::string text = "design Many\nimage-bytes 8192\nregister 1 1 rw value E64\n";
    for (int i = 0; i < 64; ++i)
        text += "event 1 E" + std::to_string(i) + "\n";
    Bytes image = design::buildDesignImage(parseText(text));
    // Append the 64 records plus one naming the register's string, so every name stays unique.
    const uint32_t end = field32(image, header::kChecksummedBytes);
    std::copy_n(image.begin() + eventEntry(image, 0), 64 * format::kEventEntryBytes, image.begin() + end);
    const std::size_t extra = end + 64 * format::kEventEntryBytes;
    setField32(image, extra + event::kNameOffset, static_cast<uint32_t>(stringOffset(image, "E64")));
    setField32(image, extra + event::kKind, 1);
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
    Bytes image =
        design::buildDesignImage(parseText("design Long\nimage-bytes 4096\nregister 1 1 rw value " + a +
                                           "\nregister 2 1 rw value " + std::string(200, 'b') + "\n"));
    ASSERT_NE(openMemory(image), nullptr);
    image[field32(image, header::kStringTableOffset) + stringOffset(image, a) + a.size()] = std::byte{'-'};
    expectRefused(image);
}

TEST(OversizedImage, LengthBeyondTheLimitIsRefusedBeforeReading) {
    EXPECT_EQ(DesignImage_OpenMemory(builtImage().data(), uint64_t{1} << 40, 0), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(builtImage().data(), UINT64_MAX, 0), nullptr);
}

} // namespace
} // namespace kestrel::designrt::test
