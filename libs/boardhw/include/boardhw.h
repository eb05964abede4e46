/* libboardhw: the virtual board. The applet uses the two register calls; the host SDK the rest. */
#ifndef KESTREL_BOARDHW_H
#define KESTREL_BOARDHW_H

#include <stdint.h>

#if defined(__GNUC__)
#define BOARDHW_API __attribute__((visibility("default")))
#else
#define BOARDHW_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes of every board call. Stable by contract; kept apart from the applet's codes (which
   never use -7001..-7099) so that a code passed through the host still names its source. */
#define BOARD_OK 0
#define BOARD_ERR_INVALID_HANDLE (-7001)   /* null, closed or foreign board handle */
#define BOARD_ERR_NO_SUCH_BOARD (-7002)    /* board index outside 0 .. Board_GetCount() - 1 */
#define BOARD_ERR_BOARD_IN_USE (-7003)     /* the board is already open */
#define BOARD_ERR_NO_DESIGN (-7004)        /* no design loaded on the board yet */
#define BOARD_ERR_INVALID_DESIGN (-7005)   /* design image null, or its register table unusable */
#define BOARD_ERR_UNKNOWN_REGISTER (-7006) /* the loaded design has no register of that id */
#define BOARD_ERR_READ_ONLY (-7007)        /* the design marks the register read-only */
#define BOARD_ERR_WRONG_KIND (-7008)       /* value access to a table or text register, or the reverse */
#define BOARD_ERR_INVALID_ARGUMENT (-7009) /* null pointer or a count/index outside its memory */
#define BOARD_ERR_OUT_OF_RANGE (-7010)     /* a table entry does not fit the table's width */
#define BOARD_ERR_OUT_OF_MEMORY (-7011)    /* a coefficient memory could not be allocated */
#define BOARD_ERR_TEXT_TOO_LONG (-7012)    /* text of BOARD_MAX_TEXT_BYTES or more */
#define BOARD_ERR_BUFFER_TOO_SMALL (-7013) /* caller's text buffer cannot hold the text and its NUL */

/* What a register holds. Plain registers hold a value of their width; the lookup-table register
   is a window onto the LUT memory; the coefficient-file registers hold a file name. */
#define BOARD_REGISTER_VALUE 0
#define BOARD_REGISTER_TABLE 1
#define BOARD_REGISTER_TEXT 2

#define BOARD_LUT_ENTRIES 4096u
#define BOARD_LUT_ENTRY_BITS 12
#define BOARD_MAX_TEXT_BYTES 4096u /* longest text register content, NUL included */

/* The two shading coefficient memories: 4096 lines of 4096 uint16 samples at sensor coordinates. */
#define BOARD_COEFFICIENT_OFFSET 0 /* 1/16 grey level; 65535 marks a defective pixel; starts at 0 */
#define BOARD_COEFFICIENT_GAIN 1   /* 4096 = 1.0; starts at 4096 */
#define BOARD_COEFFICIENT_SIDE 4096u

typedef struct BoardRegisterDescription {
    uint32_t id;
    int32_t widthBits; /* 1 .. 64 */
    int32_t writable;  /* non-zero: Board_WriteRegister accepts it */
    int32_t kind;      /* BOARD_REGISTER_VALUE, _TABLE or _TEXT */
} BoardRegisterDescription;

/* The acquired image as the current register values describe it (bank 0 of the image buffer). */
typedef struct BoardImageFormat {
    uint32_t widthPixels;
    uint32_t heightLines;
    uint32_t xOffsetPixels;
    uint32_t yOffsetLines;
    uint32_t bitsPerPixel;    /* 8 or 16 */
    uint32_t leftAligned;     /* 16-bit output only: 1 when samples are shifted to the top bits */
    uint32_t generatorSource; /* 1: the camera simulator feeds the pipeline; 0: the camera */
} BoardImageFormat;

/* ---- Calls of the applet ---- */

/* Writes a plain register; the value is masked to the register's width. 0 on success, else a
   BOARD_ERR_ code (unknown id, read-only, table/text register, no design, bad handle). */
BOARDHW_API int32_t Board_WriteRegister(void* board, uint32_t id, uint64_t value);
/* Reads a plain register into *value (zero-extended). *value is untouched on failure. */
BOARDHW_API int32_t Board_ReadRegister(void* board, uint32_t id, uint64_t* value);

/* ---- Calls of the host ---- */

/* Number of virtual boards in this machine; their indexes are 0 .. count - 1. */
BOARDHW_API int32_t Board_GetCount(void);
/* Opens a board for exclusive use. Returns the handle, owned by the caller until Board_Close, or
   NULL with the reason in *error (which may be NULL). Handles are never reused in a process, so a
   closed handle stays invalid for good. */
BOARDHW_API void* Board_Open(int32_t index, int32_t* error);
/* Closes the board; calls running on other threads finish first on their own reference. */
BOARDHW_API int32_t Board_Close(void* board);
/* Index the board was opened with, or a BOARD_ERR_ code. */
BOARDHW_API int32_t Board_GetIndex(void* board);

/* Configures the board with a design: takes the register table of the design image (a designrt
   handle; the board copies what it needs, the image may be closed afterwards). Every register,
   the LUT memory, the text registers and both coefficient memories start from their reset state. */
BOARDHW_API int32_t Board_LoadDesign(void* board, void* designImage);
BOARDHW_API int32_t Board_DescribeRegister(void* board, uint32_t id, BoardRegisterDescription* description);

/* Host- and test-side write of a plain register that ignores the writable flag: this is how the
   emulation (and a test standing in for it) sets status registers such as the overflow flag. */
BOARDHW_API int32_t Board_ForceRegister(void* board, uint32_t id, uint64_t value);

/* Test hook: every later Board_WriteRegister or text write of register id fails with code, as a
   broken register would (code 0 lifts it). Lets tests check what a failing write leaves behind. */
BOARDHW_API int32_t Board_FailRegisterWrites(void* board, uint32_t id, int32_t code);

/* ---- Trigger inputs and lines ----
   A test or an application stands in for the signals on the eight trigger inputs (0 .. 7). Times
   are board time in ns since acquisition start; a time already passed counts as the current board
   time, and what it changes then happens at once. The trigger debounces the inputs as its
   registers say. BOARD_ERR_INVALID_ARGUMENT for another input or a zero width. */
/* The input is at level (0 low, else high) from atNs on. */
BOARDHW_API int32_t Board_SetTriggerInput(void* board, uint32_t input, int32_t level, uint64_t atNs);
/* A high pulse of widthNs on the input from atNs on. */
BOARDHW_API int32_t Board_InjectTriggerPulse(void* board, uint32_t input, uint64_t atNs, uint64_t widthNs);
/* Levels of the trigger's outputs now: bit i of *cameraControl is camera-control output i (CC1 is
   bit 0), bit i of *outputs trigger output i. Either pointer may be NULL. */
BOARDHW_API int32_t Board_GetTriggerLines(void* board, uint32_t* cameraControl, uint32_t* outputs);

/* Test hook: what the virtual camera looks at while the camera simulator is off, from the next
   frame on. BOARD_SCENE_SYNTHETIC (the default) ignores level; BOARD_SCENE_FLAT_FIELD lights the
   sensor uniformly with level grey levels (0 .. 4095) at the optical centre; BOARD_SCENE_LENS_CAP
   lets no light in. The camera's vignetting, fixed pattern, noise and defects stay in every scene.
   BOARD_ERR_INVALID_ARGUMENT for another scene or a level outside 0 .. 4095. */
#define BOARD_SCENE_SYNTHETIC 0
#define BOARD_SCENE_FLAT_FIELD 1
#define BOARD_SCENE_LENS_CAP 2
BOARDHW_API int32_t Board_SetCameraScene(void* board, int32_t scene, double level);

/* Images the virtual camera shows instead of its scene: count images of width x height grey
   samples at 16-bit full scale, one after the other, copied. Frame n shows image n mod count, cut
   to the camera's bit depth (its top bits); a window reaching past the images sees 0 there. count 0
   (samples may then be NULL) brings the scene back. BOARD_ERR_INVALID_ARGUMENT for a NULL samples
   with images, or a side outside 1 .. BOARD_MAX_CAMERA_SIDE; the previous images stay then. */
#define BOARD_MAX_CAMERA_SIDE 16384u
BOARDHW_API int32_t Board_SetCameraImages(void* board, const uint16_t* samples, uint32_t width,
                                          uint32_t height, uint32_t count);

/* The LUT memory: entries first .. first + count - 1 (first + count <= BOARD_LUT_ENTRIES). A write
   with any entry above 4095 is refused whole with BOARD_ERR_OUT_OF_RANGE. */
BOARDHW_API int32_t Board_WriteLut(void* board, uint32_t first, const uint32_t* entries, uint32_t count);
BOARDHW_API int32_t Board_ReadLut(void* board, uint32_t first, uint32_t* entries, uint32_t count);

/* Text registers (the coefficient-file registers). The text is copied; an empty text clears it.
   Reading copies the text and its NUL into buffer (size bytes available). */
BOARDHW_API int32_t Board_SetRegisterText(void* board, uint32_t id, const char* text);
BOARDHW_API int32_t Board_GetRegisterText(void* board, uint32_t id, char* buffer, uint32_t size);

/* The coefficient memories (BOARD_COEFFICIENT_OFFSET or _GAIN): lineCount whole lines of
   BOARD_COEFFICIENT_SIDE samples from firstLine on. The memory is allocated on first write;
   reading a memory never written yields its reset value. */
BOARDHW_API int32_t Board_WriteCoefficientLines(void* board, int32_t memory, uint32_t firstLine,
                                                uint32_t lineCount, const uint16_t* samples);
BOARDHW_API int32_t Board_ReadCoefficientLines(void* board, int32_t memory, uint32_t firstLine,
                                               uint32_t lineCount, uint16_t* samples);

/* The image format the current register values select. */
BOARDHW_API int32_t Board_GetImageFormat(void* board, BoardImageFormat* format);

/* ---- Acquisition: the host's DMA asks the board for its frames one at a time ---- */

/* What Board_NextFrame delivered. */
typedef struct BoardFrameInfo {
    uint64_t bytes;            /* size of the whole formatted frame */
    uint64_t sourceFrame;      /* sensor frame it came from, counted from 0 at the start */
    uint64_t sourceFrames;     /* sensor frames this call consumed (the image selector drops some) */
    double framePeriodSeconds; /* time one sensor frame takes at the current settings */
    uint64_t exposureNs;       /* Board_TakeFrame: board time the exposure started */
    uint64_t completedNs;      /* Board_TakeFrame: board time the frame was complete on the board */
    uint64_t framesLostBefore; /* Board_TakeFrame: frames lost to a full on-board buffer before it */
} BoardFrameInfo;

/* Acquisition start: the sources and the image selector count from frame 0 again. */
BOARDHW_API int32_t Board_StartAcquisition(void* board);
/* Runs sensor frames through the pipeline, as the registers set it now, until the image selector
   passes one, and writes that frame into buffer (size bytes; a larger frame is cut to size).
   info may be NULL. */
BOARDHW_API int32_t Board_NextFrame(void* board, void* buffer, uint64_t size, BoardFrameInfo* info);

/* ---- Board time: the host's DMA runs the board's clock ----
   After Board_StartAcquisition, board time starts at 0 ns and moves only by Board_AdvanceTo. The
   camera exposes free-running, one frame period apart from time 0, or on the trigger's exposure
   pulses while the trigger drives it (camera-control output 0 from a pulse-form generator); a
   frame is complete one frame period after its exposure started, and the camera reads out one
   frame at a time. A complete frame that the image selector passes goes into the on-board buffer:
   two DRAM banks of BOARD_ONBOARD_BANK_BYTES, written in turn. A frame the bank it is due in
   cannot hold is lost: the overflow register reads 1 from then until the next start and the
   overflow event fires. The fill-level registers hold each bank's fill in whole percent. The
   design's frame start and frame end events fire at the exposure's start and end. */
#define BOARD_ONBOARD_BANK_BYTES (UINT64_C(64) << 20)
#define BOARD_ONBOARD_BANKS 2

typedef struct BoardOnBoardStatus {
    uint64_t nowNs;         /* board time last advanced to */
    uint64_t framesStored;  /* frames waiting in the on-board buffer */
    uint64_t framesLost;    /* frames lost to a full on-board buffer since the start */
    uint64_t framesExposed; /* exposures since the start */
    uint32_t fillLevelPercent[BOARD_ONBOARD_BANKS];
    uint32_t overflow; /* 1 once a frame was lost */
    uint32_t reserved;
} BoardOnBoardStatus;

/* Runs board time up to nowNs (an earlier time than the last is ignored). Frames completing in
   that span are made now, with the registers as they are now. Does a bounded amount of work per
   call: when Board_NextActivity then answers a time at or before nowNs, call again. */
BOARDHW_API int32_t Board_AdvanceTo(void* board, uint64_t nowNs);
/* When something next happens by itself: *scheduled 1 and *atNs that board time, or *scheduled 0
   when nothing will until the application or the trigger's inputs act. */
BOARDHW_API int32_t Board_NextActivity(void* board, uint64_t* atNs, int32_t* scheduled);
/* The DMA: moves the oldest frame of the on-board buffer into buffer (size bytes; a larger frame
   is cut to size) and sets *taken 1; *taken 0 when the on-board buffer is empty. info may be NULL. */
BOARDHW_API int32_t Board_TakeFrame(void* board, void* buffer, uint64_t size, BoardFrameInfo* info,
                                    int32_t* taken);
BOARDHW_API int32_t Board_GetOnBoardStatus(void* board, BoardOnBoardStatus* status);

/* ---- Events ----
   Record i of the loaded design's event records owns bit 2^i of a 64-bit mask (the first 64
   records), as the applet's event tables give it. Events fold per bit until a wait takes them. */
typedef struct BoardEventInfo {
    uint64_t mask;        /* the waited-for bits that fired */
    uint64_t timestampNs; /* board time of the earliest of them */
    uint64_t missed;      /* occurrences of these bits beyond one each since they were last taken */
} BoardEventInfo;
/* The bit of the design event of that name in *mask, 0 when the design has none. */
BOARDHW_API int32_t Board_GetEventMask(void* board, const char* designName, uint64_t* mask);
/* Waits up to timeoutMs for any bit of mask; *fired 1 with info filled and those bits taken, or
 *fired 0 on timeout. BOARD_ERR_INVALID_ARGUMENT for a zero mask or null pointers. */
BOARDHW_API int32_t Board_WaitEvent(void* board, uint64_t mask, uint32_t timeoutMs, BoardEventInfo* info,
                                    int32_t* fired);
/* Test and emulation hook: raises the design event of that name at board time timestampNs. */
BOARDHW_API int32_t Board_RaiseEvent(void* board, const char* designName, uint64_t timestampNs);

/* The meaning of a BOARD_ code; "unknown board error" for any other value. Static text. */
BOARDHW_API const char* Board_ErrorText(int32_t code);

#ifdef __cplusplus
}
#endif

#endif
