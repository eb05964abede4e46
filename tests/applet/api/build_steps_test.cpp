// The build steps of creation on the virtual board, with the applet object built in this process so
// that what creation leaves inside it (the per-port access values) can be read.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "api/applet_factory.h"
#include "api/fg_ds_wrapper_impl.h"
#include "boardhw.h"
#include "designrt.h"
#include "grabhost5.hpp"
#include "info/build_parameter_info.h"
#include "params/parameter_ids.h"

namespace kestrel {
namespace {

constexpr int32_t kBrokenRegister = -7777;

// An applet object made by the creation steps for board 0, some of whose registers refuse every
// write from before creation on; the host's handle goes back to the host first.
class AppletBuiltOnBoard {
public:
    explicit AppletBuiltOnBoard(const char* brokenRegister) : board_(gh5::Board::open(0)) {
        void* design = DesignImage_OpenFile(KESTREL_LIB_DIR "/Kestrel12.hap", 2626, 1);
        if (brokenRegister != nullptr)
            Board_FailRegisterWrites(board_.device(), DesignImage_GetRegisterId(design, brokenRegister),
                                     kBrokenRegister);
        xLengthId_ = DesignImage_GetRegisterId(design, "Device1_Process0_Buffer_0_DRAM_A_0_XLength");
        DesignImage_Close(design);
        applet_ = createApplet(board_.device(), error_, 0);
    }
    ~AppletBuiltOnBoard() {
        if (applet_ != nullptr)
            applet_->wrapperPrivate().hostFunctions().freeGrabber(applet_->wrapperPrivate().hostFgHandle());
    }
    AppletBuiltOnBoard(const AppletBuiltOnBoard&) = delete;
    AppletBuiltOnBoard& operator=(const AppletBuiltOnBoard&) = delete;

    int32_t error() const { return error_; }
    const FgDsWrapperImpl* applet() const { return applet_.get(); }
    std::optional<int32_t> access(int32_t id) const { return applet_->parameterProperties().access(0, id); }
    uint64_t bankXLength() const {
        uint64_t value = 0;
        Board_ReadRegister(board_.device(), xLengthId_, &value);
        return value;
    }

private:
    gh5::Board board_;
    uint32_t xLengthId_ = 0;
    int32_t error_ = 1;
    std::unique_ptr<FgDsWrapperImpl> applet_;
};

// The post-build settings end silently at their first failing step: the legacy trigger
// parameters are marked read-only (the last step) only when every step before succeeded, while
// creation succeeds and the initial hardware state (the ROI width on the DRAM bank) runs anyway.
TEST(PostBuildSettings, FirstFailingStepEndsThemAndCreationGoesOn) {
    struct Row {
        const char* brokenRegister;
        bool normalizationReadOnly; // step 1 done
        bool legacyReadOnly;        // step 6 done
    };
    const Row rows[] = {
        {nullptr, true, true},
        {"Device1_Process0_Shading_EnableGain_Default_Value", true, false},                        // step 2
        {"Device1_Process1_Trigger_TriggerCam0_CameraControl_Select0_Select_Select", true, false}, // step 3
        {"Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select7_Select_Select", true, false}, // step 3
        {"Device1_Process1_Trigger_TriggerCam0_Generators_ClearQueuePulse_Mode", true, false},     // step 4
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.brokenRegister != nullptr ? row.brokenRegister : "nothing broken");
        const AppletBuiltOnBoard built(row.brokenRegister);
        ASSERT_EQ(built.error(), 0);
        ASSERT_NE(built.applet(), nullptr);
        EXPECT_EQ(built.access(ids::FG_SHADING_GAIN_NORMALIZATION_VALUE) == 1, row.normalizationReadOnly);
        for (const int32_t id : legacyTriggerParameterIds())
            EXPECT_EQ(built.access(id) == 1, row.legacyReadOnly) << id;
        EXPECT_EQ(built.bankXLength(), 1024u);
    }
}

} // namespace
} // namespace kestrel
