/* Test double of libdesignrt.so: opens an "image" when the file exists or the memory block has
   the design's length, counts opens and closes, and serves a few registers and events. */
#include <stdio.h>
#include <string.h>

#include "fake_state.h"

#define DESIGN_IMAGE_BYTES 2113379u

static int gImage; /* its address is the one image handle */

/* The record layout of the design runtime: size and index, name pointer at byte 8, a word the
   runtime may leave as it likes at byte 16 (designEventUnreadWord), kind at byte 20. */
typedef struct FakeEvent {
    uint32_t size;
    uint32_t index;
    const char* name;
    uint32_t unread;
    int32_t kind;
} FakeEvent;

static FakeEvent gEventA = {24, 0, "EventA", 0, 1};
static FakeEvent gEventC = {24, 2, "EventC", 0, 1};
static FakeEvent gEventADuplicate = {24, 3, "EventA", 0, 1};
static FakeEvent gEventLast = {24, 63, "EventLast", 0, 0};

static const void* handOut(FakeEvent* event) {
    event->unread = kestrel_fake_state()->designEventUnreadWord;
    return event;
}

static const char* const kGeneratorNames[] = {"AAGenEnable",    "AAGenStart",  "AAGenWidth",
                                              "AAGenLineWidth", "AAGenHeight", "AAGenActive",
                                              "AAGenPassive",   "AAGenMask",   "AAGenRoll"};
static const char* const kRegisterNames[] = {"RegA", "RegB", "RegC"};

static void* opened(void) {
    if (kestrel_fake_point_fails(FAKE_POINT_DESIGN_OPEN))
        return NULL;
    ++kestrel_fake_state()->designOpenedCount;
    gImage = 1;
    kestrel_fake_state()->designLastImage = &gImage;
    return &gImage;
}

FAKE_EXPORT void* DesignImage_OpenFile(const char* path, int32_t version, int32_t flags) {
    FakeState* state = kestrel_fake_state();
    ++state->designOpenFileCount;
    snprintf(state->designLastPath, sizeof state->designLastPath, "%s", path ? path : "(null)");
    state->designLastVersion = version;
    state->designLastFlags = flags;
    if (state->designFailOpen || path == NULL)
        return NULL;
    FILE* file = fopen(path, "rb");
    if (file == NULL)
        return NULL;
    fclose(file);
    return opened();
}

FAKE_EXPORT void* DesignImage_OpenMemory(const void* start, uint64_t length, int32_t flags) {
    FakeState* state = kestrel_fake_state();
    ++state->designOpenMemoryCount;
    state->designLastStart = start;
    state->designLastLength = length;
    state->designLastFlags = flags;
    if (state->designFailOpen || start == NULL || length != DESIGN_IMAGE_BYTES)
        return NULL;
    return opened();
}

FAKE_EXPORT void DesignImage_Close(void* image) {
    if (image == &gImage)
        ++kestrel_fake_state()->designCloseCount;
}

FAKE_EXPORT int32_t DesignImage_GetRegisterCount(void* image) {
    return image == &gImage ? 3 : 0;
}

FAKE_EXPORT const char* DesignImage_GetRegisterName(void* image, int32_t index) {
    if (image != &gImage || index < 1 || index > 3)
        return NULL;
    return kRegisterNames[index - 1];
}

FAKE_EXPORT uint32_t DesignImage_GetRegisterId(void* image, const char* name) {
    if (image != &gImage || name == NULL || kestrel_fake_point_fails(FAKE_POINT_DESIGN_LOOKUP))
        return 0;
    for (uint32_t i = 0; i < 9; ++i)
        if (strcmp(name, kGeneratorNames[i]) == 0)
            return FAKE_GENERATOR_ID_BASE + i;
    for (uint32_t i = 0; i < 3; ++i)
        if (strcmp(name, kRegisterNames[i]) == 0)
            return 11 + i;
    return 0;
}

FAKE_EXPORT int32_t DesignImage_GetRegisterWidth(void* image, uint32_t id) {
    return id == 12 ? 48 : 32;
}

FAKE_EXPORT int32_t DesignImage_GetRegisterInfo(void* image, uint32_t id) {
    return 1;
}

/* Index 0 "EventA", 2 "EventC", 3 a second "EventA", 63 "EventLast"; none elsewhere. */
FAKE_EXPORT const void* DesignImage_GetProperty(void* image, int32_t index) {
    if (image != &gImage)
        return NULL;
    switch (index) {
    case 0:
        return handOut(&gEventA);
    case 2:
        return handOut(&gEventC);
    case 3:
        return handOut(&gEventADuplicate);
    case 63:
        return handOut(&gEventLast);
    default:
        return NULL;
    }
}
