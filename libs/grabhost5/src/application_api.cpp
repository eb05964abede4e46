// The application side of the host SDK: boards, applet libraries, grabbers and acquisition memory.
// Each function finds its objects, makes one call and maps the result; nothing throws across.
#include "grabhost5.h"

#include "application_objects.h"
#include "boardhw.h"
#include "camera_images.h"
#include "error_texts.h"
#include "frame_grabber_registry.h"

#include <new>
#include <string>
#include <vector>

using namespace kestrel::host;

namespace kestrel::host {

HostBoard::~HostBoard() {
    Board_Close(device_);
}

ApplicationHandles& ApplicationHandles::instance() {
    static ApplicationHandles handles;
    return handles;
}

} // namespace kestrel::host

namespace {

// Runs op, turning an escaping exception into a code; clears the thread's detail first.
template <typename Op> int32_t guarded(Op&& op) noexcept {
    try {
        setErrorDetail({});
        return op();
    } catch (const std::bad_alloc&) {
        return GH5_ERR_OUT_OF_MEMORY;
    } catch (...) {
        return GH5_ERR_INVALID_ARGUMENT;
    }
}

std::shared_ptr<HostFrameGrabber> hostOf(const GrabberState& state) {
    return state.hostHandle == nullptr ? nullptr : FrameGrabberRegistry::instance().find(state.hostHandle);
}

} // namespace

extern "C" {

GH5_API const char* gh5_error_text(int32_t code) {
    return errorText(code);
}

GH5_API const char* gh5_error_detail(void) {
    return errorDetail();
}

GH5_API int32_t gh5_board_count(void) {
    return Board_GetCount();
}

GH5_API int32_t gh5_board_open(int32_t index, Gh5Board** board) {
    return guarded([&] {
        if (board == nullptr)
            return GH5_ERR_INVALID_ARGUMENT;
        int32_t error = BOARD_OK;
        void* device = Board_Open(index, &error);
        if (device == nullptr)
            return error;
        auto hostBoard = std::make_shared<HostBoard>(device, index);
        *board = static_cast<Gh5Board*>(ApplicationHandles::instance().boards.add(std::move(hostBoard)));
        return GH5_OK;
    });
}

GH5_API int32_t gh5_board_close(Gh5Board* board) {
    return guarded([&] {
        return ApplicationHandles::instance().boards.remove(board) ? GH5_OK : GH5_ERR_INVALID_HANDLE;
    });
}

GH5_API void* gh5_board_device(Gh5Board* board) {
    try {
        const auto hostBoard = ApplicationHandles::instance().boards.find(board);
        return hostBoard ? hostBoard->device() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

GH5_API int32_t gh5_board_index(Gh5Board* board) {
    return guarded([&] {
        const auto hostBoard = ApplicationHandles::instance().boards.find(board);
        return hostBoard ? hostBoard->index() : GH5_ERR_INVALID_HANDLE;
    });
}

GH5_API int32_t gh5_camera_attach_images(Gh5Board* board, const char* const* paths, uint32_t count) {
    return guarded([&] {
        const auto hostBoard = ApplicationHandles::instance().boards.find(board);
        if (!hostBoard)
            return GH5_ERR_INVALID_HANDLE;
        if (count == 0)
            return Board_SetCameraImages(hostBoard->device(), nullptr, 0, 0, 0);
        if (paths == nullptr)
            return GH5_ERR_INVALID_ARGUMENT;
        std::vector<std::string> files;
        for (uint32_t i = 0; i < count; ++i) {
            if (paths[i] == nullptr)
                return GH5_ERR_INVALID_ARGUMENT;
            files.emplace_back(paths[i]);
        }
        CameraImageSequence sequence;
        std::string problem;
        const int32_t rc = readCameraImages(files, sequence, problem);
        setErrorDetail(problem);
        if (rc != GH5_OK)
            return rc;
        return Board_SetCameraImages(hostBoard->device(), sequence.samples.data(), sequence.widthPixels,
                                     sequence.heightLines, count);
    });
}

GH5_API int32_t gh5_applet_load(const char* name, Gh5Applet** applet) {
    return guarded([&] {
        if (name == nullptr || applet == nullptr)
            return GH5_ERR_INVALID_ARGUMENT;
        std::shared_ptr<AppletLibrary> library;
        std::string detail;
        const int32_t rc = AppletLibrary::load(name, library, detail);
        setErrorDetail(detail);
        if (rc != GH5_OK)
            return rc;
        *applet = static_cast<Gh5Applet*>(ApplicationHandles::instance().applets.add(std::move(library)));
        return GH5_OK;
    });
}

GH5_API int32_t gh5_applet_unload(Gh5Applet* applet) {
    return guarded([&] {
        return ApplicationHandles::instance().applets.remove(applet) ? GH5_OK : GH5_ERR_INVALID_HANDLE;
    });
}

GH5_API const Gh5AppletExports* gh5_applet_exports(Gh5Applet* applet) {
    try {
        const auto library = ApplicationHandles::instance().applets.find(applet);
        return library ? &library->exports() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

GH5_API const char* gh5_applet_file(Gh5Applet* applet) {
    try {
        const auto library = ApplicationHandles::instance().applets.find(applet);
        return library ? library->file().c_str() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

GH5_API int32_t gh5_applet_info(Gh5Applet* applet, int32_t query, uint32_t a, uint32_t b, void* out1,
                                void* out2, int32_t* result) {
    return guarded([&] {
        if (result == nullptr)
            return GH5_ERR_INVALID_ARGUMENT;
        const auto library = ApplicationHandles::instance().applets.find(applet);
        if (!library)
            return GH5_ERR_INVALID_HANDLE;
        *result = library->exports().Info(query, a, b, out1, out2);
        return GH5_OK;
    });
}

GH5_API int32_t gh5_grabber_create(Gh5Board* board, const char* applet, Gh5Grabber** grabber) {
    return guarded([&] {
        if (applet == nullptr || grabber == nullptr)
            return GH5_ERR_INVALID_ARGUMENT;
        auto& handles = ApplicationHandles::instance();
        auto hostBoard = handles.boards.find(board);
        if (!hostBoard)
            return GH5_ERR_INVALID_HANDLE;
        auto state = std::make_shared<GrabberState>();
        std::string detail;
        if (const int32_t rc = AppletLibrary::load(applet, state->library, detail); rc != GH5_OK) {
            setErrorDetail(detail);
            return rc;
        }
        state->board = std::move(hostBoard);
        state->record.exports = &state->library->exports();
        state->record.board = board;

        auto& frameGrabbers = FrameGrabberRegistry::instance();
        void* device = state->board->device();
        void* const hostBefore = frameGrabbers.handleOnBoard(device);
        int32_t error = 0;
        void* object = state->record.exports->Std_entry(device, &error, 0);
        void* const hostAfter = frameGrabbers.handleOnBoard(device);
        void* const hostCreated = hostAfter != hostBefore ? hostAfter : nullptr;
        if (object == nullptr) {
            // An applet that failed after initialising the host must not leave the board claimed.
            if (hostCreated != nullptr)
                frameGrabbers.release(hostCreated);
            setErrorDetail(detail + ": Std_entry returned no applet");
            return error != 0 ? error : GH5_ERR_APPLET_REFUSED;
        }
        state->record.applet = object;
        state->hostHandle = hostCreated;
        Gh5Grabber* record = &state->record;
        handles.grabbers.insert(record, std::move(state));
        *grabber = record;
        return GH5_OK;
    });
}

GH5_API int32_t gh5_grabber_free(Gh5Grabber* grabber) {
    return guarded([&] {
        const std::shared_ptr<GrabberState> state = ApplicationHandles::instance().grabbers.remove(grabber);
        if (!state)
            return GH5_ERR_INVALID_HANDLE;
        int32_t rc = GH5_OK;
        if (state->record.applet != nullptr)
            rc = state->record.exports->Fg_FreeGrabber(&state->record);
        // Whatever the applet left of the host handle goes now, before its library is unloaded.
        if (state->hostHandle != nullptr)
            FrameGrabberRegistry::instance().release(state->hostHandle);
        return rc;
    });
}

GH5_API void* gh5_grabber_host(Gh5Grabber* grabber) {
    try {
        const auto state = ApplicationHandles::instance().grabbers.find(grabber);
        return state ? state->hostHandle : nullptr;
    } catch (...) {
        return nullptr;
    }
}

GH5_API int32_t gh5_memory_alloc(Gh5Grabber* grabber, uint32_t bufferCount, uint64_t bufferBytes,
                                 uint64_t* memory) {
    return guarded([&] {
        if (memory == nullptr)
            return GH5_ERR_INVALID_ARGUMENT;
        const auto state = ApplicationHandles::instance().grabbers.find(grabber);
        if (!state)
            return GH5_ERR_INVALID_HANDLE;
        const auto host = hostOf(*state);
        if (!host)
            return GH5_ERR_NOT_INITIALISED;
        return host->memories().allocate(bufferCount, bufferBytes, *memory);
    });
}

GH5_API int32_t gh5_memory_free(Gh5Grabber* grabber, uint64_t memory) {
    return guarded([&] {
        const auto state = ApplicationHandles::instance().grabbers.find(grabber);
        if (!state)
            return GH5_ERR_INVALID_HANDLE;
        const auto host = hostOf(*state);
        if (!host)
            return GH5_ERR_NOT_INITIALISED;
        for (uint32_t dma = 0; dma < HostFrameGrabber::kDmaCount; ++dma)
            if (host->channel(dma)->acquiresInto(memory))
                return GH5_ERR_MEMORY_BUSY;
        return host->memories().release(memory) ? GH5_OK : GH5_ERR_INVALID_MEMORY;
    });
}

GH5_API int32_t gh5_buffer_release(Gh5Grabber* grabber, uint32_t dma, uint64_t memory, uint32_t bufferIndex) {
    return guarded([&] {
        const auto state = ApplicationHandles::instance().grabbers.find(grabber);
        if (!state)
            return GH5_ERR_INVALID_HANDLE;
        const auto host = hostOf(*state);
        return host ? host->releaseBuffer(dma, memory, bufferIndex) : GH5_ERR_NOT_INITIALISED;
    });
}

GH5_API int32_t gh5_buffer_release_up_to(Gh5Grabber* grabber, uint32_t dma, uint64_t memory,
                                         uint64_t picture) {
    return guarded([&] {
        const auto state = ApplicationHandles::instance().grabbers.find(grabber);
        if (!state)
            return GH5_ERR_INVALID_HANDLE;
        const auto host = hostOf(*state);
        return host ? host->releaseUpTo(dma, memory, picture) : GH5_ERR_NOT_INITIALISED;
    });
}

GH5_API int32_t gh5_event_wait(Gh5Grabber* grabber, uint64_t mask, uint32_t timeoutMs, Gh5EventInfo* info) {
    return guarded([&] {
        if (mask == 0 || info == nullptr)
            return GH5_ERR_INVALID_ARGUMENT;
        const auto state = ApplicationHandles::instance().grabbers.find(grabber);
        if (!state)
            return GH5_ERR_INVALID_HANDLE;
        BoardEventInfo event{};
        int32_t fired = 0;
        if (const int32_t code = Board_WaitEvent(state->board->device(), mask, timeoutMs, &event, &fired);
            code != BOARD_OK)
            return code;
        if (fired == 0)
            return GH5_ERR_TIMEOUT;
        *info = Gh5EventInfo{event.mask, event.timestampNs, event.missed};
        return GH5_OK;
    });
}

GH5_API void* gh5_memory_buffer(Gh5Grabber* grabber, uint64_t memory, uint32_t index) {
    try {
        const auto state = ApplicationHandles::instance().grabbers.find(grabber);
        const auto host = state ? hostOf(*state) : nullptr;
        const auto ring = host ? host->memories().find(memory) : nullptr;
        return ring ? ring->buffer(index) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

} // extern "C"
