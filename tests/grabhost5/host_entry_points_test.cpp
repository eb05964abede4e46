// The entry points the applet binds: initialisation, ids, typed and untyped access, the tree.
#include "grabhost5_host.h"

#include "boardhw.h"
#include "test_design.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

using kestrel::testing::DesignImageHandle;

namespace {

constexpr int32_t kCameraFormat = 100101;
constexpr int32_t kXLength = 100201;
constexpr int32_t kYLength = 100202;
constexpr int32_t kFillLevel = 100205;
constexpr int32_t kCoefficientFile0 = 100501;
constexpr int32_t kOutputFormat = 100801;
constexpr int32_t kLut = 100901;
constexpr int32_t kOverflow = 101101;

class HostHandle : public ::testing::Test {
protected:
    void SetUp() override {
        board_ = Board_Open(0, nullptr);
        ASSERT_NE(board_, nullptr);
        image_ = kestrel::testing::openSmallDesign();
        hostFg_ = Fg_InitHandle("Small.hap", board_, image_.get());
        ASSERT_NE(hostFg_, nullptr) << Fg_getLastErrorNumber(nullptr);
    }
    void TearDown() override {
        if (hostFg_ != nullptr) {
            EXPECT_EQ(Fg_FreeGrabber(hostFg_), GH5_OK);
        }
        EXPECT_EQ(Board_Close(board_), BOARD_OK);
    }
    uint32_t getU32(int32_t id) {
        uint32_t value = 0xDEADBEEF;
        EXPECT_EQ(Fg_getParameter(hostFg_, id, &value, 0), GH5_OK) << id;
        return value;
    }

    void* board_ = nullptr;
    DesignImageHandle image_;
    void* hostFg_ = nullptr;
};

} // namespace

TEST_F(HostHandle, OutlivesTheDesignImageItWasMadeFrom) {
    image_.reset();
    uint32_t format = 2;
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kCameraFormat, &format, 0, GH5_TYPE_UINT32), GH5_OK);
    EXPECT_EQ(Fg_getParameterIdByName(hostFg_, "Device1_Process0_Camera_Format"), kCameraFormat);
}

TEST_F(HostHandle, ClaimsTheBoardUntilFreed) {
    const auto second = kestrel::testing::openSmallDesign();
    EXPECT_EQ(Fg_InitHandle("Small.hap", board_, second.get()), nullptr);
    EXPECT_EQ(Fg_getLastErrorNumber(nullptr), GH5_ERR_BOARD_BUSY);
    ASSERT_EQ(Fg_FreeGrabber(hostFg_), GH5_OK);
    hostFg_ = Fg_InitHandleSlaveAware("Small.hap", board_, second.get(), 1);
    ASSERT_NE(hostFg_, nullptr);
    EXPECT_EQ(Fg_getLastErrorNumber(nullptr), GH5_OK);
}

TEST_F(HostHandle, NamesDesignRegistersAndHostParameters) {
    EXPECT_EQ(Fg_getParameterIdByName(hostFg_, "Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile 0"),
              kCoefficientFile0);
    EXPECT_EQ(Fg_getParameterIdByName(hostFg_, "FG_TIMEOUT"), GH5_PARAM_TIMEOUT);
    EXPECT_EQ(Fg_getParameterIdByName(hostFg_, "FG_DMASTATUS"), GH5_PARAM_DMASTATUS);
    EXPECT_EQ(Fg_getParameterIdByName(hostFg_, "device1_process0_camera_format"), 0);
    EXPECT_EQ(Fg_getLastErrorNumber(hostFg_), GH5_ERR_UNKNOWN_PARAMETER);
    for (const char* name : {"", static_cast<const char*>(nullptr)})
        EXPECT_EQ(Fg_getParameterIdByName(hostFg_, name), 0);
    EXPECT_EQ(Fg_getParameterIdByName(nullptr, "FG_TIMEOUT"), 0);
}

TEST_F(HostHandle, RefusedTypedWritesNameTheirCodeAndChangeNothing) {
    const uint32_t one = 1, two = 2, zero = 0;
    const std::string tooLong(GH5_MAX_FILE_NAME_BYTES, 'n');
    std::vector<uint32_t> table(GH5_LUT_ENTRIES, 1), oversized(GH5_LUT_ENTRIES, 1);
    oversized[17] = 4096;
    const Gh5LutBlock blocks[] = {{3, GH5_LUT_ENTRIES, 0, table.data()},
                                  {GH5_LUT_BLOCK_FORMAT_UINT32, 100, 0, table.data()},
                                  {GH5_LUT_BLOCK_FORMAT_UINT32, GH5_LUT_ENTRIES, 0, nullptr},
                                  {GH5_LUT_BLOCK_FORMAT_UINT32, GH5_LUT_ENTRIES, 0, oversized.data()}};
    const Gh5LutEntry entries[] = {{1, 4096}, {4096, 0}};
    struct Row {
        int32_t id;
        const void* value;
        uint32_t dma;
        int32_t type, code;
    };
    const Row rows[] = {
        {424242, &one, 0, GH5_TYPE_UINT32, GH5_ERR_UNKNOWN_PARAMETER},
        {-5, &one, 0, GH5_TYPE_UINT32, GH5_ERR_UNKNOWN_PARAMETER},
        {kXLength, &one, 0, 5, GH5_ERR_WRONG_TYPE},
        {kXLength, &one, 1, GH5_TYPE_UINT32, GH5_ERR_INVALID_DMA},
        {kXLength, nullptr, 0, GH5_TYPE_UINT32, GH5_ERR_INVALID_ARGUMENT},
        {kOverflow, &one, 0, GH5_TYPE_UINT32, BOARD_ERR_READ_ONLY},
        {kCoefficientFile0, &one, 0, GH5_TYPE_UINT32, GH5_ERR_WRONG_TYPE},
        {kCameraFormat, "a.tiff", 0, GH5_TYPE_FILE_NAME, GH5_ERR_WRONG_TYPE},
        {kCoefficientFile0, tooLong.c_str(), 0, GH5_TYPE_FILE_NAME, GH5_ERR_OUT_OF_RANGE},
        {kLut, &blocks[0], 0, GH5_TYPE_LUT_BLOCK, GH5_ERR_INVALID_ARGUMENT},
        {kLut, &blocks[1], 0, GH5_TYPE_LUT_BLOCK, GH5_ERR_INVALID_ARGUMENT},
        {kLut, &blocks[2], 0, GH5_TYPE_LUT_BLOCK, GH5_ERR_INVALID_ARGUMENT},
        {kLut, &blocks[3], 0, GH5_TYPE_LUT_BLOCK, BOARD_ERR_OUT_OF_RANGE},
        {kLut, &one, 0, GH5_TYPE_UINT32, GH5_ERR_WRONG_TYPE},
        {kLut, &entries[0], 0, GH5_TYPE_LUT_ENTRY, GH5_ERR_OUT_OF_RANGE},
        {kLut, &entries[1], 0, GH5_TYPE_LUT_ENTRY, BOARD_ERR_OUT_OF_RANGE},
        {GH5_PARAM_TIMEOUT, &zero, 0, GH5_TYPE_UINT32, GH5_ERR_OUT_OF_RANGE},
        {GH5_PARAM_TIMEOUT, &two, 1, GH5_TYPE_UINT32, GH5_ERR_INVALID_DMA},
        {GH5_PARAM_TURBO_DMA_MODE, &two, 0, GH5_TYPE_UINT32, GH5_ERR_OUT_OF_RANGE},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Fg_setParameterWithType(hostFg_, row.id, row.value, row.dma, row.type), row.code)
            << row.id << " type " << row.type;
        EXPECT_EQ(Fg_getLastErrorNumber(hostFg_), row.code) << row.id;
    }
    uint32_t first = 99;
    ASSERT_EQ(Board_ReadLut(board_, 0, &first, 1), BOARD_OK);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(getU32(GH5_PARAM_TIMEOUT), 1000000u);
    EXPECT_EQ(getU32(GH5_PARAM_TURBO_DMA_MODE), 0u);
    uint32_t value = 1;
    EXPECT_EQ(Fg_getParameterWithType(hostFg_, kXLength, nullptr, 0, GH5_TYPE_UINT32),
              GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(Fg_getParameter(hostFg_, kXLength, &value, 1), GH5_ERR_INVALID_DMA);
    EXPECT_EQ(Fg_getParameterWithType(hostFg_, kXLength, &value, 1, GH5_TYPE_UINT32), GH5_ERR_INVALID_DMA);
    EXPECT_EQ(Fg_getParameter(hostFg_, 424242, &value, 0), GH5_ERR_UNKNOWN_PARAMETER);
    EXPECT_EQ(Fg_getParameter(hostFg_, kLut, &value, 0), GH5_ERR_WRONG_TYPE);
    EXPECT_EQ(Fg_getParameter(hostFg_, kFillLevel, nullptr, 0), GH5_ERR_INVALID_ARGUMENT);
}

TEST_F(HostHandle, KeepsItsOwnParametersAndComputesTheTransferLength) {
    uint32_t value = 1;
    const std::pair<int32_t, uint32_t> readOnly[] = {
        {GH5_PARAM_NR_OF_PROCESSES, 1}, {GH5_PARAM_NR_OF_DMAS, 1},         {GH5_PARAM_NR_OF_CAMS, 1},
        {GH5_PARAM_DMA_PORT, 0},        {GH5_PARAM_CAM_PORT, 0},           {GH5_PARAM_APC_STOP_TIMEOUT, 1},
        {GH5_PARAM_DMASTATUS, 0},       {GH5_PARAM_CAMSTATUS_EXTENDED, 1}, {GH5_PARAM_TRANSFER_LEN, 0}};
    // The extended camera status 1: pixel clock present, nothing flowing.
    for (const auto& [id, expected] : readOnly) {
        EXPECT_EQ(getU32(id), expected) << id;
        EXPECT_EQ(Fg_setParameter(hostFg_, id, &value, 0), GH5_ERR_READ_ONLY) << id;
    }
    uint64_t wide = 0;
    EXPECT_EQ(Fg_getParameterWithType(hostFg_, GH5_PARAM_NR_OF_DMAS, &wide, 0, GH5_TYPE_UINT64),
              GH5_ERR_WRONG_TYPE);
    uint32_t width = 1024, height = 100, eightBit = 1;
    ASSERT_EQ(Fg_setParameter(hostFg_, kXLength, &width, 0), GH5_OK);
    ASSERT_EQ(Fg_setParameter(hostFg_, kYLength, &height, 0), GH5_OK);
    EXPECT_EQ(getU32(GH5_PARAM_TRANSFER_LEN), 1024u * 100u * 2u) << "16-bit output";
    ASSERT_EQ(Fg_setParameter(hostFg_, kOutputFormat, &eightBit, 0), GH5_OK);
    EXPECT_EQ(getU32(GH5_PARAM_TRANSFER_LEN), 1024u * 100u);
}

TEST_F(HostHandle, OffersParameterInformationOnPortZeroOnly) {
    EXPECT_NE(Fg_getParameterInfo(hostFg_, 0), nullptr);
    EXPECT_EQ(Fg_getParameterInfo(hostFg_, 1), nullptr);
    EXPECT_EQ(Fg_getLastErrorNumber(hostFg_), GH5_ERR_INVALID_PORT);
    EXPECT_EQ(Fg_getParameterInfo(hostFg_, -1), nullptr);
}

TEST(HostInitialisation, ReportsWhyItFailedPerThread) {
    void* board = Board_Open(2, nullptr);
    ASSERT_NE(board, nullptr);
    const DesignImageHandle image = kestrel::testing::openSmallDesign();
    EXPECT_EQ(Fg_InitHandle(nullptr, board, image.get()), nullptr);
    EXPECT_EQ(Fg_getLastErrorNumber(nullptr), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(Fg_InitHandle("", board, image.get()), nullptr);
    EXPECT_EQ(Fg_getLastErrorNumber(nullptr), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(Fg_InitHandle("Small.hap", board, nullptr), nullptr);
    EXPECT_EQ(Fg_getLastErrorNumber(nullptr), GH5_ERR_NO_DESIGN);
    EXPECT_EQ(Fg_InitHandle("Small.hap", reinterpret_cast<void*>(uintptr_t{0x99}), image.get()), nullptr);
    EXPECT_EQ(Fg_getLastErrorNumber(nullptr), BOARD_ERR_INVALID_HANDLE);
    int32_t otherThread = 1;
    std::thread([&] { otherThread = Fg_getLastErrorNumber(nullptr); }).join();
    EXPECT_EQ(otherThread, GH5_OK);
    // A failed initialisation leaves the board free.
    void* hostFg = Fg_InitHandle("Small.hap", board, image.get());
    ASSERT_NE(hostFg, nullptr);
    EXPECT_EQ(Fg_FreeGrabber(hostFg), GH5_OK);
    EXPECT_EQ(Board_Close(board), BOARD_OK);
}

TEST(HostHandles, NullAndFreedHandlesAreRefusedEverywhere) {
    void* board = Board_Open(3, nullptr);
    ASSERT_NE(board, nullptr);
    const DesignImageHandle image = kestrel::testing::openSmallDesign();
    void* freed = Fg_InitHandle("Small.hap", board, image.get());
    ASSERT_NE(freed, nullptr);
    ASSERT_EQ(Fg_FreeGrabber(freed), GH5_OK);
    uint32_t value = 0;
    for (void* bad : {static_cast<void*>(nullptr), freed, board}) {
        if (bad != nullptr) {
            EXPECT_EQ(Fg_getLastErrorNumber(bad), GH5_ERR_INVALID_HANDLE);
        }
        EXPECT_EQ(Fg_getParameterIdByName(bad, "FG_TIMEOUT"), 0);
        EXPECT_EQ(Fg_getParameterInfo(bad, 0), nullptr);
        for (const int64_t code :
             {int64_t{Fg_setParameter(bad, GH5_PARAM_TIMEOUT, &value, 0)},
              int64_t{Fg_getParameter(bad, GH5_PARAM_TIMEOUT, &value, 0)},
              int64_t{Fg_setParameterWithType(bad, kXLength, &value, 0, 2)},
              int64_t{Fg_getParameterWithType(bad, kXLength, &value, 0, 2)}, int64_t{Fg_FreeGrabber(bad)},
              int64_t{Fg_getAppletId(bad, 0)}, Fg_getStatusEx(bad, GH5_STATUS_ACQUIRING, 0, 0, 1),
              int64_t{Fg_AcquireEx(bad, 0, 1, 0, 1)}, int64_t{Fg_stopAcquireEx(bad, 0, 1, 0)},
              Fg_getLastPicNumberEx(bad, 0, 1), Fg_getLastPicNumberBlockingEx(bad, 1, 0, 0, 1)})
            EXPECT_EQ(code, GH5_ERR_INVALID_HANDLE);
    }
    EXPECT_EQ(Board_Close(board), BOARD_OK);
}
