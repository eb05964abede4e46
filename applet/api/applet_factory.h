// Creating an applet object for one board: the steps behind Std_entry.
#pragma once

#include <cstdint>
#include <memory>

namespace kestrel {

class FgDsWrapperImpl;

// Builds a complete applet object for `boardHandle`, or returns null. `error` receives 0 on
// success, else: kErrInvalidArgument for non-zero `flags` (nothing is created or loaded),
// kErrHostUnusable when the host library is missing or cannot initialise, kErrInitFailed when the
// design image does not open, the host's own initialisation error, or (when a build step fails)
// the code it raised, kErrOutOfMemory for exhausted memory, kErrGeneric for anything else. After
// a failure nothing stays loaded, open or allocated; a host handle made before a failed build
// step is given back to the host.
std::unique_ptr<FgDsWrapperImpl> createApplet(void* boardHandle, int32_t& error, int32_t flags);

} // namespace kestrel
