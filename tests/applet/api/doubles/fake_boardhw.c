/* Test double of libboardhw.so: counts register writes, owns the shared record of all doubles and
   its fault points. */
#include <string.h>

#include "fake_state.h"

static FakeState gState;
static int gHostRecord; /* its address is the host's frame-grabber handle */

FAKE_EXPORT FakeState* kestrel_fake_state(void) {
    return &gState;
}

FAKE_EXPORT void kestrel_fake_reset(void) {
    memset(&gState, 0, sizeof gState);
    gState.hostHandle = &gHostRecord;
}

FAKE_EXPORT int32_t kestrel_fake_point_fails(int32_t point) {
    return ++gState.pointCalls[point] == gState.faultAt && point == gState.faultPoint;
}

FAKE_EXPORT int32_t Board_WriteRegister(void* board, uint32_t id, uint64_t value) {
    ++gState.boardWriteCalls;
    return kestrel_fake_point_fails(FAKE_POINT_BOARD_WRITE) ? FAKE_FAULT_CODE : 0;
}

FAKE_EXPORT int32_t Board_ReadRegister(void* board, uint32_t id, uint64_t* value) {
    if (value == NULL)
        return -1;
    *value = id;
    return 0;
}

__attribute__((constructor)) static void initialiseState(void) {
    kestrel_fake_reset();
}
