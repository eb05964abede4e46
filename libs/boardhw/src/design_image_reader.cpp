// Reads a design's register table through the design runtime.
#include "design_image_reader.h"

#include "designrt.h"
#include "register_roles.h"

namespace kestrel::boardhw {

std::optional<std::vector<RegisterSpec>> readRegisterTable(void* designImage) {
    if (designImage == nullptr)
        return std::nullopt;
    const int32_t count = DesignImage_GetRegisterCount(designImage);
    if (count < 0)
        return std::nullopt;
    std::vector<RegisterSpec> specs;
    specs.reserve(static_cast<std::size_t>(count));
    for (int32_t index = 1; index <= count; ++index) {
        const char* name = DesignImage_GetRegisterName(designImage, index);
        if (name == nullptr)
            return std::nullopt;
        RegisterSpec spec;
        spec.name = name;
        spec.id = DesignImage_GetRegisterId(designImage, name);
        spec.widthBits = DesignImage_GetRegisterWidth(designImage, spec.id);
        spec.writable = DesignImage_GetRegisterInfo(designImage, spec.id) != 0;
        spec.kind = kindOfName(spec.name);
        specs.push_back(std::move(spec));
    }
    return specs;
}

} // namespace kestrel::boardhw
