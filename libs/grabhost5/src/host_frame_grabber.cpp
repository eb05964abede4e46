// The host's frame-grabber handle: host parameters, register access, tree, acquisition.
#include "host_frame_grabber.h"

#include "boardhw.h"
#include "coefficient_loader.h"
#include "grabhost5_host.h"
#include "host_parameters.h"
#include "register_access.h"

#include <cstring>

namespace kestrel::host {
namespace {

uint32_t readU32(const void* value) {
    uint32_t v = 0;
    std::memcpy(&v, value, sizeof v);
    return v;
}

void writeU32(void* value, uint32_t v) {
    std::memcpy(value, &v, sizeof v);
}

// A stable positive number for an image name (FNV-1a folded into 1 .. 2^31 - 1).
int32_t idOfImageName(const std::string& name) {
    uint32_t hash = 2166136261u;
    for (const unsigned char c : name) {
        hash ^= c;
        hash *= 16777619u;
    }
    return static_cast<int32_t>(hash % 0x7FFFFFFFu) + 1;
}

} // namespace

HostFrameGrabber::HostFrameGrabber(std::string imageName, void* board, HostRegisterTable registers)
    : imageName_(std::move(imageName)), board_(board), registers_(std::move(registers)), tree_(registers_) {
    for (uint32_t dma = 0; dma < kDmaCount; ++dma)
        transfers_[dma] = std::make_unique<FrameTransfer>(channels_[dma], board_);
}

int32_t HostFrameGrabber::parameterIdByName(const char* name) const {
    if (name == nullptr)
        return 0;
    if (const HostParameterDefinition* def = findHostParameter(std::string_view(name)))
        return def->id;
    const HostRegister* reg = registers_.findByName(name);
    return reg == nullptr ? 0 : static_cast<int32_t>(reg->id);
}

int32_t HostFrameGrabber::setParameter(int32_t id, const void* value, uint32_t dma) {
    if (value == nullptr)
        return record(GH5_ERR_INVALID_ARGUMENT);
    if (dma >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    if (findHostParameter(id) != nullptr)
        return record(setHostParameter(id, value));
    const HostRegister* reg = id > 0 ? registers_.find(static_cast<uint32_t>(id)) : nullptr;
    if (reg == nullptr)
        return record(GH5_ERR_UNKNOWN_PARAMETER);
    int32_t result = RegisterAccess(board_).setNatural(*reg, value);
    if (result == GH5_OK)
        result = loadCoefficientsOnCommand(board_, registers_, *reg);
    return record(result);
}

int32_t HostFrameGrabber::getParameter(int32_t id, void* value, uint32_t dma) {
    if (value == nullptr)
        return record(GH5_ERR_INVALID_ARGUMENT);
    if (dma >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    if (findHostParameter(id) != nullptr)
        return record(getHostParameter(id, value, dma));
    const HostRegister* reg = id > 0 ? registers_.find(static_cast<uint32_t>(id)) : nullptr;
    if (reg == nullptr)
        return record(GH5_ERR_UNKNOWN_PARAMETER);
    return record(RegisterAccess(board_).getNatural(*reg, value));
}

int32_t HostFrameGrabber::setParameterWithType(int32_t id, const void* value, uint32_t dma, int32_t type) {
    if (value == nullptr)
        return record(GH5_ERR_INVALID_ARGUMENT);
    if (dma >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    if (findHostParameter(id) != nullptr)
        return record(type == GH5_TYPE_UINT32 ? setHostParameter(id, value) : GH5_ERR_WRONG_TYPE);
    const HostRegister* reg = id > 0 ? registers_.find(static_cast<uint32_t>(id)) : nullptr;
    if (reg == nullptr)
        return record(GH5_ERR_UNKNOWN_PARAMETER);
    int32_t result = RegisterAccess(board_).setTyped(*reg, value, type);
    if (result == GH5_OK)
        result = loadCoefficientsOnCommand(board_, registers_, *reg);
    return record(result);
}

int32_t HostFrameGrabber::getParameterWithType(int32_t id, void* value, uint32_t dma, int32_t type) {
    if (value == nullptr)
        return record(GH5_ERR_INVALID_ARGUMENT);
    if (dma >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    if (findHostParameter(id) != nullptr)
        return record(type == GH5_TYPE_UINT32 ? getHostParameter(id, value, dma) : GH5_ERR_WRONG_TYPE);
    const HostRegister* reg = id > 0 ? registers_.find(static_cast<uint32_t>(id)) : nullptr;
    if (reg == nullptr)
        return record(GH5_ERR_UNKNOWN_PARAMETER);
    return record(RegisterAccess(board_).getTyped(*reg, value, type));
}

int32_t HostFrameGrabber::setHostParameter(int32_t id, const void* value) {
    const HostParameterDefinition* def = findHostParameter(id);
    if (!def->writable)
        return GH5_ERR_READ_ONLY;
    const uint32_t v = readU32(value);
    if (v < def->minimum || v > def->maximum)
        return GH5_ERR_OUT_OF_RANGE;
    std::lock_guard lock(parameterMutex_);
    if (id == GH5_PARAM_TIMEOUT)
        timeoutSeconds_ = v;
    else
        turboDmaMode_ = v;
    return GH5_OK;
}

int32_t HostFrameGrabber::getHostParameter(int32_t id, void* value, uint32_t dma) {
    uint32_t v = 0;
    switch (id) {
    case GH5_PARAM_TIMEOUT: {
        std::lock_guard lock(parameterMutex_);
        v = timeoutSeconds_;
        break;
    }
    case GH5_PARAM_TURBO_DMA_MODE: {
        std::lock_guard lock(parameterMutex_);
        v = turboDmaMode_;
        break;
    }
    case GH5_PARAM_APC_STOP_TIMEOUT:
        v = kApcStopTimeoutSeconds;
        break;
    case GH5_PARAM_TRANSFER_LEN:
        v = transferLength();
        break;
    case GH5_PARAM_NR_OF_PROCESSES:
    case GH5_PARAM_NR_OF_CAMS:
        v = 1;
        break;
    case GH5_PARAM_NR_OF_DMAS:
        v = kDmaCount;
        break;
    case GH5_PARAM_DMA_PORT:
    case GH5_PARAM_CAM_PORT:
        // One camera port and one DMA channel, both numbered 0.
        v = 0;
        break;
    case GH5_PARAM_DMASTATUS:
        v = channels_[dma].running() ? 1 : 0;
        break;
    case GH5_PARAM_CAMSTATUS_EXTENDED:
        v = cameraStatus();
        break;
    default:
        return GH5_ERR_UNKNOWN_PARAMETER;
    }
    writeU32(value, v);
    return GH5_OK;
}

uint32_t HostFrameGrabber::transferLength() const {
    BoardImageFormat format{};
    if (Board_GetImageFormat(board_, &format) != BOARD_OK)
        return 0;
    const uint64_t bytes = uint64_t{format.widthPixels} * format.heightLines * (format.bitsPerPixel / 8);
    return bytes > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<uint32_t>(bytes);
}

uint32_t HostFrameGrabber::cameraStatus() const {
    // The virtual camera is always connected, so its pixel clock runs; line and frame valid toggle
    // while pictures flow, which they do while the channel acquires. Trigger and buffer bits are
    // filled in by whoever emulates them.
    uint32_t status = 1u << 0;
    if (channels_[0].running())
        status |= (1u << 1) | (1u << 2);
    return status;
}

Gh5ParameterInfoNode* HostFrameGrabber::parameterInfo(int32_t port) {
    if (port != 0) {
        record(GH5_ERR_INVALID_PORT);
        return nullptr;
    }
    record(GH5_OK);
    return tree_.root();
}

int32_t HostFrameGrabber::appletId(uint64_t value) {
    if (value != 0)
        return record(GH5_ERR_INVALID_ARGUMENT);
    record(GH5_OK);
    return idOfImageName(imageName_);
}

int32_t HostFrameGrabber::acquire(int32_t dma, uint64_t count, int32_t flags, uint64_t memory) {
    if (dma < 0 || static_cast<uint32_t>(dma) >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    if ((flags != GH5_ACQ_STANDARD && flags != GH5_ACQ_BLOCKING) || count == 0)
        return record(GH5_ERR_INVALID_ARGUMENT);
    auto ring = memories_.find(memory);
    if (!ring)
        return record(GH5_ERR_INVALID_MEMORY);
    const BufferMode mode = flags == GH5_ACQ_BLOCKING ? BufferMode::Blocking : BufferMode::Overwrite;
    return record(transfers_[static_cast<uint32_t>(dma)]->start(memory, std::move(ring), count, mode));
}

int32_t HostFrameGrabber::releaseBuffer(uint32_t dma, uint64_t memory, uint32_t index) {
    if (dma >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    if (!memories_.find(memory))
        return record(GH5_ERR_INVALID_MEMORY);
    const int32_t code = channels_[dma].releaseBuffer(memory, index);
    if (code == GH5_OK)
        transfers_[dma]->poke();
    return record(code);
}

int32_t HostFrameGrabber::releaseUpTo(uint32_t dma, uint64_t memory, uint64_t picture) {
    if (dma >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    if (!memories_.find(memory))
        return record(GH5_ERR_INVALID_MEMORY);
    const int32_t code = channels_[dma].releaseUpTo(memory, picture);
    if (code == GH5_OK)
        transfers_[dma]->poke();
    return record(code);
}

int32_t HostFrameGrabber::stopAcquire(uint32_t dma, uint64_t memory, int32_t flags) {
    if (dma >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    if (flags != GH5_STOP_ASYNC)
        return record(GH5_ERR_INVALID_ARGUMENT);
    return record(transfers_[dma]->stop(memory));
}

int64_t HostFrameGrabber::lastPictureNumber(uint32_t dma, uint64_t memory) {
    if (dma >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    if (!memories_.find(memory))
        return record(GH5_ERR_INVALID_MEMORY);
    record(GH5_OK);
    return channels_[dma].lastPicture(memory);
}

int64_t HostFrameGrabber::lastPictureNumberBlocking(uint64_t picture, uint32_t dma, int32_t timeoutSeconds,
                                                    uint64_t memory) {
    if (dma >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    if (timeoutSeconds < 0)
        return record(GH5_ERR_INVALID_ARGUMENT);
    if (!memories_.find(memory))
        return record(GH5_ERR_INVALID_MEMORY);
    const int64_t result =
        channels_[dma].waitForPicture(picture, memory, std::chrono::seconds(timeoutSeconds));
    record(result < 0 ? static_cast<int32_t>(result) : GH5_OK);
    return result;
}

int64_t HostFrameGrabber::status(int32_t selector, uint64_t data, uint32_t dma, uint64_t memory) {
    if (dma >= kDmaCount)
        return record(GH5_ERR_INVALID_DMA);
    const auto ring = memories_.find(memory);
    if (!ring)
        return record(GH5_ERR_INVALID_MEMORY);
    int64_t value = 0;
    switch (selector) {
    case GH5_STATUS_PICTURES_TRANSFERRED:
        value = channels_[dma].picturesTransferred(memory);
        break;
    case GH5_STATUS_LAST_PICTURE:
        value = channels_[dma].lastPicture(memory);
        break;
    case GH5_STATUS_PICTURES_LOST:
        value = channels_[dma].picturesLost(memory);
        break;
    case GH5_STATUS_ACQUIRING:
        value = channels_[dma].acquiresInto(memory) ? 1 : 0;
        break;
    case GH5_STATUS_BUFFER_COUNT:
        value = ring->bufferCount();
        break;
    case GH5_STATUS_BUFFER_BYTES:
        value = static_cast<int64_t>(ring->bufferBytes());
        break;
    case GH5_STATUS_BUFFERS_HELD:
        value = channels_[dma].buffersHeld(memory);
        break;
    case GH5_STATUS_PICTURE_CAMERA_FRAME:
    case GH5_STATUS_PICTURE_LOST_BEFORE: {
        const std::optional<PictureOrigin> origin = channels_[dma].pictureOrigin(memory, data);
        if (!origin)
            return record(GH5_ERR_INVALID_ARGUMENT);
        value = static_cast<int64_t>(selector == GH5_STATUS_PICTURE_CAMERA_FRAME ? origin->cameraFrame
                                                                                 : origin->framesLostBefore);
        break;
    }
    case GH5_STATUS_FRAMES_ON_BOARD:
    case GH5_STATUS_BOARD_TIME_NS: {
        BoardOnBoardStatus board{};
        if (const int32_t code = Board_GetOnBoardStatus(board_, &board); code != BOARD_OK)
            return record(code);
        value =
            static_cast<int64_t>(selector == GH5_STATUS_FRAMES_ON_BOARD ? board.framesStored : board.nowNs);
        break;
    }
    default:
        return record(GH5_ERR_INVALID_ARGUMENT);
    }
    record(GH5_OK);
    return value;
}

void HostFrameGrabber::shutdown() {
    for (auto& transfer : transfers_)
        transfer->shutdown();
    memories_.clear();
}

} // namespace kestrel::host
