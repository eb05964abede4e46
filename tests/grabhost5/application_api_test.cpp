// The application API with stand-in applets: boards, applet loading, grabbers, memories and the
// acquisition calls as an application reaches them through the applet's exports.
#include "grabhost5.h"
#include "grabhost5_host.h"

#include "boardhw.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Each test runs in a process of its own; the applet path points at the stand-in applets.
class Application : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("KESTREL_APPLET_PATH", FAKE_APPLET_DIR, 1);
        ::unsetenv("FAKE_APPLET_DESIGN");
    }
};

class OnBoard : public Application {
protected:
    void SetUp() override {
        Application::SetUp();
        ASSERT_EQ(gh5_board_open(0, &board_), GH5_OK);
    }
    void TearDown() override {
        if (board_ != nullptr) {
            EXPECT_EQ(gh5_board_close(board_), GH5_OK);
        }
    }
    Gh5Grabber* create(const char* applet = "FakeApplet") {
        Gh5Grabber* grabber = nullptr;
        EXPECT_EQ(gh5_grabber_create(board_, applet, &grabber), GH5_OK) << gh5_error_detail();
        return grabber;
    }

    Gh5Board* board_ = nullptr;
};

} // namespace

TEST_F(Application, OpensEachBoardOnceAndRefusesStaleHandles) {
    EXPECT_EQ(gh5_board_count(), 4);
    Gh5Board* board = nullptr;
    ASSERT_EQ(gh5_board_open(1, &board), GH5_OK);
    EXPECT_EQ(gh5_board_index(board), 1);
    EXPECT_NE(gh5_board_device(board), nullptr);
    Gh5Board* again = nullptr;
    EXPECT_EQ(gh5_board_open(1, &again), BOARD_ERR_BOARD_IN_USE);
    EXPECT_EQ(gh5_board_open(0, nullptr), GH5_ERR_INVALID_ARGUMENT);
    ASSERT_EQ(gh5_board_close(board), GH5_OK);
    EXPECT_EQ(gh5_board_close(board), GH5_ERR_INVALID_HANDLE);
    EXPECT_EQ(gh5_board_device(board), nullptr);
    EXPECT_EQ(gh5_board_index(nullptr), GH5_ERR_INVALID_HANDLE);
}

TEST_F(Application, LoadsAnAppletByNameFromTheAppletPathAndAsksItsProperties) {
    Gh5Applet* applet = nullptr;
    ASSERT_EQ(gh5_applet_load("FakeApplet", &applet), GH5_OK) << gh5_error_detail();
    EXPECT_EQ(std::string(gh5_applet_file(applet)), std::string(FAKE_APPLET_DIR) + "/FakeApplet.so");
    uint64_t address = 0;
    int32_t result = -1;
    ASSERT_EQ(gh5_applet_info(applet, 4176, 0, 0, nullptr, &address, &result), GH5_OK);
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(static_cast<uintptr_t>(address)), "FakeApplet");
    ASSERT_EQ(gh5_applet_info(applet, 5000, 0, 0, nullptr, nullptr, &result), GH5_OK);
    EXPECT_EQ(result, -2130);
    EXPECT_EQ(gh5_applet_info(applet, 4176, 0, 0, nullptr, nullptr, nullptr), GH5_ERR_INVALID_ARGUMENT);
    const Gh5AppletExports* exports = gh5_applet_exports(applet);
    ASSERT_NE(exports, nullptr);
    EXPECT_NE(exports->Std_entry, nullptr);
    EXPECT_EQ(exports->Fg_saveConfig, nullptr) << "an export the applet lacks stays empty";
    EXPECT_EQ(exports->Fg_getParameterInfo, nullptr) << "not bound to the host's namesake";
    ASSERT_EQ(gh5_applet_unload(applet), GH5_OK);
    EXPECT_EQ(gh5_applet_unload(applet), GH5_ERR_INVALID_HANDLE);
    EXPECT_EQ(gh5_applet_exports(applet), nullptr);
    EXPECT_EQ(gh5_applet_info(applet, 4176, 0, 0, nullptr, nullptr, &result), GH5_ERR_INVALID_HANDLE);
}

TEST_F(Application, ReportsMissingUnloadableAndIncompleteApplets) {
    Gh5Applet* applet = nullptr;
    const std::tuple<const char*, int32_t, const char*> rows[] = {
        {"NoSuchApplet", GH5_ERR_APPLET_NOT_FOUND, "NoSuchApplet.so"},
        {"NotALibrary", GH5_ERR_APPLET_NOT_LOADED, "NotALibrary"},
        {"NoEntryApplet", GH5_ERR_APPLET_INCOMPLETE, ""},
        {"NoFreeApplet", GH5_ERR_APPLET_INCOMPLETE, ""},
        {"", GH5_ERR_INVALID_ARGUMENT, ""},
    };
    for (const auto& [name, code, detail] : rows) {
        EXPECT_EQ(gh5_applet_load(name, &applet), code) << name;
        EXPECT_NE(std::string(gh5_error_detail()).find(detail), std::string::npos) << gh5_error_detail();
    }
    EXPECT_EQ(gh5_applet_load(nullptr, &applet), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(gh5_applet_load("FakeApplet", nullptr), GH5_ERR_INVALID_ARGUMENT);
    ::setenv("KESTREL_APPLET_PATH", "/nonexistent", 1);
    ASSERT_EQ(gh5_applet_load(FAKE_APPLET_DIR "/FakeApplet.so", &applet), GH5_OK) << "a path is not searched";
    EXPECT_EQ(gh5_applet_unload(applet), GH5_OK);
    ::unsetenv("KESTREL_APPLET_PATH"); // then it looks beside the host library
    EXPECT_EQ(gh5_applet_load("FakeApplet", &applet), GH5_ERR_APPLET_NOT_FOUND);
    EXPECT_NE(std::string(gh5_error_detail()).find(KESTREL_LIB_DIR), std::string::npos) << gh5_error_detail();
}

TEST_F(OnBoard, CreatesTheAppletIntoTheRecordAndFreesItOnce) {
    Gh5Grabber* grabber = create();
    ASSERT_NE(grabber, nullptr);
    EXPECT_EQ(grabber->board, board_);
    ASSERT_NE(grabber->exports, nullptr);
    EXPECT_GT(grabber->exports->Fg_getAppletId(grabber, 0), 0) << "the applet reaches its host handle";
    uint32_t format = 2;
    const int32_t id = 100101; // Device1_Process0_Camera_Format in the Kestrel12 design
    ASSERT_EQ(grabber->exports->Fg_setParameterWithType(grabber, id, &format, 0, GH5_TYPE_UINT32), GH5_OK);
    uint64_t onBoard = 0;
    ASSERT_EQ(Board_ReadRegister(gh5_board_device(board_), id, &onBoard), BOARD_OK);
    EXPECT_EQ(onBoard, 2u);
    void* host = gh5_grabber_host(grabber);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(Fg_getParameterIdByName(host, "FG_NR_OF_DMAS"), GH5_PARAM_NR_OF_DMAS);

    ASSERT_EQ(gh5_grabber_free(grabber), GH5_OK);
    EXPECT_EQ(gh5_grabber_host(grabber), nullptr);
    EXPECT_EQ(Fg_getLastErrorNumber(host), GH5_ERR_INVALID_HANDLE) << "the applet released it";
    EXPECT_EQ(gh5_grabber_free(grabber), GH5_ERR_INVALID_HANDLE);
    uint64_t memory = 0;
    EXPECT_EQ(gh5_memory_alloc(grabber, 1, 16, &memory), GH5_ERR_INVALID_HANDLE);
    EXPECT_EQ(gh5_grabber_free(nullptr), GH5_ERR_INVALID_HANDLE);
    EXPECT_EQ(gh5_grabber_host(nullptr), nullptr);
}

TEST_F(OnBoard, RunsOneAppletPerBoardAndKeepsTheBoardOpenUntilItIsFreed) {
    Gh5Grabber* first = create();
    ASSERT_NE(first, nullptr);
    Gh5Grabber* second = nullptr;
    EXPECT_EQ(gh5_grabber_create(board_, "FakeApplet", &second), GH5_ERR_BOARD_BUSY);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(first->exports->Fg_getNrOfParameter(first), 3) << "the refused creation left the first alone";
    ASSERT_EQ(gh5_board_close(board_), GH5_OK);
    Gh5Board* reopened = nullptr;
    EXPECT_EQ(gh5_board_open(0, &reopened), BOARD_ERR_BOARD_IN_USE);
    EXPECT_EQ(first->exports->Fg_getNrOfParameter(first), 3);
    ASSERT_EQ(gh5_grabber_free(first), GH5_OK);
    ASSERT_EQ(gh5_board_open(0, &board_), GH5_OK);
    second = create();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(gh5_grabber_free(second), GH5_OK);
}

TEST_F(OnBoard, PassesTheAppletsCreationErrorOnAndFreesTheBoard) {
    Gh5Grabber* grabber = nullptr;
    EXPECT_STREQ(gh5_error_text(-100), "initialisation failed");
    for (const auto& [applet, code] : {std::pair{"FailingApplet", -100},
                                       {"RefusingApplet", GH5_ERR_APPLET_REFUSED},
                                       {"NoSuchApplet", GH5_ERR_APPLET_NOT_FOUND},
                                       {"NoEntryApplet", GH5_ERR_APPLET_INCOMPLETE},
                                       {"LateFailingApplet", -2031}})
        EXPECT_EQ(gh5_grabber_create(board_, applet, &grabber), code) << applet;
    EXPECT_EQ(gh5_grabber_create(nullptr, "FakeApplet", &grabber), GH5_ERR_INVALID_HANDLE);
    EXPECT_EQ(gh5_grabber_create(board_, nullptr, &grabber), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(grabber, nullptr);
    grabber = create();
    ASSERT_NE(grabber, nullptr);
    EXPECT_EQ(gh5_grabber_free(grabber), GH5_OK);
}

TEST_F(OnBoard, StartsAndStopsAcquisitionOnTheOneDmaChannel) {
    // On stopped time no picture can arrive while the test looks at the running channel.
    ASSERT_EQ(gh5_clock_select(GH5_CLOCK_STOPPED), GH5_OK);
    Gh5Grabber* grabber = create();
    ASSERT_NE(grabber, nullptr);
    const Gh5AppletExports& fg = *grabber->exports;
    uint64_t memory = 0;
    ASSERT_EQ(gh5_memory_alloc(grabber, 2, 64, &memory), GH5_OK);

    EXPECT_EQ(fg.Fg_AcquireEx(grabber, 1, 10, GH5_ACQ_STANDARD, memory), GH5_ERR_INVALID_DMA);
    EXPECT_EQ(fg.Fg_AcquireEx(grabber, 0, 10, 0x40, memory), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(fg.Fg_AcquireEx(grabber, 0, 10, GH5_ACQ_STANDARD, memory + 1), GH5_ERR_INVALID_MEMORY);
    EXPECT_EQ(fg.Fg_getLastErrorNumber(grabber), GH5_ERR_INVALID_MEMORY);

    ASSERT_EQ(fg.Fg_AcquireEx(grabber, 0, GH5_GRAB_INFINITE, GH5_ACQ_STANDARD, memory), GH5_OK);
    EXPECT_EQ(fg.Fg_getLastErrorNumber(grabber), GH5_OK);
    EXPECT_EQ(fg.Fg_AcquireEx(grabber, 0, 10, GH5_ACQ_STANDARD, memory), GH5_ERR_ALREADY_RUNNING);
    EXPECT_EQ(fg.Fg_getStatusEx(grabber, GH5_STATUS_ACQUIRING, 0, 0, memory), 1);
    EXPECT_EQ(fg.Fg_getLastPicNumberEx(grabber, 0, memory), 0);
    EXPECT_EQ(gh5_memory_free(grabber, memory), GH5_ERR_MEMORY_BUSY);
    uint32_t dmaStatus = 0;
    ASSERT_EQ(fg.Fg_getParameterWithType(grabber, GH5_PARAM_DMASTATUS, &dmaStatus, 0, GH5_TYPE_UINT32),
              GH5_OK);
    EXPECT_EQ(dmaStatus, 1u);
    uint32_t cameraStatus = 0;
    ASSERT_EQ(fg.Fg_getParameterWithType(grabber, GH5_PARAM_CAMSTATUS_EXTENDED, &cameraStatus, 0, 2), GH5_OK);
    EXPECT_EQ(cameraStatus, 7u) << "pixel clock, line valid and frame valid while acquiring";

    EXPECT_EQ(fg.Fg_getLastPicNumberBlockingEx(grabber, 1, 0, 0, memory), GH5_ERR_TIMEOUT);
    EXPECT_EQ(fg.Fg_getLastErrorNumber(grabber), GH5_ERR_TIMEOUT);
    EXPECT_EQ(fg.Fg_getLastPicNumberBlockingEx(grabber, 1, 0, -1, memory), GH5_ERR_INVALID_ARGUMENT);

    EXPECT_EQ(fg.Fg_stopAcquireEx(grabber, 0, memory, 5), GH5_ERR_INVALID_ARGUMENT);
    ASSERT_EQ(fg.Fg_stopAcquireEx(grabber, 0, memory, GH5_STOP_ASYNC), GH5_OK);
    EXPECT_EQ(fg.Fg_getStatusEx(grabber, GH5_STATUS_ACQUIRING, 0, 0, memory), 0);
    EXPECT_EQ(fg.Fg_getStatusEx(grabber, 99, 0, 0, memory), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(gh5_memory_free(grabber, memory), GH5_OK);
    EXPECT_EQ(gh5_grabber_free(grabber), GH5_OK);
    EXPECT_EQ(gh5_clock_select(3), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(gh5_clock_select(GH5_CLOCK_REAL), GH5_OK);
}
