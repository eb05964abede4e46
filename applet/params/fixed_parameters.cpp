// Constant and host-answered parameters.
#include "params/fixed_parameters.h"

#include <cstring>

#include "params/parameter_ids.h"

namespace kestrel {

namespace {

// The host keeps the DMA status under the applet's own id.
constexpr int32_t kHostDmaStatusId = ids::FG_DMASTATUS;

void writeUInt32(void* value, uint32_t number) {
    std::memcpy(value, &number, sizeof number);
}

// The constant a read-only row of the catalogue always reads.
uint32_t catalogueConstant(int32_t id) {
    return static_cast<uint32_t>(ParameterCatalogue::byId(id)->defaultValue.number);
}

} // namespace

void FixedParameters::bind(ParameterHandlerTable& table) {
    table.bindGetter<&FixedParameters::getAppletVersion>(ids::FG_APPLET_VERSION, *this);
    table.bindGetter<&FixedParameters::getAppletRevision>(ids::FG_APPLET_REVISION, *this);
    table.bindGetter<&FixedParameters::getAppletId>(ids::FG_APPLET_ID, *this);
    table.bindGetter<&FixedParameters::getPixelDepth>(ids::FG_PIXELDEPTH, *this);
    table.bindGetter<&FixedParameters::getHapFile>(ids::FG_HAP_FILE, *this);
    table.bindGetter<&FixedParameters::getDmaStatus>(ids::FG_DMASTATUS, *this);
}

void FixedParameters::getAppletVersion(void* value) {
    writeUInt32(value, catalogueConstant(ids::FG_APPLET_VERSION));
}
void FixedParameters::getAppletRevision(void* value) {
    writeUInt32(value, catalogueConstant(ids::FG_APPLET_REVISION));
}
void FixedParameters::getAppletId(void* value) {
    writeUInt32(value, catalogueConstant(ids::FG_APPLET_ID));
}
void FixedParameters::getPixelDepth(void* value) {
    writeUInt32(value, catalogueConstant(ids::FG_PIXELDEPTH));
}

void FixedParameters::getHapFile(void* value) {
    const char* name = ParameterCatalogue::byId(ids::FG_HAP_FILE)->defaultValue.text;
    std::memcpy(value, name, std::strlen(name) + 1);
}

void FixedParameters::getDmaStatus(void* value) {
    const int32_t result = context_.host.hostGetParameter(kHostDmaStatusId, value, 0);
    if (result != 0)
        raise(result);
}

} // namespace kestrel
