// Output formatting, whole frame and the fused table for streaming.
#include "pipeline/output.h"

#include "pipeline/table_gather.h"

#include <cstring>
#include <stdexcept>

namespace kestrel::board {

namespace {

uint16_t formatPixel(uint16_t value, OutputFormat format) {
    switch (format) {
    case OutputFormat::Gray8:
        return uint16_t(value >> 4);
    case OutputFormat::Gray16:
        return value;
    case OutputFormat::Gray16LeftAligned:
        return uint16_t(value << 4);
    }
    return value;
}

} // namespace

void writeOutput(const Frame12& image, OutputFormat format, std::span<std::byte> out) {
    const size_t pixelBytes = bytesPerPixel(format);
    if (out.size() < image.pixelCount() * pixelBytes)
        throw std::invalid_argument("output buffer smaller than the formatted frame");
    size_t i = 0;
    for (uint16_t value : image.pixels()) {
        const uint16_t pixel = formatPixel(value, format);
        if (pixelBytes == 1) {
            out[i] = std::byte(pixel);
        } else {
            out[2 * i] = std::byte(pixel & 0xFF);
            out[2 * i + 1] = std::byte(pixel >> 8);
        }
        ++i;
    }
}

OutputTable::OutputTable(const Lut& lut, OutputFormat format)
    : format_(format), gathers_(processorGathers()) {
    for (size_t i = 0; i < kLutEntries; ++i) {
        const uint16_t pixel = formatPixel(lut[i] & kSampleMask, format);
        pixels8_[i] = uint8_t(pixel);
        pixels16_[i] = pixel;
    }
}

void OutputTable::writeLine(const uint16_t* values, size_t n, std::byte* out, OutputStores stores) const {
    if (gathers_) {
        const size_t pixelBytes = bytesPerPixel(format_);
        const size_t done =
            gatherPixels({pixels16_.data(), pixels8_.data()}, values, n, reinterpret_cast<uint8_t*>(out),
                         pixelBytes, stores == OutputStores::ToMemory);
        values += done;
        out += done * pixelBytes;
        n -= done;
    }
    // Values reaching this point are 12-bit by construction; the mask only keeps a stray value
    // from reading outside the table. Local restrict pointers let the compiler keep the table
    // address in a register although byte stores may alias anything.
    if (format_ == OutputFormat::Gray8) {
        const uint8_t* __restrict table = pixels8_.data();
        const uint16_t* __restrict source = values;
        auto* __restrict dst = reinterpret_cast<uint8_t*>(out);
#pragma GCC unroll 8
        for (size_t x = 0; x < n; ++x)
            dst[x] = table[source[x] & kSampleMask];
    } else {
        const uint16_t* __restrict table = pixels16_.data();
#pragma GCC unroll 8
        for (size_t x = 0; x < n; ++x) {
            const uint16_t pixel = table[values[x] & kSampleMask];
            std::memcpy(out + 2 * x, &pixel, sizeof pixel);
        }
    }
}

void OutputTable::finishWrites() {
    finishStreamingStores();
}

} // namespace kestrel::board
