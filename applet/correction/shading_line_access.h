// Line access to the shading coefficients: a caller fills one line of per-pixel values at a time
// through a shading handle, and each line is converted into the coefficient images; withdrawing
// access uploads both images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "correction/coefficient_images.h"

namespace kestrel {

// One pixel's pending values of the current line.
struct ShadingLineEntry {
    float offset;      // in 12-bit grey levels
    float gainFactor;  // 1.0 is neutral
    uint8_t defective; // 1 when the fixed-pattern value given was non-zero
    uint8_t offsetSet;
    uint8_t gainSet;
    uint8_t defectiveSet;
};
static_assert(sizeof(ShadingLineEntry) == 12);
static_assert(offsetof(ShadingLineEntry, gainFactor) == 4 && offsetof(ShadingLineEntry, defective) == 8 &&
              offsetof(ShadingLineEntry, defectiveSet) == 11);

// The record a caller holds between allocation and release.
struct ShadingHandle {
    uint32_t width;            // pixels per line: 4096
    uint32_t maxLine;          // 4096
    uint32_t channels;         // 1
    uint32_t subBits;          // offset coefficient width: 16
    uint32_t subFractionBits;  // 4
    uint32_t multBits;         // gain coefficient width: 16
    uint32_t multFractionBits; // 12
    uint16_t* offsetBuffer;    // the applet's coefficient images
    uint16_t* gainBuffer;
    ShadingLineEntry* lineEntries;   // `maxLine` entries
    int32_t (*upload)(void* object); // the coefficient upload, run when access is withdrawn
    void* uploadObject;
    uint8_t accessGranted;
};

// Owns every handle it gave out until it is freed (or the owner goes), so a pointer it did not
// give out, or one already freed, is recognised and refused instead of followed. Results are 0 or
// negative codes: kErrInvalidArgument for a null or unknown handle and for access misuse,
// kErrOutOfRange for a bad line or handle geometry.
class ShadingLineAccess {
public:
    using Upload = std::function<int32_t()>;

    // `upload` sends both images to the design and returns 0 or its code.
    ShadingLineAccess(CoefficientImages& images, Upload upload);
    ~ShadingLineAccess();
    ShadingLineAccess(const ShadingLineAccess&) = delete;
    ShadingLineAccess& operator=(const ShadingLineAccess&) = delete;

    // A non-zero `flags` gives null. Otherwise resets both images (offsets 0, gains 4096) and
    // returns a new handle without access; null when memory runs out.
    ShadingHandle* allocShading(int32_t reserved, int32_t flags);
    int32_t freeShading(void* handle);
    int32_t setSubValueLine(void* handle, int32_t x, int32_t channel, float value);
    int32_t setMultValueLine(void* handle, int32_t x, int32_t channel, float value);
    int32_t setFixedPatternNoiseLine(void* handle, int32_t x, int32_t channel, int32_t value);
    // maxLine (4096) once access is granted.
    int32_t getMaxLine(void* handle);
    int32_t getAccess(void* handle);
    // Withdraws access, then uploads both images; the upload's code.
    int32_t freeAccess(void* handle);
    // Converts the pending entries into line `line` of the images, then clears them all.
    int32_t writeActLine(void* handle, int32_t line);

private:
    struct Allocation;
    // The handle behind `handle` when this object gave it out, else null.
    ShadingHandle* find(void* handle) const;
    // The entry of (x, channel) of a handle with access, or null.
    ShadingLineEntry* entry(void* handle, int32_t x, int32_t channel) const;
    static int32_t runUpload(void* object);

    CoefficientImages& images_;
    Upload upload_;
    std::map<const void*, std::unique_ptr<Allocation>> handles_;
};

// The coefficient of a value scaled to its fixed-point form: trunc(scaled + 0.5), with the
// product formed in single precision; 65535 from 65536 up, 0 below 0.
uint16_t fixedPointCoefficient(float value, float scale);

} // namespace kestrel
