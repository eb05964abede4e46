// A board carrying the Kestrel12 design whose trigger registers a test writes by their short
// names, with the trigger's events recorded instead of delivered.
#pragma once

#include "board.h"
#include "boardhw.h"
#include "design_image_reader.h"
#include "designrt.h"
#include "trigger/trigger_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel::boardhw::testing {

inline constexpr uint64_t kTick = 16;         // ns
inline constexpr uint64_t kOverheadTicks = 9; // the generator's period is its register + 9 ticks

struct RecordedEvent {
    std::string name; // without the common "Device1_Process1_Trigger_" prefix
    uint64_t atNs = 0;
    bool operator==(const RecordedEvent&) const = default;
};

class TriggerBoardTest : public ::testing::Test {
protected:
    void SetUp() override {
        void* image = DesignImage_OpenFile(KESTREL_DESIGN_IMAGE_PATH, 2626, 1);
        ASSERT_NE(image, nullptr);
        auto definitions = readRegisterTable(image);
        DesignImage_Close(image);
        ASSERT_TRUE(definitions.has_value());
        ASSERT_EQ(board.loadDesign(std::move(*definitions)), BOARD_OK);
        trigger().setEventSink([this](std::string_view name, uint64_t atNs) {
            constexpr std::string_view prefix = "Device1_Process1_Trigger_";
            if (name.substr(0, prefix.size()) == prefix)
                name.remove_prefix(prefix.size());
            events.push_back({std::string(name), atNs});
        });
    }

    TriggerSystem& trigger() { return board.trigger(); }

    // Register by the part of its name after "Device1_Process1_Trigger_TriggerCam0_", or after
    // "Device1_Process1_Trigger_" for the TriggerInput_ and Monitoring_ registers.
    uint32_t idOf(const std::string& tail) const {
        const bool top = tail.rfind("TriggerInput_", 0) == 0 || tail.rfind("Monitoring_", 0) == 0;
        const std::string name =
            (top ? "Device1_Process1_Trigger_" : "Device1_Process1_Trigger_TriggerCam0_") + tail;
        return board.registerId(name);
    }
    void write(const std::string& tail, uint64_t value) {
        const uint32_t id = idOf(tail);
        ASSERT_NE(id, 0u) << tail;
        ASSERT_EQ(board.write(id, value), BOARD_OK) << tail;
    }
    uint64_t read(const std::string& tail) const {
        uint64_t value = 0;
        EXPECT_EQ(board.read(idOf(tail), value), BOARD_OK) << tail;
        return value;
    }

    static std::string pfg(int n, const std::string& field) {
        return "PulseFormGenerators_PulseFormGenerator" + std::to_string(n) + "_" + field;
    }
    static std::string cc(int n, const std::string& field) {
        return "CameraControl_Select" + std::to_string(n) + "_" + field;
    }
    static std::string output(int n, const std::string& field) {
        return "TriggerOutput_Select" + std::to_string(n) + "_" + field;
    }

    // Camera-control output 0 on pulse-form generator 0 (optionally inverted), whose pulses start
    // `delayTicks` after the generator's and last `widthTicks`.
    void cameraOnPulseForm0(bool invert = false, uint64_t delayTicks = 0, uint64_t widthTicks = 10) {
        write(pfg(0, "Downscale_Downscale"), 1);
        write(pfg(0, "Downscale_SelectedPulse"), 1);
        write(pfg(0, "Delay_Delay"), delayTicks);
        write(pfg(0, "Width_Width"), widthTicks);
        write(cc(0, "Select_Select"), 0);
        write(cc(0, "Polarity_Invert"), invert ? 1 : 0);
    }

    // The register writes that start the generator: free-running (queue 0) or taking pulses from
    // software or the external input (queue 1), at a period of periodRegister + 9 ticks.
    void startGenerator(bool queue, uint64_t periodRegister) {
        write("Generators_ClearQueuePulse_Mode", 1);
        write("Generators_EnableQueue_Select", queue ? 1 : 0);
        write("Generators_Generator_MinimumPeriod_Number", periodRegister);
        write("PulseFormGenerators_Enable_Select", 1);
        write("Generators_ClearQueuePulse_Mode", 0);
    }
    void queueOn(uint32_t capacity = 2040) {
        write("Generators_Queue_QueueFullValue_Number", capacity);
        write("Generators_Queue_QueueEnabled_Select", 1);
    }
    void softwarePulses(int count) {
        for (int i = 0; i < count; ++i)
            write("TriggerMode_SoftwareTrigger_Mode", 2);
    }
    // Generator period in ns for a minimum-period register value.
    static uint64_t periodNs(uint64_t periodRegister) { return (periodRegister + kOverheadTicks) * kTick; }

    std::size_t eventsNamed(std::string_view suffix) const {
        return std::ranges::count_if(events,
                                     [&](const RecordedEvent& e) { return e.name.ends_with(suffix); });
    }

    Board board{0};
    std::vector<RecordedEvent> events;
};

} // namespace kestrel::boardhw::testing
