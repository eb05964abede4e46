// A new applet holds the initial value of every writable catalogue parameter, read back through
// the parameter's own getter.
#include "params/parameter_value_block.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>

#include "api/error_codes.h"
#include "api/fg_ds_wrapper_impl.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_handlers.h"
#include "params/parameter_ids.h"

namespace kestrel {
namespace {

// The getter's answer as a number (strings: compared by the caller).
double numberIn(ParameterType type, const std::array<unsigned char, 512>& buffer) {
    switch (type) {
    case ParameterType::UInt32: {
        uint32_t value;
        std::memcpy(&value, buffer.data(), sizeof value);
        return value;
    }
    case ParameterType::Int32: {
        int32_t value;
        std::memcpy(&value, buffer.data(), sizeof value);
        return value;
    }
    case ParameterType::Field: {
        LutField value;
        std::memcpy(&value, buffer.data(), sizeof value);
        return value.value;
    }
    default: {
        double value;
        std::memcpy(&value, buffer.data(), sizeof value);
        return value;
    }
    }
}

// Times whose getters read the board back (there is none here): their stored fields instead.
std::map<int32_t, double> storedTimes(const ParameterValueBlock& block) {
    using namespace ids;
    std::map<int32_t, double> times{{FG_TRIGGERIN_DEBOUNCE, block.triggerInDebounceUs}};
    const int32_t delays[] = {FG_TRIGGER_PULSEFORMGEN0_DELAY, FG_TRIGGER_PULSEFORMGEN1_DELAY,
                              FG_TRIGGER_PULSEFORMGEN2_DELAY, FG_TRIGGER_PULSEFORMGEN3_DELAY};
    const int32_t widths[] = {FG_TRIGGER_PULSEFORMGEN0_WIDTH, FG_TRIGGER_PULSEFORMGEN1_WIDTH,
                              FG_TRIGGER_PULSEFORMGEN2_WIDTH, FG_TRIGGER_PULSEFORMGEN3_WIDTH};
    for (std::size_t g = 0; g < 4; ++g) {
        times[delays[g]] = block.pulseFormGenerators[g].delayUs;
        times[widths[g]] = block.pulseFormGenerators[g].widthUs;
    }
    return times;
}

TEST(ParameterValueBlock, EveryWritableParameterStartsAtItsCatalogueDefault) {
    // Without a host nothing is built or written: the getters answer from the block as constructed.
    FgDsWrapperImpl applet;
    const ParameterHandlerTable& handlers = applet.parameterHandlers();
    const std::map<int32_t, double> times = storedTimes(applet.values());
    int writable = 0;
    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        if (row.readOnly())
            continue;
        ++writable;
        ASSERT_NE(handlers.entry(row).get, nullptr) << row.name;
        std::array<unsigned char, 512> buffer{}; // a LUT entry asks for index 0
        try {
            handlers.get(row, buffer.data());
        } catch (int32_t code) {
            EXPECT_EQ(code, kErrNotAvailable) << row.name;
            ASSERT_EQ(times.count(row.id), 1u) << row.name;
            EXPECT_EQ(times.at(row.id), row.defaultValue.number) << row.name;
            continue;
        }
        if (row.type == ParameterType::String)
            EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data()), row.defaultValue.text) << row.name;
        else
            EXPECT_EQ(numberIn(row.type, buffer), row.defaultValue.number) << row.name;
    }
    EXPECT_EQ(writable, 106);
}

TEST(ParameterValueBlock, LookupTableStartsAllZero) {
    const ParameterValueBlock block;
    EXPECT_EQ(block.lutValues.size(), kLutEntries);
    for (uint32_t v : block.lutValues)
        ASSERT_EQ(v, 0u);
}

} // namespace
} // namespace kestrel
