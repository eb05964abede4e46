// Binding the host SDK by name, initialising its frame-grabber handle, and the host helpers.
#include "device/host_binding.h"

#include <atomic>

#include "core/error_codes.h"

namespace kestrel {

namespace {

std::atomic<void*> gLastBoardHandle{nullptr};
std::atomic<void*> gLastDesignImage{nullptr};

template <typename Function>
void bindEntry(const platform::SharedLibrary& library, const char* name, Function& entry) {
    entry = reinterpret_cast<Function>(library.symbol(name));
}

} // namespace

void* processLastBoardHandle() {
    return gLastBoardHandle.load(std::memory_order_relaxed);
}
void* processLastDesignImage() {
    return gLastDesignImage.load(std::memory_order_relaxed);
}

HostBinding::HostBinding() : hostFunctions_(std::make_unique<HostFunctionTable>()) {}

HostBinding::~HostBinding() {
    hostModule_.reset();
    designImage_.reset();
    hostFunctions_.reset();
}

int32_t HostBinding::bindHostLibrary(const char* fileName) {
    hostModule_ = platform::SharedLibrary::open(fileName);
    if (!hostModule_)
        return kErrHostUnusable;
    const platform::SharedLibrary& host = *hostModule_;
    HostFunctionTable& table = *hostFunctions_;
    bindEntry(host, "Fg_getAppletId", table.getAppletId);
    bindEntry(host, "Fg_setParameter", table.setParameter);
    bindEntry(host, "Fg_setParameterWithType", table.setParameterWithType);
    bindEntry(host, "Fg_getParameter", table.getParameter);
    bindEntry(host, "Fg_getParameterWithType", table.getParameterWithType);
    bindEntry(host, "Fg_getLastPicNumberBlockingEx", table.getLastPicNumberBlockingEx);
    bindEntry(host, "Fg_getLastPicNumberEx", table.getLastPicNumberEx);
    bindEntry(host, "Fg_FreeGrabber", table.freeGrabber);
    bindEntry(host, "Fg_getLastErrorNumber", table.getLastErrorNumber);
    bindEntry(host, "Fg_getStatusEx", table.getStatusEx);
    bindEntry(host, "Fg_AcquireEx", table.acquireEx);
    bindEntry(host, "Fg_stopAcquireEx", table.stopAcquireEx);
    bindEntry(host, "Fg_getParameterInfo", table.getParameterInfo);
    bindEntry(host, "Fg_getParameterIdByName", parameterIdByName_);
    return kOk;
}

int32_t HostBinding::initHostHandle(const char* imageName, void* boardHandle, void* designImage,
                                    bool slaveAware) {
    if (hostModule_) {
        bindEntry(*hostModule_, "Fg_InitHandleSlaveAware", initHandleSlaveAware_);
        bindEntry(*hostModule_, "Fg_InitHandle", initHandle_);
        bindEntry(*hostModule_, "Fg_getLastErrorNumber", initLastErrorNumber_);
    }
    if (initHandleSlaveAware_ == nullptr && initHandle_ == nullptr)
        return kErrHostUnusable;

    hostFgHandle_ = initHandleSlaveAware_ != nullptr
                        ? initHandleSlaveAware_(imageName, boardHandle, designImage, slaveAware ? 1 : 0)
                        : initHandle_(imageName, boardHandle, designImage);
    if (hostFgHandle_ != nullptr) {
        if (boardHandle != nullptr)
            gLastBoardHandle.store(boardHandle, std::memory_order_relaxed);
        if (designImage != nullptr)
            gLastDesignImage.store(designImage, std::memory_order_relaxed);
        return kOk;
    }
    // A null handle asks the host for the error of the initialisation that just failed.
    return initLastErrorNumber_ != nullptr ? initLastErrorNumber_(nullptr) : kErrInitFailed;
}

void HostBinding::recordBoard(void* boardHandle, DesignImageHandle designImage) {
    boardHandle_ = boardHandle;
    designImage_ = std::move(designImage);
}

int32_t HostBinding::queryHostLastError() const {
    if (hostFunctions_->getLastErrorNumber == nullptr || hostFgHandle_ == nullptr)
        return kErrNotAvailable;
    return hostFunctions_->getLastErrorNumber(hostFgHandle_);
}

int32_t HostBinding::hostParameterIdByName(const char* name) const {
    if (parameterIdByName_ == nullptr || hostFgHandle_ == nullptr)
        return 0;
    return parameterIdByName_(hostFgHandle_, name);
}

int32_t HostBinding::hostSetParameter(int32_t id, const void* value, uint32_t dma) const {
    if (hostFunctions_->setParameter == nullptr || hostFgHandle_ == nullptr)
        return kErrNotAvailable;
    return hostFunctions_->setParameter(hostFgHandle_, id, value, dma);
}

int32_t HostBinding::hostGetParameter(int32_t id, void* value, uint32_t dma) const {
    if (hostFunctions_->getParameter == nullptr || hostFgHandle_ == nullptr)
        return kErrNotAvailable;
    return hostFunctions_->getParameter(hostFgHandle_, id, value, dma);
}

int32_t HostBinding::hostSetParameterWithType(int32_t id, const void* value, uint32_t dma,
                                              int32_t type) const {
    if (hostFunctions_->setParameterWithType == nullptr || hostFgHandle_ == nullptr)
        return kErrNotAvailable;
    return hostFunctions_->setParameterWithType(hostFgHandle_, id, value, dma, type);
}

int32_t HostBinding::hostGetParameterWithType(int32_t id, void* value, uint32_t dma, int32_t type) const {
    if (hostFunctions_->getParameterWithType == nullptr || hostFgHandle_ == nullptr)
        return kErrNotAvailable;
    return hostFunctions_->getParameterWithType(hostFgHandle_, id, value, dma, type);
}

const void* HostBinding::hostParameterInfo() const {
    if (hostFunctions_->getParameterInfo == nullptr || hostFgHandle_ == nullptr)
        return nullptr;
    return hostFunctions_->getParameterInfo(hostFgHandle_, 0);
}

} // namespace kestrel
