// Turns a design description into the bytes of its binary design image.
#ifndef KESTREL_DESIGN_IMAGE_BUILDER_H
#define KESTREL_DESIGN_IMAGE_BUILDER_H

#include "design_description.h"

#include <cstddef>
#include <vector>

namespace kestrel::design {

// The whole image, exactly description.imageBytes long: header, register table, event table,
// string table, then filler. The same description always gives the same bytes. Throws
// DescriptionError when the tables do not fit into imageBytes.
std::vector<std::byte> buildDesignImage(const DesignDescription& description);

} // namespace kestrel::design

#endif
