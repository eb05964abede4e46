// The C functions of libdesignrt: each translates a handle to its image and makes one call.
#include "designrt.h"

#include "design_image.h"
#include "image_file.h"
#include "image_reader.h"

#include <memory>
#include <optional>
#include <span>

using kestrel::designrt::DesignImage;
using kestrel::designrt::DesignRegister;
using kestrel::designrt::ReadOptions;

namespace {

DesignImage* toImage(void* handle) {
    return static_cast<DesignImage*>(handle);
}

std::optional<ReadOptions> optionsFromFlags(int32_t flags) {
    if ((flags & ~DESIGNRT_OPEN_VERIFY) != 0)
        return std::nullopt;
    return ReadOptions{.verifyChecksum = (flags & DESIGNRT_OPEN_VERIFY) != 0};
}

void* openImage(std::span<const std::byte> prefix, uint64_t totalBytes, const ReadOptions& options) noexcept {
    try {
        auto tables = kestrel::designrt::readDesignTables(prefix, totalBytes, options);
        if (!tables)
            return nullptr;
        // Ownership passes to the caller, who returns it through DesignImage_Close.
        return std::make_unique<DesignImage>(std::move(*tables)).release();
    } catch (...) {
        return nullptr;
    }
}

const DesignRegister* registerById(void* image, uint32_t id) {
    return image == nullptr ? nullptr : toImage(image)->registerById(id);
}

} // namespace

extern "C" {

DESIGNRT_API void* DesignImage_OpenFile(const char* path, int32_t version, int32_t flags) {
    const auto options = optionsFromFlags(flags);
    if (!options || version != DESIGNRT_FORMAT_REVISION)
        return nullptr;
    try {
        const auto bytes = kestrel::designrt::loadImageFile(path);
        if (!bytes)
            return nullptr;
        return openImage(bytes->prefix, bytes->totalBytes, *options);
    } catch (...) {
        return nullptr;
    }
}

DESIGNRT_API void* DesignImage_OpenMemory(const void* start, uint64_t length, int32_t flags) {
    const auto options = optionsFromFlags(flags);
    if (!options || start == nullptr || length > kestrel::designrt::format::kMaxImageBytes)
        return nullptr;
    const std::span<const std::byte> bytes(static_cast<const std::byte*>(start),
                                           static_cast<std::size_t>(length));
    return openImage(bytes, length, *options);
}

DESIGNRT_API void DesignImage_Close(void* image) {
    std::unique_ptr<DesignImage> owned(toImage(image));
}

DESIGNRT_API int32_t DesignImage_GetRegisterCount(void* image) {
    return image == nullptr ? 0 : toImage(image)->registerCount();
}

DESIGNRT_API const char* DesignImage_GetRegisterName(void* image, int32_t index) {
    if (image == nullptr)
        return nullptr;
    const DesignRegister* r = toImage(image)->registerByNumber(index);
    return r == nullptr ? nullptr : r->name;
}

DESIGNRT_API uint32_t DesignImage_GetRegisterId(void* image, const char* name) {
    if (image == nullptr || name == nullptr)
        return 0;
    const DesignRegister* r = toImage(image)->registerByName(name);
    return r == nullptr ? 0 : r->id;
}

DESIGNRT_API int32_t DesignImage_GetRegisterWidth(void* image, uint32_t id) {
    const DesignRegister* r = registerById(image, id);
    return r == nullptr ? 0 : r->widthBits;
}

DESIGNRT_API int32_t DesignImage_GetRegisterInfo(void* image, uint32_t id) {
    const DesignRegister* r = registerById(image, id);
    return r != nullptr && r->writable ? 1 : 0;
}

DESIGNRT_API const void* DesignImage_GetProperty(void* image, int32_t index) {
    return image == nullptr ? nullptr : toImage(image)->event(index);
}

} // extern "C"
