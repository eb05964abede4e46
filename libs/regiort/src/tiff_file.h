// Opens TIFF files through libtiff without letting libtiff print anything.
#ifndef KESTREL_REGIORT_TIFF_FILE_H
#define KESTREL_REGIORT_TIFF_FILE_H

#include <cstddef>
#include <memory>

typedef struct tiff TIFF;

namespace kestrel::regiort {

// Neither a sample buffer nor any single libtiff allocation may exceed this: a corrupt file then
// fails instead of exhausting memory. The fuzzer builds the library with a smaller limit, so that
// a header claiming a huge image is refused by the same check before it costs a second to read.
#ifndef KESTREL_REGIORT_MAX_IMAGE_BYTES
#define KESTREL_REGIORT_MAX_IMAGE_BYTES (std::size_t{1} << 30)
#endif
inline constexpr std::size_t kMaxImageBytes = KESTREL_REGIORT_MAX_IMAGE_BYTES;

struct TiffCloser {
    void operator()(TIFF* tif) const;
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// mode as for TIFFOpen. libtiff's messages go to handlers of this handle only, which drop them:
// the process-wide handlers stay untouched for other users of libtiff. Null when libtiff fails.
TiffPtr openTiff(const char* path, const char* mode);

} // namespace kestrel::regiort

#endif
