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
    return {
        {"WrongMagic", H(0), V('X'), 1},
        {"OtherFormatRevision", H(header::kFormatRevision), V(2627)},
        {"OtherHeaderSize", H(header::kHeaderBytes), V(128)},
        {"ReservedHeaderBitsSet", H(header::kReserved), V(1)},
        {"RecordedLengthOneMore", H(header::kImageBytes), [](const Bytes& b) { return b.size() + 1; }, 8},
        {"StringTableHuge", H(header::kStringTableBytes), V(UINT32_MAX)},
        {"TableRegionBeyondTheImage", H(header::kChecksummedBytes), V(5000)},
        {"EventTableOverlapsRegisterTable", H(header::kEventTableOffset),
         F(H(header::kRegisterTableOffset), 8)},
        {"DesignNamePastTheStrings", H(header::kDesignNameOffset), F(H(header::kStringTableBytes))},
        {"UnterminatedStringTable", S("Event_One", 9), V('x'), 1}, // the table's last byte
        {"EmptyRegisterName", R(0, reg::kNameOffset), F(R(0, reg::kNameOffset), 7)},
        {"NonAsciiByteInAName", S("Event_One", 1), V(0xC3), 1},
        {"DuplicateRegisterIds", R(3, reg::kId), F(R(0, reg::kId))},
        {"DuplicateRegisterNames", R(1, reg::kNameOffset), F(R(0, reg::kNameOffset))},
        {"UnknownAccessKind", R(0, reg::kAccess), V(3), 1},
        {"UnknownRegisterKind", R(0, reg::kKind), V(3), 1},
        {"ReservedRegisterBitsSet", R(0, reg::kReserved), V(1), 1},
        // Only tables span several entries.
        {"ValueRegisterOfDepthTwo", R(0, reg::kDepth), V(2)},
        {"TooManyRegisters", H(header::kRegisterCount), V(format::kMaxRegisters + 1)},
        {"TooManyEvents", H(header::kEventCount), V(format::kMaxEvents + 1)},
        {"StringTablePastTheEnd", H(header::kStringTableOffset), V(UINT32_MAX - 8)},
        {"EventNamePastTheStrings", E(1, event::kNameOffset), V(4096)},
        {"RegisterIdZero", R(1, reg::kId), V(0)},
        {"RegisterWiderThan64", R(0, reg::kWidthBits), V(65), 1},
    };
}

TEST(StructurallyDamagedImage, IsRefusedWithAndWithoutVerify) {
    const Bytes small = design::buildDesignImage(smallDesign());
    for (const Damage& damage : structuralDamage()) {
        Bytes image = small;
        const std::size_t at = damage.at(image);
        const uint64_t value = damage.value(image);
        if (damage.bytes == 8)
            format::storeU64(image.data() + at, value);
        else if (damage.bytes == 4)
            setField32(image, at, static_cast<uint32_t>(value));
        else
            image[at] = static_cast<std::byte>(value);
        expectRefused(std::move(image), damage.name);
    }
}

TEST(OversizedImage, LengthBeyondTheLimitIsRefusedBeforeReading) {
    EXPECT_EQ(DesignImage_OpenMemory(builtImage().data(), uint64_t{1} << 40, 0), nullptr);
    EXPECT_EQ(DesignImage_OpenMemory(builtImage().data(), UINT64_MAX, 0), nullptr);
}

} // namespace
} // namespace kestrel::designrt::test
