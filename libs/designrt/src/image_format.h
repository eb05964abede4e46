// Byte layout of a design image, shared by the runtime that reads it and the build tool that writes it.
#ifndef KESTREL_DESIGNRT_IMAGE_FORMAT_H
#define KESTREL_DESIGNRT_IMAGE_FORMAT_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// An image is little-endian throughout:
//
//   [0, 64)                  header
//   register table           registerCount entries of 16 bytes
//   event table              eventCount entries of 8 bytes
//   string table             NUL-terminated names, the last byte is NUL
//   [checksummedBytes, end)  filler up to imageBytes (the bitstream area; never interpreted)
//
// The tables may lie anywhere between the header and checksummedBytes, but never overlap.
// The checksum is a CRC-32 (IEEE 802.3) over bytes [0, checksummedBytes) with the checksum
// field itself counted as zero.
namespace kestrel::designrt::format {

// The one revision of this layout that the runtime reads; callers state it when opening a file.
inline constexpr uint32_t kFormatRevision = 2626;
inline constexpr std::array<std::byte, 8> kMagic{std::byte{'K'}, std::byte{'D'}, std::byte{'S'},
                                                 std::byte{'G'}, std::byte{'N'}, std::byte{'I'},
                                                 std::byte{'M'}, std::byte{'G'}};

inline constexpr std::size_t kHeaderBytes = 64;
inline constexpr std::size_t kRegisterEntryBytes = 16;
inline constexpr std::size_t kEventEntryBytes = 8;

// Limits that keep a corrupt header from asking for absurd allocations.
inline constexpr uint64_t kMaxImageBytes = 64ull << 20;
inline constexpr uint32_t kMaxRegisters = 65535;
// Events are delivered as bits of a 64-bit mask, one bit per record.
inline constexpr uint32_t kMaxEvents = 64;
inline constexpr std::size_t kMaxNameBytes = 255;
// Hosts address a register directly as 1000000 + id and must stay below their next family at 2000000.
inline constexpr uint32_t kMaxRegisterId = 999999;
inline constexpr uint32_t kMaxWidthBits = 64;

// Header field offsets.
namespace header {
inline constexpr std::size_t kMagic = 0;
inline constexpr std::size_t kFormatRevision = 8;
inline constexpr std::size_t kHeaderBytes = 12;
inline constexpr std::size_t kImageBytes = 16; // uint64
inline constexpr std::size_t kRegisterCount = 24;
inline constexpr std::size_t kRegisterTableOffset = 28;
inline constexpr std::size_t kEventCount = 32;
inline constexpr std::size_t kEventTableOffset = 36;
inline constexpr std::size_t kStringTableOffset = 40;
inline constexpr std::size_t kStringTableBytes = 44;
inline constexpr std::size_t kDesignNameOffset = 48; // into the string table
inline constexpr std::size_t kChecksummedBytes = 52;
inline constexpr std::size_t kChecksum = 56;
inline constexpr std::size_t kReserved = 60; // zero
} // namespace header

// Register entry field offsets.
namespace reg {
inline constexpr std::size_t kId = 0;
inline constexpr std::size_t kNameOffset = 4;
inline constexpr std::size_t kDepth = 8; // number of entries: 1, or the length of a table register
inline constexpr std::size_t kWidthBits = 12;
inline constexpr std::size_t kAccess = 13;
inline constexpr std::size_t kKind = 14;
inline constexpr std::size_t kReserved = 15; // zero
} // namespace reg

inline constexpr uint8_t kAccessWritable = 0x01;

// What a register holds; hosts pick their transfer for table and file registers by this.
enum class RegisterKind : uint8_t {
    Value = 0, // one number of widthBits bits
    Table = 1, // depth entries of widthBits bits, transferred as a block
    File = 2,  // takes a file name; the design loads depth-sized data from that file
};
inline constexpr uint8_t kLastRegisterKind = 2;

// Event entry field offsets.
namespace event {
inline constexpr std::size_t kNameOffset = 0;
inline constexpr std::size_t kKind = 4; // int32; 1 = published under its design name
} // namespace event

inline uint32_t loadU32(const std::byte* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t loadU64(const std::byte* p) {
    return static_cast<uint64_t>(loadU32(p)) | static_cast<uint64_t>(loadU32(p + 4)) << 32;
}

inline void storeU32(std::byte* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::byte>(v >> (8 * i));
}

inline void storeU64(std::byte* p, uint64_t v) {
    storeU32(p, static_cast<uint32_t>(v));
    storeU32(p + 4, static_cast<uint32_t>(v >> 32));
}

namespace detail {
inline constexpr std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
inline constexpr std::array<uint32_t, 256> kCrcTable = makeCrcTable();
} // namespace detail

// CRC-32 of the checksummed region, the checksum field counted as zero. The region must hold at
// least the header.
inline uint32_t imageChecksum(std::span<const std::byte> region) {
    uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < region.size(); ++i) {
        const bool inField = i >= header::kChecksum && i < header::kChecksum + 4;
        const auto b = inField ? uint8_t{0} : static_cast<uint8_t>(region[i]);
        crc = detail::kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

} // namespace kestrel::designrt::format

#endif
