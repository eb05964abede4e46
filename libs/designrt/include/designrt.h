/* libdesignrt: reads design images (register table and event records of an FPGA design). */
#ifndef KESTREL_DESIGNRT_H
#define KESTREL_DESIGNRT_H

#include <stdint.h>

#if defined(__GNUC__)
#define DESIGNRT_API __attribute__((visibility("default")))
#else
#define DESIGNRT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opens an image. Returns a handle owned by the caller (release with DesignImage_Close) or NULL
   for a missing, truncated, corrupt or foreign image. */
DESIGNRT_API void* DesignImage_OpenFile(const char* path, int32_t version, int32_t flags);
/* The memory must stay valid only during the call: the handle keeps its own copy of the tables. */
DESIGNRT_API void* DesignImage_OpenMemory(const void* start, uint64_t length, int32_t flags);
DESIGNRT_API void DesignImage_Close(void* image);

/* Number of named design registers; 0 for a NULL image. */
DESIGNRT_API int32_t DesignImage_GetRegisterCount(void* image);
/* index 1 .. count; NULL outside. Owned by the image, valid until DesignImage_Close. */
DESIGNRT_API const char* DesignImage_GetRegisterName(void* image, int32_t index);
/* 0 for an unknown name. */
DESIGNRT_API uint32_t DesignImage_GetRegisterId(void* image, const char* name);
/* Width in bits; 0 for an unknown id. */
DESIGNRT_API int32_t DesignImage_GetRegisterWidth(void* image, uint32_t id);
/* Non-zero when the register may be written. */
DESIGNRT_API int32_t DesignImage_GetRegisterInfo(void* image, uint32_t id);
/* Event record at index (from 0), or NULL. Bytes 8..15: const char* name; bytes 20..23: int32_t
   kind (1 = registered). Owned by the image, valid until DesignImage_Close. */
DESIGNRT_API const void* DesignImage_GetProperty(void* image, int32_t index);

#ifdef __cplusplus
}
#endif

#endif
