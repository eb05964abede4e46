/* The applet's C interface: the functions Kestrel12.so exports, the error codes they return, the
   catalogue's parameter identifiers and the value type codes of the typed calls. Plain C; the
   applet itself is built against this header.

   Ownership: texts and records the applet returns (parameter and event names, the information
   tree root, the shading handle, the applet object of Std_entry) are owned by the applet and stay
   valid until Fg_FreeGrabber; buffers passed in stay the caller's. */
#ifndef KESTREL12_H
#define KESTREL12_H

#include <stdint.h>

#if defined(__GNUC__)
#define KESTREL12_API __attribute__((visibility("default")))
#else
#define KESTREL12_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes: 0 for success, negative for failure. Stable: never renumbered. Codes of the host
   SDK and the board library pass through unchanged and are not listed here. */
enum Kestrel12ErrorCode {
    KESTREL12_OK = 0,
    KESTREL12_ERR_GENERIC = -1,               /* shading allocation or coefficient write failed */
    KESTREL12_ERR_NOT_AVAILABLE = -12,        /* host entry point unbound, no host handle, read-only set */
    KESTREL12_ERR_BUSY = -60,                 /* software trigger while the trigger is busy */
    KESTREL12_ERR_INIT_FAILED = -100,         /* design image not opened, host init failed silently */
    KESTREL12_ERR_BUFFER_TOO_SMALL = -500,    /* text buffer too small, tree text not stored */
    KESTREL12_ERR_NO_APPLET = -2001,          /* null handle or null applet object */
    KESTREL12_ERR_OUT_OF_MEMORY = -2020,      /* shading coefficient buffer not allocated */
    KESTREL12_ERR_HOST_UNUSABLE = -2031,      /* host library not loaded or without init entry */
    KESTREL12_ERR_INVALID_ARGUMENT = -2070,   /* null pointer, unknown id, bad DMA index, bad flags */
    KESTREL12_ERR_INVALID_PORT = -2075,       /* no tree on the port, derived value out of range */
    KESTREL12_ERR_FILE_READ = -2076,          /* reference image, LUT or configuration not read */
    KESTREL12_ERR_DOWNSCALE_CONFLICT = -2078, /* pulse-form downscale does not fit the timing */
    KESTREL12_ERR_FREQUENCY_CONFLICT = -2079, /* trigger frequency does not fit pulse forms */
    KESTREL12_ERR_NOT_SUPPORTED = -2130,      /* unsupported operation or query */
    KESTREL12_ERR_WRONG_TRIGGER_MODE = -2140, /* software trigger outside software mode */
    KESTREL12_ERR_TRIGGER_NOT_READY = -2141,  /* software trigger in a state that forbids it */
    KESTREL12_ERR_CONFIG_LOAD = -5000,        /* configuration load failed */
    KESTREL12_ERR_FILE_WRITE = -5001,         /* configuration not written, LUT file failure */
    KESTREL12_ERR_OUT_OF_RANGE = -6000,       /* value outside its range or set */
    KESTREL12_ERR_NOT_ALIGNED = -7080,        /* value off its step */
    KESTREL12_ERR_KEY_MISSING = -8000,        /* configuration key not found */
};

/* Type codes of the typed calls: what the value pointer points to. The applet's own set reads
   every catalogue parameter in its fixed type whatever the code; the typed get clears 8 bytes
   first for the two 64-bit codes. */
enum Kestrel12TypeCode {
    KESTREL12_TYPE_UINT32 = 2,       /* uint32_t */
    KESTREL12_TYPE_INT64 = 3,        /* 64-bit integer */
    KESTREL12_TYPE_UINT64 = 4,       /* 64-bit integer */
    KESTREL12_TYPE_STRING = 6,       /* NUL-terminated text */
    KESTREL12_TYPE_LUT_TABLE = 4096, /* the whole lookup table */
    KESTREL12_TYPE_LUT_ENTRY = 4098  /* one (value, index) pair of uint32_t, value first */
};

/* Identifiers of the catalogue parameters, in list-index order. */
enum Kestrel12ParameterId {
    FG_TIMEOUT = 600,
    FG_TURBO_DMA_MODE = 3051,
    FG_APPLET_VERSION = 24020,
    FG_APPLET_REVISION = 24030,
    FG_APPLET_ID = 24010,
    FG_HAP_FILE = 24108,
    FG_DMASTATUS = 24092,
    FG_CAMSTATUS = 2000,
    FG_CAMSTATUS_EXTENDED = 2050,
    FG_TRANSFER_LEN = 5210,
    FG_NR_OF_PROCESSES = 3070,
    FG_NR_OF_DMAS = 3050,
    FG_NR_OF_CAMS = 3060,
    FG_DMA_PORT = 3080,
    FG_CAM_PORT = 3090,
    FG_APC_STOP_TIMEOUT = 601,
    FG_CAMERA_LINK_CAMTYPE = 11011,
    FG_USEDVAL = 5025,
    FG_WIDTH = 100,
    FG_HEIGHT = 200,
    FG_XOFFSET = 300,
    FG_YOFFSET = 400,
    FG_FILLLEVEL = 110086,
    FG_OVERFLOW = 110087,
    FG_FORMAT = 700,
    FG_BITALIGNMENT = 4010,
    FG_PIXELDEPTH = 4000,
    FG_GEN_ENABLE = 30099,
    FG_GEN_START = 30113,
    FG_GEN_WIDTH = 30102,
    FG_GEN_HEIGHT = 30104,
    FG_GEN_LINE_GAP = 30105,
    FG_GEN_FREQ = 30106,
    FG_GEN_ACCURACY = 30107,
    FG_GEN_TAP1 = 30108,
    FG_GEN_TAP2 = 30109,
    FG_GEN_TAP3 = 30110,
    FG_GEN_TAP4 = 30111,
    FG_GEN_ROLL = 30112,
    FG_GEN_ACTIVE = 30101,
    FG_GEN_PASSIVE = 30100,
    FG_GEN_LINE_WIDTH = 30103,
    FG_IMG_SELECT_PERIOD = 25110,
    FG_IMG_SELECT = 25111,
    FG_NOISEFILTER = 110016,
    FG_LUT_TYPE = 110017,
    FG_LUT_IMPLEMENTATION_TYPE = 300006,
    FG_LUT_IN_BITS = 300007,
    FG_LUT_OUT_BITS = 300008,
    FG_LUT_VALUE = 300001,
    FG_LUT_CUSTOM_FILE = 300000,
    FG_LUT_SAVE_FILE = 110021,
    FG_PROCESSING_OFFSET = 300004,
    FG_PROCESSING_GAIN = 300002,
    FG_PROCESSING_GAMMA = 300003,
    FG_PROCESSING_INVERT = 300005,
    FG_SHADING_OFFSET_ENABLE = 300102,
    FG_SHADING_GAIN_ENABLE = 300100,
    FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE = 300104,
    FG_SHADING_BLACK_FILENAME = 300103,
    FG_SHADING_GRAY_FILENAME = 300101,
    FG_SHADING_GAIN_CORRECTION_MODE = 300106,
    FG_SHADING_GAIN_NORMALIZATION_VALUE = 300108,
    FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD = 300105,
    FG_SHADING_APPLY_SETTINGS = 300107,
    FG_AREATRIGGERMODE = 300200,
    FG_TRIGGERSTATE = 300201,
    FG_TRIGGER_FRAMESPERSECOND = 90,
    FG_TRIGGER_EXCEEDED_PERIOD_LIMITS = 300202,
    FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR = 300203,
    FG_TRIGGERIN_DEBOUNCE = 300204,
    FG_DIGIO_INPUT = 14010,
    FG_TRIGGERIN_SRC = 8110,
    FG_TRIGGERIN_POLARITY = 8116,
    FG_TRIGGERIN_DOWNSCALE = 300205,
    FG_TRIGGERIN_DOWNSCALE_PHASE = 300206,
    FG_TRIGGERIN_BYPASS_SRC = 300243,
    FG_SENDSOFTWARETRIGGER = 8800,
    FG_SOFTWARETRIGGER_IS_BUSY = 110075,
    FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL = 8802,
    FG_TRIGGERIN_STATS_PULSECOUNT = 300207,
    FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR = 300208,
    FG_TRIGGERIN_STATS_FREQUENCY = 300209,
    FG_TRIGGERIN_STATS_MINFREQUENCY = 300210,
    FG_TRIGGERIN_STATS_MAXFREQUENCY = 300211,
    FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR = 300212,
    FG_TRIGGER_MULTIPLY_PULSES = 300213,
    FG_TRIGGERQUEUE_MODE = 300214,
    FG_TRIGGERQUEUE_FILLLEVEL = 300215,
    FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD = 300240,
    FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD = 300241,
    FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE = 300216,
    FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE_PHASE = 300217,
    FG_TRIGGER_PULSEFORMGEN0_DELAY = 300218,
    FG_TRIGGER_PULSEFORMGEN0_WIDTH = 300219,
    FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE = 300220,
    FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE_PHASE = 300221,
    FG_TRIGGER_PULSEFORMGEN1_DELAY = 300222,
    FG_TRIGGER_PULSEFORMGEN1_WIDTH = 300223,
    FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE = 300224,
    FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE_PHASE = 300225,
    FG_TRIGGER_PULSEFORMGEN2_DELAY = 300226,
    FG_TRIGGER_PULSEFORMGEN2_WIDTH = 300227,
    FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE = 300228,
    FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE_PHASE = 300229,
    FG_TRIGGER_PULSEFORMGEN3_DELAY = 300230,
    FG_TRIGGER_PULSEFORMGEN3_WIDTH = 300231,
    FG_TRIGGERCC_SELECT0 = 300250,
    FG_TRIGGERCC_SELECT1 = 300251,
    FG_TRIGGERCC_SELECT2 = 300252,
    FG_TRIGGERCC_SELECT3 = 300253,
    FG_TRIGGEROUT_SELECT0 = 300232,
    FG_TRIGGEROUT_SELECT1 = 300233,
    FG_TRIGGEROUT_SELECT2 = 300234,
    FG_TRIGGEROUT_SELECT3 = 300235,
    FG_TRIGGEROUT_SELECT4 = 300244,
    FG_TRIGGEROUT_SELECT5 = 300245,
    FG_TRIGGEROUT_SELECT6 = 300246,
    FG_TRIGGEROUT_SELECT7 = 300247,
    FG_TRIGGEROUT_STATS_SOURCE = 300236,
    FG_TRIGGEROUT_STATS_PULSECOUNT = 300237,
    FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR = 300238,
    FG_MISSING_CAMERA_FRAME_RESPONSE = 300248,
    FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR = 300249,
    FG_TRIGGER_OUTPUT_EVENT_SELECT = 300242,
    FG_TRIGGER_LEGACY_MODE = 300254,
    FG_TRIGGERMODE = 8100,
    FG_EXSYNCON = 8300,
    FG_FLASHON = 8600,
    FG_EXPOSURE = 10020,
    FG_EXSYNCDELAY = 8400,
    FG_EXSYNCPOLARITY = 8420,
    FG_STROBEPULSEDELAY = 8700,
    FG_FLASH_POLARITY = 24060,
    FG_PRESCALER = 10050,
    FG_CCSEL0 = 14001,
    FG_CCSEL1 = 14002,
    FG_CCSEL2 = 14003,
    FG_CCSEL3 = 14004,
    FG_DIGIO_OUTPUT = 14020,

    /* Get only: the buffer holds a parameter name on entry and receives its description text
       (up to 226 bytes). It has no name and no list index. */
    KESTREL12_DESCRIPTION_QUERY = 24114,
    /* The two optional families start above these bases: design register id + 1000000 for
       direct register access ("DRA_" names), host design-parameter id + 2000000 for design
       access ("DDSA_" names). */
    KESTREL12_REGISTER_ACCESS_BASE = 1000000,
    KESTREL12_DESIGN_ACCESS_BASE = 2000000
};

/* The saved parameters a configuration load only stores, without calling their setters: the
   setter of FG_LUT_TYPE and the final shading apply take them from there. A client checking a
   file holds them to their published limits rather than setting them again, which would redo
   that work. In catalogue order; the applet's build fails when its rows say otherwise. */
#define KESTREL12_STAGED_ONLY_PARAMETERS                                                                     \
    FG_LUT_CUSTOM_FILE, FG_PROCESSING_OFFSET, FG_PROCESSING_GAIN, FG_PROCESSING_GAMMA, FG_PROCESSING_INVERT, \
        FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, FG_SHADING_BLACK_FILENAME, FG_SHADING_GRAY_FILENAME,     \
        FG_SHADING_GAIN_CORRECTION_MODE, FG_SHADING_GAIN_NORMALIZATION_VALUE,                                \
        FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD

/* `fg` is the host's frame-grabber record; its first field points to the applet object. A null
   record or null first field gives each function's bad-handle value: KESTREL12_ERR_NO_APPLET,
   NULL, or 0 for Fg_getEventMask. */

/* Creation and properties. Std_entry returns the new applet object, which the host keeps in the
   first field of its record until Fg_FreeGrabber, or NULL with the code in *error. */
KESTREL12_API void* Std_entry(void* boardHandle, int32_t* error, int32_t flags);
KESTREL12_API int32_t Info(int32_t query, uint32_t a, uint32_t b, void* out1, void* out2);

/* Parameters. Names are owned by the applet and valid until Fg_FreeGrabber. */
KESTREL12_API int32_t Fg_setParameterWithType(void* fg, int32_t id, const void* value, uint32_t dma,
                                              int32_t type);
KESTREL12_API int32_t Fg_getParameterWithType(void* fg, int32_t id, void* value, uint32_t dma, int32_t type);
KESTREL12_API int32_t Fg_getParameterIdByName(void* fg, const char* name);
KESTREL12_API const char* Fg_getParameterName(void* fg, int32_t index);
KESTREL12_API int32_t Fg_getParameterId(void* fg, int32_t index);
KESTREL12_API int32_t Fg_getNrOfParameter(void* fg);

/* Events. Names are owned by the applet and valid until Fg_FreeGrabber. */
KESTREL12_API uint64_t Fg_getEventMask(void* fg, const char* name);
KESTREL12_API const char* Fg_getEventName(void* fg, uint64_t mask);

/* Configuration files and descriptions. The XML is written into the caller's buffer; the
   information tree root is owned by the applet, read in place and valid until Fg_FreeGrabber. */
KESTREL12_API int32_t Fg_saveConfig(void* fg, const char* fileName);
KESTREL12_API int32_t Fg_loadConfig(void* fg, const char* fileName);
KESTREL12_API int32_t Fg_getParameterInfoXML(void* fg, int32_t port, char* buffer, uint64_t* size);
KESTREL12_API void* Fg_getParameterInfo(void* fg, int32_t port);

/* Shading line access. The shading handle is owned by the applet; release it with
   Fg_FreeShading. */
KESTREL12_API void* Fg_AllocShading(void* fg, int32_t a, int32_t b);
KESTREL12_API int32_t Fg_FreeShading(void* fg, void* shading);
KESTREL12_API int32_t Shad_SetSubValueLine(void* fg, void* shading, int32_t x, int32_t channel, float value);
KESTREL12_API int32_t Shad_SetMultValueLine(void* fg, void* shading, int32_t x, int32_t channel, float value);
KESTREL12_API int32_t Shad_SetFixedPatternNoiseLine(void* fg, void* shading, int32_t x, int32_t channel,
                                                    int32_t value);
KESTREL12_API int32_t Shad_GetMaxLine(void* fg, void* shading);
KESTREL12_API int32_t Shad_GetAccess(void* fg, void* shading);
KESTREL12_API int32_t Shad_FreeAccess(void* fg, void* shading);
KESTREL12_API int32_t Shad_WriteActLine(void* fg, void* shading, int32_t line);

/* Acquisition, forwarded to the host SDK with its own handle; the 64-bit values pass unchanged. */
KESTREL12_API int32_t Fg_getAppletId(void* fg, uint64_t value);
KESTREL12_API int64_t Fg_getStatusEx(void* fg, int32_t param, uint64_t data, uint32_t dma, uint64_t memory);
KESTREL12_API int32_t Fg_AcquireEx(void* fg, int32_t dma, uint64_t count, int32_t flags, uint64_t memory);
KESTREL12_API int32_t Fg_stopAcquireEx(void* fg, uint32_t dma, uint64_t memory, int32_t flags);
KESTREL12_API int64_t Fg_getLastPicNumberEx(void* fg, uint32_t dma, uint64_t memory);
KESTREL12_API int64_t Fg_getLastPicNumberBlockingEx(void* fg, uint64_t picture, uint32_t dma, int32_t timeout,
                                                    uint64_t memory);

/* Last error and teardown. Fg_FreeGrabber lets the host release its handle, destroys the applet
   object and clears the record's first field. */
KESTREL12_API int32_t Fg_getLastErrorNumber(void* fg);
KESTREL12_API int32_t Fg_FreeGrabber(void* fg);

#ifdef __cplusplus
}
#endif

#endif /* KESTREL12_H */
