// The applet object's abstract base: the 32 operations the exports reach, in their fixed order,
// and the parts every applet object owns (private record, per-port properties, register access).
#pragma once

#include <cstdint>
#include <memory>

#include "params/parameter_properties.h"

namespace kestrel {

class Fg_ConfigFileParser;
class WrapperPrivate;

class FgDsWrapper {
public:
    FgDsWrapper(const FgDsWrapper&) = delete;
    FgDsWrapper& operator=(const FgDsWrapper&) = delete;

    // The declaration order below is the order of the virtual table; keep it.

    // Applies the parameters of an open configuration file; true on success.
    virtual bool loadParameters(Fg_ConfigFileParser& parser) = 0;
    // Writes every saved parameter into an open configuration file.
    virtual void saveParameters(Fg_ConfigFileParser& parser) = 0;
    virtual void processChannelToDma() = 0;
    virtual void mapDmaToFormat() = 0;
    virtual void setDmaAlignment() = 0;
    virtual void getDmaAlignment() = 0;
    // Destroys the private record (releasing the host library and closing the design image), then
    // the per-port property map.
    virtual ~FgDsWrapper();
    // Builds the parameter-information tree; run once while the applet is created.
    virtual void buildParameterInfo() = 0;

    // Typed parameter access: 0 or an error code, also left as the last error.
    virtual int32_t setParameterWithType(int32_t id, const void* value, uint32_t dma, int32_t type) = 0;
    virtual int32_t getParameterWithType(int32_t id, void* value, uint32_t dma, int32_t type) = 0;
    // Parameter enumeration. Names are owned by the applet and valid while it exists.
    virtual int32_t getParameterIdByName(const char* name) = 0;
    virtual const char* getParameterName(int32_t index) = 0;
    virtual int32_t getParameterId(int32_t index) = 0;
    virtual int32_t getNrOfParameter() = 0;

    // Configuration files and the register-description XML; 0 or an error code.
    virtual int32_t saveConfig(void* hostFg, const char* fileName);
    virtual int32_t loadConfig(void* hostFg, const char* fileName);
    virtual int32_t getParameterInfoXML(void* fg, int32_t port, char* buffer, uint64_t* size);

    // Shading line access. The base applet has no shading: null and kErrNotSupported.
    virtual void* allocShading(int32_t a, int32_t b);
    virtual int32_t freeShading(void* shading);
    virtual int32_t setSubValueLine(void* shading, int32_t x, int32_t channel, float value);
    virtual int32_t setMultValueLine(void* shading, int32_t x, int32_t channel, float value);
    virtual int32_t setFixedPatternNoiseLine(void* shading, int32_t x, int32_t channel, int32_t value);
    virtual int32_t getMaxLine(void* shading);
    virtual int32_t getAccess(void* shading);
    virtual int32_t freeAccess(void* shading);
    virtual int32_t writeActLine(void* shading, int32_t line);

    // Event names and masks from the design's event descriptors: descriptor index i stands for
    // mask bit i (0..63). Unknown names give 0; masks that are no single known bit give null.
    // Names are owned by the design image and valid while the applet exists.
    virtual uint64_t getEventMask(const char* name);
    virtual const char* getEventName(uint64_t mask);

    // Identity texts, owned by the library and valid while it is loaded.
    virtual const char* getVendorName() = 0;
    virtual const char* getAppletName() = 0;
    virtual const char* getAppletVersion() = 0;
    virtual int32_t getLoadAppletId() = 0;

    WrapperPrivate& wrapperPrivate() { return *private_; }
    const WrapperPrivate& wrapperPrivate() const { return *private_; }
    ParameterPropertyMap& parameterProperties() { return parameterProperties_; }
    const ParameterPropertyMap& parameterProperties() const { return parameterProperties_; }
    // Whether the register-access parameter family exists (QUIL_ENABLE_DRA at creation).
    bool registerAccessEnabled() const { return registerAccessEnabled_; }

    // The applet's own parameter-information root of `port` (0..3), or null. Owned by the applet,
    // valid until it is destroyed.
    const void* parameterInfoRoot(int32_t port) const;

protected:
    FgDsWrapper();
    void setRegisterAccessEnabled(bool enabled) { registerAccessEnabled_ = enabled; }

private:
    std::unique_ptr<WrapperPrivate> private_;
    ParameterPropertyMap parameterProperties_;
    bool registerAccessEnabled_ = false;
};

} // namespace kestrel
