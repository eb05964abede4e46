// The decoded contents of a design image: what the reader validated and the lookups are built from.
#ifndef KESTREL_DESIGNRT_DESIGN_TABLES_H
#define KESTREL_DESIGNRT_DESIGN_TABLES_H

#include "image_format.h"

#include <cstdint>
#include <vector>

namespace kestrel::designrt {

struct RegisterEntry {
    uint32_t id = 0;
    uint32_t nameOffset = 0; // into DesignTables::strings, NUL-terminated there
    uint32_t nameBytes = 0;  // without the NUL
    uint32_t depth = 1;
    uint8_t widthBits = 0;
    bool writable = false;
    format::RegisterKind kind = format::RegisterKind::Value;
};

struct EventEntry {
    uint32_t nameOffset = 0;
    uint32_t nameBytes = 0;
    int32_t kind = 0;
};

// Every offset and length in here has been checked against strings: names can be used in place.
struct DesignTables {
    std::vector<char> strings; // copy of the string table; its last byte is NUL
    uint32_t designNameOffset = 0;
    std::vector<RegisterEntry> registers;
    std::vector<EventEntry> events;
};

} // namespace kestrel::designrt

#endif
