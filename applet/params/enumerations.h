// The enumeration entry tables: the values an enumerated parameter accepts, with the display
// and symbolic names the information tree and the register description publish.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace kestrel {

struct EnumerationEntry {
    const char* displayName; // Latin-1, shown to users
    int32_t value;
    const char* symbolicName; // the SDK's constant name, e.g. "FG_GRAY"
};

using EnumerationTable = std::span<const EnumerationEntry>;

// Entry order is publication order; setters accept exactly the values listed.
inline constexpr std::array<EnumerationEntry, 3> kCameraLinkFormatEntries{{
    {"Medium 8bit", 208, "FG_CL_MEDIUM_8_BIT"},
    {"Medium 10bit", 210, "FG_CL_MEDIUM_10_BIT"},
    {"Medium 12bit", 212, "FG_CL_MEDIUM_12_BIT"},
}};
inline constexpr std::array<EnumerationEntry, 2> kYesNoEntries{{
    {"Yes", 1, "FG_YES"},
    {"No", 0, "FG_NO"},
}};
inline constexpr std::array<EnumerationEntry, 4> kLegacyTriggerModeEntries{{
    {"Free Run", 0, "FREE_RUN"},
    {"Grabber controlled", 1, "GRABBER_CONTROLLED"},
    {"Async External Trigger", 2, "ASYNC_TRIGGER"},
    {"Async Software Trigger", 4, "ASYNC_SOFTWARE_TRIGGER"},
}};
inline constexpr std::array<EnumerationEntry, 2> kOnOffEntries{{
    {"On", 1, "FG_ON"},
    {"Off", 0, "FG_OFF"},
}};
inline constexpr std::array<EnumerationEntry, 2> kLegacyPolarityEntries{{
    {"Low Active", 0, "FG_LOW"},
    {"High Active", 1, "FG_HIGH"},
}};
inline constexpr std::array<EnumerationEntry, 6> kLegacyCcSelectEntries{{
    {"Exsync", 0, "CC_EXSYNC"},
    {"!Exsync", 6, "CC_NOT_EXSYNC"},
    {"Flash", 2, "CC_STROBEPULSE"},
    {"!Flash", 8, "CC_NOT_STROBEPULSE"},
    {"Gnd", 4, "CC_GND"},
    {"Vcc", 5, "CC_VCC"},
}};
inline constexpr std::array<EnumerationEntry, 8> kTriggerInSourceEntries{{
    {"Trigger Source 0", 0, "TRGINSRC_0"},
    {"Trigger Source 1", 1, "TRGINSRC_1"},
    {"Trigger Source 2", 2, "TRGINSRC_2"},
    {"Trigger Source 3", 3, "TRGINSRC_3"},
    {"Trigger Source 4", 4, "TRGINSRC_4"},
    {"Trigger Source 5", 5, "TRGINSRC_5"},
    {"Trigger Source 6", 6, "TRGINSRC_6"},
    {"Trigger Source 7", 7, "TRGINSRC_7"},
}};
inline constexpr std::array<EnumerationEntry, 2> kTriggerInPolarityEntries{{
    {"Low Active", 1, "LOW_ACTIVE"},
    {"High Active", 0, "HIGH_ACTIVE"},
}};
inline constexpr std::array<EnumerationEntry, 2> kSoftwareTriggerBusyEntries{{
    {"Busy Flag is set", 1, "IS_BUSY"},
    {"Busy Flag is not set", 0, "IS_NOT_BUSY"},
}};
inline constexpr std::array<EnumerationEntry, 1> kApplyEntries{{
    {"Apply", 1, "FG_APPLY"},
}};
inline constexpr std::array<EnumerationEntry, 12> kCcSelectEntries{{
    {"Pulse Generator 0", 0, "CC_PULSEGEN0"},
    {"Pulse Generator 1", 1, "CC_PULSEGEN1"},
    {"Pulse Generator 2", 2, "CC_PULSEGEN2"},
    {"Pulse Generator 3", 3, "CC_PULSEGEN3"},
    {"Gnd", 4, "CC_GND"},
    {"Vcc", 5, "CC_VCC"},
    {"Not Pulse Generator 0", 6, "CC_NOT_PULSEGEN0"},
    {"Not Pulse Generator 1", 7, "CC_NOT_PULSEGEN1"},
    {"Not Pulse Generator 2", 8, "CC_NOT_PULSEGEN2"},
    {"Not Pulse Generator 3", 9, "CC_NOT_PULSEGEN3"},
    {"Input Bypass", 10, "CC_INPUT_BYPASS"},
    {"Not Input Bypass", 11, "CC_NOT_INPUT_BYPASS"},
}};
inline constexpr std::array<EnumerationEntry, 4> kPulseGeneratorEntries{{
    {"Pulse Generator 0", 0, "PULSEGEN0"},
    {"Pulse Generator 1", 1, "PULSEGEN1"},
    {"Pulse Generator 2", 2, "PULSEGEN2"},
    {"Pulse Generator 3", 3, "PULSEGEN3"},
}};
inline constexpr std::array<EnumerationEntry, 12> kTriggerOutSelectEntries{{
    {"Pulse Generator 0", 0, "PULSEGEN0"},
    {"Pulse Generator 1", 1, "PULSEGEN1"},
    {"Pulse Generator 2", 2, "PULSEGEN2"},
    {"Pulse Generator 3", 3, "PULSEGEN3"},
    {"Gnd", 4, "GND"},
    {"Vcc", 5, "VCC"},
    {"Not Pulse Generator 0", 6, "NOT_PULSEGEN0"},
    {"Not Pulse Generator 1", 7, "NOT_PULSEGEN1"},
    {"Not Pulse Generator 2", 8, "NOT_PULSEGEN2"},
    {"Not Pulse Generator 3", 9, "NOT_PULSEGEN3"},
    {"Input Bypass", 10, "INPUT_BYPASS"},
    {"Not Input Bypass", 11, "NOT_INPUT_BYPASS"},
}};
inline constexpr std::array<EnumerationEntry, 3> kAreaTriggerModeEntries{{
    {"Generator", 1, "ATM_GENERATOR"},
    {"External", 2, "ATM_EXTERNAL"},
    {"Software", 4, "ATM_SOFTWARE"},
}};
inline constexpr std::array<EnumerationEntry, 3> kTriggerStateEntries{{
    {"Active", 0, "TS_ACTIVE"},
    {"Async Stop", 1, "TS_ASYNC_STOP"},
    {"Sync Stop", 2, "TS_SYNC_STOP"},
}};
inline constexpr std::array<EnumerationEntry, 4> kGainCorrectionModeEntries{{
    {"Maximum Value", 0, "FG_MAX_VALUE"},
    {"Mean Value", 1, "FG_MEAN_VALUE"},
    {"Maximum Range", 2, "FG_MAX_RANGE"},
    {"Custom Value", 3, "FG_CUSTOM_VALUE"},
}};
inline constexpr std::array<EnumerationEntry, 2> kLutImplementationEntries{{
    {"Full LUT", 0, "LUT_IMPLEMENTATION_FULL_LUT"},
    {"KneeLUT", 1, "LUT_IMPLEMENTATION_KNEELUT"},
}};
inline constexpr std::array<EnumerationEntry, 2> kLutTypeEntries{{
    {"Processor", 3, "LUT_TYPE_PROCESSING"},
    {"User file", 0, "LUT_TYPE_CUSTOM"},
}};
inline constexpr std::array<EnumerationEntry, 2> kOutputFormatEntries{{
    {"Gray 8bit", 3, "FG_GRAY"},
    {"Gray 16bit", 1, "FG_GRAY16"},
}};
inline constexpr std::array<EnumerationEntry, 2> kBitAlignmentEntries{{
    {"Left Aligned", 1, "FG_LEFT_ALIGNED"},
    {"Right Aligned", 0, "FG_RIGHT_ALIGNED"},
}};
inline constexpr std::array<EnumerationEntry, 2> kImageSourceEntries{{
    {"Camera", 0, "FG_CAMPORT"},
    {"Generator", 1, "FG_GENERATOR"},
}};

// True when value is one of the table's values.
constexpr bool enumerationContains(EnumerationTable table, int64_t value) {
    for (const auto& entry : table)
        if (entry.value == value)
            return true;
    return false;
}

// The entry with this symbolic name, or null.
constexpr const EnumerationEntry* findEntryBySymbol(EnumerationTable table, std::string_view symbol) {
    for (const auto& entry : table)
        if (symbol == entry.symbolicName)
            return &entry;
    return nullptr;
}

// The entry with this value, or null.
constexpr const EnumerationEntry* findEntryByValue(EnumerationTable table, int64_t value) {
    for (const auto& entry : table)
        if (entry.value == value)
            return &entry;
    return nullptr;
}

// The table of an enumerated catalogue parameter (read-only ones included, e.g.
// FG_SOFTWARETRIGGER_IS_BUSY), or an empty table for every other identifier.
EnumerationTable enumerationOf(int32_t parameterId);

} // namespace kestrel
