// The applet's error codes under their C++ names (the values and meanings are the public header's),
// their texts, and the one place that throws them.
#pragma once

#include <cstdint>

#include "include/kestrel12.h"

namespace kestrel {

constexpr int32_t kOk = KESTREL12_OK;
constexpr int32_t kErrGeneric = KESTREL12_ERR_GENERIC;
constexpr int32_t kErrNotAvailable = KESTREL12_ERR_NOT_AVAILABLE;
constexpr int32_t kErrBusy = KESTREL12_ERR_BUSY;
constexpr int32_t kErrInitFailed = KESTREL12_ERR_INIT_FAILED;
constexpr int32_t kErrBufferTooSmall = KESTREL12_ERR_BUFFER_TOO_SMALL;
constexpr int32_t kErrNoApplet = KESTREL12_ERR_NO_APPLET;
constexpr int32_t kErrOutOfMemory = KESTREL12_ERR_OUT_OF_MEMORY;
constexpr int32_t kErrHostUnusable = KESTREL12_ERR_HOST_UNUSABLE;
constexpr int32_t kErrInvalidArgument = KESTREL12_ERR_INVALID_ARGUMENT;
constexpr int32_t kErrInvalidPort = KESTREL12_ERR_INVALID_PORT;
constexpr int32_t kErrFileRead = KESTREL12_ERR_FILE_READ;
constexpr int32_t kErrDownscaleConflict = KESTREL12_ERR_DOWNSCALE_CONFLICT;
constexpr int32_t kErrFrequencyConflict = KESTREL12_ERR_FREQUENCY_CONFLICT;
constexpr int32_t kErrNotSupported = KESTREL12_ERR_NOT_SUPPORTED;
constexpr int32_t kErrWrongTriggerMode = KESTREL12_ERR_WRONG_TRIGGER_MODE;
constexpr int32_t kErrTriggerNotReady = KESTREL12_ERR_TRIGGER_NOT_READY;
constexpr int32_t kErrConfigLoad = KESTREL12_ERR_CONFIG_LOAD;
constexpr int32_t kErrFileWrite = KESTREL12_ERR_FILE_WRITE;
constexpr int32_t kErrOutOfRange = KESTREL12_ERR_OUT_OF_RANGE;
constexpr int32_t kErrNotAligned = KESTREL12_ERR_NOT_ALIGNED;
constexpr int32_t kErrKeyMissing = KESTREL12_ERR_KEY_MISSING;

// The meaning of a code, for tools and messages; "unknown error" for codes not in the table.
const char* errorText(int32_t code);

// Failures inside the applet travel as thrown codes; this is the one place that throws them.
[[noreturn]] void raise(int32_t code);

} // namespace kestrel
