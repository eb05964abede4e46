// The C functions of libboardhw: handle to board, one call, the result back. No exception leaves.
#include "boardhw.h"

#include "acquisition.h"
#include "board_errors.h"
#include "board_registry.h"
#include "design_image_reader.h"
#include "trigger/trigger_system.h"

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

using kestrel::boardhw::Board;
using kestrel::boardhw::BoardRegistry;

namespace {

// Runs op on the board behind handle; a bad handle or an escaping exception becomes a code.
template <typename Op> int32_t withBoard(void* handle, Op&& op) noexcept {
    try {
        const std::shared_ptr<Board> board = BoardRegistry::instance().find(handle);
        if (!board)
            return BOARD_ERR_INVALID_HANDLE;
        return op(*board);
    } catch (const std::bad_alloc&) {
        return BOARD_ERR_OUT_OF_MEMORY;
    } catch (...) {
        return BOARD_ERR_INVALID_ARGUMENT;
    }
}

} // namespace

extern "C" {

BOARDHW_API int32_t Board_WriteRegister(void* board, uint32_t id, uint64_t value) {
    return withBoard(board, [&](Board& b) { return b.write(id, value); });
}

BOARDHW_API int32_t Board_ReadRegister(void* board, uint32_t id, uint64_t* value) {
    if (value == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) { return b.read(id, *value); });
}

BOARDHW_API int32_t Board_GetCount(void) {
    return BoardRegistry::kBoardCount;
}

BOARDHW_API void* Board_Open(int32_t index, int32_t* error) {
    int32_t code = BOARD_OK;
    void* handle = nullptr;
    try {
        handle = BoardRegistry::instance().open(index, code);
    } catch (...) {
        code = BOARD_ERR_OUT_OF_MEMORY;
    }
    if (error != nullptr)
        *error = code;
    return handle;
}

BOARDHW_API int32_t Board_Close(void* board) {
    try {
        return BoardRegistry::instance().close(board);
    } catch (...) {
        return BOARD_ERR_INVALID_HANDLE;
    }
}

BOARDHW_API int32_t Board_GetIndex(void* board) {
    return withBoard(board, [](Board& b) { return b.index(); });
}

BOARDHW_API int32_t Board_LoadDesign(void* board, void* designImage) {
    return withBoard(board, [&](Board& b) {
        auto definitions = kestrel::boardhw::readRegisterTable(designImage);
        if (!definitions)
            return BOARD_ERR_INVALID_DESIGN;
        const int32_t code = b.loadDesign(std::move(*definitions));
        if (code == BOARD_OK)
            b.events().configure(kestrel::boardhw::readEventNames(designImage));
        return code;
    });
}

BOARDHW_API int32_t Board_DescribeRegister(void* board, uint32_t id, BoardRegisterDescription* description) {
    if (description == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) { return b.describe(id, *description); });
}

BOARDHW_API int32_t Board_ForceRegister(void* board, uint32_t id, uint64_t value) {
    return withBoard(board, [&](Board& b) { return b.force(id, value); });
}

BOARDHW_API int32_t Board_FailRegisterWrites(void* board, uint32_t id, int32_t code) {
    return withBoard(board, [&](Board& b) {
        b.failWrites(id, code);
        return BOARD_OK;
    });
}

BOARDHW_API int32_t Board_SetTriggerInput(void* board, uint32_t input, int32_t level, uint64_t atNs) {
    return withBoard(board, [&](Board& b) { return b.trigger().injectInput(input, level != 0, atNs); });
}

BOARDHW_API int32_t Board_InjectTriggerPulse(void* board, uint32_t input, uint64_t atNs, uint64_t widthNs) {
    return withBoard(board, [&](Board& b) { return b.trigger().injectPulse(input, atNs, widthNs); });
}

BOARDHW_API int32_t Board_GetTriggerLines(void* board, uint32_t* cameraControl, uint32_t* outputs) {
    return withBoard(board, [&](Board& b) {
        if (cameraControl != nullptr)
            *cameraControl = b.trigger().cameraControlLevels();
        if (outputs != nullptr)
            *outputs = b.trigger().triggerOutputLevels();
        return BOARD_OK;
    });
}

BOARDHW_API int32_t Board_SetCameraScene(void* board, int32_t scene, double level) {
    using kestrel::board::SceneContent;
    if (!(level >= 0.0 && level <= 4095.0))
        return BOARD_ERR_INVALID_ARGUMENT;
    SceneContent content = SceneContent::Synthetic;
    switch (scene) {
    case BOARD_SCENE_SYNTHETIC:
        break;
    case BOARD_SCENE_FLAT_FIELD:
        content = SceneContent::FlatField;
        break;
    case BOARD_SCENE_LENS_CAP:
        content = SceneContent::LensCap;
        break;
    default:
        return BOARD_ERR_INVALID_ARGUMENT;
    }
    return withBoard(board, [&](Board& b) {
        b.acquisition().setScene(content, level);
        return BOARD_OK;
    });
}

BOARDHW_API int32_t Board_SetCameraImages(void* board, const uint16_t* samples, uint32_t width,
                                          uint32_t height, uint32_t count) {
    if (count == 0)
        return withBoard(board, [](Board& b) {
            b.acquisition().setCameraImages(nullptr);
            return BOARD_OK;
        });
    if (samples == nullptr || width == 0 || height == 0 || width > BOARD_MAX_CAMERA_SIDE ||
        height > BOARD_MAX_CAMERA_SIDE)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) {
        const size_t sampleCount = size_t{width} * height * count;
        auto images = std::make_shared<const kestrel::board::CameraImages>(
            width, height, std::vector<uint16_t>(samples, samples + sampleCount));
        b.acquisition().setCameraImages(std::move(images));
        return BOARD_OK;
    });
}

BOARDHW_API int32_t Board_WriteLut(void* board, uint32_t first, const uint32_t* entries, uint32_t count) {
    return withBoard(board, [&](Board& b) { return b.writeLut(first, entries, count); });
}

BOARDHW_API int32_t Board_ReadLut(void* board, uint32_t first, uint32_t* entries, uint32_t count) {
    return withBoard(board, [&](Board& b) { return b.readLut(first, entries, count); });
}

BOARDHW_API int32_t Board_SetRegisterText(void* board, uint32_t id, const char* text) {
    return withBoard(board, [&](Board& b) { return b.setText(id, text); });
}

BOARDHW_API int32_t Board_GetRegisterText(void* board, uint32_t id, char* buffer, uint32_t size) {
    return withBoard(board, [&](Board& b) { return b.getText(id, buffer, size); });
}

BOARDHW_API int32_t Board_WriteCoefficientLines(void* board, int32_t memory, uint32_t firstLine,
                                                uint32_t lineCount, const uint16_t* samples) {
    return withBoard(
        board, [&](Board& b) { return b.writeCoefficientLines(memory, firstLine, lineCount, samples); });
}

BOARDHW_API int32_t Board_ReadCoefficientLines(void* board, int32_t memory, uint32_t firstLine,
                                               uint32_t lineCount, uint16_t* samples) {
    return withBoard(board,
                     [&](Board& b) { return b.readCoefficientLines(memory, firstLine, lineCount, samples); });
}

BOARDHW_API int32_t Board_GetImageFormat(void* board, BoardImageFormat* format) {
    if (format == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) { return b.imageFormat(*format); });
}

BOARDHW_API const char* Board_ErrorText(int32_t code) {
    return kestrel::boardhw::boardErrorText(code);
}

BOARDHW_API int32_t Board_StartAcquisition(void* board) {
    return withBoard(board, [&](Board& b) {
        if (!b.hasDesign())
            return BOARD_ERR_NO_DESIGN;
        b.acquisition().restart();
        return BOARD_OK;
    });
}

BOARDHW_API int32_t Board_NextFrame(void* board, void* buffer, uint64_t size, BoardFrameInfo* info) {
    if (buffer == nullptr && size > 0)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) {
        kestrel::boardhw::DeliveredFrame delivered;
        const int32_t code = b.acquisition().nextFrame(
            std::span<std::byte>(static_cast<std::byte*>(buffer), static_cast<size_t>(size)), delivered);
        if (code == BOARD_OK && info != nullptr)
            *info = BoardFrameInfo{delivered.bytes,           delivered.sourceFrame,
                                   delivered.sourceFrames,    delivered.framePeriodSeconds,
                                   delivered.exposureNs,      delivered.completedNs,
                                   delivered.framesLostBefore};
        return code;
    });
}

BOARDHW_API int32_t Board_AdvanceTo(void* board, uint64_t nowNs) {
    return withBoard(board, [&](Board& b) { return b.acquisition().advanceTo(nowNs); });
}

BOARDHW_API int32_t Board_NextActivity(void* board, uint64_t* atNs, int32_t* scheduled) {
    if (atNs == nullptr || scheduled == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) {
        const std::optional<uint64_t> next = b.acquisition().nextActivityNs();
        *scheduled = next ? 1 : 0;
        *atNs = next.value_or(0);
        return BOARD_OK;
    });
}

BOARDHW_API int32_t Board_TakeFrame(void* board, void* buffer, uint64_t size, BoardFrameInfo* info,
                                    int32_t* taken) {
    if ((buffer == nullptr && size > 0) || taken == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) {
        kestrel::boardhw::DeliveredFrame delivered;
        const bool took = b.acquisition().takeFrame(
            std::span<std::byte>(static_cast<std::byte*>(buffer), static_cast<size_t>(size)), delivered);
        *taken = took ? 1 : 0;
        if (took && info != nullptr)
            *info = BoardFrameInfo{delivered.bytes,           delivered.sourceFrame,
                                   delivered.sourceFrames,    delivered.framePeriodSeconds,
                                   delivered.exposureNs,      delivered.completedNs,
                                   delivered.framesLostBefore};
        return BOARD_OK;
    });
}

BOARDHW_API int32_t Board_GetOnBoardStatus(void* board, BoardOnBoardStatus* status) {
    if (status == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) {
        const kestrel::boardhw::OnBoardStatus s = b.acquisition().status();
        *status = BoardOnBoardStatus{};
        status->nowNs = s.nowNs;
        status->framesStored = s.framesStored;
        status->framesLost = s.framesLost;
        status->framesExposed = s.framesExposed;
        for (size_t bank = 0; bank < BOARD_ONBOARD_BANKS; ++bank)
            status->fillLevelPercent[bank] = s.fillPercent[bank];
        status->overflow = s.overflow ? 1 : 0;
        return BOARD_OK;
    });
}

BOARDHW_API int32_t Board_GetEventMask(void* board, const char* designName, uint64_t* mask) {
    if (designName == nullptr || mask == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) {
        *mask = b.events().maskOf(designName);
        return BOARD_OK;
    });
}

BOARDHW_API int32_t Board_WaitEvent(void* board, uint64_t mask, uint32_t timeoutMs, BoardEventInfo* info,
                                    int32_t* fired) {
    if (mask == 0 || info == nullptr || fired == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) {
        kestrel::boardhw::EventDelivery delivery;
        const bool got = b.events().wait(mask, std::chrono::milliseconds(timeoutMs), delivery);
        *fired = got ? 1 : 0;
        if (got)
            *info = BoardEventInfo{delivery.mask, delivery.timestampNs, delivery.missed};
        return BOARD_OK;
    });
}

BOARDHW_API int32_t Board_RaiseEvent(void* board, const char* designName, uint64_t timestampNs) {
    if (designName == nullptr)
        return BOARD_ERR_INVALID_ARGUMENT;
    return withBoard(board, [&](Board& b) {
        b.raiseEvent(designName, timestampNs);
        return BOARD_OK;
    });
}

} // extern "C"
