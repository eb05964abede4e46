/* libgrabhost5: the host SDK, application side. An application opens a virtual board, creates an
   applet on it and then reaches every export of the applet through the frame-grabber record.

   The library also exports the entry points the applet binds back by name (grabhost5_host.h).
   Those share their names with the applet's own exports (Fg_setParameterWithType, ...) but act on
   the host's handle: applications never call them by name; they call the applet's functions
   through Gh5Grabber.exports, passing the record itself as the frame-grabber handle. */
#ifndef KESTREL_GRABHOST5_H
#define KESTREL_GRABHOST5_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define GH5_API __attribute__((visibility("default")))
#else
#define GH5_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Result codes ----
   0 is success. The host's own codes lie in -9001..-9099. Calls that reach the board pass the
   board's codes (-7001..-7099, boardhw.h) through unchanged, and gh5_grabber_create passes the
   code of a failing Std_entry through unchanged; gh5_error_text knows all of them. */
#define GH5_OK 0
#define GH5_ERR_INVALID_HANDLE (-9001)   /* null, freed or foreign handle */
#define GH5_ERR_INVALID_ARGUMENT (-9002) /* null pointer, empty name, unknown flag or selector */
#define GH5_ERR_OUT_OF_MEMORY (-9003)
#define GH5_ERR_APPLET_NOT_FOUND (-9010)     /* no applet library of that name on the applet path */
#define GH5_ERR_APPLET_NOT_LOADED (-9011)    /* the file exists but the dynamic loader refused it */
#define GH5_ERR_APPLET_INCOMPLETE (-9012)    /* the library lacks Std_entry, Info or Fg_FreeGrabber */
#define GH5_ERR_APPLET_REFUSED (-9013)       /* Std_entry returned no object and no code */
#define GH5_ERR_NOT_INITIALISED (-9014)      /* the applet never initialised the host's handle */
#define GH5_ERR_BOARD_BUSY (-9020)           /* a design already runs on that board */
#define GH5_ERR_NO_DESIGN (-9021)            /* initialisation without a design image */
#define GH5_ERR_UNKNOWN_PARAMETER (-9030)    /* neither a host parameter nor a design register */
#define GH5_ERR_READ_ONLY (-9031)            /* the parameter cannot be set */
#define GH5_ERR_OUT_OF_RANGE (-9032)         /* value outside the parameter's range */
#define GH5_ERR_WRONG_TYPE (-9033)           /* type code unknown or not fitting the register */
#define GH5_ERR_INVALID_DMA (-9034)          /* DMA index not below the number of DMA channels */
#define GH5_ERR_INVALID_PORT (-9035)         /* no parameter information on that port */
#define GH5_ERR_NOT_RUNNING (-9040)          /* no acquisition on that DMA channel */
#define GH5_ERR_ALREADY_RUNNING (-9041)      /* acquisition already running on that DMA channel */
#define GH5_ERR_TIMEOUT (-9042)              /* the picture did not arrive in time */
#define GH5_ERR_INVALID_MEMORY (-9043)       /* memory handle unknown or not the one acquiring */
#define GH5_ERR_MEMORY_BUSY (-9044)          /* the memory is in use by a running acquisition */
#define GH5_ERR_ABORTED (-9045)              /* a wait ended because acquisition stopped */
#define GH5_ERR_BAD_COEFFICIENT_FILE (-9050) /* coefficient file unreadable or not 8192 x 4096 8-bit */
#define GH5_ERR_BAD_IMAGE_FILE (-9051)       /* camera image unreadable, or of another size than the first */

/* ---- Acquisition (arguments of the applet's Fg_AcquireEx ... Fg_getStatusEx) ----
   Fg_AcquireEx(fg, dma, pictureCount, flags, memory): pictureCount pictures (GH5_GRAB_INFINITE
   for no limit) into the memory from gh5_memory_alloc. Picture n (from 1) goes into buffer
   (n - 1) mod bufferCount. flags GH5_ACQ_STANDARD: the ring is simply overwritten, whatever the
   application does. GH5_ACQ_BLOCKING: a filled buffer stays the application's until it releases
   it (gh5_buffer_release); meanwhile frames wait in the board's on-board buffer, and when that is
   full they are lost (GH5_STATUS_PICTURES_LOST, the design's overflow register and event).
   Fg_getLastPicNumberBlockingEx(fg, picture, dma, timeoutSeconds, memory): waits until picture
   (counted from 1 since the start) has arrived; timeoutSeconds 0 only looks.
   Fg_getStatusEx(fg, selector, data, dma, memory): one of the GH5_STATUS_ selectors. */
#define GH5_GRAB_INFINITE UINT64_MAX
#define GH5_ACQ_STANDARD 0
#define GH5_ACQ_BLOCKING 1
#define GH5_STOP_ASYNC 0
#define GH5_STATUS_PICTURES_TRANSFERRED 1 /* pictures transferred since the start */
#define GH5_STATUS_LAST_PICTURE 2         /* number of the last transferred picture, 0: none yet */
#define GH5_STATUS_PICTURES_LOST 3        /* pictures lost since the start */
#define GH5_STATUS_ACQUIRING 4            /* 1 while acquisition runs on the channel */
#define GH5_STATUS_BUFFER_COUNT 5         /* buffers of the memory */
#define GH5_STATUS_BUFFER_BYTES 6         /* bytes of each buffer of the memory */
#define GH5_STATUS_BUFFERS_HELD 7         /* buffers the application holds (blocking mode) */
#define GH5_STATUS_FRAMES_ON_BOARD 8      /* frames waiting in the board's on-board buffer */
#define GH5_STATUS_BOARD_TIME_NS 9        /* board time of the acquisition, ns since its start */
/* data = a picture number, answered while its buffer still holds it (GH5_ERR_INVALID_ARGUMENT once
   the ring moved on): the camera frame it came from (counted from 0 at the start; the image
   selector's drops leave gaps), and the frames the board lost before it since the start. */
#define GH5_STATUS_PICTURE_CAMERA_FRAME 10
#define GH5_STATUS_PICTURE_LOST_BEFORE 11

/* ---- Acquisition clock ----
   Real time (the default) delivers frames at the rate the board's settings give; simulated time
   jumps to whatever happens next, delivering each frame as soon as it is made, for fast,
   repeatable tests; stopped time moves only by gh5_clock_advance, so that a test decides exactly
   which frames exist (none until it advances). The environment variable KESTREL_CLOCK=simulated
   or =stopped selects one at start-up. Applies to acquisitions started afterwards, in the whole
   process. */
#define GH5_CLOCK_REAL 0
#define GH5_CLOCK_SIMULATED 1
#define GH5_CLOCK_STOPPED 2
GH5_API int32_t gh5_clock_select(int32_t mode);
/* Moves stopped time on by nanoseconds, for every acquisition running on it, and returns once each
   has done what fell due (frames made, transferred where a buffer is free, events raised). */
GH5_API int32_t gh5_clock_advance(uint64_t nanoseconds);

/* ---- Handles ---- */
typedef struct Gh5Board Gh5Board;   /* an open virtual board */
typedef struct Gh5Applet Gh5Applet; /* a loaded applet library */

/* Every export of an applet library, looked up by name; an export the library lacks is NULL.
   Pointers into the applet library: valid while the Gh5Applet or Gh5Grabber they came from is. */
typedef struct Gh5AppletExports {
    void* (*Std_entry)(void* boardHandle, int32_t* error, int32_t flags);
    int32_t (*Info)(int32_t query, uint32_t a, uint32_t b, void* out1, void* out2);
    int32_t (*Fg_setParameterWithType)(void* fg, int32_t id, const void* value, uint32_t dma, int32_t type);
    int32_t (*Fg_getParameterWithType)(void* fg, int32_t id, void* value, uint32_t dma, int32_t type);
    int32_t (*Fg_getParameterIdByName)(void* fg, const char* name);
    const char* (*Fg_getParameterName)(void* fg, int32_t index);
    int32_t (*Fg_getParameterId)(void* fg, int32_t index);
    int32_t (*Fg_getNrOfParameter)(void* fg);
    uint64_t (*Fg_getEventMask)(void* fg, const char* name);
    const char* (*Fg_getEventName)(void* fg, uint64_t mask);
    int32_t (*Fg_saveConfig)(void* fg, const char* fileName);
    int32_t (*Fg_loadConfig)(void* fg, const char* fileName);
    int32_t (*Fg_getParameterInfoXML)(void* fg, int32_t port, char* buffer, uint64_t* size);
    void* (*Fg_getParameterInfo)(void* fg, int32_t port);
    void* (*Fg_AllocShading)(void* fg, int32_t a, int32_t b);
    int32_t (*Fg_FreeShading)(void* fg, void* shading);
    int32_t (*Shad_SetSubValueLine)(void* fg, void* shading, int32_t x, int32_t channel, float value);
    int32_t (*Shad_SetMultValueLine)(void* fg, void* shading, int32_t x, int32_t channel, float value);
    int32_t (*Shad_SetFixedPatternNoiseLine)(void* fg, void* shading, int32_t x, int32_t channel,
                                             int32_t value);
    int32_t (*Shad_GetMaxLine)(void* fg, void* shading);
    int32_t (*Shad_GetAccess)(void* fg, void* shading);
    int32_t (*Shad_FreeAccess)(void* fg, void* shading);
    int32_t (*Shad_WriteActLine)(void* fg, void* shading, int32_t line);
    int32_t (*Fg_getAppletId)(void* fg, uint64_t value);
    int64_t (*Fg_getStatusEx)(void* fg, int32_t param, uint64_t data, uint32_t dma, uint64_t memory);
    int32_t (*Fg_AcquireEx)(void* fg, int32_t dma, uint64_t count, int32_t flags, uint64_t memory);
    int32_t (*Fg_stopAcquireEx)(void* fg, uint32_t dma, uint64_t memory, int32_t flags);
    int64_t (*Fg_getLastPicNumberEx)(void* fg, uint32_t dma, uint64_t memory);
    int64_t (*Fg_getLastPicNumberBlockingEx)(void* fg, uint64_t picture, uint32_t dma, int32_t timeout,
                                             uint64_t memory);
    int32_t (*Fg_getLastErrorNumber)(void* fg);
    int32_t (*Fg_FreeGrabber)(void* fg);
} Gh5AppletExports;

/* The frame-grabber record: the handle every applet export takes. Owned by the host from
   gh5_grabber_create until gh5_grabber_free; applications read it and never free it. */
typedef struct Gh5Grabber {
    void* applet;                    /* the applet object; its Fg_FreeGrabber clears it */
    const Gh5AppletExports* exports; /* the applet's exports */
    Gh5Board* board;                 /* the board it was created on */
} Gh5Grabber;

/* ---- Errors ---- */

/* Static text for any code these libraries or the applet return; "unknown error" otherwise. */
GH5_API const char* gh5_error_text(int32_t code);
/* What the calling thread's last failing gh5_ call ran into, in words (the applet file tried, the
   dynamic loader's message, ...); "" when there is nothing to add. Valid until the thread's next
   gh5_ call. */
GH5_API const char* gh5_error_detail(void);

/* ---- Boards ---- */

GH5_API int32_t gh5_board_count(void);
/* Opens board index (0 .. count - 1) for this process. *board is owned by the caller until
   gh5_board_close. */
GH5_API int32_t gh5_board_open(int32_t index, Gh5Board** board);
/* Releases the handle. A grabber still running on the board keeps the board itself open until it
   is freed, so the order of the two calls does not matter. */
GH5_API int32_t gh5_board_close(Gh5Board* board);
/* The board's libboardhw handle (the one the applet receives), NULL for a bad handle. Valid while
   the board is open. Tests use it to stand in for the emulation (Board_ForceRegister). */
GH5_API void* gh5_board_device(Gh5Board* board);
GH5_API int32_t gh5_board_index(Gh5Board* board);
/* The board's virtual camera shows these image files, in order and then from the first again,
   instead of its built-in scene: grey or colour PNG (colour turned grey) or grey TIFF, 8 or 16 bits,
   all of one size. The camera keeps the top bits its bit depth allows. count 0 brings the scene
   back. All files are read before anything changes: GH5_ERR_BAD_IMAGE_FILE (gh5_error_detail names
   the file and the problem) leaves the camera as it was. */
GH5_API int32_t gh5_camera_attach_images(Gh5Board* board, const char* const* paths, uint32_t count);

/* ---- Applet libraries ----
   An applet is named without directory and suffix ("Kestrel12" is the file "Kestrel12.so", on
   Windows "Kestrel12.dll"); a name containing '/' (on Windows also '\') is taken as a file path.
   The file is looked for in the directories of the environment variable KESTREL_APPLET_PATH
   (':'-separated, on Windows ';'-separated; first match wins) or, when it is unset or empty, in the
   directory that holds libgrabhost5.so (grabhost5.dll). */

/* Loads the library without creating an applet. *applet is owned by the caller until
   gh5_applet_unload. */
GH5_API int32_t gh5_applet_load(const char* name, Gh5Applet** applet);
GH5_API int32_t gh5_applet_unload(Gh5Applet* applet);
/* NULL for a bad handle. Owned by the applet handle. */
GH5_API const Gh5AppletExports* gh5_applet_exports(Gh5Applet* applet);
/* The file that was loaded; NULL for a bad handle. Owned by the applet handle. */
GH5_API const char* gh5_applet_file(Gh5Applet* applet);
/* Calls the library's Info(query, a, b, out1, out2); its result goes to *result. Addresses that
   Info writes stay valid while the applet handle is loaded. */
GH5_API int32_t gh5_applet_info(Gh5Applet* applet, int32_t query, uint32_t a, uint32_t b, void* out1,
                                void* out2, int32_t* result);

/* ---- Grabbers ---- */

/* Loads the applet library, calls its Std_entry with the board and returns the record. A null
   Std_entry result gives the applet's own code, or GH5_ERR_APPLET_REFUSED when it gave none. */
GH5_API int32_t gh5_grabber_create(Gh5Board* board, const char* applet, Gh5Grabber** grabber);
/* Calls the applet's Fg_FreeGrabber (its result is returned), releases whatever the host still
   holds for the record, unloads the library and lets go of the board. The record and its export
   table must not be used afterwards. */
GH5_API int32_t gh5_grabber_free(Gh5Grabber* grabber);

/* The host's own frame-grabber handle that the applet initialised for the record (the handle the
   entry points of grabhost5_host.h take), NULL for a bad record or an applet that never
   initialised the host. Valid until gh5_grabber_free. For diagnostics and tests. */
GH5_API void* gh5_grabber_host(Gh5Grabber* grabber);

/* ---- Acquisition memory ----
   A ring of bufferCount buffers of bufferBytes each, owned by the grabber's host handle, freed by
   gh5_memory_free or with the grabber. The handle is the 64-bit memory value of the acquisition
   calls. A buffer holds at most GH5_MAX_BUFFER_BYTES (larger: GH5_ERR_INVALID_ARGUMENT), a memory
   at most GH5_MAX_MEMORY_BYTES in all (more: GH5_ERR_OUT_OF_MEMORY without trying). */
#define GH5_MAX_BUFFER_BYTES (UINT64_C(1) << 30)
#define GH5_MAX_MEMORY_BYTES (UINT64_C(1) << 34)
GH5_API int32_t gh5_memory_alloc(Gh5Grabber* grabber, uint32_t bufferCount, uint64_t bufferBytes,
                                 uint64_t* memory);
GH5_API int32_t gh5_memory_free(Gh5Grabber* grabber, uint64_t memory);
/* Address of buffer index of the memory, NULL for a bad grabber, memory or index. */
GH5_API void* gh5_memory_buffer(Gh5Grabber* grabber, uint64_t memory, uint32_t index);

/* ---- Buffer release ---- */

/* Blocking acquisition: gives buffer bufferIndex of the memory back to the DMA, respectively every
   buffer holding a picture numbered up to picture. GH5_ERR_NOT_RUNNING when the memory is not
   being acquired into; releasing a buffer the application does not hold changes nothing. The DMA
   fills buffers in ring order, so it waits for the next buffer in turn even when later ones are
   free. */
GH5_API int32_t gh5_buffer_release(Gh5Grabber* grabber, uint32_t dma, uint64_t memory, uint32_t bufferIndex);
GH5_API int32_t gh5_buffer_release_up_to(Gh5Grabber* grabber, uint32_t dma, uint64_t memory,
                                         uint64_t picture);

/* ---- Events ----
   The board raises the design's events (frame start and end, overflow, trigger input edges,
   trigger monitoring); an application waits for them by the masks the applet's Fg_getEventMask
   gives. Each event of the mask folds until taken: a wait returns every waited-for bit that fired,
   the board time of the earliest, and how many occurrences were folded beyond one per bit. */
typedef struct Gh5EventInfo {
    uint64_t mask;        /* the waited-for bits that fired */
    uint64_t timestampNs; /* board time (ns since the acquisition start) of the earliest of them */
    uint64_t missed;      /* occurrences of these bits beyond one each since they were last taken */
} Gh5EventInfo;
/* Waits up to timeoutMs for any event of mask. GH5_OK with *info filled, GH5_ERR_TIMEOUT when
   none fired in time, GH5_ERR_INVALID_ARGUMENT for a zero mask or a null info. */
GH5_API int32_t gh5_event_wait(Gh5Grabber* grabber, uint64_t mask, uint32_t timeoutMs, Gh5EventInfo* info);

#ifdef __cplusplus
}
#endif

#endif
