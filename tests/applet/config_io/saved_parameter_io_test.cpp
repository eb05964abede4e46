// Writing the saved parameters and loading them back in the stage and apply passes, against a
// handler table that only records its calls.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "config/config_file_parser.h"
#include "config/saved_parameter_io.h"
#include "config/saved_parameters.h"
#include "config_text_edits.h"
#include "core/error_codes.h"
#include "params/parameter_handlers.h"
#include "params/parameter_ids.h"
#include "params/parameter_value_block.h"
#include "scratch_dir.h"

namespace kestrel {
namespace {

using namespace ids;

struct SetterCall {
    int32_t id;
    std::string value; // %u, %d, %.17g or the text itself
    bool reportErrors;
};

// Setters that record what they are given and getters that answer what the test says, one slot
// per saved id; `raising` makes both of an id raise its code.
class RecordingHandlers {
public:
    RecordingHandlers() {
        for (const SavedParameter& parameter : savedParameters())
            bind(parameter.id, parameter.type);
        bind(FG_SHADING_APPLY_SETTINGS, ParameterType::Int32);
    }
    RecordingHandlers(const RecordingHandlers&) = delete;
    RecordingHandlers& operator=(const RecordingHandlers&) = delete;

    ParameterHandlerTable table;
    std::vector<SetterCall> calls;
    std::map<int32_t, double> answers;
    std::map<int32_t, int32_t> raising;

    std::vector<int32_t> calledIds() const {
        std::vector<int32_t> ids;
        for (const SetterCall& call : calls)
            ids.push_back(call.id);
        return ids;
    }

private:
    struct Slot {
        RecordingHandlers* owner;
        int32_t id;

        template <class T> void set(T value, bool reportErrors) {
            if constexpr (std::is_same_v<T, double>) {
                char text[40];
                std::snprintf(text, sizeof text, "%.17g", value);
                owner->record(id, text, reportErrors);
            } else if constexpr (std::is_same_v<T, const char*>) {
                owner->record(id, value, reportErrors);
            } else {
                owner->record(id, std::to_string(value), reportErrors);
            }
        }
        template <class T> void get(void* value) {
            if (const auto found = owner->raising.find(id); found != owner->raising.end())
                throw found->second;
            const auto found = owner->answers.find(id);
            const T v = static_cast<T>(found == owner->answers.end() ? 0.0 : found->second);
            std::memcpy(value, &v, sizeof v);
        }
    };

    void bind(int32_t id, ParameterType type) {
        Slot& slot = slots_.emplace_back(Slot{this, id});
        switch (type) {
        case ParameterType::UInt32:
            table.bindSetter<&Slot::set<uint32_t>>(id, slot);
            table.bindGetter<&Slot::get<uint32_t>>(id, slot);
            break;
        case ParameterType::Int32:
            table.bindSetter<&Slot::set<int32_t>>(id, slot);
            table.bindGetter<&Slot::get<int32_t>>(id, slot);
            break;
        case ParameterType::Double:
            table.bindSetter<&Slot::set<double>>(id, slot);
            table.bindGetter<&Slot::get<double>>(id, slot);
            break;
        default:
            table.bindSetter<&Slot::set<const char*>>(id, slot);
            break;
        }
    }
    void record(int32_t id, std::string value, bool reportErrors) {
        calls.push_back(SetterCall{id, std::move(value), reportErrors});
        if (const auto found = raising.find(id); found != raising.end())
            throw found->second;
    }

    std::deque<Slot> slots_; // stable addresses for the table
};

// A value block that differs from a new applet's in every group of saved fields.
ParameterValueBlock changedValues() {
    ParameterValueBlock v;
    v.timeoutSeconds = 4294967295u; // written as -1
    v.widthPixels = 512;
    v.generatorFrequencyMHz = 33.25;
    v.generatorTaps = {2, 2, 1, 1};
    v.lutType = 0;
    v.lutCustomFile = "/luts/custom.txt";
    v.processingGamma = 2.2;
    v.areaTriggerMode = 2;
    v.triggerState = 0;
    v.pulseFormGenerators[0].delayUs = 0.1;
    v.triggerOutSelects[7] = 9;
    v.triggerLegacyMode = 1;
    v.legacyDigitalOutput = 1;
    return v;
}

class SavedParameterIo : public test::ScratchDirTest {
protected:
    std::string savedText(ParameterValueBlock values, const RecordingHandlers& getters) {
        const std::string file = path("saved.scf");
        Fg_ConfigFileParser parser(nullptr, nullptr, false);
        EXPECT_TRUE(parser.setSaveFile(file.c_str()));
        writeSavedParameters(parser, values, getters.table);
        return readFile(file);
    }
    std::string savedText(ParameterValueBlock values) { return savedText(values, RecordingHandlers()); }
    bool load(const std::string& text) {
        Fg_ConfigFileParser parser(nullptr, writeFile("load.scf", text).c_str(), true);
        return readSavedParameters(parser, loaded, handlers.table);
    }
    // The legacy mode first, then the other applied keys in file order, then the shading apply.
    static std::vector<int32_t> appliedInOrder() {
        std::vector<int32_t> ids{FG_TRIGGER_LEGACY_MODE};
        for (const SavedParameter& p : savedParameters())
            if (p.applied && p.id != FG_TRIGGER_LEGACY_MODE)
                ids.push_back(p.id);
        ids.push_back(FG_SHADING_APPLY_SETTINGS);
        return ids;
    }

    ParameterValueBlock loaded;
    RecordingHandlers handlers;
};

TEST_F(SavedParameterIo, LoadStagesTheFieldsThenAppliesTheKeysInOrder) {
    const ParameterValueBlock saved = changedValues();
    ASSERT_TRUE(load(savedText(saved)));
    EXPECT_EQ(loaded.timeoutSeconds, 4294967295u);
    EXPECT_EQ(loaded.widthPixels, 512u);
    EXPECT_EQ(loaded.generatorFrequencyMHz, 33.25);
    EXPECT_EQ(loaded.generatorTaps, saved.generatorTaps);
    EXPECT_EQ(loaded.lutCustomFile, "/luts/custom.txt");
    EXPECT_EQ(loaded.pulseFormGenerators[0].delayUs, 0.1);
    EXPECT_EQ(loaded.triggerLegacyMode, 1);
    // Only their setters may change these two: the recording ones do not.
    EXPECT_EQ(loaded.areaTriggerMode, 1u);
    EXPECT_EQ(loaded.triggerState, 2u);

    EXPECT_EQ(handlers.calledIds(), appliedInOrder());
    std::map<int32_t, std::string> values;
    for (const SetterCall& call : handlers.calls) {
        EXPECT_FALSE(call.reportErrors) << call.id;
        values[call.id] = call.value;
    }
    EXPECT_EQ(values[FG_TIMEOUT], "4294967295");
    EXPECT_EQ(values[FG_AREATRIGGERMODE], "2");
    EXPECT_EQ(values[FG_TRIGGERSTATE], "0");
    EXPECT_EQ(values[FG_GEN_FREQ], "33.25");
    EXPECT_EQ(values[FG_TRIGGER_PULSEFORMGEN0_DELAY], "0.10000000000000001");
    EXPECT_EQ(values[FG_SHADING_APPLY_SETTINGS], "1");
}

// A missing key ends the load where it stands: what was staged or applied before it stays.
TEST_F(SavedParameterIo, AMissingKeyEndsTheLoadAtItsPass) {
    const std::string text = savedText(changedValues());
    ASSERT_FALSE(load(test::withoutKey(text, "FG_GEN_FREQ")));
    EXPECT_TRUE(handlers.calls.empty());
    EXPECT_EQ(loaded.widthPixels, 512u);           // staged before the missing key
    EXPECT_EQ(loaded.generatorFrequencyMHz, 40.0); // the missing key itself
    EXPECT_EQ(loaded.lutCustomFile, "");           // staged after it: never reached

    loaded = ParameterValueBlock{};
    ASSERT_FALSE(load(test::withoutKey(text, "FG_TRIGGER_LEGACY_MODE")));
    EXPECT_TRUE(handlers.calls.empty());
    EXPECT_EQ(loaded.legacyDigitalOutput, 3u);  // the stage pass stopped at the legacy mode
    EXPECT_EQ(loaded.triggerOutSelects[7], 9u); // but staged everything before it

    // The stage pass does not read the trigger mode, so only the apply pass stops.
    ASSERT_FALSE(load(test::withoutKey(text, "FG_AREATRIGGERMODE")));
    EXPECT_EQ(loaded.legacyDigitalOutput, 1u);
    std::vector<int32_t> expected = appliedInOrder();
    expected.erase(std::find(expected.begin(), expected.end(), FG_AREATRIGGERMODE), expected.end());
    EXPECT_EQ(handlers.calledIds(), expected);
}

} // namespace
} // namespace kestrel
