// The readable design description: its model and its parser.
#ifndef KESTREL_DESIGN_DESIGN_DESCRIPTION_H
#define KESTREL_DESIGN_DESIGN_DESCRIPTION_H

#include "image_format.h"

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrel::design {

struct RegisterSpec {
    uint32_t id = 0;
    uint32_t widthBits = 0;
    bool writable = false;
    designrt::format::RegisterKind kind = designrt::format::RegisterKind::Value;
    uint32_t depth = 1; // entries of a table register, 1 otherwise
    std::string name;
};

struct EventSpec {
    int32_t kind = 0;
    std::string name;
};

struct DesignDescription {
    std::string designName;
    uint64_t imageBytes = 0;
    std::vector<RegisterSpec> registers; // in description order, which is the image's order
    std::vector<EventSpec> events;       // position = mask bit
};

// Names the source and line ("Kestrel12.design:12: ...") of the first problem found.
class DescriptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Host parameter ids that design registers must not take: the host publishes each register
// under its own id, next to these.
inline constexpr uint32_t kHostReservedIds[] = {600,  601,  2050, 3050, 3051, 3060,
                                                3070, 3080, 3090, 5210, 24092};

// Parses and checks a whole description; throws DescriptionError.
DesignDescription parseDescription(std::istream& in, const std::string& sourceName);

} // namespace kestrel::design

#endif
