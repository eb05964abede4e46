// Reads a design's register table through the design runtime.
#include "design_image_reader.h"

#include "designrt.h"
#include "register_roles.h"

namespace kestrel::boardhw {

std::optional<std::vector<RegisterDefinition>> readRegisterTable(void* designImage) {
    if (designImage == nullptr)
        return std::nullopt;
    const int32_t count = DesignImage_GetRegisterCount(designImage);
    if (count < 0)
        return std::nullopt;
    std::vector<RegisterDefinition> definitions;
    definitions.reserve(static_cast<std::size_t>(count));
    for (int32_t index = 1; index <= count; ++index) {
        const char* name = DesignImage_GetRegisterName(designImage, index);
        if (name == nullptr)
            return std::nullopt;
        RegisterDefinition definition;
        definition.name = name;
        definition.id = DesignImage_GetRegisterId(designImage, name);
        definition.widthBits = DesignImage_GetRegisterWidth(designImage, definition.id);
        definition.writable = DesignImage_GetRegisterInfo(designImage, definition.id) != 0;
        definition.kind = kindOfName(definition.name);
        definitions.push_back(std::move(definition));
    }
    return definitions;
}

} // namespace kestrel::boardhw
