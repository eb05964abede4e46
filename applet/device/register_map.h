// The design registers the host publishes by name, resolved once to host ids, and the typed
// accessors every parameter handler writes and reads them with.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "include/kestrel12.h"

namespace kestrel {

class HostBinding;

// Every host-published register, in the order the map resolves them. One row per register:
// X(enumerator, design name).
#define KESTREL_HOST_REGISTERS(X)                                                                            \
    X(LookupTableLookupTableLUTcontent, "Device1_Process0_LookupTable_LookupTable_LUTcontent")               \
    X(ShadingEnableGainDefaultValue, "Device1_Process0_Shading_EnableGain_Default_Value")                    \
    X(ShadingShadingBuffer0CoefficientFile0, "Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile 0")   \
    X(ShadingShadingBuffer0LoadCoefficients, "Device1_Process0_Shading_ShadingBuffer_0_LoadCoefficients")    \
    X(ShadingShadingBuffer1CoefficientFile0, "Device1_Process0_Shading_ShadingBuffer_1_CoefficientFile 0")   \
    X(ShadingShadingBuffer1LoadCoefficients, "Device1_Process0_Shading_ShadingBuffer_1_LoadCoefficients")    \
    X(TriggerCam0CameraControlSelect0SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_CameraControl_Select0_Select_Select")                            \
    X(TriggerCam0CameraControlSelect1SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_CameraControl_Select1_Select_Select")                            \
    X(TriggerCam0CameraControlSelect2SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_CameraControl_Select2_Select_Select")                            \
    X(TriggerCam0CameraControlSelect3SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_CameraControl_Select3_Select_Select")                            \
    X(TriggerCam0TriggerOutputSelect0SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select0_Select_Select")                            \
    X(TriggerCam0TriggerOutputSelect1SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select1_Select_Select")                            \
    X(TriggerCam0TriggerOutputSelect2SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select2_Select_Select")                            \
    X(TriggerCam0TriggerOutputSelect3SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select3_Select_Select")                            \
    X(TriggerCam0TriggerOutputSelect4SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select4_Select_Select")                            \
    X(TriggerCam0TriggerOutputSelect5SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select5_Select_Select")                            \
    X(TriggerCam0TriggerOutputSelect6SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select6_Select_Select")                            \
    X(TriggerCam0TriggerOutputSelect7SelectSelect,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select7_Select_Select")                            \
    X(TriggerCam0TriggerModeSelectExternalSelect,                                                            \
      "Device1_Process1_Trigger_TriggerCam0_TriggerMode_SelectExternal_Select")                              \
    X(TriggerCam0PulseFormGeneratorsEnableSelect,                                                            \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_Enable_Select")                              \
    X(MonitoringCheckForMissingFrameCam0ResetMissingMode,                                                    \
      "Device1_Process1_Trigger_Monitoring_CheckForMissingFrame_Cam0_ResetMissing_Mode")                     \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator0ClearDownscaleMode,                                   \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator0_ClearDownscale_Mode")    \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator1ClearDownscaleMode,                                   \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator1_ClearDownscale_Mode")    \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator2ClearDownscaleMode,                                   \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator2_ClearDownscale_Mode")    \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator3ClearDownscaleMode,                                   \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator3_ClearDownscale_Mode")    \
    X(TriggerCam0GeneratorsClearQueuePulseMode,                                                              \
      "Device1_Process1_Trigger_TriggerCam0_Generators_ClearQueuePulse_Mode")                                \
    X(TriggerCam0GeneratorsEnableQueueSelect,                                                                \
      "Device1_Process1_Trigger_TriggerCam0_Generators_EnableQueue_Select")                                  \
    X(TriggerCam0DownscaleClearMode, "Device1_Process1_Trigger_TriggerCam0_Downscale_Clear_Mode")            \
    X(TriggerCam0GeneratorsClearDownscaleMode,                                                               \
      "Device1_Process1_Trigger_TriggerCam0_Generators_ClearDownscale_Mode")                                 \
    X(CameraFormat, "Device1_Process0_Camera_Format")                                                        \
    X(CameraUseDval, "Device1_Process0_Camera_UseDval")                                                      \
    X(Buffer0DRAMA0XLength, "Device1_Process0_Buffer_0_DRAM_A_0_XLength")                                    \
    X(Buffer0DRAMA1XLength, "Device1_Process0_Buffer_0_DRAM_A_1_XLength")                                    \
    X(ShadingShadingBuffer0XLength, "Device1_Process0_Shading_ShadingBuffer_0_XLength")                      \
    X(ShadingShadingBuffer0UpdateROI, "Device1_Process0_Shading_ShadingBuffer_0_UpdateROI")                  \
    X(ShadingShadingBuffer1XLength, "Device1_Process0_Shading_ShadingBuffer_1_XLength")                      \
    X(ShadingShadingBuffer1UpdateROI, "Device1_Process0_Shading_ShadingBuffer_1_UpdateROI")                  \
    X(Buffer0DRAMA0YLength, "Device1_Process0_Buffer_0_DRAM_A_0_YLength")                                    \
    X(Buffer0DRAMA1YLength, "Device1_Process0_Buffer_0_DRAM_A_1_YLength")                                    \
    X(ShadingShadingBuffer0YLength, "Device1_Process0_Shading_ShadingBuffer_0_YLength")                      \
    X(ShadingShadingBuffer1YLength, "Device1_Process0_Shading_ShadingBuffer_1_YLength")                      \
    X(Buffer0DRAMA0XOffset, "Device1_Process0_Buffer_0_DRAM_A_0_XOffset")                                    \
    X(Buffer0DRAMA1XOffset, "Device1_Process0_Buffer_0_DRAM_A_1_XOffset")                                    \
    X(ShadingShadingBuffer0XOffset, "Device1_Process0_Shading_ShadingBuffer_0_XOffset")                      \
    X(ShadingShadingBuffer1XOffset, "Device1_Process0_Shading_ShadingBuffer_1_XOffset")                      \
    X(Buffer0DRAMA0YOffset, "Device1_Process0_Buffer_0_DRAM_A_0_YOffset")                                    \
    X(Buffer0DRAMA1YOffset, "Device1_Process0_Buffer_0_DRAM_A_1_YOffset")                                    \
    X(ShadingShadingBuffer0YOffset, "Device1_Process0_Shading_ShadingBuffer_0_YOffset")                      \
    X(ShadingShadingBuffer1YOffset, "Device1_Process0_Shading_ShadingBuffer_1_YOffset")                      \
    X(OverflowOverflowOccurred, "Device1_Process0_Overflow_OverflowOccurred")                                \
    X(Buffer0DRAMA0FillLevel, "Device1_Process0_Buffer_0_DRAM_A_0_FillLevel")                                \
    X(Buffer0DRAMA1FillLevel, "Device1_Process0_Buffer_0_DRAM_A_1_FillLevel")                                \
    X(OutputFormatFGFORMATSelectSource, "Device1_Process0_OutputFormat_FG_FORMAT_SelectSource")              \
    X(OutputFormatFGBITALIGNMENTValue, "Device1_Process0_OutputFormat_FG_BITALIGNMENT_Value")                \
    X(ImageSelectorFGIMGSELECTPERIODDivisor, "Device1_Process0_ImageSelector_FG_IMG_SELECT_PERIOD_Divisor")  \
    X(ImageSelectorFGIMGSELECTPHASENumber, "Device1_Process0_ImageSelector_FG_IMG_SELECT_PHASE_Number")      \
    X(NoiseFilterSelectValue, "Device1_Process0_NoiseFilter_Select_Value")                                   \
    X(ShadingEnableOffsetEnableValue, "Device1_Process0_Shading_EnableOffset_Enable_Value")                  \
    X(ShadingEnableGainEnableValue, "Device1_Process0_Shading_EnableGain_Enable_Value")                      \
    X(NoiseFilterEnableDeadPixelReplacementValue,                                                            \
      "Device1_Process0_NoiseFilter_EnableDeadPixelReplacement_Value")                                       \
    X(TriggerCam0GeneratorsGeneratorMinimumPeriodNumber,                                                     \
      "Device1_Process1_Trigger_TriggerCam0_Generators_Generator_MinimumPeriod_Number")                      \
    X(MonitoringReadQueueStatusStatus, "Device1_Process1_Trigger_Monitoring_ReadQueueStatus_Status")         \
    X(MonitoringClearOverrideCam0Mode, "Device1_Process1_Trigger_Monitoring_ClearOverrideCam0_Mode")         \
    X(TriggerInputDebounce8PrescalePeriod,                                                                   \
      "Device1_Process1_Trigger_TriggerInput_Debounce8_Prescale_Period")                                     \
    X(TriggerInputInputStatusStatus, "Device1_Process1_Trigger_TriggerInput_InputStatus_Status")             \
    X(TriggerCam0InputSelectSelectSelect, "Device1_Process1_Trigger_TriggerCam0_InputSelect_Select_Select")  \
    X(TriggerCam0InputSelectPolarityInvert,                                                                  \
      "Device1_Process1_Trigger_TriggerCam0_InputSelect_Polarity_Invert")                                    \
    X(TriggerCam0DownscaleDownscaleDownscale,                                                                \
      "Device1_Process1_Trigger_TriggerCam0_Downscale_Downscale_Downscale")                                  \
    X(TriggerCam0DownscaleDownscaleSelectedPulse,                                                            \
      "Device1_Process1_Trigger_TriggerCam0_Downscale_Downscale_SelectedPulse")                              \
    X(TriggerCam0InputSelectBypassSelectSelect,                                                              \
      "Device1_Process1_Trigger_TriggerCam0_InputSelect_BypassSelect_Select")                                \
    X(TriggerCam0TriggerModeSoftwareTriggerMode,                                                             \
      "Device1_Process1_Trigger_TriggerCam0_TriggerMode_SoftwareTrigger_Mode")                               \
    X(TriggerCam0GeneratorsGeneratorMaximumReachedStatus,                                                    \
      "Device1_Process1_Trigger_TriggerCam0_Generators_Generator_MaximumReached_Status")                     \
    X(TriggerCam0GeneratorsQueueValueStatus,                                                                 \
      "Device1_Process1_Trigger_TriggerCam0_Generators_QueueValue_Status")                                   \
    X(TriggerCam0InputStatisticsReadPulsesStatus,                                                            \
      "Device1_Process1_Trigger_TriggerCam0_InputStatistics_ReadPulses_Status")                              \
    X(TriggerCam0InputStatisticsClearPulsesMode,                                                             \
      "Device1_Process1_Trigger_TriggerCam0_InputStatistics_ClearPulses_Mode")                               \
    X(TriggerCam0InputStatisticsReadPeriodStatus,                                                            \
      "Device1_Process1_Trigger_TriggerCam0_InputStatistics_ReadPeriod_Status")                              \
    X(TriggerCam0InputStatisticsReadMaxStatus,                                                               \
      "Device1_Process1_Trigger_TriggerCam0_InputStatistics_ReadMax_Status")                                 \
    X(TriggerCam0InputStatisticsReadMinStatus,                                                               \
      "Device1_Process1_Trigger_TriggerCam0_InputStatistics_ReadMin_Status")                                 \
    X(TriggerCam0InputStatisticsClearMinMaxValue,                                                            \
      "Device1_Process1_Trigger_TriggerCam0_InputStatistics_ClearMinMax_Value")                              \
    X(TriggerCam0GeneratorsSequenceDownscale,                                                                \
      "Device1_Process1_Trigger_TriggerCam0_Generators_Sequence_Downscale")                                  \
    X(TriggerCam0GeneratorsSequenceSelectedPulse,                                                            \
      "Device1_Process1_Trigger_TriggerCam0_Generators_Sequence_SelectedPulse")                              \
    X(TriggerCam0GeneratorsQueueQueueFullValueNumber,                                                        \
      "Device1_Process1_Trigger_TriggerCam0_Generators_Queue_QueueFullValue_Number")                         \
    X(TriggerCam0GeneratorsQueueQueueEnabledSelect,                                                          \
      "Device1_Process1_Trigger_TriggerCam0_Generators_Queue_QueueEnabled_Select")                           \
    X(TriggerCam0HysteresisOnLevelNumber, "Device1_Process1_Trigger_TriggerCam0_Hysteresis_OnLevel_Number")  \
    X(TriggerCam0HysteresisOffLevelNumber,                                                                   \
      "Device1_Process1_Trigger_TriggerCam0_Hysteresis_OffLevel_Number")                                     \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator0DownscaleDownscale,                                   \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator0_Downscale_Downscale")    \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator0DownscaleSelectedPulse,                               \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator0_Downscale_"              \
      "SelectedPulse")                                                                                       \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator0DelayDelay,                                           \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator0_Delay_Delay")            \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator0WidthWidth,                                           \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator0_Width_Width")            \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator1DownscaleDownscale,                                   \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator1_Downscale_Downscale")    \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator1DownscaleSelectedPulse,                               \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator1_Downscale_"              \
      "SelectedPulse")                                                                                       \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator1DelayDelay,                                           \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator1_Delay_Delay")            \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator1WidthWidth,                                           \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator1_Width_Width")            \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator2DownscaleDownscale,                                   \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator2_Downscale_Downscale")    \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator2DownscaleSelectedPulse,                               \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator2_Downscale_"              \
      "SelectedPulse")                                                                                       \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator2DelayDelay,                                           \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator2_Delay_Delay")            \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator2WidthWidth,                                           \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator2_Width_Width")            \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator3DownscaleDownscale,                                   \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator3_Downscale_Downscale")    \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator3DownscaleSelectedPulse,                               \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator3_Downscale_"              \
      "SelectedPulse")                                                                                       \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator3DelayDelay,                                           \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator3_Delay_Delay")            \
    X(TriggerCam0PulseFormGeneratorsPulseFormGenerator3WidthWidth,                                           \
      "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator3_Width_Width")            \
    X(TriggerCam0CameraControlSelect0PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_CameraControl_Select0_Polarity_Invert")                          \
    X(TriggerCam0CameraControlSelect1PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_CameraControl_Select1_Polarity_Invert")                          \
    X(TriggerCam0CameraControlSelect2PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_CameraControl_Select2_Polarity_Invert")                          \
    X(TriggerCam0CameraControlSelect3PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_CameraControl_Select3_Polarity_Invert")                          \
    X(TriggerCam0TriggerOutputSelect0PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select0_Polarity_Invert")                          \
    X(TriggerCam0TriggerOutputSelect1PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select1_Polarity_Invert")                          \
    X(TriggerCam0TriggerOutputSelect2PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select2_Polarity_Invert")                          \
    X(TriggerCam0TriggerOutputSelect3PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select3_Polarity_Invert")                          \
    X(TriggerCam0TriggerOutputSelect4PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select4_Polarity_Invert")                          \
    X(TriggerCam0TriggerOutputSelect5PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select5_Polarity_Invert")                          \
    X(TriggerCam0TriggerOutputSelect6PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select6_Polarity_Invert")                          \
    X(TriggerCam0TriggerOutputSelect7PolarityInvert,                                                         \
      "Device1_Process1_Trigger_TriggerCam0_TriggerOutput_Select7_Polarity_Invert")                          \
    X(TriggerCam0OutputStatisticsSelectSelect,                                                               \
      "Device1_Process1_Trigger_TriggerCam0_OutputStatistics_Select_Select")                                 \
    X(TriggerCam0OutputStatisticsReadPulsesStatus,                                                           \
      "Device1_Process1_Trigger_TriggerCam0_OutputStatistics_ReadPulses_Status")                             \
    X(TriggerCam0OutputStatisticsClearPulsesMode,                                                            \
      "Device1_Process1_Trigger_TriggerCam0_OutputStatistics_ClearPulses_Mode")                              \
    X(MonitoringClearMissingFrameCam0Mode,                                                                   \
      "Device1_Process1_Trigger_Monitoring_ClearMissingFrame_Cam0_Mode")                                     \
    X(TriggerCam0OutputEventSelectSelect, "Device1_Process1_Trigger_TriggerCam0_OutputEvent_Select_Select")

enum class HostRegister : std::size_t {
#define KESTREL_HOST_REGISTER_ENUM(id, name) id,
    KESTREL_HOST_REGISTERS(KESTREL_HOST_REGISTER_ENUM)
#undef KESTREL_HOST_REGISTER_ENUM
};

#define KESTREL_HOST_REGISTER_COUNT_ONE(id, name) +1
inline constexpr std::size_t kHostRegisterCount = 0 KESTREL_HOST_REGISTERS(KESTREL_HOST_REGISTER_COUNT_ONE);
#undef KESTREL_HOST_REGISTER_COUNT_ONE
static_assert(kHostRegisterCount == 118, "the design publishes 118 registers to the host");

// Design name of a host-published register, exactly as the host knows it.
const char* hostRegisterName(HostRegister reg);

// Type codes of the host's typed register access.
inline constexpr int32_t kRegisterTypeValue = KESTREL12_TYPE_UINT32;
inline constexpr int32_t kRegisterTypeFileName = KESTREL12_TYPE_STRING;
inline constexpr int32_t kRegisterTypeLutTable = KESTREL12_TYPE_LUT_TABLE;
inline constexpr int32_t kRegisterTypeLutEntry = KESTREL12_TYPE_LUT_ENTRY;

// Host ids of the 118 registers. Ids stay 0 until resolve(); a name the host does not know keeps
// whatever id the host answered, and accesses through it then fail with the host's own code.
class RegisterMap {
public:
    void resolve(const HostBinding& host);
    int32_t id(HostRegister reg) const { return ids_[static_cast<std::size_t>(reg)]; }

    // Typed host write and read on DMA index 0. A null value raises kErrInvalidArgument and a
    // non-zero host result raises that result, both only when `reportErrors` is set; otherwise
    // they are ignored (and a null value calls nothing).
    void write(const HostBinding& host, HostRegister reg, const void* value, int32_t type,
               bool reportErrors) const;
    void read(const HostBinding& host, HostRegister reg, void* value, int32_t type, bool reportErrors) const;

    // The common case: one 32-bit register value (type 2). The value lives on the caller's stack
    // for the duration of the host call only.
    void writeValue(const HostBinding& host, HostRegister reg, uint32_t value, bool reportErrors) const {
        write(host, reg, &value, kRegisterTypeValue, reportErrors);
    }
    // Reads one 32-bit register value (type 2); raises the host's code when it fails.
    uint32_t readValue(const HostBinding& host, HostRegister reg) const {
        uint32_t value = 0;
        read(host, reg, &value, kRegisterTypeValue, true);
        return value;
    }

private:
    std::array<int32_t, kHostRegisterCount> ids_{};
};

} // namespace kestrel
