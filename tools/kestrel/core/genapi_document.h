// The applet's register description (GenICam GenApi) of port 0, as a host asks for it.
#pragma once

#include "grabhost5.hpp"

#include <string>

namespace kestrel::tool {

// Its size first, then the text; throws naming the call that failed.
std::string fetchGenApiDocument(const gh5::Grabber& grabber);

} // namespace kestrel::tool
