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
    void* hostHandle; /* the handle the host hands out */

    /* call counts since the last reset */
    int32_t hostLookupCount; /* Fg_getParameterIdByName calls */
    int32_t hostWriteCount;  /* Fg_setParameter and Fg_setParameterWithType calls */
    int32_t boardWriteCalls; /* Board_WriteRegister calls */
} FakeState;

#ifdef __cplusplus
extern "C" {
#endif

FAKE_EXPORT FakeState* kestrel_fake_state(void);
FAKE_EXPORT void kestrel_fake_reset(void);

#ifdef __cplusplus
}
#endif

#endif
