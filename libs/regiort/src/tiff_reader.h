// Reads single-sample 8- and 16-bit grey TIFF images, stripped or tiled, in any compression libtiff
// decodes.
#ifndef KESTREL_REGIORT_TIFF_READER_H
#define KESTREL_REGIORT_TIFF_READER_H

#include "sample_image.h"

#include <optional>

namespace kestrel::regiort {

// Nothing for a missing or unreadable file and for every other layout: several samples per
// pixel, palette or min-is-white images, depths other than 8 and 16, signed or floating-point
// samples, zero or oversized dimensions, damaged data. The first image of the file is read.
std::optional<SampleImage> readTiff(const char* path);

} // namespace kestrel::regiort

#endif
