/* Test double of libgrabhost5.so. Its variants lack chosen entry points, hidden by a version script
   at link time (see CMakeLists.txt). Every call is recorded in the shared fake record; forwarded
   calls answer hostNextResult. */
#include <stdio.h>
#include <string.h>

#include "fake_state.h"

static void record(const char* name, void* handle, uint64_t a0, uint64_t a1, uint64_t a2, uint64_t a3) {
    FakeState* state = kestrel_fake_state();
    snprintf(state->hostLastCall, sizeof state->hostLastCall, "%s", name);
    state->hostLastHandle = handle;
    state->hostLastArgs[0] = a0;
    state->hostLastArgs[1] = a1;
    state->hostLastArgs[2] = a2;
    state->hostLastArgs[3] = a3;
}

static void* initialise(const char* imageName, void* boardHandle, void* designImage) {
    FakeState* state = kestrel_fake_state();
    snprintf(state->hostInitImageName, sizeof state->hostInitImageName, "%s",
             imageName ? imageName : "(null)");
    state->hostInitBoard = boardHandle;
    state->hostInitImage = designImage;
    if (state->hostInitFails)
        return NULL;
    ++state->hostHandlesMade;
    return state->hostHandle;
}

FAKE_EXPORT void* Fg_InitHandleSlaveAware(const char* imageName, void* boardHandle, void* designImage,
                                          int32_t slaveAware) {
    FakeState* state = kestrel_fake_state();
    ++state->hostInitSlaveAwareCalls;
    state->hostInitSlaveAware = slaveAware;
    return initialise(imageName, boardHandle, designImage);
}

FAKE_EXPORT void* Fg_InitHandle(const char* imageName, void* boardHandle, void* designImage) {
    return initialise(imageName, boardHandle, designImage);
}

FAKE_EXPORT int32_t Fg_AcquireEx(void* hostFg, int32_t dma, uint64_t count, int32_t flags, uint64_t memory) {
    record("Fg_AcquireEx", hostFg, (uint64_t)(int64_t)dma, count, (uint64_t)(int64_t)flags, memory);
    return (int32_t)kestrel_fake_state()->hostNextResult;
}

FAKE_EXPORT int32_t Fg_getLastErrorNumber(void* hostFg) {
    FakeState* state = kestrel_fake_state();
    return hostFg == NULL ? state->hostInitErrorNumber : state->hostLastErrorNumber;
}

FAKE_EXPORT int32_t Fg_getParameterIdByName(void* hostFg, const char* name) {
    FakeState* state = kestrel_fake_state();
    ++state->hostLookupCount;
    if (kestrel_fake_point_fails(FAKE_POINT_HOST_LOOKUP))
        return 0;
    if (state->hostKnowsEveryName)
        return 1000 + state->hostLookupCount;
    return name != NULL && strcmp(name, "KnownDesignParameter") == 0 ? 77 : 0;
}

static int32_t hostWrite(void) {
    FakeState* state = kestrel_fake_state();
    ++state->hostWriteCount;
    return kestrel_fake_point_fails(FAKE_POINT_HOST_WRITE) ? FAKE_FAULT_CODE : (int32_t)state->hostNextResult;
}

FAKE_EXPORT int32_t Fg_setParameter(void* hostFg, int32_t id, const void* value, uint32_t dma) {
    record("Fg_setParameter", hostFg, (uint64_t)(int64_t)id, (uint64_t)(uintptr_t)value, dma, 0);
    return hostWrite();
}

FAKE_EXPORT int32_t Fg_getParameter(void* hostFg, int32_t id, void* value, uint32_t dma) {
    record("Fg_getParameter", hostFg, (uint64_t)(int64_t)id, (uint64_t)(uintptr_t)value, dma, 0);
    return (int32_t)kestrel_fake_state()->hostNextResult;
}

FAKE_EXPORT int32_t Fg_setParameterWithType(void* hostFg, int32_t id, const void* value, uint32_t dma,
                                            int32_t type) {
    record("Fg_setParameterWithType", hostFg, (uint64_t)(int64_t)id, (uint64_t)(uintptr_t)value, dma,
           (uint64_t)(int64_t)type);
    return hostWrite();
}

FAKE_EXPORT int32_t Fg_getParameterWithType(void* hostFg, int32_t id, void* value, uint32_t dma,
                                            int32_t type) {
    record("Fg_getParameterWithType", hostFg, (uint64_t)(int64_t)id, (uint64_t)(uintptr_t)value, dma,
           (uint64_t)(int64_t)type);
    return (int32_t)kestrel_fake_state()->hostNextResult;
}

FAKE_EXPORT void* Fg_getParameterInfo(void* hostFg, int32_t port) {
    record("Fg_getParameterInfo", hostFg, (uint64_t)(int64_t)port, 0, 0, 0);
    return NULL;
}

FAKE_EXPORT int32_t Fg_FreeGrabber(void* hostFg) {
    FakeState* state = kestrel_fake_state();
    ++state->hostFreeGrabberCalls;
    record("Fg_FreeGrabber", hostFg, 0, 0, 0, 0);
    return state->hostFreeGrabberResult;
}

FAKE_EXPORT int32_t Fg_getAppletId(void* hostFg, uint64_t value) {
    record("Fg_getAppletId", hostFg, value, 0, 0, 0);
    return (int32_t)kestrel_fake_state()->hostNextResult;
}

FAKE_EXPORT int64_t Fg_getStatusEx(void* hostFg, int32_t param, uint64_t data, uint32_t dma,
                                   uint64_t memory) {
    record("Fg_getStatusEx", hostFg, (uint64_t)(int64_t)param, data, dma, memory);
    return kestrel_fake_state()->hostNextResult;
}

FAKE_EXPORT int32_t Fg_stopAcquireEx(void* hostFg, uint32_t dma, uint64_t memory, int32_t flags) {
    record("Fg_stopAcquireEx", hostFg, dma, memory, (uint64_t)(int64_t)flags, 0);
    return (int32_t)kestrel_fake_state()->hostNextResult;
}

FAKE_EXPORT int64_t Fg_getLastPicNumberEx(void* hostFg, uint32_t dma, uint64_t memory) {
    record("Fg_getLastPicNumberEx", hostFg, dma, memory, 0, 0);
    return kestrel_fake_state()->hostNextResult;
}

FAKE_EXPORT int64_t Fg_getLastPicNumberBlockingEx(void* hostFg, uint64_t picture, uint32_t dma,
                                                  int32_t timeout, uint64_t memory) {
    record("Fg_getLastPicNumberBlockingEx", hostFg, picture, dma, (uint64_t)(int64_t)timeout, memory);
    return kestrel_fake_state()->hostNextResult;
}
