// Turns a design description into the bytes of its binary design image.
#include "image_builder.h"

#include <string>

namespace kestrel::design {
namespace {

namespace format = designrt::format;

// Collects NUL-terminated names and hands out their offsets.
class StringTable {
public:
    uint32_t add(const std::string& s) {
        const auto offset = static_cast<uint32_t>(bytes_.size());
        for (char c : s)
            bytes_.push_back(static_cast<std::byte>(c));
        bytes_.push_back(std::byte{0});
        return offset;
    }
    const std::vector<std::byte>& bytes() const { return bytes_; }

private:
    std::vector<std::byte> bytes_;
};

// The bitstream area of a real image is incompressible noise; xorshift64* imitates that
// reproducibly.
void fillWithNoise(std::byte* begin, std::byte* end, uint64_t seed) {
    uint64_t state = seed | 1;
    for (std::byte* p = begin; p != end; ++p) {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        *p = static_cast<std::byte>((state * 0x2545F4914F6CDD1Dull) >> 56);
    }
}

} // namespace

std::vector<std::byte> buildDesignImage(const DesignDescription& description) {
    StringTable strings;
    const uint32_t designNameOffset = strings.add(description.designName);
    std::vector<uint32_t> registerNameOffsets;
    for (const RegisterSpec& r : description.registers)
        registerNameOffsets.push_back(strings.add(r.name));
    std::vector<uint32_t> eventNameOffsets;
    for (const EventSpec& e : description.events)
        eventNameOffsets.push_back(strings.add(e.name));

    const uint64_t registerTableOffset = format::kHeaderBytes;
    const uint64_t eventTableOffset =
        registerTableOffset + description.registers.size() * format::kRegisterEntryBytes;
    const uint64_t stringTableOffset =
        eventTableOffset + description.events.size() * format::kEventEntryBytes;
    const uint64_t tablesEnd = stringTableOffset + strings.bytes().size();
    if (description.imageBytes > format::kMaxImageBytes)
        throw DescriptionError("an image of " + std::to_string(description.imageBytes) +
                               " bytes exceeds the limit of " + std::to_string(format::kMaxImageBytes));
    if (tablesEnd > description.imageBytes)
        throw DescriptionError("the tables need " + std::to_string(tablesEnd) + " bytes, more than the " +
                               std::to_string(description.imageBytes) + " of the image");

    std::vector<std::byte> image(description.imageBytes);
    std::byte* h = image.data();
    std::copy(format::kMagic.begin(), format::kMagic.end(), h + format::header::kMagic);
    format::storeU32(h + format::header::kFormatRevision, format::kFormatRevision);
    format::storeU32(h + format::header::kHeaderBytes, format::kHeaderBytes);
    format::storeU64(h + format::header::kImageBytes, description.imageBytes);
    format::storeU32(h + format::header::kRegisterCount, static_cast<uint32_t>(description.registers.size()));
    format::storeU32(h + format::header::kRegisterTableOffset, static_cast<uint32_t>(registerTableOffset));
    format::storeU32(h + format::header::kEventCount, static_cast<uint32_t>(description.events.size()));
    format::storeU32(h + format::header::kEventTableOffset, static_cast<uint32_t>(eventTableOffset));
    format::storeU32(h + format::header::kStringTableOffset, static_cast<uint32_t>(stringTableOffset));
    format::storeU32(h + format::header::kStringTableBytes, static_cast<uint32_t>(strings.bytes().size()));
    format::storeU32(h + format::header::kDesignNameOffset, designNameOffset);
    format::storeU32(h + format::header::kChecksummedBytes, static_cast<uint32_t>(tablesEnd));

    for (std::size_t i = 0; i < description.registers.size(); ++i) {
        const RegisterSpec& r = description.registers[i];
        std::byte* e = h + registerTableOffset + i * format::kRegisterEntryBytes;
        format::storeU32(e + format::reg::kId, r.id);
        format::storeU32(e + format::reg::kNameOffset, registerNameOffsets[i]);
        format::storeU32(e + format::reg::kDepth, r.depth);
        e[format::reg::kWidthBits] = static_cast<std::byte>(r.widthBits);
        e[format::reg::kAccess] = r.writable ? std::byte{format::kAccessWritable} : std::byte{0};
        e[format::reg::kKind] = static_cast<std::byte>(r.kind);
    }
    for (std::size_t i = 0; i < description.events.size(); ++i) {
        std::byte* e = h + eventTableOffset + i * format::kEventEntryBytes;
        format::storeU32(e + format::event::kNameOffset, eventNameOffsets[i]);
        format::storeU32(e + format::event::kKind, static_cast<uint32_t>(description.events[i].kind));
    }
    std::copy(strings.bytes().begin(), strings.bytes().end(), h + stringTableOffset);

    const uint32_t checksum = format::imageChecksum({image.data(), static_cast<std::size_t>(tablesEnd)});
    format::storeU32(h + format::header::kChecksum, checksum);
    fillWithNoise(h + tablesEnd, h + image.size(), 0x4B455354524C3132ull ^ checksum);
    return image;
}

} // namespace kestrel::design
