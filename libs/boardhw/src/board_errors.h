// Texts of the board's result codes.
#pragma once

#include <cstdint>

namespace kestrel::boardhw {

// Static text for a BOARD_ code; "unknown board error" for any other value.
const char* boardErrorText(int32_t code);

} // namespace kestrel::boardhw
