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

#define FAKE_MAX_BOARD_WRITES 64

/* Ids the fake design gives the nine simulator registers: 900 + position. */
#define FAKE_GENERATOR_ID_BASE 900u

/* With hostResolveAllNames, the fake host gives each new name it is asked for the id
   FAKE_HOST_ID_BASE + its position in hostNames. */
#define FAKE_HOST_ID_BASE 5000
#define FAKE_MAX_HOST_NAMES 256
#define FAKE_MAX_HOST_WRITES 1024

/* A parameter write the applet made through the host; seq orders it among the board writes. */
typedef struct FakeHostWrite {
    int32_t id;
    int32_t type;
    uint32_t value; /* the first 32 bits of a type-2 value */
    int32_t seq;
} FakeHostWrite;

typedef struct FakeBoardWrite {
    uint32_t id;
    uint64_t value;
} FakeBoardWrite;

typedef struct FakeState {
    /* design runtime */
    int32_t designFailOpen; /* non-zero: every open returns NULL */
    int32_t designOpenFileCount;
    int32_t designOpenMemoryCount;
    int32_t designCloseCount;
    int32_t designOpenedCount; /* opens that gave an image */
    char designLastPath[256];
    int32_t designLastVersion;
    int32_t designLastFlags;
    const void* designLastStart;
    uint64_t designLastLength;
    void* designLastImage;
    uint32_t designEventUnreadWord; /* bytes 16..19 of every event record, which no reader may use */

    /* board */
    int32_t boardWriteCount;
    FakeBoardWrite boardWrites[FAKE_MAX_BOARD_WRITES];
    uint32_t boardFailId; /* writes to this id fail with boardFailCode (0: none fail) */
    int32_t boardFailCode;

    /* host SDK */
    int32_t hostInitSlaveAwareCalls;
    int32_t hostInitCalls;
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

    /* Fault plans: calls are counted from 1 since the last reset; the call whose number equals
       a FailAt field fails (0: none does). */
    int32_t callSequence;        /* advances with every host write and board write call */
    int32_t hostResolveAllNames; /* non-zero: every name gets an id (see FAKE_HOST_ID_BASE) */
    int32_t hostLookupCount;     /* Fg_getParameterIdByName calls */
    int32_t hostLookupFailAt;    /* that call answers 0 */
    int32_t hostNameCount;
    char hostNames[FAKE_MAX_HOST_NAMES][96];
    int32_t hostWriteCount;  /* Fg_setParameter and Fg_setParameterWithType calls */
    int32_t hostWriteFailAt; /* that call answers hostWriteFailCode */
    int32_t hostWriteFailCode;
    FakeHostWrite hostWrites[FAKE_MAX_HOST_WRITES];
    int32_t designLookupCount;      /* DesignImage_GetRegisterId calls */
    int32_t designLookupFailAt;     /* that call answers 0 */
    int32_t boardWriteCalls;        /* Board_WriteRegister calls, failed ones included */
    int32_t boardWriteFailAt;       /* that call answers -1 */
    int32_t boardFirstGeneratorSeq; /* callSequence of the first write to a simulator register */
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
