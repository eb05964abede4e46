// Texts for every code an application meets: the host's, the board's, and the codes the applet
// returns through its exports.
#include "error_texts.h"

#include "boardhw.h"
#include "grabhost5.h"

namespace kestrel::host {
namespace {

thread_local std::string tDetail;

const char* hostText(int32_t code) {
    switch (code) {
    case GH5_OK:
        return "success";
    case GH5_ERR_INVALID_HANDLE:
        return "invalid handle";
    case GH5_ERR_INVALID_ARGUMENT:
        return "invalid argument";
    case GH5_ERR_OUT_OF_MEMORY:
        return "out of memory";
    case GH5_ERR_APPLET_NOT_FOUND:
        return "applet library not found";
    case GH5_ERR_APPLET_NOT_LOADED:
        return "applet library could not be loaded";
    case GH5_ERR_APPLET_INCOMPLETE:
        return "applet library lacks a required export";
    case GH5_ERR_APPLET_REFUSED:
        return "applet creation failed without an error code";
    case GH5_ERR_NOT_INITIALISED:
        return "applet did not initialise the host";
    case GH5_ERR_BOARD_BUSY:
        return "a design already runs on the board";
    case GH5_ERR_NO_DESIGN:
        return "no usable design image";
    case GH5_ERR_UNKNOWN_PARAMETER:
        return "unknown parameter";
    case GH5_ERR_READ_ONLY:
        return "parameter is read-only";
    case GH5_ERR_OUT_OF_RANGE:
        return "value out of range";
    case GH5_ERR_WRONG_TYPE:
        return "type code does not fit the parameter";
    case GH5_ERR_INVALID_DMA:
        return "invalid DMA channel";
    case GH5_ERR_INVALID_PORT:
        return "invalid port";
    case GH5_ERR_NOT_RUNNING:
        return "acquisition not running";
    case GH5_ERR_ALREADY_RUNNING:
        return "acquisition already running";
    case GH5_ERR_TIMEOUT:
        return "timeout waiting for the picture";
    case GH5_ERR_INVALID_MEMORY:
        return "invalid acquisition memory";
    case GH5_ERR_MEMORY_BUSY:
        return "acquisition memory in use";
    case GH5_ERR_ABORTED:
        return "wait aborted: acquisition stopped";
    case GH5_ERR_BAD_COEFFICIENT_FILE:
        return "coefficient file unreadable or of the wrong size";
    case GH5_ERR_BAD_IMAGE_FILE:
        return "camera image unreadable, or of another size than the first";
    default:
        return nullptr;
    }
}

// The codes an applet returns through its exports.
const char* appletText(int32_t code) {
    switch (code) {
    case -1:
        return "operation failed";
    case -12:
        return "operation not available";
    case -60:
        return "trigger busy";
    case -100:
        return "initialisation failed";
    case -500:
        return "buffer too small";
    case -2001:
        return "no applet behind the handle";
    case -2020:
        return "out of memory in the applet";
    case -2031:
        return "host library unusable";
    case -2070:
        return "invalid parameter";
    case -2075:
        return "invalid port or derived value";
    case -2076:
        return "file could not be read";
    case -2078:
        return "pulse-form downscale does not fit the trigger timing";
    case -2079:
        return "trigger frequency does not fit the pulse forms";
    case -2130:
        return "operation not supported";
    case -2140:
        return "not in software trigger mode";
    case -2141:
        return "trigger not ready";
    case -5000:
        return "configuration could not be loaded";
    case -5001:
        return "file could not be written";
    case -6000:
        return "value out of range";
    case -7080:
        return "value not aligned to its step";
    case -8000:
        return "configuration key missing";
    default:
        return nullptr;
    }
}

} // namespace

const char* errorText(int32_t code) {
    if (const char* text = hostText(code))
        return text;
    if (code <= -7001 && code >= -7099 && code != -7080)
        return Board_ErrorText(code);
    if (const char* text = appletText(code))
        return text;
    return "unknown error";
}

void setErrorDetail(std::string detail) {
    tDetail = std::move(detail);
}

const char* errorDetail() {
    return tDetail.c_str();
}

} // namespace kestrel::host
