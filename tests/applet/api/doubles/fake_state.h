/* Shared record of the test doubles of the board-side libraries: what the applet called and how
   the doubles should answer. Lives in the fake board library; every double and the tests reach
   it through kestrel_fake_state(). */
#ifndef KESTREL_TEST_FAKE_STATE_H
#define KESTREL_TEST_FAKE_STATE_H

#include <stdint.h>

#if defined(__GNUC__)
#define FAKE_EXPORT __attribute__((visibility("default")))
#else
#define FAKE_EXPORT
#endif

/* Ids the fake design gives the nine simulator registers: 900 + position. */
#define FAKE_GENERATOR_ID_BASE 900u

/* Fault points: the calls of each kind are counted, and the faultAt-th call of kind faultPoint
   fails, as a host, design runtime or board that breaks at that moment would. */
enum FakePoint {
    FAKE_POINT_HOST_LOOKUP,   /* Fg_getParameterIdByName answers 0 */
    FAKE_POINT_DESIGN_LOOKUP, /* DesignImage_GetRegisterId answers 0 */
    FAKE_POINT_HOST_WRITE,    /* Fg_setParameter and Fg_setParameterWithType answer FAKE_FAULT_CODE */
    FAKE_POINT_BOARD_WRITE,   /* Board_WriteRegister answers FAKE_FAULT_CODE */
    FAKE_POINT_DESIGN_OPEN,   /* DesignImage_OpenMemory and DesignImage_OpenFile give NULL */
    FAKE_POINT_KINDS
};
#define FAKE_FAULT_CODE (-4242)

typedef struct FakeState {
    /* design runtime */
    int32_t designFailOpen; /* non-zero: every open returns NULL */
    int32_t designOpenFileCount;
    int32_t designOpenMemoryCount;
    int32_t designCloseCount;
    char designLastPath[256];
    int32_t designLastVersion;
    int32_t designLastFlags;
    const void* designLastStart;
    uint64_t designLastLength;
    void* designLastImage;
    uint32_t designEventUnreadWord; /* bytes 16..19 of every event record, which no reader may use */

    /* host SDK */
    int32_t hostInitSlaveAwareCalls;
    char hostInitImageName[64];
    void* hostInitBoard;
    void* hostInitImage;
    int32_t hostInitSlaveAware;
    int32_t hostInitFails;       /* non-zero: initialisation returns NULL */
    int32_t hostInitErrorNumber; /* Fg_getLastErrorNumber(NULL) */
    int32_t hostLastErrorNumber; /* Fg_getLastErrorNumber(handle) */
    int64_t hostNextResult;      /* result of every forwarded call */
    char hostLastCall[64];
    void* hostLastHandle;
    uint64_t hostLastArgs[4];
    int32_t hostFreeGrabberCalls;
    int32_t hostFreeGrabberResult;
    void* hostHandle;           /* the handle the host hands out */
    int32_t hostKnowsEveryName; /* non-zero: every name has an id, else only "KnownDesignParameter" */

    /* call counts since the last reset */
    int32_t hostLookupCount;   /* Fg_getParameterIdByName calls */
    int32_t hostWriteCount;    /* Fg_setParameter and Fg_setParameterWithType calls */
    int32_t boardWriteCalls;   /* Board_WriteRegister calls */
    int32_t designOpenedCount; /* opens that gave an image */
    int32_t hostHandlesMade;   /* initialisations that gave a handle */

    int32_t pointCalls[FAKE_POINT_KINDS];
    int32_t faultPoint; /* an enum FakePoint */
    int32_t faultAt;    /* from 1; 0: no call fails */
} FakeState;

#ifdef __cplusplus
extern "C" {
#endif

FAKE_EXPORT FakeState* kestrel_fake_state(void);
FAKE_EXPORT void kestrel_fake_reset(void);
/* Counts a call of `point`; non-zero when this call is the one to fail. */
FAKE_EXPORT int32_t kestrel_fake_point_fails(int32_t point);

#ifdef __cplusplus
}
#endif

#endif
