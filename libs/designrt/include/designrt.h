/* libdesignrt: reads design images (register table and event records of an FPGA design). */
#ifndef KESTREL_DESIGNRT_H
#define KESTREL_DESIGNRT_H

#include <stdint.h>

#if defined(__GNUC__)
#define DESIGNRT_API __attribute__((visibility("default")))
#else
#define DESIGNRT_API
#endif

/* The image format revision this library reads; DesignImage_OpenFile's version must equal it. */
#define DESIGNRT_FORMAT_REVISION 2626
/* Open flag: verify the image's checksum. The structure, every offset, count and name is checked
   with or without it; without it, bytes that are damaged but still well-formed go unnoticed. Other
   flag bits are reserved: an open with any of them set fails. */
#define DESIGNRT_OPEN_VERIFY 1

#ifdef __cplusplus
extern "C" {
#endif

/* Opens an image file. version: the format revision the caller expects (DESIGNRT_FORMAT_REVISION);
   flags: 0 or DESIGNRT_OPEN_VERIFY. Only the header and tables are read; the file must still have
   exactly the length its header records. Returns a handle owned by the caller (release with
   DesignImage_Close) or NULL for a missing, truncated, corrupt or foreign image, another revision
   or unknown flags. */
DESIGNRT_API void* DesignImage_OpenFile(const char* path, int32_t version, int32_t flags);
/* As DesignImage_OpenFile for an image in memory, length bytes from start, of the revision this
   library reads. The memory must stay valid only during the call: the handle keeps its own copy
   of the tables. */
DESIGNRT_API void* DesignImage_OpenMemory(const void* start, uint64_t length, int32_t flags);
/* Releases the handle and everything it returned; NULL is ignored. */
DESIGNRT_API void DesignImage_Close(void* image);

/* The functions below accept NULL for the image and then report "unknown". An open image never
   changes, so any number of threads may query it at the same time. */

/* Number of named design registers; 0 for a NULL image. */
DESIGNRT_API int32_t DesignImage_GetRegisterCount(void* image);
/* index 1 .. count, in the image's order; NULL outside. Owned by the image, valid until
   DesignImage_Close. */
DESIGNRT_API const char* DesignImage_GetRegisterName(void* image, int32_t index);
/* Exact, case-sensitive match; 0 (never a register id) for an unknown or NULL name. */
DESIGNRT_API uint32_t DesignImage_GetRegisterId(void* image, const char* name);
/* Width in bits, 1 .. 64 (for a table register, the width of one entry); 0 for an unknown id. */
DESIGNRT_API int32_t DesignImage_GetRegisterWidth(void* image, uint32_t id);
/* 1 when the register may be written, 0 for a read-only register or an unknown id. */
DESIGNRT_API int32_t DesignImage_GetRegisterInfo(void* image, uint32_t id);
/* Event record at index (from 0), or NULL. Bytes 0..3: uint32_t record size (24); 4..7: uint32_t
   index; 8..15: const char* name; 16..19: uint32_t name length; 20..23: int32_t kind (1 =
   published under its design name, 0 = internal). Owned by the image, valid until
   DesignImage_Close. An image holds at most 64 records, one per bit of a 64-bit event mask. */
DESIGNRT_API const void* DesignImage_GetProperty(void* image, int32_t index);

#ifdef __cplusplus
}
#endif

#endif
