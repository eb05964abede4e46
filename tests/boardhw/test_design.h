// Design images for tests: the real Kestrel12 image, or a small one built from description lines.
#pragma once

#include "design_description.h"
#include "designrt.h"
#include "image_builder.h"

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

namespace kestrel::testing {

// A small design whose registers cover every kind and the widths the board must mask.
inline const char* const kSmallDesign = R"(design Small
image-bytes 8192
register 100101  2 rw value Device1_Process0_Camera_Format
register 100104 24 rw value Device1_Process0_Camera_FrameTimeout_Ticks
register 100201 13 rw value Device1_Process0_Buffer_0_DRAM_A_0_XLength
register 100202 13 rw value Device1_Process0_Buffer_0_DRAM_A_0_YLength
register 100203 13 rw value Device1_Process0_Buffer_0_DRAM_A_0_XOffset
register 100204 13 rw value Device1_Process0_Buffer_0_DRAM_A_0_YOffset
register 100205  7 ro value Device1_Process0_Buffer_0_DRAM_A_0_FillLevel
register 100501 16 rw file  Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile 0
register 100601 16 ro file  Device1_Process0_Shading_ShadingBuffer_1_CoefficientFile 0
register 100801  1 rw value Device1_Process0_OutputFormat_FG_FORMAT_SelectSource
register 100802  1 rw value Device1_Process0_OutputFormat_FG_BITALIGNMENT_Value
register 100901 12 rw table:4096 Device1_Process0_LookupTable_LookupTable_LUTcontent
register 101101  1 ro value Device1_Process0_Overflow_OverflowOccurred
register 101201 48 ro value Device1_Process0_Timestamp_Counter_Value
register 101202 48 rw value Device1_Process0_Timestamp_Preset_Value
register 110407 40 ro value Device1_Process1_Trigger_TriggerCam0_InputStatistics_TotalPulses_Status
register 110500 32 rw value Device1_Process1_Trigger_Wide
register 110501 64 rw value Device1_Process1_Trigger_Widest
register 120001  1 rw value AAGenEnable
register 120003 16 rw value AAGenWidth
)";

struct ImageCloser {
    void operator()(void* image) const { DesignImage_Close(image); }
};
using DesignImageHandle = std::unique_ptr<void, ImageCloser>;

// Builds and opens an image from description text; throws when it does not parse or open.
inline DesignImageHandle openDescribedDesign(const std::string& description) {
    std::istringstream in(description);
    const auto parsed = design::parseDescription(in, "test design");
    const auto bytes = design::buildDesignImage(parsed);
    void* image = DesignImage_OpenMemory(bytes.data(), bytes.size(), 1);
    if (image == nullptr)
        throw std::runtime_error("test design does not open");
    return DesignImageHandle(image);
}

inline DesignImageHandle openSmallDesign() {
    return openDescribedDesign(kSmallDesign);
}

} // namespace kestrel::testing
