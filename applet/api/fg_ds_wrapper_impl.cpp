// Construction, build steps and identity of the Kestrel12 applet object.
#include "api/fg_ds_wrapper_impl.h"

#include <stdexcept>

#include "api/applet_identity.h"
#include "api/error_codes.h"
#include "api/wrapper_private.h"
#include "info/parameter_info_node.h"
#include "params/design_registers.h"
#include "params/module_location.h"
#include "params/true_words.h"
#include "platform/platform.h"

namespace kestrel {

FgDsWrapperImpl::FgDsWrapperImpl()
    : objectLock_(std::make_unique<quil::templates::platform::CriticalSection>()),
      moduleName_(kUnknownModuleName) {
    setRegisterAccessEnabled(environmentSwitch("QUIL_ENABLE_DRA"));
    readModuleSettings();
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
    WrapperPrivate& host = wrapperPrivate();
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

// TODO(events): the event name and mask tables are built here.
void FgDsWrapperImpl::buildEventTables() {}

void FgDsWrapperImpl::resolveRegisterMap() {
    // TODO(register map): resolve the host-published register names through the host first.
    generatorRegisters_.resolve(wrapperPrivate().designImage());
}

// TODO(information tree): build the tree of port 0 and enter its features in parameterInfoNodes_.
void FgDsWrapperImpl::buildParameterInfo() {}

// TODO(post-build settings): read-only marks, the shading gain default, neutral output selects.
void FgDsWrapperImpl::applyPostBuildSettings() {}

void FgDsWrapperImpl::applyInitialHardwareState() {
    // The simulator starts stopped and zeroed; a failed write keeps the power-up cache value.
    void* board = wrapperPrivate().boardHandle();
    for (std::size_t i = 0; i < kGeneratorRegisterCount; ++i)
        generatorRegisters_.write(board, static_cast<GeneratorRegister>(i), 0, false);
    // TODO(parameter setters): call every writable numeric parameter's setter with its initial
    // value, reportErrors false, in catalogue order.
}

// TODO(configuration): applying and writing the saved parameters.
bool FgDsWrapperImpl::loadParameters(Fg_ConfigFileParser& /*parser*/) {
    return false;
}
void FgDsWrapperImpl::saveParameters(Fg_ConfigFileParser& /*parser*/) {}

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

// TODO(parameter dispatch): routing by identifier under the object lock.
int32_t FgDsWrapperImpl::setParameterWithType(int32_t /*id*/, const void* /*value*/, uint32_t /*dma*/,
                                              int32_t /*type*/) {
    wrapperPrivate().setLastError(kErrInvalidArgument);
    return kErrInvalidArgument;
}

int32_t FgDsWrapperImpl::getParameterWithType(int32_t /*id*/, void* /*value*/, uint32_t /*dma*/,
                                              int32_t /*type*/) {
    wrapperPrivate().setLastError(kErrInvalidArgument);
    return kErrInvalidArgument;
}

int32_t FgDsWrapperImpl::getParameterIdByName(const char* /*name*/) {
    return kErrInvalidArgument;
}
const char* FgDsWrapperImpl::getParameterName(int32_t /*index*/) {
    return nullptr;
}
int32_t FgDsWrapperImpl::getParameterId(int32_t /*index*/) {
    return kErrInvalidArgument;
}
int32_t FgDsWrapperImpl::getNrOfParameter() {
    return 0;
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
