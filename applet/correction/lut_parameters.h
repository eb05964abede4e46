// The lookup table's parameters: its type, single entries, custom and save files and the four
// processing settings, and the transfers of the table to the design.
#pragma once

#include <cstddef>
#include <cstdint>

#include "correction/lut_processing.h"
#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

// Type values of FG_LUT_TYPE.
inline constexpr int32_t kLutTypeCustom = 0;
inline constexpr int32_t kLutTypeProcessing = 3;

// The value block of a whole-table transfer: format word 2, the entry count, then the entries.
struct LutTableBlock {
    uint64_t format = 2;
    uint32_t count = static_cast<uint32_t>(kLutEntries);
    uint32_t reserved = 0;
    const uint32_t* entries = nullptr;
};
static_assert(sizeof(LutTableBlock) == 24);
static_assert(offsetof(LutTableBlock, count) == 8 && offsetof(LutTableBlock, entries) == 16);

// Works on the table and settings in the value block. Every setter stores its value back when a
// later step fails, and raises only with reportErrors; the table itself may already hold what a
// failed load read or computed.
class LutParameters {
public:
    explicit LutParameters(AppletContext& context) : context_(context) {}
    LutParameters(const LutParameters&) = delete;
    LutParameters& operator=(const LutParameters&) = delete;

    void bind(ParameterHandlerTable& table);

    // Processing or custom; then load, then switch the dependent access words.
    void setLutType(int32_t value, bool reportErrors);
    // One entry (value 0..4095, index 0..4095), transferred alone.
    void setLutValue(LutField value, bool reportErrors);
    void getLutValue(void* value);
    void setCustomFile(const char* value, bool reportErrors);
    // A non-empty name writes the current table to that file.
    void setSaveFile(const char* value, bool reportErrors);
    void setProcessingOffset(double value, bool reportErrors);
    void setProcessingGain(double value, bool reportErrors);
    void setProcessingGamma(double value, bool reportErrors);
    void setProcessingInvert(int32_t value, bool reportErrors);
    void getImplementationType(void* value);
    void getInOutBits(void* value);

private:
    // Processing mode: the table from the settings, transferred whole; custom mode: nothing.
    void recompute();
    // Processing mode: recompute; custom mode with a file name: the file's values, transferred.
    void load();
    void loadCustomFile();
    void transferTable();
    void transferEntry(uint32_t index);
    void applyTypeAccess();
    template <class T> void storeThenRecompute(T& field, T value, bool reportErrors);

    AppletContext& context_;
};

} // namespace kestrel
