// An open design image: its registers, looked up by number, name and id, and its event records.
#ifndef KESTREL_DESIGNRT_DESIGN_IMAGE_H
#define KESTREL_DESIGNRT_DESIGN_IMAGE_H

#include "design_tables.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace kestrel::designrt {

// The record hosts read in place (DesignImage_GetProperty): a pointer to the NUL-terminated name
// at bytes 8..15 and the kind at bytes 20..23 are the whole contract. The other fields are this
// runtime's own bookkeeping; another runtime may leave them zero, so no reader may use them.
struct DesignEventRecord {
    uint32_t recordBytes; // sizeof(DesignEventRecord)
    uint32_t index;       // position in the image; the event's mask bit is 1 << index
    const char* name;     // owned by the image
    uint32_t nameBytes;   // without the NUL
    int32_t kind;         // 1: published under its design name
};
static_assert(std::is_standard_layout_v<DesignEventRecord>);
static_assert(offsetof(DesignEventRecord, recordBytes) == 0);
static_assert(offsetof(DesignEventRecord, index) == 4);
static_assert(offsetof(DesignEventRecord, name) == 8);
static_assert(offsetof(DesignEventRecord, nameBytes) == 16);
static_assert(offsetof(DesignEventRecord, kind) == 20);
static_assert(sizeof(DesignEventRecord) == 24);

struct DesignRegister {
    uint32_t id;
    const char* name; // owned by the image
    uint32_t depth;
    int32_t widthBits;
    bool writable;
    format::RegisterKind kind;
};

// Immutable once built, so any number of threads may query one image at the same time.
class DesignImage {
public:
    explicit DesignImage(DesignTables tables);
    DesignImage(const DesignImage&) = delete;
    DesignImage& operator=(const DesignImage&) = delete;

    int32_t registerCount() const { return static_cast<int32_t>(registers_.size()); }
    // number: 1 .. registerCount(); null outside.
    const DesignRegister* registerByNumber(int32_t number) const;
    const DesignRegister* registerByName(std::string_view name) const;
    const DesignRegister* registerById(uint32_t id) const;
    // index from 0; null outside.
    const DesignEventRecord* event(int32_t index) const;
    const char* designName() const { return strings_.data() + designNameOffset_; }

private:
    std::vector<char> strings_; // the names point in here; never resized after construction
    uint32_t designNameOffset_;
    std::vector<DesignRegister> registers_;
    std::vector<DesignEventRecord> events_;
    std::unordered_map<std::string_view, std::size_t> byName_;
    std::unordered_map<uint32_t, std::size_t> byId_;
};

} // namespace kestrel::designrt

#endif
