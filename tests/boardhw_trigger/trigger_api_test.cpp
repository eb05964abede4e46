// The trigger's C functions: injected input levels reach the input status register and the
// software trigger register the status the applet reads, through the board's exports only.
#include "boardhw.h"
#include "designrt.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TriggerApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        image_ = DesignImage_OpenFile(KESTREL_DESIGN_IMAGE_PATH, 2626, 1);
        ASSERT_NE(image_, nullptr);
        int32_t error = 0;
        board_ = Board_Open(0, &error);
        ASSERT_NE(board_, nullptr) << error;
        ASSERT_EQ(Board_LoadDesign(board_, image_), BOARD_OK);
    }
    void TearDown() override {
        if (board_ != nullptr)
            Board_Close(board_);
        if (image_ != nullptr)
            DesignImage_Close(image_);
    }

    uint32_t id(const std::string& tail) const {
        const bool top = tail.rfind("TriggerInput_", 0) == 0 || tail.rfind("Monitoring_", 0) == 0;
        const std::string name =
            (top ? "Device1_Process1_Trigger_" : "Device1_Process1_Trigger_TriggerCam0_") + tail;
        return DesignImage_GetRegisterId(image_, name.c_str());
    }
    void write(const std::string& tail, uint64_t value) {
        ASSERT_EQ(Board_WriteRegister(board_, id(tail), value), BOARD_OK) << tail;
    }
    uint64_t read(const std::string& tail) const {
        uint64_t value = 0;
        EXPECT_EQ(Board_ReadRegister(board_, id(tail), &value), BOARD_OK) << tail;
        return value;
    }

    void* image_ = nullptr;
    void* board_ = nullptr;
};

TEST_F(TriggerApiTest, InjectedLevelsShowInTheInputStatusRegister) {
    ASSERT_EQ(Board_SetTriggerInput(board_, 4, 1, 0), BOARD_OK);
    ASSERT_EQ(Board_SetTriggerInput(board_, 7, 1, 0), BOARD_OK);
    EXPECT_EQ(read("TriggerInput_InputStatus_Status"), 0x90u);
    ASSERT_EQ(Board_SetTriggerInput(board_, 4, 0, 0), BOARD_OK);
    EXPECT_EQ(read("TriggerInput_InputStatus_Status"), 0x80u);
}

TEST_F(TriggerApiTest, RefusesInputsBeyondTheEighthAndEmptyPulses) {
    EXPECT_EQ(Board_SetTriggerInput(board_, 8, 1, 0), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(Board_InjectTriggerPulse(board_, 0, 0, 0), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(Board_SetTriggerInput(nullptr, 0, 1, 0), BOARD_ERR_INVALID_HANDLE);
    EXPECT_EQ(Board_GetTriggerLines(nullptr, nullptr, nullptr), BOARD_ERR_INVALID_HANDLE);
}

TEST_F(TriggerApiTest, BypassOutputsFollowTheInjectedInput) {
    write("InputSelect_BypassSelect_Select", 5);
    write("CameraControl_Select2_Select_Select", 4); // input bypass
    write("TriggerOutput_Select6_Select_Select", 4); // not input bypass
    write("TriggerOutput_Select6_Polarity_Invert", 1);
    uint32_t cc = 0, outputs = 0;
    ASSERT_EQ(Board_GetTriggerLines(board_, &cc, &outputs), BOARD_OK);
    EXPECT_EQ(cc & 0x4, 0u);
    EXPECT_EQ(outputs & 0x40, 0x40u);
    ASSERT_EQ(Board_SetTriggerInput(board_, 5, 1, 0), BOARD_OK);
    ASSERT_EQ(Board_GetTriggerLines(board_, &cc, &outputs), BOARD_OK);
    EXPECT_EQ(cc & 0x4, 0x4u);
    EXPECT_EQ(outputs & 0x40, 0u);
}

TEST_F(TriggerApiTest, ASoftwarePulseMakesTheGeneratorBusyAtOnce) {
    // Software pulses through the queue path, queue off, as the applet starts software mode.
    write("Generators_ClearQueuePulse_Mode", 1);
    write("Generators_EnableQueue_Select", 1);
    write("Generators_Generator_MinimumPeriod_Number", 1000);
    write("PulseFormGenerators_Enable_Select", 1);
    write("Generators_ClearQueuePulse_Mode", 0);
    EXPECT_EQ(read("Generators_Generator_MaximumReached_Status"), 1u);
    write("TriggerMode_SoftwareTrigger_Mode", 2);
    EXPECT_EQ(read("Generators_Generator_MaximumReached_Status"), 0u);
    EXPECT_EQ(read("Generators_QueueValue_Status"), 0u);
    write("TriggerMode_SoftwareTrigger_Mode", 2); // lost: the queue is off
    EXPECT_EQ(read("Monitoring_ReadQueueStatus_Status"), 1u);
}

} // namespace
