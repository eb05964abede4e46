// Texts for the applet's error codes and the one place that throws them.
#include "core/error_codes.h"

namespace kestrel {

const char* errorText(int32_t code) {
    switch (code) {
    case kOk:
        return "success";
    case kErrGeneric:
        return "generic failure";
    case kErrNotAvailable:
        return "operation not available";
    case kErrBusy:
        return "busy";
    case kErrInitFailed:
        return "initialisation failed";
    case kErrBufferTooSmall:
        return "buffer too small";
    case kErrNoApplet:
        return "no applet behind the handle";
    case kErrOutOfMemory:
        return "out of memory";
    case kErrHostUnusable:
        return "host library unusable";
    case kErrInvalidArgument:
        return "invalid argument";
    case kErrInvalidPort:
        return "invalid port or derived value";
    case kErrFileRead:
        return "file read failed";
    case kErrDownscaleConflict:
        return "trigger setting conflict: downscale does not fit the timing";
    case kErrFrequencyConflict:
        return "trigger setting conflict: frequency does not fit the pulse forms";
    case kErrNotSupported:
        return "not supported";
    case kErrWrongTriggerMode:
        return "wrong trigger mode";
    case kErrTriggerNotReady:
        return "trigger not ready";
    case kErrConfigLoad:
        return "configuration load failed";
    case kErrFileWrite:
        return "file write or LUT file failure";
    case kErrOutOfRange:
        return "value out of range";
    case kErrNotAligned:
        return "value not aligned";
    case kErrKeyMissing:
        return "key missing";
    default:
        return "unknown error";
    }
}

void raise(int32_t code) {
    throw code;
}

} // namespace kestrel
