// Helpers of the design-image tests: the built image, images made to order, handles that close.
#ifndef KESTREL_TESTS_DESIGNRT_IMAGE_TEST_SUPPORT_H
#define KESTREL_TESTS_DESIGNRT_IMAGE_TEST_SUPPORT_H

#include "design_description.h"
#include "designrt.h"
#include "image_builder.h"
#include "image_format.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kestrel::designrt::test {

using Bytes = std::vector<std::byte>;

struct ImageCloser {
    void operator()(void* image) const { DesignImage_Close(image); }
};
using ImageHandle = std::unique_ptr<void, ImageCloser>;

inline ImageHandle openMemory(const Bytes& bytes, int32_t flags = DESIGNRT_OPEN_VERIFY) {
    return ImageHandle(DesignImage_OpenMemory(bytes.data(), bytes.size(), flags));
}

// The image the build made from the repository's description, and that description.
inline const Bytes& builtImage() {
    static const Bytes image = [] {
        std::ifstream in(KESTREL_DESIGN_IMAGE_PATH, std::ios::binary);
        Bytes out(std::filesystem::file_size(KESTREL_DESIGN_IMAGE_PATH));
        in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
        return out;
    }();
    return image;
}
inline const design::DesignDescription& builtDescription() {
    static const design::DesignDescription description = [] {
        std::ifstream in(KESTREL_DESIGN_DESCRIPTION_PATH);
        return design::parseDescription(in, KESTREL_DESIGN_DESCRIPTION_PATH);
    }();
    return description;
}

inline design::DesignDescription parseText(const std::string& text) {
    std::istringstream in(text);
    return design::parseDescription(in, "test.design");
}

// A small well-formed design to damage on purpose.
inline design::DesignDescription smallDesign() {
    return parseText("design Small\n"
                     "image-bytes 4096\n"
                     "register 1001 8 rw value Block_A\n"
                     "register 1002 32 ro value Block_B\n"
                     "register 1003 12 rw table:16 Block_Table\n"
                     "register 1004 16 rw file Block_File 0\n"
                     "event 1 Event_Zero\n"
                     "event 0 Event_One\n");
}

inline uint32_t field32(const Bytes& image, std::size_t offset) {
    return format::loadU32(image.data() + offset);
}
inline void setField32(Bytes& image, std::size_t offset, uint32_t value) {
    format::storeU32(image.data() + offset, value);
}

// Recomputes the checksum after a deliberate change, so that the structural checks must catch it.
inline void reseal(Bytes& image) {
    const std::size_t covered =
        std::min<std::size_t>(field32(image, format::header::kChecksummedBytes), image.size());
    setField32(image, format::header::kChecksum, format::imageChecksum({image.data(), covered}));
}

inline std::size_t registerEntry(const Bytes& image, std::size_t index) {
    return field32(image, format::header::kRegisterTableOffset) + index * format::kRegisterEntryBytes;
}
inline std::size_t eventEntry(const Bytes& image, std::size_t index) {
    return field32(image, format::header::kEventTableOffset) + index * format::kEventEntryBytes;
}

} // namespace kestrel::designrt::test

#endif
