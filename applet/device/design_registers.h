// The design's named registers as the catalogue and the information tree enumerate them.
#pragma once

#include <cstdint>

namespace kestrel {

// Read-only view of a design image's register table; tests substitute their own.
class DesignRegisterSource {
public:
    virtual ~DesignRegisterSource() = default;
    virtual int32_t count() const = 0;
    // index 1..count; null outside. The text lives as long as the design image.
    virtual const char* name(int32_t index) const = 0;
    // 0 for an unknown name.
    virtual uint32_t id(const char* name) const = 0;
    // Bits; above 32 the register is 64-bit.
    virtual int32_t width(uint32_t id) const = 0;
    // Non-zero when the register may be written.
    virtual int32_t info(uint32_t id) const = 0;
};

// The register table of an image opened with the design runtime. Does not own the image.
class DesignImageRegisters final : public DesignRegisterSource {
public:
    explicit DesignImageRegisters(void* image) : image_(image) {}
    int32_t count() const override;
    const char* name(int32_t index) const override;
    uint32_t id(const char* name) const override;
    int32_t width(uint32_t id) const override;
    int32_t info(uint32_t id) const override;

private:
    void* image_;
};

} // namespace kestrel
