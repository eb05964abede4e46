// Closing a design image through the design runtime.
#include "device/design_image_handle.h"

#include <designrt.h>

namespace kestrel {

void DesignImageHandle::reset() {
    if (image_ != nullptr)
        DesignImage_Close(std::exchange(image_, nullptr));
}

} // namespace kestrel
