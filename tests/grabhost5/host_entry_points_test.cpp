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
constexpr int32_t kFrameTimeout = 100104;
constexpr int32_t kXLength = 100201;
constexpr int32_t kYLength = 100202;
constexpr int32_t kFillLevel = 100205;
constexpr int32_t kCoefficientFile0 = 100501;
constexpr int32_t kOutputFormat = 100801;
constexpr int32_t kLut = 100901;
constexpr int32_t kOverflow = 101101;
constexpr int32_t kPreset = 101202;

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
    EXPECT_EQ(Fg_getParameterIdByName(hostFg_, ""), 0);
    EXPECT_EQ(Fg_getParameterIdByName(hostFg_, nullptr), 0);
    EXPECT_EQ(Fg_getParameterIdByName(nullptr, "FG_TIMEOUT"), 0);
}

TEST_F(HostHandle, WritesAndReadsPlainRegistersWithType2) {
    uint32_t value = 0xFFFF;
    ASSERT_EQ(Fg_setParameterWithType(hostFg_, kXLength, &value, 0, GH5_TYPE_UINT32), GH5_OK);
    uint32_t back = 0;
    ASSERT_EQ(Fg_getParameterWithType(hostFg_, kXLength, &back, 0, GH5_TYPE_UINT32), GH5_OK);
    EXPECT_EQ(back, 0x1FFFu) << "13-bit register";
    EXPECT_EQ(Fg_getLastErrorNumber(hostFg_), GH5_OK);
}

TEST_F(HostHandle, ReachesWideRegistersWith64BitTypes) {
    const uint64_t value = 0xABCDEF0123456789ull;
    ASSERT_EQ(Fg_setParameterWithType(hostFg_, kPreset, &value, 0, GH5_TYPE_UINT64), GH5_OK);
    uint64_t back = 0;
    ASSERT_EQ(Fg_getParameterWithType(hostFg_, kPreset, &back, 0, GH5_TYPE_INT64), GH5_OK);
    EXPECT_EQ(back, 0xEF0123456789ull);
    uint32_t low = 0;
    ASSERT_EQ(Fg_getParameterWithType(hostFg_, kPreset, &low, 0, GH5_TYPE_UINT32), GH5_OK);
    EXPECT_EQ(low, 0x23456789u);
}

TEST_F(HostHandle, PassesTheBoardsRefusalsOn) {
    uint32_t value = 1;
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kOverflow, &value, 0, GH5_TYPE_UINT32), BOARD_ERR_READ_ONLY);
    EXPECT_EQ(Fg_getLastErrorNumber(hostFg_), BOARD_ERR_READ_ONLY);
    ASSERT_EQ(Board_ForceRegister(board_, kOverflow, 1), BOARD_OK);
    uint32_t back = 0;
    ASSERT_EQ(Fg_getParameterWithType(hostFg_, kOverflow, &back, 0, GH5_TYPE_UINT32), GH5_OK);
    EXPECT_EQ(back, 1u);
}

TEST_F(HostHandle, StoresFileNamesForTextRegistersWithType6) {
    const char name[] = "/tmp/coef-Ab3xYz.tiff";
    ASSERT_EQ(Fg_setParameterWithType(hostFg_, kCoefficientFile0, name, 0, GH5_TYPE_FILE_NAME), GH5_OK);
    std::vector<char> back(GH5_MAX_FILE_NAME_BYTES, 'x');
    ASSERT_EQ(Fg_getParameterWithType(hostFg_, kCoefficientFile0, back.data(), 0, GH5_TYPE_FILE_NAME),
              GH5_OK);
    EXPECT_STREQ(back.data(), name);
    uint32_t number = 1;
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kCoefficientFile0, &number, 0, GH5_TYPE_UINT32),
              GH5_ERR_WRONG_TYPE);
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kCameraFormat, name, 0, GH5_TYPE_FILE_NAME),
              GH5_ERR_WRONG_TYPE);
    const std::string tooLong(GH5_MAX_FILE_NAME_BYTES, 'n');
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kCoefficientFile0, tooLong.c_str(), 0, GH5_TYPE_FILE_NAME),
              GH5_ERR_OUT_OF_RANGE);
}

TEST_F(HostHandle, TransfersTheWholeLutWithType4096) {
    std::vector<uint32_t> table(GH5_LUT_ENTRIES);
    for (uint32_t i = 0; i < GH5_LUT_ENTRIES; ++i)
        table[i] = 4095 - i;
    Gh5LutBlock block{GH5_LUT_BLOCK_FORMAT_UINT32, GH5_LUT_ENTRIES, 0, table.data()};
    ASSERT_EQ(Fg_setParameterWithType(hostFg_, kLut, &block, 0, GH5_TYPE_LUT_BLOCK), GH5_OK);
    std::vector<uint32_t> onBoard(GH5_LUT_ENTRIES);
    ASSERT_EQ(Board_ReadLut(board_, 0, onBoard.data(), GH5_LUT_ENTRIES), BOARD_OK);
    EXPECT_EQ(onBoard, table);
    std::vector<uint32_t> back(GH5_LUT_ENTRIES);
    Gh5LutBlock readBlock{GH5_LUT_BLOCK_FORMAT_UINT32, GH5_LUT_ENTRIES, 0, back.data()};
    ASSERT_EQ(Fg_getParameterWithType(hostFg_, kLut, &readBlock, 0, GH5_TYPE_LUT_BLOCK), GH5_OK);
    EXPECT_EQ(back, table);
}

TEST_F(HostHandle, RefusesMalformedLutBlocksWithoutChangingTheTable) {
    std::vector<uint32_t> table(GH5_LUT_ENTRIES, 1);
    Gh5LutBlock block{3, GH5_LUT_ENTRIES, 0, table.data()};
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kLut, &block, 0, GH5_TYPE_LUT_BLOCK),
              GH5_ERR_INVALID_ARGUMENT);
    block = {GH5_LUT_BLOCK_FORMAT_UINT32, 100, 0, table.data()};
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kLut, &block, 0, GH5_TYPE_LUT_BLOCK),
              GH5_ERR_INVALID_ARGUMENT);
    block = {GH5_LUT_BLOCK_FORMAT_UINT32, GH5_LUT_ENTRIES, 0, nullptr};
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kLut, &block, 0, GH5_TYPE_LUT_BLOCK),
              GH5_ERR_INVALID_ARGUMENT);
    table[17] = 4096;
    block = {GH5_LUT_BLOCK_FORMAT_UINT32, GH5_LUT_ENTRIES, 0, table.data()};
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kLut, &block, 0, GH5_TYPE_LUT_BLOCK), BOARD_ERR_OUT_OF_RANGE);
    uint32_t first = 99;
    ASSERT_EQ(Board_ReadLut(board_, 0, &first, 1), BOARD_OK);
    EXPECT_EQ(first, 0u);
    uint32_t value = 5;
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kLut, &value, 0, GH5_TYPE_UINT32), GH5_ERR_WRONG_TYPE);
}

TEST_F(HostHandle, SetsAndReadsSingleLutEntriesWithType4098) {
    Gh5LutEntry entry{1234, 4095};
    ASSERT_EQ(Fg_setParameterWithType(hostFg_, kLut, &entry, 0, GH5_TYPE_LUT_ENTRY), GH5_OK);
    Gh5LutEntry back{0, 4095};
    ASSERT_EQ(Fg_getParameterWithType(hostFg_, kLut, &back, 0, GH5_TYPE_LUT_ENTRY), GH5_OK);
    EXPECT_EQ(back.value, 1234u);
    EXPECT_EQ(back.index, 4095u);
    entry = {1, 4096};
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kLut, &entry, 0, GH5_TYPE_LUT_ENTRY), GH5_ERR_OUT_OF_RANGE);
    entry = {4096, 0};
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kLut, &entry, 0, GH5_TYPE_LUT_ENTRY), BOARD_ERR_OUT_OF_RANGE);
}

TEST_F(HostHandle, RefusesUnknownIdsTypesDmaIndexesAndNullValues) {
    uint32_t value = 1;
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, 424242, &value, 0, GH5_TYPE_UINT32),
              GH5_ERR_UNKNOWN_PARAMETER);
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, -5, &value, 0, GH5_TYPE_UINT32), GH5_ERR_UNKNOWN_PARAMETER);
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kXLength, &value, 0, 5), GH5_ERR_WRONG_TYPE);
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kXLength, &value, 1, GH5_TYPE_UINT32), GH5_ERR_INVALID_DMA);
    EXPECT_EQ(Fg_setParameterWithType(hostFg_, kXLength, nullptr, 0, GH5_TYPE_UINT32),
              GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(Fg_getParameterWithType(hostFg_, kXLength, nullptr, 0, GH5_TYPE_UINT32),
              GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(Fg_getParameter(hostFg_, kXLength, &value, 1), GH5_ERR_INVALID_DMA);
    EXPECT_EQ(Fg_getParameter(hostFg_, 424242, &value, 0), GH5_ERR_UNKNOWN_PARAMETER);
    EXPECT_EQ(Fg_getLastErrorNumber(hostFg_), GH5_ERR_UNKNOWN_PARAMETER);
}

TEST_F(HostHandle, KeepsTheImageTimeoutAndTurboModeWithinRange) {
    EXPECT_EQ(getU32(GH5_PARAM_TIMEOUT), 1000000u);
    uint32_t value = 2;
    ASSERT_EQ(Fg_setParameter(hostFg_, GH5_PARAM_TIMEOUT, &value, 0), GH5_OK);
    EXPECT_EQ(getU32(GH5_PARAM_TIMEOUT), 2u);
    value = 0;
    EXPECT_EQ(Fg_setParameter(hostFg_, GH5_PARAM_TIMEOUT, &value, 0), GH5_ERR_OUT_OF_RANGE);
    EXPECT_EQ(getU32(GH5_PARAM_TIMEOUT), 2u);
    value = 1;
    ASSERT_EQ(Fg_setParameterWithType(hostFg_, GH5_PARAM_TURBO_DMA_MODE, &value, 0, GH5_TYPE_UINT32), GH5_OK);
    EXPECT_EQ(getU32(GH5_PARAM_TURBO_DMA_MODE), 1u);
    value = 2;
    EXPECT_EQ(Fg_setParameter(hostFg_, GH5_PARAM_TURBO_DMA_MODE, &value, 0), GH5_ERR_OUT_OF_RANGE);
    EXPECT_EQ(Fg_setParameter(hostFg_, GH5_PARAM_TIMEOUT, &value, 1), GH5_ERR_INVALID_DMA);
}

TEST_F(HostHandle, AnswersItsReadOnlyParametersAndRefusesToSetThem) {
    EXPECT_EQ(getU32(GH5_PARAM_NR_OF_PROCESSES), 1u);
    EXPECT_EQ(getU32(GH5_PARAM_NR_OF_DMAS), 1u);
    EXPECT_EQ(getU32(GH5_PARAM_NR_OF_CAMS), 1u);
    EXPECT_EQ(getU32(GH5_PARAM_DMA_PORT), 0u);
    EXPECT_EQ(getU32(GH5_PARAM_CAM_PORT), 0u);
    EXPECT_EQ(getU32(GH5_PARAM_APC_STOP_TIMEOUT), 1u);
    EXPECT_EQ(getU32(GH5_PARAM_DMASTATUS), 0u);
    EXPECT_EQ(getU32(GH5_PARAM_CAMSTATUS_EXTENDED), 1u) << "pixel clock present, nothing flowing";
    uint32_t value = 1;
    for (int32_t id : {GH5_PARAM_NR_OF_DMAS, GH5_PARAM_TRANSFER_LEN, GH5_PARAM_DMASTATUS,
                       GH5_PARAM_APC_STOP_TIMEOUT, GH5_PARAM_CAMSTATUS_EXTENDED, GH5_PARAM_NR_OF_PROCESSES,
                       GH5_PARAM_NR_OF_CAMS, GH5_PARAM_DMA_PORT, GH5_PARAM_CAM_PORT})
        EXPECT_EQ(Fg_setParameter(hostFg_, id, &value, 0), GH5_ERR_READ_ONLY) << id;
    uint64_t wide = 0;
    EXPECT_EQ(Fg_getParameterWithType(hostFg_, GH5_PARAM_NR_OF_DMAS, &wide, 0, GH5_TYPE_UINT64),
              GH5_ERR_WRONG_TYPE);
}

TEST_F(HostHandle, ComputesTheTransferLengthFromTheImageRegisters) {
    EXPECT_EQ(getU32(GH5_PARAM_TRANSFER_LEN), 0u);
    uint32_t width = 1024;
    uint32_t height = 100;
    ASSERT_EQ(Fg_setParameter(hostFg_, kXLength, &width, 0), GH5_OK);
    ASSERT_EQ(Fg_setParameter(hostFg_, kYLength, &height, 0), GH5_OK);
    EXPECT_EQ(getU32(GH5_PARAM_TRANSFER_LEN), 1024u * 100u * 2u) << "16-bit output";
    uint32_t eightBit = 1;
    ASSERT_EQ(Fg_setParameter(hostFg_, kOutputFormat, &eightBit, 0), GH5_OK);
    EXPECT_EQ(getU32(GH5_PARAM_TRANSFER_LEN), 1024u * 100u);
}

TEST_F(HostHandle, GivesUntypedAccessInEachRegistersNaturalType) {
    uint32_t narrow = 0x12345678;
    ASSERT_EQ(Fg_setParameter(hostFg_, kFrameTimeout, &narrow, 0), GH5_OK);
    EXPECT_EQ(getU32(kFrameTimeout), 0x345678u);
    uint64_t wide = 0x0000FFFF00001111ull;
    ASSERT_EQ(Fg_setParameter(hostFg_, kPreset, &wide, 0), GH5_OK);
    uint64_t wideBack = 0;
    ASSERT_EQ(Fg_getParameter(hostFg_, kPreset, &wideBack, 0), GH5_OK);
    EXPECT_EQ(wideBack, wide);
    ASSERT_EQ(Fg_setParameter(hostFg_, kCoefficientFile0, "gain.tiff", 0), GH5_OK);
    std::vector<char> name(GH5_MAX_FILE_NAME_BYTES);
    ASSERT_EQ(Fg_getParameter(hostFg_, kCoefficientFile0, name.data(), 0), GH5_OK);
    EXPECT_STREQ(name.data(), "gain.tiff");
    EXPECT_EQ(Fg_getParameter(hostFg_, kLut, &narrow, 0), GH5_ERR_WRONG_TYPE);
    EXPECT_EQ(Fg_getParameter(hostFg_, kFillLevel, nullptr, 0), GH5_ERR_INVALID_ARGUMENT);
}

TEST_F(HostHandle, NamesItsDesignWithAStablePositiveId) {
    const int32_t id = Fg_getAppletId(hostFg_, 0);
    EXPECT_GT(id, 0);
    EXPECT_EQ(Fg_getAppletId(hostFg_, 0), id);
    EXPECT_EQ(Fg_getAppletId(hostFg_, 1), GH5_ERR_INVALID_ARGUMENT);
}

// The feature publishing `id` anywhere under `node` and its siblings, or null.
const Gh5ParameterInfoNode* feature(const Gh5ParameterInfoNode* node, int32_t id) {
    for (; node != nullptr; node = node->nextRoot) {
        if (node->type != GH5_NODE_CATEGORY) {
            if (node->id == id)
                return node;
            continue;
        }
        for (int32_t i = 0; i < node->kind.category.childCount; ++i) {
            const Gh5ParameterInfoNode* child = node->kind.category.children[i];
            if (const Gh5ParameterInfoNode* found = child->type == GH5_NODE_CATEGORY ? feature(child, id)
                                                    : child->id == id                ? child
                                                                                     : nullptr)
                return found;
        }
    }
    return nullptr;
}

TEST_F(HostHandle, OffersParameterInformationOnPortZeroOnly) {
    const auto* root = static_cast<const Gh5ParameterInfoNode*>(Fg_getParameterInfo(hostFg_, 0));
    ASSERT_NE(root, nullptr);
    // Access as the board describes each register.
    ASSERT_NE(feature(root, kOverflow), nullptr);
    EXPECT_EQ(feature(root, kOverflow)->access, GH5_ACCESS_READ_ONLY);
    ASSERT_NE(feature(root, kCameraFormat), nullptr);
    EXPECT_EQ(feature(root, kCameraFormat)->access, GH5_ACCESS_READ_WRITE);
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
        EXPECT_EQ(Fg_setParameter(bad, GH5_PARAM_TIMEOUT, &value, 0), GH5_ERR_INVALID_HANDLE);
        EXPECT_EQ(Fg_getParameter(bad, GH5_PARAM_TIMEOUT, &value, 0), GH5_ERR_INVALID_HANDLE);
        EXPECT_EQ(Fg_setParameterWithType(bad, kXLength, &value, 0, 2), GH5_ERR_INVALID_HANDLE);
        EXPECT_EQ(Fg_getParameterWithType(bad, kXLength, &value, 0, 2), GH5_ERR_INVALID_HANDLE);
        EXPECT_EQ(Fg_getParameterInfo(bad, 0), nullptr);
        EXPECT_EQ(Fg_FreeGrabber(bad), GH5_ERR_INVALID_HANDLE);
        EXPECT_EQ(Fg_getAppletId(bad, 0), GH5_ERR_INVALID_HANDLE);
        EXPECT_EQ(Fg_getStatusEx(bad, GH5_STATUS_ACQUIRING, 0, 0, 1), GH5_ERR_INVALID_HANDLE);
        EXPECT_EQ(Fg_AcquireEx(bad, 0, 1, 0, 1), GH5_ERR_INVALID_HANDLE);
        EXPECT_EQ(Fg_stopAcquireEx(bad, 0, 1, 0), GH5_ERR_INVALID_HANDLE);
        EXPECT_EQ(Fg_getLastPicNumberEx(bad, 0, 1), GH5_ERR_INVALID_HANDLE);
        EXPECT_EQ(Fg_getLastPicNumberBlockingEx(bad, 1, 0, 0, 1), GH5_ERR_INVALID_HANDLE);
    }
    EXPECT_EQ(Board_Close(board), BOARD_OK);
}
