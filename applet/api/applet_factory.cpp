// The creation sequence: construct, bind the host, open the design image, let the host make its
// handle, record, build.
#include "api/applet_factory.h"

#include <new>

#include <designrt.h>

#include "api/embedded_blocks.h"
#include "api/fg_ds_wrapper_impl.h"
#include "api/wrapper_private.h"
#include "core/error_codes.h"
#include "device/design_image_handle.h"
#include "platform/platform.h"

namespace kestrel {

namespace {

// The file "Kestrel12.hap" (found as the loader finds relative paths) when
// __QUIL_FORCE_EXTERNAL_HAP exists in the environment, whatever its value; else the copy
// embedded in the library.
DesignImageHandle openDesignImage() {
    if (platform::environmentValue("__QUIL_FORCE_EXTERNAL_HAP"))
        return DesignImageHandle(
            DesignImage_OpenFile(kDesignImageName, kDesignImageFileVersion, kDesignImageOpenFlags));
    return DesignImageHandle(DesignImage_OpenMemory(kestrel_embedded_design_image, kEmbeddedDesignImageSize,
                                                    kDesignImageOpenFlags));
}

// The host made a handle for an object that will not be returned: nobody else could free it.
void returnHostHandle(const HostBinding& host) {
    if (host.hostFunctions().freeGrabber != nullptr && host.hostFgHandle() != nullptr)
        host.hostFunctions().freeGrabber(host.hostFgHandle());
}

} // namespace

std::unique_ptr<FgDsWrapperImpl> createApplet(void* boardHandle, int32_t& error, int32_t flags) {
    if (flags != 0) {
        error = kErrInvalidArgument;
        return nullptr;
    }

    auto applet = std::make_unique<FgDsWrapperImpl>();
    WrapperPrivate& host = applet->wrapperPrivate();

    error = host.bindHostLibrary(platform::hostLibraryFileName());
    if (error != kOk)
        return nullptr;

    DesignImageHandle image = openDesignImage();
    if (!image) {
        error = kErrInitFailed;
        return nullptr;
    }

    error = host.initHostHandle(kDesignImageName, boardHandle, image.get(), false);
    if (error != kOk) {
        image.reset(); // the image closes before the object (and the host library) goes
        return nullptr;
    }

    host.host().recordBoard(boardHandle, std::move(image));

    try {
        applet->build();
    } catch (int32_t code) {
        error = code != kOk ? code : kErrGeneric;
    } catch (const std::bad_alloc&) {
        error = kErrOutOfMemory;
    } catch (...) {
        error = kErrGeneric;
    }
    if (error != kOk) {
        returnHostHandle(host.host());
        return nullptr;
    }
    return applet;
}

} // namespace kestrel
