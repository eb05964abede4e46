// Line access to the shading coefficients through shading handles.
#include "correction/shading_line_access.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "core/error_codes.h"

namespace kestrel {

struct ShadingLineAccess::Allocation {
    ShadingHandle handle{};
    std::unique_ptr<ShadingLineEntry[]> entries;
};

namespace {

constexpr uint32_t kLineWidth = static_cast<uint32_t>(kCoefficientSide);
constexpr float kOffsetScale = 16.0f; // 4 fraction bits
constexpr float kGainScale = 4096.0f; // 12 fraction bits

} // namespace

uint16_t fixedPointCoefficient(float value, float scale) {
    const float product = value * scale; // single precision, as the coefficient format expects
    const double t = static_cast<double>(product) + 0.5;
    if (t >= 65536.0)
        return 65535;
    if (!(t >= 0.0)) // negative, and NaN too
        return 0;
    return static_cast<uint16_t>(std::trunc(t));
}

ShadingLineAccess::ShadingLineAccess(CoefficientImages& images, Upload upload)
    : images_(images), upload_(std::move(upload)) {}

ShadingLineAccess::~ShadingLineAccess() = default;

ShadingHandle* ShadingLineAccess::allocShading(int32_t /*reserved*/, int32_t flags) {
    if (flags != 0)
        return nullptr;
    try {
        images_.initialiseOffsets();
        images_.initialiseGains();
    } catch (int32_t) {
        return nullptr;
    }
    auto allocation = std::unique_ptr<Allocation>(new (std::nothrow) Allocation);
    if (!allocation)
        return nullptr;
    // Value-initialised: every value and flag 0.
    allocation->entries.reset(new (std::nothrow) ShadingLineEntry[kLineWidth]());
    if (!allocation->entries)
        return nullptr;
    ShadingHandle& h = allocation->handle;
    h.width = kLineWidth;
    h.maxLine = static_cast<uint32_t>(kCoefficientSide);
    h.channels = 1;
    h.subBits = 16;
    h.subFractionBits = 4;
    h.multBits = 16;
    h.multFractionBits = 12;
    h.offsetBuffer = images_.offsets();
    h.gainBuffer = images_.gains();
    h.lineEntries = allocation->entries.get();
    h.upload = &ShadingLineAccess::runUpload;
    h.uploadObject = this;
    h.accessGranted = 0;
    ShadingHandle* result = &allocation->handle;
    try {
        handles_.emplace(result, std::move(allocation));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return result;
}

ShadingHandle* ShadingLineAccess::find(void* handle) const {
    const auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : &it->second->handle;
}

int32_t ShadingLineAccess::freeShading(void* handle) {
    const auto it = handles_.find(handle);
    if (it == handles_.end())
        return kErrInvalidArgument;
    handles_.erase(it);
    return kOk;
}

ShadingLineEntry* ShadingLineAccess::entry(void* handle, int32_t x, int32_t channel) const {
    const ShadingHandle* h = find(handle);
    if (h == nullptr || h->accessGranted == 0 || x < 0 || static_cast<uint32_t>(x) >= h->width ||
        channel < 0 || static_cast<uint32_t>(channel) >= h->channels)
        return nullptr;
    // Channels of one pixel are stored last channel first.
    const auto index =
        static_cast<std::size_t>(x) * h->channels + (h->channels - 1 - static_cast<uint32_t>(channel));
    return &h->lineEntries[index];
}

int32_t ShadingLineAccess::setSubValueLine(void* handle, int32_t x, int32_t channel, float value) {
    ShadingLineEntry* e = entry(handle, x, channel);
    if (e == nullptr)
        return kErrInvalidArgument;
    e->offset = value;
    e->offsetSet = 1;
    return kOk;
}

int32_t ShadingLineAccess::setMultValueLine(void* handle, int32_t x, int32_t channel, float value) {
    ShadingLineEntry* e = entry(handle, x, channel);
    if (e == nullptr)
        return kErrInvalidArgument;
    e->gainFactor = value;
    e->gainSet = 1;
    return kOk;
}

int32_t ShadingLineAccess::setFixedPatternNoiseLine(void* handle, int32_t x, int32_t channel, int32_t value) {
    ShadingLineEntry* e = entry(handle, x, channel);
    if (e == nullptr)
        return kErrInvalidArgument;
    e->defective = value != 0 ? 1 : 0;
    e->defectiveSet = 1;
    return kOk;
}

int32_t ShadingLineAccess::getMaxLine(void* handle) {
    const ShadingHandle* h = find(handle);
    if (h == nullptr || h->accessGranted == 0)
        return kErrInvalidArgument;
    return static_cast<int32_t>(h->maxLine);
}

int32_t ShadingLineAccess::getAccess(void* handle) {
    ShadingHandle* h = find(handle);
    if (h == nullptr || h->accessGranted != 0)
        return kErrInvalidArgument;
    h->accessGranted = 1;
    return kOk;
}

int32_t ShadingLineAccess::freeAccess(void* handle) {
    ShadingHandle* h = find(handle);
    if (h == nullptr || h->accessGranted == 0)
        return kErrInvalidArgument;
    h->accessGranted = 0;
    return h->upload(h->uploadObject);
}

int32_t ShadingLineAccess::runUpload(void* object) {
    return static_cast<ShadingLineAccess*>(object)->upload_();
}

int32_t ShadingLineAccess::writeActLine(void* handle, int32_t line) {
    ShadingHandle* h = find(handle);
    if (h == nullptr || h->accessGranted == 0)
        return kErrInvalidArgument;
    if (line < 0 || static_cast<std::size_t>(line) >= kCoefficientSide || h->width > kCoefficientSide ||
        h->channels != 1)
        return kErrOutOfRange;
    const std::size_t first = static_cast<std::size_t>(line) * kCoefficientSide;
    for (uint32_t x = 0; x < h->width; ++x) {
        const ShadingLineEntry& e = h->lineEntries[x];
        const std::size_t p = first + x;
        if (e.offsetSet != 0)
            h->offsetBuffer[p] = fixedPointCoefficient(e.offset, kOffsetScale);
        if (e.defectiveSet != 0 && e.defective != 0)
            h->offsetBuffer[p] = kDefectiveOffset;
        if (e.gainSet != 0)
            h->gainBuffer[p] = fixedPointCoefficient(e.gainFactor, kGainScale);
    }
    std::fill_n(h->lineEntries, h->width, ShadingLineEntry{});
    return kOk;
}

} // namespace kestrel
