// The applet's public header as C++: the same declarations, with C linkage.
#include "kestrel12.h"

#include <type_traits>

static_assert(KESTREL12_OK == 0 && KESTREL12_ERR_NO_APPLET == -2001);
static_assert(std::is_same_v<decltype(&Fg_setParameterWithType),
                             int32_t (*)(void*, int32_t, const void*, uint32_t, int32_t)>);

extern "C" int publicHeaderCompilesAsCxx(void) {
    return 1;
}
