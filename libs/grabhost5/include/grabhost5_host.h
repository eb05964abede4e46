/* libgrabhost5: the entry points an applet binds back by name, and the records they exchange.
   Every function here takes the host's own frame-grabber handle (hostFg), the one that
   Fg_InitHandle returned to the applet, never the application's record. */
#ifndef KESTREL_GRABHOST5_HOST_H
#define KESTREL_GRABHOST5_HOST_H

#include "grabhost5.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- The host's own parameters (ids for Fg_setParameter / Fg_getParameter) ----
   Design registers are published under host id == design register id (positive, below 1000000);
   these ids answer first. All values are uint32. */
#define GH5_PARAM_TIMEOUT 600             /* image timeout in seconds, 1 .. 2147483647; rw */
#define GH5_PARAM_APC_STOP_TIMEOUT 601    /* seconds a stop waits for callbacks; ro */
#define GH5_PARAM_CAMSTATUS_EXTENDED 2050 /* bit 0 pixel clock, 1 line valid, 2 frame valid; ro */
#define GH5_PARAM_NR_OF_DMAS 3050         /* ro */
#define GH5_PARAM_TURBO_DMA_MODE 3051     /* 0 or 1; rw */
#define GH5_PARAM_NR_OF_CAMS 3060         /* ro */
#define GH5_PARAM_NR_OF_PROCESSES 3070    /* ro */
#define GH5_PARAM_DMA_PORT 3080           /* port of the DMA channel; ro */
#define GH5_PARAM_CAM_PORT 3090           /* port of the camera; ro */
#define GH5_PARAM_TRANSFER_LEN 5210       /* bytes of one picture as the design is set now; ro */
#define GH5_PARAM_DMASTATUS 24092         /* 1 while the DMA channel acquires; ro */

/* ---- Type codes of typed register access ---- */
#define GH5_TYPE_UINT32 2       /* uint32_t */
#define GH5_TYPE_INT64 3        /* 64-bit register value */
#define GH5_TYPE_UINT64 4       /* 64-bit register value */
#define GH5_TYPE_FILE_NAME 6    /* NUL-terminated file name (text registers) */
#define GH5_TYPE_LUT_BLOCK 4096 /* Gh5LutBlock: the whole lookup table */
#define GH5_TYPE_LUT_ENTRY 4098 /* Gh5LutEntry: one entry */

/* Longest file name a text register keeps, NUL included; a get of type 6 needs this much room. */
#define GH5_MAX_FILE_NAME_BYTES 4096u
#define GH5_LUT_BLOCK_FORMAT_UINT32 2 /* Gh5LutBlock.format: entries are uint32_t */
#define GH5_LUT_ENTRIES 4096u

typedef struct Gh5LutBlock {
    uint64_t format; /* GH5_LUT_BLOCK_FORMAT_UINT32 */
    uint32_t count;  /* GH5_LUT_ENTRIES: the block always carries the whole table */
    uint32_t reserved;
    uint32_t* entries; /* count entries, each 0 .. 4095; read on set, written on get */
} Gh5LutBlock;

typedef struct Gh5LutEntry {
    uint32_t value; /* 0 .. 4095 */
    uint32_t index; /* 0 .. 4095 */
} Gh5LutEntry;

/* ---- The parameter-information record (128 bytes, read in place) ---- */
#define GH5_NODE_CATEGORY 0
#define GH5_NODE_INTEGER 1
#define GH5_NODE_ENUMERATION 3
#define GH5_NODE_STRING 5
#define GH5_NODE_DOUBLE 6
#define GH5_NODE_INTEGER_ARRAY 7
#define GH5_NODE_INTEGER64 9
/* Two further kinds a host's own tree may hold: they read as GH5_NODE_INTEGER and
   GH5_NODE_INTEGER64. */
#define GH5_NODE_INTEGER32 11
#define GH5_NODE_WIDE_INTEGER64 12

#define GH5_ACCESS_READ_ONLY 1
#define GH5_ACCESS_READ_WRITE 7

typedef struct Gh5ParameterInfoNode Gh5ParameterInfoNode;

typedef struct Gh5CategoryPart {
    int32_t childCount;
    int32_t reserved0;
    Gh5ParameterInfoNode** children; /* childCount pointers */
    int32_t nextChildIndex;          /* equals childCount */
    int32_t reserved1[5];
} Gh5CategoryPart;

typedef struct Gh5IntegerPart {
    int32_t minimum;
    int32_t maximum;
    int32_t increment;
    int32_t reserved[7];
} Gh5IntegerPart;

typedef struct Gh5EnumerationPart {
    int32_t entryCount;
    int32_t reserved0;
    const char** displayNames; /* entryCount texts */
    int32_t* values;           /* entryCount values */
    uint64_t reserved1;
    const char** symbolicNames; /* entryCount texts */
} Gh5EnumerationPart;

typedef struct Gh5StringPart {
    uint64_t reserved0;
    const char* filter; /* file-name filter, or NULL */
    uint64_t reserved1[3];
} Gh5StringPart;

typedef struct Gh5DoublePart {
    double minimum;
    double maximum;
    double increment;
    uint64_t reserved[2];
} Gh5DoublePart;

typedef struct Gh5IntegerArrayPart {
    int32_t minimum;
    int32_t maximum;
    int32_t elementCount;
    int32_t zero;
    int32_t minimumAgain;
    int32_t reserved[5];
} Gh5IntegerArrayPart;

typedef struct Gh5Integer64Part {
    uint64_t minimum;
    uint64_t maximum;
    uint64_t increment;
    uint64_t reserved[2];
} Gh5Integer64Part;

/* Texts are NUL-terminated Latin-1, owned by the tree. */
struct Gh5ParameterInfoNode {
    int32_t type;          /* GH5_NODE_ */
    int32_t index;         /* position among the parent's children; 0 for roots */
    const char* name;      /* display name */
    const char* paramName; /* parameter name; for a category, the register-name prefix it stands for */
    int32_t access;        /* GH5_ACCESS_ */
    int32_t hostAttribute; /* 1 */
    int32_t published;     /* 1 */
    int32_t id;            /* host id; 0 for categories */
    union {
        Gh5CategoryPart category;
        Gh5IntegerPart integer;
        Gh5EnumerationPart enumeration;
        Gh5StringPart string;
        Gh5DoublePart real;
        Gh5IntegerArrayPart integerArray;
        Gh5Integer64Part integer64;
    } kind;
    Gh5ParameterInfoNode* nextRoot;     /* roots only */
    Gh5ParameterInfoNode* previousRoot; /* roots only */
    int32_t depth;                      /* categories: 0 for a root */
    int32_t reserved0;
    const char* parentName; /* categories below a root: the parent's name */
    const char* unit;       /* features: unit text or NULL */
    int32_t port;
    int32_t reserved1;
};

#if defined(__cplusplus)
#define GH5_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define GH5_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

GH5_STATIC_ASSERT(sizeof(Gh5LutBlock) == 24, "LUT block layout");
GH5_STATIC_ASSERT(offsetof(Gh5LutBlock, count) == 8, "LUT block count at 8");
GH5_STATIC_ASSERT(offsetof(Gh5LutBlock, entries) == 16, "LUT block entries at 16");
GH5_STATIC_ASSERT(sizeof(Gh5LutEntry) == 8 && offsetof(Gh5LutEntry, index) == 4, "LUT entry layout");

GH5_STATIC_ASSERT(sizeof(Gh5ParameterInfoNode) == 128, "node is 128 bytes");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, type) == 0, "type at 0");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, index) == 4, "index at 4");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, name) == 8, "name at 8");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, paramName) == 16, "paramName at 16");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, access) == 24, "access at 24");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, hostAttribute) == 28, "hostAttribute at 28");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, published) == 32, "published at 32");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, id) == 36, "id at 36");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind) == 40, "kind part at 40");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, nextRoot) == 80, "nextRoot at 80");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, previousRoot) == 88, "previousRoot at 88");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, depth) == 96, "depth at 96");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, parentName) == 104, "parentName at 104");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, unit) == 112, "unit at 112");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, port) == 120, "port at 120");
/* Kind parts, as offsets inside the node. */
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.category.childCount) == 40, "child count at 40");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.category.children) == 48, "children at 48");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.category.nextChildIndex) == 56, "next child at 56");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integer.minimum) == 40, "int minimum at 40");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integer.maximum) == 44, "int maximum at 44");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integer.increment) == 48, "int increment at 48");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.enumeration.entryCount) == 40, "entry count at 40");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.enumeration.displayNames) == 48, "entry names at 48");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.enumeration.values) == 56, "entry values at 56");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.enumeration.symbolicNames) == 72, "symbols at 72");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.string.filter) == 48, "filter at 48");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.real.minimum) == 40, "double minimum at 40");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.real.maximum) == 48, "double maximum at 48");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.real.increment) == 56, "double increment at 56");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integerArray.minimum) == 40, "array minimum at 40");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integerArray.maximum) == 44, "array maximum at 44");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integerArray.elementCount) == 48, "array count at 48");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integerArray.zero) == 52, "array zero at 52");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integerArray.minimumAgain) == 56,
                  "array minimum at 56");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integer64.minimum) == 40, "int64 minimum at 40");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integer64.maximum) == 48, "int64 maximum at 48");
GH5_STATIC_ASSERT(offsetof(Gh5ParameterInfoNode, kind.integer64.increment) == 56, "int64 increment at 56");

/* ---- Entry points the applet binds ----
   Results are 0 (or a count, id or picture number) on success and a negative code otherwise; the
   handle's last error (Fg_getLastErrorNumber) is set by every call that takes a valid handle. */

/* Creates the host's handle for the design on the board: loads the design's register table into
   the board and builds the host's parameter table and tree. Owned by the caller until
   Fg_FreeGrabber. NULL on failure; Fg_getLastErrorNumber(NULL) then tells why (per thread). One
   design runs on a board at a time. */
GH5_API void* Fg_InitHandleSlaveAware(const char* imageName, void* boardHandle, void* designImage,
                                      int32_t slaveAware);
GH5_API void* Fg_InitHandle(const char* imageName, void* boardHandle, void* designImage);
/* NULL: the calling thread's last initialisation error. */
GH5_API int32_t Fg_getLastErrorNumber(void* hostFg);
/* Host id of a design register or host parameter name; 0 for a name it does not know. */
GH5_API int32_t Fg_getParameterIdByName(void* hostFg, const char* name);
/* Untyped access in the parameter's natural type: host parameters and plain registers up to 32 bits
   uint32_t, wider registers uint64_t, text registers a NUL-terminated name (a get needs
   GH5_MAX_FILE_NAME_BYTES); the lookup-table register needs typed access. */
GH5_API int32_t Fg_setParameter(void* hostFg, int32_t id, const void* value, uint32_t dma);
GH5_API int32_t Fg_getParameter(void* hostFg, int32_t id, void* value, uint32_t dma);
GH5_API int32_t Fg_setParameterWithType(void* hostFg, int32_t id, const void* value, uint32_t dma,
                                        int32_t type);
GH5_API int32_t Fg_getParameterWithType(void* hostFg, int32_t id, void* value, uint32_t dma, int32_t type);
/* Port 0: the first root of the host's tree, owned by the handle, valid until Fg_FreeGrabber.
   NULL for any other port or a bad handle. */
GH5_API void* Fg_getParameterInfo(void* hostFg, int32_t port);
/* Stops acquisition, wakes every waiter, frees the memories and the tree, frees the board for the
   next design. */
GH5_API int32_t Fg_FreeGrabber(void* hostFg);
/* A positive identifier of the running design (stable for its image name); value must be 0. */
GH5_API int32_t Fg_getAppletId(void* hostFg, uint64_t value);
GH5_API int64_t Fg_getStatusEx(void* hostFg, int32_t param, uint64_t data, uint32_t dma, uint64_t memory);
GH5_API int32_t Fg_AcquireEx(void* hostFg, int32_t dma, uint64_t count, int32_t flags, uint64_t memory);
GH5_API int32_t Fg_stopAcquireEx(void* hostFg, uint32_t dma, uint64_t memory, int32_t flags);
GH5_API int64_t Fg_getLastPicNumberEx(void* hostFg, uint32_t dma, uint64_t memory);
GH5_API int64_t Fg_getLastPicNumberBlockingEx(void* hostFg, uint64_t picture, uint32_t dma, int32_t timeout,
                                              uint64_t memory);

#ifdef __cplusplus
}
#endif

#endif
