// Where the information tree publishes a catalogue parameter: its group (and so its category
// path), display name, unit, access word and host attribute.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrel {

// The groups of fixed features, in publication order. The host sees the groups in this order and
// the features of one group in list-index order; a category is created just before the first
// feature that needs it, and roots are seen newest first. Some categories hold features of their
// own after their sub-categories (the output selectors of "Digital Output", the mode switches of
// "Trigger", the shading enables, the LUT type and files): their own group comes after them.
enum class TreeGroup : uint8_t {
    CameraLink,
    Roi,
    TriggerLegacy,
    TriggerInputExternal,
    TriggerInputSoftware,
    TriggerInputStatistics,
    TriggerSequencer,
    TriggerQueue,
    PulseFormGenerator0,
    PulseFormGenerator1,
    PulseFormGenerator2,
    PulseFormGenerator3,
    CcSignalMapping,
    DigitalOutputStatistics,
    DigitalOutput,
    OutputEvent,
    Trigger,
    Overflow,
    ImageSelector,
    AutoShadingCorrection,
    ShadingCorrection,
    NoiseFilter,
    LutAppletProperties,
    LookupTable,
    Processing,
    OutputFormat,
    CameraSimulator,
    Miscellaneous,
    Unpublished, // not a group: the parameter has no feature in the tree
};

inline constexpr std::size_t kTreeGroupCount = static_cast<std::size_t>(TreeGroup::Unpublished);

// Category path of each group, root first; unused levels are null.
inline constexpr std::array<std::array<const char*, 3>, kTreeGroupCount> kTreeGroupPaths{{
    {"Camera Link"},
    {"ROI"},
    {"Trigger", "Legacy"},
    {"Trigger", "Trigger Input", "External"},
    {"Trigger", "Trigger Input", "Software Trigger"},
    {"Trigger", "Trigger Input", "Statistics"},
    {"Trigger", "Sequencer"},
    {"Trigger", "Queue"},
    {"Trigger", "Pulse Form Generator 0"},
    {"Trigger", "Pulse Form Generator 1"},
    {"Trigger", "Pulse Form Generator 2"},
    {"Trigger", "Pulse Form Generator 3"},
    {"Trigger", "CC Signal Mapping"},
    {"Trigger", "Digital Output", "Statistics"},
    {"Trigger", "Digital Output"},
    {"Trigger", "Output Event"},
    {"Trigger"},
    {"Overflow"},
    {"Image Selector"},
    {"Shading Correction", "Auto Shading Correction"},
    {"Shading Correction"},
    {"Noise Filter"},
    {"Lookup Table", "Applet Properties"},
    {"Lookup Table"},
    {"Processing"},
    {"Output Format"},
    {"Camera Simulator"},
    {"Miscellaneous"},
}};

struct TreeColumns {
    TreeGroup group = TreeGroup::Unpublished;
    const char* displayName = nullptr;
    const char* unit = nullptr; // Latin-1; "" is published as an empty unit, not as none
    int32_t access = 0;         // the published access word
    int32_t hostAttribute = 0;

    constexpr bool published() const { return group != TreeGroup::Unpublished; }
    constexpr const std::array<const char*, 3>& categoryPath() const {
        return kTreeGroupPaths[static_cast<std::size_t>(group)];
    }
};

} // namespace kestrel
