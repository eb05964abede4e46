// The applet's error codes: stable by contract, shared by every subsystem.
#pragma once

#include <cstdint>

namespace kestrel {

constexpr int32_t kOk = 0;
constexpr int32_t kErrGeneric = -1;              // shading allocation or coefficient write failed
constexpr int32_t kErrNotAvailable = -12;        // host entry point unbound, no host handle, read-only set
constexpr int32_t kErrBusy = -60;                // software trigger while the trigger is busy
constexpr int32_t kErrInitFailed = -100;         // design image not opened, host init failed silently
constexpr int32_t kErrBufferTooSmall = -500;     // text buffer too small, tree text not stored
constexpr int32_t kErrNoApplet = -2001;          // null handle or null applet object
constexpr int32_t kErrOutOfMemory = -2020;       // shading coefficient buffer not allocated
constexpr int32_t kErrHostUnusable = -2031;      // host library not loaded or without init entry
constexpr int32_t kErrInvalidArgument = -2070;   // null pointer, unknown id, bad DMA index, bad flags
constexpr int32_t kErrInvalidPort = -2075;       // no tree on the port, derived value out of range
constexpr int32_t kErrFileRead = -2076;          // reference image, LUT or configuration not read
constexpr int32_t kErrDownscaleConflict = -2078; // pulse-form downscale does not fit the timing
constexpr int32_t kErrFrequencyConflict = -2079; // trigger frequency does not fit pulse forms
constexpr int32_t kErrNotSupported = -2130;      // unsupported operation or query
constexpr int32_t kErrWrongTriggerMode = -2140;  // software trigger outside software mode
constexpr int32_t kErrTriggerNotReady = -2141;   // software trigger in a state that forbids it
constexpr int32_t kErrConfigLoad = -5000;        // configuration load failed
constexpr int32_t kErrFileWrite = -5001;         // configuration not written, LUT file failure
constexpr int32_t kErrOutOfRange = -6000;        // value outside its range or set
constexpr int32_t kErrNotAligned = -7080;        // value off its step
constexpr int32_t kErrKeyMissing = -8000;        // configuration key not found

// The meaning of a code, for tools and messages; "unknown error" for codes not in the table.
const char* errorText(int32_t code);

// Failures inside the applet travel as thrown codes; this is the one place that throws them.
[[noreturn]] void raise(int32_t code);

} // namespace kestrel
