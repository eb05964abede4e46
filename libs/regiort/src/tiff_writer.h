// Writes single-sample 8- and 16-bit grey images as uncompressed TIFF.
#ifndef KESTREL_REGIORT_TIFF_WRITER_H
#define KESTREL_REGIORT_TIFF_WRITER_H

#include "sample_image.h"

namespace kestrel::regiort {

// Strips hold about this many bytes: few, large writes, while a reader still needs no
// whole-image buffer of its own.
inline constexpr std::size_t kStripTargetBytes = std::size_t{1} << 20;

// False when the image is not writable (bad dimensions or depth) or the file cannot be written;
// a partly written file is removed.
bool writeTiff(const char* path, const SampleImageView& image);

} // namespace kestrel::regiort

#endif
