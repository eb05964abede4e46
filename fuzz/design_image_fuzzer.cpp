// Feeds arbitrary bytes as the checksummed part of a design image to the design runtime: the table
// reader with and without checksum, and, for images small enough to hold whole in memory, the
// public open and every lookup an applet makes. An image that opens must answer each lookup
// consistently; one that does not open must not open with the other checksum setting either,
// once its checksum has been made right.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "designrt.h"
#include "fuzz_support.h"
#include "image_format.h"
#include "image_reader.h"

namespace kestrel::fuzz {
namespace {

namespace format = kestrel::designrt::format;

// Whole images are built in memory only up to this length: the filler is never read, but the
// public open takes the full length and each run would otherwise allocate up to 64 MiB.
constexpr uint64_t kWholeImageLimit = 1u << 20;

// The length the header claims, when the input can stand for the start of such an image.
uint64_t claimedLength(const std::vector<std::byte>& bytes) {
    if (bytes.size() < format::kHeaderBytes)
        return bytes.size();
    const uint64_t claimed = format::loadU64(bytes.data() + format::header::kImageBytes);
    return claimed >= bytes.size() && claimed <= format::kMaxImageBytes ? claimed : bytes.size();
}

// Makes the stored checksum match the region the header names, so that mutations reach the tables.
void fixChecksum(std::vector<std::byte>& bytes) {
    if (bytes.size() < format::kHeaderBytes)
        return;
    const uint32_t region = format::loadU32(bytes.data() + format::header::kChecksummedBytes);
    if (region < format::kHeaderBytes || region > bytes.size())
        return;
    format::storeU32(bytes.data() + format::header::kChecksum,
                     format::imageChecksum(std::span<const std::byte>(bytes).first(region)));
}

void checkLookups(void* image, const designrt::DesignTables& tables) {
    const int32_t count = DesignImage_GetRegisterCount(image);
    FUZZ_CHECK(count == static_cast<int32_t>(tables.registers.size()), "register count");
    FUZZ_CHECK(DesignImage_GetRegisterName(image, 0) == nullptr, "name below the first index");
    FUZZ_CHECK(DesignImage_GetRegisterName(image, count + 1) == nullptr, "name past the last index");
    for (int32_t index = 1; index <= count; ++index) {
        const char* name = DesignImage_GetRegisterName(image, index);
        FUZZ_CHECK(name != nullptr && *name != '\0', "register without a name");
        const uint32_t id = DesignImage_GetRegisterId(image, name);
        FUZZ_CHECK(id == tables.registers[static_cast<std::size_t>(index - 1)].id,
                   "id of a register's own name");
        const int32_t width = DesignImage_GetRegisterWidth(image, id);
        FUZZ_CHECK(width >= 1 && width <= 64, "register width");
        const int32_t info = DesignImage_GetRegisterInfo(image, id);
        FUZZ_CHECK(info == 0 || info == 1, "register access");
    }
    FUZZ_CHECK(DesignImage_GetRegisterId(image, nullptr) == 0, "id of no name");
    FUZZ_CHECK(DesignImage_GetRegisterWidth(image, 0) == 0, "width of id 0");
    int32_t events = 0;
    for (int32_t index = -1; index <= 64; ++index) {
        const auto* record = static_cast<const unsigned char*>(DesignImage_GetProperty(image, index));
        if (record == nullptr)
            continue;
        FUZZ_CHECK(index >= 0 && index < 64, "event record outside 0 .. 63");
        uint32_t size = 0, recordIndex = 0, length = 0;
        const char* name = nullptr;
        std::memcpy(&size, record, 4);
        std::memcpy(&recordIndex, record + 4, 4);
        std::memcpy(&name, record + 8, sizeof name);
        std::memcpy(&length, record + 16, 4);
        FUZZ_CHECK(size == 24 && recordIndex == static_cast<uint32_t>(index), "event record header");
        FUZZ_CHECK(name != nullptr && std::strlen(name) == length && length > 0, "event name and length");
        ++events;
    }
    FUZZ_CHECK(events == static_cast<int32_t>(tables.events.size()), "event count");
}

// Opens the image through the public entry point and holds it against what the table reader
// made of the same bytes.
void checkPublicOpen(const std::vector<std::byte>& whole, int32_t flags,
                     const std::optional<designrt::DesignTables>& tables) {
    void* image = DesignImage_OpenMemory(whole.data(), whole.size(), flags);
    FUZZ_CHECK((image != nullptr) == tables.has_value(), "public open disagrees with the table reader");
    if (image != nullptr)
        checkLookups(image, *tables);
    DesignImage_Close(image);
}

} // namespace
} // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    std::vector<std::byte> bytes(size);
    if (size != 0)
        std::memcpy(bytes.data(), data, size);
    const uint64_t length = claimedLength(bytes);

    const auto unchecked = designrt::readDesignTables(bytes, length, {.verifyChecksum = false});
    const auto checked = designrt::readDesignTables(bytes, length, {.verifyChecksum = true});
    FUZZ_CHECK(!checked || unchecked, "a checksum made an image readable");

    std::vector<std::byte> fixed(bytes);
    fixChecksum(fixed);
    const auto repaired = designrt::readDesignTables(fixed, length, {.verifyChecksum = true});
    FUZZ_CHECK(repaired.has_value() == unchecked.has_value(),
               "the checksum alone decides beyond the structure");

    if (length <= kWholeImageLimit) {
        // The filler the input leaves out reads as zeros; what the reader accepted from the
        // start alone it must accept from the whole image too.
        std::vector<std::byte> whole(bytes);
        whole.resize(length);
        const auto wholeTables = designrt::readDesignTables(whole, length, {.verifyChecksum = false});
        FUZZ_CHECK(!unchecked || wholeTables, "more bytes made an image unreadable");
        checkPublicOpen(whole, 0, wholeTables);
        fixed.resize(length);
        fixChecksum(fixed);
        checkPublicOpen(fixed, DESIGNRT_OPEN_VERIFY,
                        designrt::readDesignTables(fixed, length, {.verifyChecksum = true}));
    }
    return 0;
}
