// Validates the bytes of a design image and decodes its tables.
#include "image_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace kestrel::designrt {
namespace {

using namespace format;

struct Span64 {
    uint64_t begin = 0;
    uint64_t end = 0;
};

// A table described by the header, in 64-bit arithmetic so that no count or offset can wrap.
Span64 tableSpan(uint32_t offset, uint64_t count, uint64_t entryBytes) {
    return {offset, offset + count * entryBytes};
}

bool overlap(const Span64& a, const Span64& b) {
    if (a.begin == a.end || b.begin == b.end)
        return false;
    return a.begin < b.end && b.begin < a.end;
}

bool printableName(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

// Length of the name at offset, or nothing when it is empty, too long, unterminated or not
// printable. The string table's last byte is NUL, so the scan cannot run past it.
std::optional<uint32_t> nameLength(const std::vector<char>& strings, uint32_t offset) {
    if (offset >= strings.size())
        return std::nullopt;
    const char* start = strings.data() + offset;
    const std::size_t limit = std::min(strings.size() - offset, kMaxNameBytes + 1);
    const void* nul = std::memchr(start, '\0', limit);
    if (nul == nullptr)
        return std::nullopt;
    const auto length = static_cast<std::size_t>(static_cast<const char*>(nul) - start);
    if (length == 0 || !printableName({start, length}))
        return std::nullopt;
    return static_cast<uint32_t>(length);
}

struct Header {
    uint64_t imageBytes = 0;
    uint32_t registerCount = 0;
    uint32_t registerTableOffset = 0;
    uint32_t eventCount = 0;
    uint32_t eventTableOffset = 0;
    uint32_t stringTableOffset = 0;
    uint32_t stringTableBytes = 0;
    uint32_t designNameOffset = 0;
    uint32_t checksummedBytes = 0;
    uint32_t checksum = 0;
};

std::optional<Header> readHeader(std::span<const std::byte> prefix, uint64_t totalBytes) {
    if (prefix.size() < kHeaderBytes || totalBytes < prefix.size())
        return std::nullopt;
    const std::byte* h = prefix.data();
    if (!std::equal(kMagic.begin(), kMagic.end(), h + header::kMagic))
        return std::nullopt;
    if (loadU32(h + header::kFormatRevision) != kFormatRevision ||
        loadU32(h + header::kHeaderBytes) != kHeaderBytes || loadU32(h + header::kReserved) != 0)
        return std::nullopt;

    Header out;
    out.imageBytes = loadU64(h + header::kImageBytes);
    out.registerCount = loadU32(h + header::kRegisterCount);
    out.registerTableOffset = loadU32(h + header::kRegisterTableOffset);
    out.eventCount = loadU32(h + header::kEventCount);
    out.eventTableOffset = loadU32(h + header::kEventTableOffset);
    out.stringTableOffset = loadU32(h + header::kStringTableOffset);
    out.stringTableBytes = loadU32(h + header::kStringTableBytes);
    out.designNameOffset = loadU32(h + header::kDesignNameOffset);
    out.checksummedBytes = loadU32(h + header::kChecksummedBytes);
    out.checksum = loadU32(h + header::kChecksum);

    // A truncated or padded image has lost or gained bitstream bytes: refuse it even though the
    // tables may be intact.
    if (out.imageBytes != totalBytes || out.imageBytes > kMaxImageBytes)
        return std::nullopt;
    if (out.checksummedBytes < kHeaderBytes || out.checksummedBytes > out.imageBytes ||
        out.checksummedBytes > prefix.size())
        return std::nullopt;
    if (out.registerCount > kMaxRegisters || out.eventCount > kMaxEvents || out.stringTableBytes == 0)
        return std::nullopt;

    const std::array<Span64, 3> tables{
        tableSpan(out.registerTableOffset, out.registerCount, kRegisterEntryBytes),
        tableSpan(out.eventTableOffset, out.eventCount, kEventEntryBytes),
        tableSpan(out.stringTableOffset, out.stringTableBytes, 1)};
    for (const Span64& t : tables) {
        if (t.begin != t.end && (t.begin < kHeaderBytes || t.end > out.checksummedBytes))
            return std::nullopt;
    }
    if (overlap(tables[0], tables[1]) || overlap(tables[0], tables[2]) || overlap(tables[1], tables[2]))
        return std::nullopt;
    return out;
}

std::optional<RegisterEntry> readRegister(const std::byte* p, const std::vector<char>& strings) {
    RegisterEntry r;
    r.id = loadU32(p + reg::kId);
    r.nameOffset = loadU32(p + reg::kNameOffset);
    r.depth = loadU32(p + reg::kDepth);
    r.widthBits = static_cast<uint8_t>(p[reg::kWidthBits]);
    const auto access = static_cast<uint8_t>(p[reg::kAccess]);
    const auto kind = static_cast<uint8_t>(p[reg::kKind]);
    if (r.id == 0 || r.id > kMaxRegisterId || r.widthBits == 0 || r.widthBits > kMaxWidthBits ||
        (access & ~kAccessWritable) != 0 || kind > kLastRegisterKind || p[reg::kReserved] != std::byte{0})
        return std::nullopt;
    r.writable = (access & kAccessWritable) != 0;
    r.kind = static_cast<RegisterKind>(kind);
    // Only a table spans several entries.
    if (r.depth == 0 || (r.kind != RegisterKind::Table && r.depth != 1))
        return std::nullopt;
    const auto length = nameLength(strings, r.nameOffset);
    if (!length)
        return std::nullopt;
    r.nameBytes = *length;
    return r;
}

std::optional<EventEntry> readEvent(const std::byte* p, const std::vector<char>& strings) {
    EventEntry e;
    e.nameOffset = loadU32(p + event::kNameOffset);
    e.kind = static_cast<int32_t>(loadU32(p + event::kKind));
    const auto length = nameLength(strings, e.nameOffset);
    if (!length)
        return std::nullopt;
    e.nameBytes = *length;
    return e;
}

template <typename Key> bool allUnique(std::vector<Key> keys) {
    std::sort(keys.begin(), keys.end());
    return std::adjacent_find(keys.begin(), keys.end()) == keys.end();
}

// Lookups by name and by id must be unambiguous, and an event name is a key of the host's masks.
bool keysUnique(const DesignTables& t) {
    std::vector<uint32_t> ids;
    std::vector<std::string_view> registerNames;
    std::vector<std::string_view> eventNames;
    ids.reserve(t.registers.size());
    registerNames.reserve(t.registers.size());
    eventNames.reserve(t.events.size());
    for (const RegisterEntry& r : t.registers) {
        ids.push_back(r.id);
        registerNames.emplace_back(t.strings.data() + r.nameOffset, r.nameBytes);
    }
    for (const EventEntry& e : t.events)
        eventNames.emplace_back(t.strings.data() + e.nameOffset, e.nameBytes);
    return allUnique(std::move(ids)) && allUnique(std::move(registerNames)) &&
           allUnique(std::move(eventNames));
}

} // namespace

std::optional<DesignTables> readDesignTables(std::span<const std::byte> prefix, uint64_t totalBytes,
                                             const ReadOptions& options) {
    const auto head = readHeader(prefix, totalBytes);
    if (!head)
        return std::nullopt;
    if (options.verifyChecksum && imageChecksum(prefix.first(head->checksummedBytes)) != head->checksum)
        return std::nullopt;

    DesignTables tables;
    const std::byte* strings = prefix.data() + head->stringTableOffset;
    tables.strings.resize(head->stringTableBytes);
    std::memcpy(tables.strings.data(), strings, head->stringTableBytes);
    if (tables.strings.back() != '\0')
        return std::nullopt;
    if (!nameLength(tables.strings, head->designNameOffset))
        return std::nullopt;
    tables.designNameOffset = head->designNameOffset;

    tables.registers.reserve(head->registerCount);
    for (uint32_t i = 0; i < head->registerCount; ++i) {
        const auto r =
            readRegister(prefix.data() + head->registerTableOffset + i * kRegisterEntryBytes, tables.strings);
        if (!r)
            return std::nullopt;
        tables.registers.push_back(*r);
    }
    tables.events.reserve(head->eventCount);
    for (uint32_t i = 0; i < head->eventCount; ++i) {
        const auto e =
            readEvent(prefix.data() + head->eventTableOffset + i * kEventEntryBytes, tables.strings);
        if (!e)
            return std::nullopt;
        tables.events.push_back(*e);
    }
    if (!keysUnique(tables))
        return std::nullopt;
    return tables;
}

} // namespace kestrel::designrt
