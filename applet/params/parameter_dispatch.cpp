// Typed parameter set and get.
#include "params/parameter_dispatch.h"

#include <cstring>

#include "boardhw.h"
#include "core/error_codes.h"
#include "core/last_error.h"
#include "designrt.h"
#include "device/host_binding.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_handlers.h"
#include "params/parameter_ids.h"
#include "params/parameter_tables.h"

namespace kestrel {

namespace {

// Registers wider than this many bits are read and written as 64-bit values.
constexpr int32_t kNarrowRegisterBits = 32;

} // namespace

int32_t ParameterDispatch::writeDesignRegister(void* board, void* designImage, uint32_t registerId,
                                               const void* value) {
    uint64_t newValue = 0;
    if (DesignImage_GetRegisterWidth(designImage, registerId) > kNarrowRegisterBits) {
        std::memcpy(&newValue, value, sizeof newValue);
    } else {
        uint32_t narrow = 0;
        std::memcpy(&narrow, value, sizeof narrow);
        newValue = narrow;
    }
    return Board_WriteRegister(board, registerId, newValue);
}

int32_t ParameterDispatch::readDesignRegister(void* board, void* designImage, uint32_t registerId,
                                              void* value) {
    uint64_t number = 0;
    const int32_t result = Board_ReadRegister(board, registerId, &number);
    if (result != 0)
        return result; // the caller's buffer stays untouched
    if (DesignImage_GetRegisterWidth(designImage, registerId) > kNarrowRegisterBits) {
        std::memcpy(value, &number, sizeof number);
    } else {
        const uint32_t narrow = static_cast<uint32_t>(number);
        std::memcpy(value, &narrow, sizeof narrow);
    }
    return 0;
}

ParameterDispatch::Family ParameterDispatch::familyOf(int32_t id) const {
    if (id > kDesignAccessBase)
        return Family::Design;
    if (tables_.registerAccessEnabled() && id > kRegisterAccessBase)
        return Family::Register;
    return Family::Catalogue;
}

template <class Step> int32_t ParameterDispatch::underLock(const void* value, Step&& step) {
    if (value == nullptr) {
        lastError_.set(kErrInvalidArgument);
        return kErrInvalidArgument;
    }
    quil::templates::platform::CriticalSectionGuard guard(lock_);
    int32_t result = kOk;
    try {
        result = step();
    } catch (int32_t code) {
        result = code;
    }
    lastError_.set(result);
    return result;
}

int32_t ParameterDispatch::set(int32_t id, const void* value, uint32_t dma) {
    return underLock(value, [&] {
        switch (familyOf(id)) {
        case Family::Design:
            return host_.hostSetParameter(id - kDesignAccessBase, value, dma);
        case Family::Register:
            return writeDesignRegister(host_.boardHandle(), host_.designImage(),
                                       static_cast<uint32_t>(id - kRegisterAccessBase), value);
        case Family::Catalogue:
            break;
        }
        catalogueSet(id, value, dma);
        return kOk;
    });
}

int32_t ParameterDispatch::get(int32_t id, void* value, uint32_t dma) {
    return underLock(value, [&] {
        switch (familyOf(id)) {
        case Family::Design:
            return host_.hostGetParameter(id - kDesignAccessBase, value, dma);
        case Family::Register:
            return readDesignRegister(host_.boardHandle(), host_.designImage(),
                                      static_cast<uint32_t>(id - kRegisterAccessBase), value);
        case Family::Catalogue:
            break;
        }
        catalogueGet(id, value, dma);
        return kOk;
    });
}

void ParameterDispatch::checkDma(uint32_t dma) const {
    const auto process = tables_.processIndexForDma(dma);
    if (!process || *process != 0)
        raise(kErrInvalidArgument);
}

void ParameterDispatch::catalogueSet(int32_t id, const void* value, uint32_t dma) const {
    checkDma(dma);
    if (id == ids::kDescriptionQuery)
        raise(kErrNotAvailable);
    const ParameterDefinition* row = ParameterCatalogue::byId(id);
    if (row == nullptr)
        raise(kErrInvalidArgument);
    if (row->readOnly())
        raise(kErrNotAvailable);
    handlers_.set(*row, value, true);
}

void ParameterDispatch::catalogueGet(int32_t id, void* value, uint32_t dma) const {
    checkDma(dma);
    if (id == ids::kDescriptionQuery) {
        // The buffer holds a parameter name on entry and its description on return.
        const char* description = tables_.description(static_cast<const char*>(value));
        if (description == nullptr)
            raise(kErrInvalidArgument);
        std::memmove(value, description, std::strlen(description) + 1);
        return;
    }
    const ParameterDefinition* row = ParameterCatalogue::byId(id);
    if (row == nullptr)
        raise(kErrInvalidArgument);
    if (row->type == ParameterType::HostValue) {
        const int32_t result = host_.hostGetParameter(id, value, dma);
        if (result != 0)
            raise(result);
        return;
    }
    handlers_.get(*row, value);
}

} // namespace kestrel
