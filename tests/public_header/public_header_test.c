/* The applet's public header as C: it compiles, its constants are constant expressions with the
   stable values, and its prototypes link against the built applet and answer a missing handle. */
#include "kestrel12.h"

#include <stddef.h>
#include <stdio.h>

_Static_assert(KESTREL12_ERR_INVALID_ARGUMENT == -2070, "error codes keep their values");
_Static_assert(KESTREL12_ERR_NOT_ALIGNED == -7080, "error codes keep their values");
_Static_assert(FG_WIDTH == 100 && FG_TRIGGER_LEGACY_MODE == 300254, "parameter ids keep their values");
_Static_assert(KESTREL12_TYPE_LUT_ENTRY == 4098, "type codes keep their values");

int publicHeaderCompilesAsCxx(void);

int main(void) {
    int failures = 0;
    if (Fg_getLastErrorNumber(NULL) != KESTREL12_ERR_NO_APPLET) {
        fprintf(stderr, "failed: a missing handle gives KESTREL12_ERR_NO_APPLET\n");
        ++failures;
    }
    if (Fg_getParameterName(NULL, 0) != NULL) {
        fprintf(stderr, "failed: a missing handle gives no name\n");
        ++failures;
    }
    if (!publicHeaderCompilesAsCxx())
        ++failures;
    return failures == 0 ? 0 : 1;
}
