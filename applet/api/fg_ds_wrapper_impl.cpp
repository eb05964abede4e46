// Construction, build steps and identity of the Kestrel12 applet object.
#include "api/fg_ds_wrapper_impl.h"

#include <stdexcept>

#include "api/applet_identity.h"
#include "api/wrapper_private.h"
#include "config/saved_parameter_io.h"
#include "core/error_codes.h"
#include "device/design_registers.h"
#include "device/parameter_info_node.h"
#include "info/build_parameter_info.h"
#include "params/initial_values.h"
#include "params/module_location.h"
#include "params/true_words.h"
#include "platform/platform.h"

namespace kestrel {

FgDsWrapperImpl::FgDsWrapperImpl()
    : objectLock_(std::make_unique<quil::templates::platform::CriticalSection>()),
      moduleName_(kUnknownModuleName), context_{wrapperPrivate().host(), registerMap_,
                                                generatorRegisters_,     values_,
                                                parameterInfoNodes_,     parameterProperties()},
      fixed_(context_), pipeline_(context_), correction_(context_), trigger_(context_),
      dispatch_(wrapperPrivate().host(), wrapperPrivate().lastErrorSlot(), parameterTables_, handlers_,
                *objectLock_) {
    setRegisterAccessEnabled(environmentSwitch("QUIL_ENABLE_DRA"));
    readModuleSettings();
    fixed_.bind(handlers_);
    pipeline_.bind(handlers_);
    correction_.bind(handlers_);
    trigger_.bind(handlers_);
    handlers_.bindStoredGetters(values_);
}

FgDsWrapperImpl::~FgDsWrapperImpl() = default;

void FgDsWrapperImpl::readModuleSettings() {
    const std::optional<ModuleLocation> location = splitModulePath(platform::moduleFileName());
    if (!location)
        return;
    moduleName_ = location->moduleName;
    inspectSettings_.readFile(inspectFilePath(*location));
}

void FgDsWrapperImpl::build() {
    buildCatalogue();
    resolveRegisterMap();
    buildParameterInfo();
    applyPostBuildSettings();
    applyInitialHardwareState();
}

void FgDsWrapperImpl::buildCatalogue() {
    const HostBinding& host = wrapperPrivate().host();
    const DesignImageRegisters designRegisters(host.designImage());
    CatalogueSources sources;
    sources.designRegisters = &designRegisters;
    sources.registerAccessEnabled = registerAccessEnabled();
    sources.designAccessSwitch = environmentSwitch("QUIL_ENABLE_DDSA");
    sources.hostParameterInfo = [&host] {
        return static_cast<const ParameterInfoNode*>(host.hostParameterInfo());
    };
    sources.hostParameterIdByName = [&host](const char* name) { return host.hostParameterIdByName(name); };
    sources.settings = &inspectSettings_;
    sources.moduleName = moduleName_;
    sources.buildEventTables = [this] { buildEventTables(); };
    parameterTables_ = ParameterTables::build(sources);
}

void FgDsWrapperImpl::buildEventTables() {
    trigger_.buildEventTables(wrapperPrivate().host().designImage());
}

uint64_t FgDsWrapperImpl::getEventMask(const char* name) {
    const std::optional<uint64_t> mask = trigger_.eventTables().mask(name);
    wrapperPrivate().setLastError(mask ? kOk : kErrInvalidArgument);
    return mask.value_or(0);
}

const char* FgDsWrapperImpl::getEventName(uint64_t mask) {
    const char* name = trigger_.eventTables().name(mask);
    wrapperPrivate().setLastError(name != nullptr ? kOk : kErrInvalidArgument);
    return name;
}

void FgDsWrapperImpl::resolveRegisterMap() {
    registerMap_.resolve(wrapperPrivate().host());
    generatorRegisters_.resolve(wrapperPrivate().host().designImage());
}

void FgDsWrapperImpl::buildParameterInfo() {
    WrapperPrivate& record = wrapperPrivate();
    const HostBinding& host = record.host();
    const DesignImageRegisters designRegisters(host.designImage());
    ParameterInfoSources sources;
    sources.designRegisters = &designRegisters;
    sources.registerAccessEnabled = parameterTables_.registerAccessEnabled();
    sources.designAccessActive = parameterTables_.designAccessActive();
    sources.designParameterIds = &parameterTables_.designParameterIds();
    sources.hostParameterInfo = [&host] {
        return static_cast<const ParameterInfoNode*>(host.hostParameterInfo());
    };
    kestrel::buildParameterInfo(record.parameterInfo(), parameterInfoNodes_, &parameterProperties(), sources);
    applyInitialReadOnlyAccess(parameterInfoNodes_);
}

void FgDsWrapperImpl::applyPostBuildSettings() {
    // The first failing step ends the settings silently.
    try {
        markNormalizationValueReadOnly(parameterProperties());
        context_.writeRegister(HostRegister::ShadingEnableGainDefaultValue, 4096, true);
        // Every output starts on the neutral select before the stored selects go back on.
        trigger_.parkOutputs();
        context_.writeRegister(HostRegister::TriggerCam0GeneratorsClearQueuePulseMode, 1, true);
        trigger_.restoreOutputSelects();
        markLegacyTriggerReadOnly(parameterProperties());
    } catch (int32_t) {
    }
}

void FgDsWrapperImpl::applyInitialHardwareState() {
    // The simulator starts stopped and zeroed; a failed write keeps the power-up cache value.
    void* board = wrapperPrivate().host().boardHandle();
    for (std::size_t i = 0; i < kGeneratorRegisterCount; ++i)
        generatorRegisters_.write(board, static_cast<GeneratorRegister>(i), 0, false);
    applyInitialValues(handlers_);
}

// Loading calls the setters directly, without the parameter lock.
bool FgDsWrapperImpl::loadParameters(Fg_ConfigFileParser& parser) {
    return readSavedParameters(parser, values_, handlers_);
}
void FgDsWrapperImpl::saveParameters(Fg_ConfigFileParser& parser) {
    writeSavedParameters(parser, values_, handlers_);
}

void FgDsWrapperImpl::processChannelToDma() {
    throw std::runtime_error("processChannelToDma() is not implemented.");
}
void FgDsWrapperImpl::mapDmaToFormat() {
    throw std::runtime_error("mapDmaToFormat() is not implemented.");
}
void FgDsWrapperImpl::setDmaAlignment() {
    throw std::runtime_error("setDmaAlignment() is not implemented.");
}
void FgDsWrapperImpl::getDmaAlignment() {
    throw std::runtime_error("getDmaAlignment() is not implemented.");
}

// The applet's own set reads each catalogue value in the parameter's type; the type code only
// matters to the exported get, which clears 64-bit buffers before calling here.
int32_t FgDsWrapperImpl::setParameterWithType(int32_t id, const void* value, uint32_t dma, int32_t /*type*/) {
    return dispatch_.set(id, value, dma);
}

int32_t FgDsWrapperImpl::getParameterWithType(int32_t id, void* value, uint32_t dma, int32_t /*type*/) {
    return dispatch_.get(id, value, dma);
}

int32_t FgDsWrapperImpl::getParameterIdByName(const char* name) {
    const std::optional<int32_t> id =
        name == nullptr ? std::nullopt : parameterTables_.idByName(std::string_view(name));
    wrapperPrivate().setLastError(id ? kOk : kErrInvalidArgument);
    return id ? *id : kErrInvalidArgument;
}

const char* FgDsWrapperImpl::getParameterName(int32_t index) {
    const char* name = parameterTables_.nameByIndex(index);
    wrapperPrivate().setLastError(name != nullptr ? kOk : kErrInvalidArgument);
    return name;
}

int32_t FgDsWrapperImpl::getParameterId(int32_t index) {
    const std::optional<int32_t> id = parameterTables_.idByIndex(index);
    wrapperPrivate().setLastError(id ? kOk : kErrInvalidArgument);
    return id ? *id : kErrInvalidArgument;
}

int32_t FgDsWrapperImpl::getNrOfParameter() {
    return static_cast<int32_t>(parameterTables_.parameterCount());
}

void* FgDsWrapperImpl::allocShading(int32_t a, int32_t b) {
    return correction_.lineAccess().allocShading(a, b);
}
int32_t FgDsWrapperImpl::freeShading(void* shading) {
    return correction_.lineAccess().freeShading(shading);
}
int32_t FgDsWrapperImpl::setSubValueLine(void* shading, int32_t x, int32_t channel, float value) {
    return correction_.lineAccess().setSubValueLine(shading, x, channel, value);
}
int32_t FgDsWrapperImpl::setMultValueLine(void* shading, int32_t x, int32_t channel, float value) {
    return correction_.lineAccess().setMultValueLine(shading, x, channel, value);
}
int32_t FgDsWrapperImpl::setFixedPatternNoiseLine(void* shading, int32_t x, int32_t channel, int32_t value) {
    return correction_.lineAccess().setFixedPatternNoiseLine(shading, x, channel, value);
}
int32_t FgDsWrapperImpl::getMaxLine(void* shading) {
    return correction_.lineAccess().getMaxLine(shading);
}
int32_t FgDsWrapperImpl::getAccess(void* shading) {
    return correction_.lineAccess().getAccess(shading);
}
int32_t FgDsWrapperImpl::freeAccess(void* shading) {
    return correction_.lineAccess().freeAccess(shading);
}
int32_t FgDsWrapperImpl::writeActLine(void* shading, int32_t line) {
    return correction_.lineAccess().writeActLine(shading, line);
}

const char* FgDsWrapperImpl::getVendorName() {
    return identity::kVendorName;
}
const char* FgDsWrapperImpl::getAppletName() {
    return identity::kAppletName;
}
const char* FgDsWrapperImpl::getAppletVersion() {
    return identity::kObjectAppletVersion;
}
int32_t FgDsWrapperImpl::getLoadAppletId() {
    return identity::kLoadAppletId;
}

} // namespace kestrel
