// Opens TIFF files through libtiff without letting libtiff print anything.
#include "tiff_file.h"

#include <tiffio.h>

namespace kestrel::regiort {
namespace {

// Returning non-zero tells libtiff the message is handled, so the global handler (stderr by
// default) is not called; the failure itself still reaches us through the call's result.
int dropMessage(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

} // namespace

void TiffCloser::operator()(TIFF* tif) const {
    TIFFClose(tif);
}

TiffPtr openTiff(const char* path, const char* mode) {
    const std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), dropMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), dropMessage, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxImageBytes));
    return TiffPtr(TIFFOpenExt(path, mode, options.get()));
}

} // namespace kestrel::regiort
