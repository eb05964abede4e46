// Writing the saved parameters and loading them back in the stage and apply passes, against a
// handler table that only records its calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "api/error_codes.h"
#include "config/config_file_parser.h"
#include "config/saved_parameter_io.h"
#include "config/saved_parameters.h"
#include "config_text_edits.h"
#include "params/parameter_value_block.h"
#include "recording_handlers.h"
#include "scratch_dir.h"

namespace kestrel {
namespace {

using namespace ids;
using test::RecordingHandlers;

// A value block that differs from a new applet's in every saved field.
ParameterValueBlock changedValues() {
    ParameterValueBlock v;
    v.timeoutSeconds = 77;
    v.widthPixels = 512;
    v.heightLines = 300;
    v.generatorFrequencyMHz = 33.25;
    v.generatorTaps = {2, 2, 1, 1};
    v.lutType = 0;
    v.lutCustomFile = "/luts/custom.txt";
    v.processingOffset = -0.5;
    v.processingGamma = 2.2;
    v.shadingBlackFile = "black.tif";
    v.shadingGrayFile = "gray.tif";
    v.shadingGainNormalizationValue = 1234.5;
    v.areaTriggerMode = 2;
    v.triggerState = 0;
    v.triggerInPolarity = 1;
    v.pulseFormGenerators[0].delayUs = 0.1;
    v.pulseFormGenerators[3].widthUs = 12.75;
    v.triggerOutSelects[7] = 9;
    v.triggerLegacyMode = 1;
    v.legacyExsyncDelayUs = 3.5;
    v.legacyDigitalOutput = 1;
    return v;
}

class SavedParameterIo : public test::ScratchDirTest {
protected:
    std::string save(ParameterValueBlock& values, RecordingHandlers& handlers) {
        const std::string file = path("saved.scf");
        Fg_ConfigFileParser parser(nullptr, nullptr, false);
        EXPECT_TRUE(parser.setSaveFile(file.c_str()));
        writeSavedParameters(parser, values, handlers.table());
        return file;
    }
    std::string savedText(ParameterValueBlock values) {
        RecordingHandlers handlers;
        handlers.answer(FG_TRIGGER_FRAMESPERSECOND, values.triggerFramesPerSecondHz);
        handlers.answer(FG_TRIGGERIN_DEBOUNCE, values.triggerInDebounceUs);
        return readFile(save(values, handlers));
    }
    bool load(const std::string& text, ParameterValueBlock& values, RecordingHandlers& handlers) {
        const std::string file = writeFile("load.scf", text);
        Fg_ConfigFileParser parser(nullptr, file.c_str(), true);
        return readSavedParameters(parser, values, handlers.table());
    }

    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> result;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            result.push_back(line);
        return result;
    }
    static std::vector<int32_t> appliedInOrder() {
        std::vector<int32_t> ids{FG_TRIGGER_LEGACY_MODE};
        for (const SavedParameter& p : savedParameters())
            if (p.applied && p.id != FG_TRIGGER_LEGACY_MODE)
                ids.push_back(p.id);
        ids.push_back(FG_SHADING_APPLY_SETTINGS);
        return ids;
    }
};

// ---- writing ----

TEST_F(SavedParameterIo, WritesTheComputedValuesFromTheirGettersNotTheFields) {
    ParameterValueBlock values;
    values.triggerFramesPerSecondHz = 8.0;
    values.triggerInDebounceUs = 1.0;
    RecordingHandlers handlers;
    handlers.answer(FG_TRIGGER_FRAMESPERSECOND, 7.96);
    handlers.answer(FG_TRIGGERIN_DEBOUNCE, 0.96);
    const std::string text = readFile(save(values, handlers));
    EXPECT_NE(text.find("\nFG_TRIGGER_FRAMESPERSECOND=7.96;\n"), std::string::npos);
    EXPECT_NE(text.find("\nFG_TRIGGERIN_DEBOUNCE=0.96;\n"), std::string::npos);
}

TEST_F(SavedParameterIo, AComputedValueThatCannotBeHadLeavesOnlyItsKeyOut) {
    ParameterValueBlock values;
    RecordingHandlers handlers;
    handlers.raiseOn(FG_TRIGGER_FRAMESPERSECOND, kErrInvalidArgument);
    const std::string text = readFile(save(values, handlers));
    EXPECT_EQ(text.find("FG_TRIGGER_FRAMESPERSECOND"), std::string::npos);
    EXPECT_NE(text.find("\nFG_TRIGGERSTATE=2;\nFG_TRIGGERIN_DEBOUNCE=0;\nFG_TRIGGERIN_SRC=0;\n"),
              std::string::npos);
    EXPECT_EQ(lines(text).size(), 2u + 96u);
}

// ---- loading ----

TEST_F(SavedParameterIo, LoadStagesEveryStagedFieldAndRestoresTheSavedBlock) {
    const ParameterValueBlock saved = changedValues();
    const std::string text = savedText(saved);
    ParameterValueBlock values;
    RecordingHandlers handlers;
    ASSERT_TRUE(load(text, values, handlers));

    EXPECT_EQ(values.timeoutSeconds, 77u);
    EXPECT_EQ(values.widthPixels, 512u);
    EXPECT_EQ(values.generatorFrequencyMHz, 33.25);
    EXPECT_EQ(values.generatorTaps, saved.generatorTaps);
    EXPECT_EQ(values.lutCustomFile, "/luts/custom.txt");
    EXPECT_EQ(values.processingGamma, 2.2);
    EXPECT_EQ(values.shadingBlackFile, "black.tif");
    EXPECT_EQ(values.shadingGainNormalizationValue, 1234.5);
    EXPECT_EQ(values.pulseFormGenerators[0].delayUs, 0.1);
    EXPECT_EQ(values.pulseFormGenerators[3].widthUs, 12.75);
    EXPECT_EQ(values.triggerLegacyMode, 1);
    EXPECT_EQ(values.legacyExsyncDelayUs, 3.5);
    // Only their setters may change these two: the recording ones do not.
    EXPECT_EQ(values.areaTriggerMode, 1u);
    EXPECT_EQ(values.triggerState, 2u);
}

TEST_F(SavedParameterIo, ApplyPassCallsTheLegacyModeFirstThenTheAppliedKeysThenTheShadingApply) {
    ParameterValueBlock values;
    RecordingHandlers handlers;
    ASSERT_TRUE(load(savedText(changedValues()), values, handlers));
    EXPECT_EQ(handlers.calledIds(), appliedInOrder());
    EXPECT_EQ(handlers.calls().size(), 86u + 1u);
    for (const test::SetterCall& call : handlers.calls())
        EXPECT_FALSE(call.reportErrors) << call.id;
    EXPECT_EQ(handlers.calls().back().value, "1");
}

TEST_F(SavedParameterIo, ApplyPassHandsEachSetterTheValueReadFromTheFile) {
    ParameterValueBlock values;
    RecordingHandlers handlers;
    ASSERT_TRUE(load(savedText(changedValues()), values, handlers));
    const auto valueOf = [&](int32_t id) {
        for (const test::SetterCall& call : handlers.calls())
            if (call.id == id)
                return call.value;
        return std::string("(not called)");
    };
    EXPECT_EQ(valueOf(FG_WIDTH), "512");
    EXPECT_EQ(valueOf(FG_AREATRIGGERMODE), "2");
    EXPECT_EQ(valueOf(FG_TRIGGERSTATE), "0");
    EXPECT_EQ(valueOf(FG_TRIGGERIN_POLARITY), "1");
    EXPECT_EQ(valueOf(FG_GEN_FREQ), "33.25");
    EXPECT_EQ(valueOf(FG_TRIGGER_PULSEFORMGEN0_DELAY), "0.10000000000000001");
    EXPECT_EQ(valueOf(FG_LUT_TYPE), "0");
    EXPECT_EQ(valueOf(FG_LUT_CUSTOM_FILE), "(not called)");
}

TEST_F(SavedParameterIo, MinusOneReadsBackAsTheLargestUnsignedValue) {
    ParameterValueBlock saved;
    saved.timeoutSeconds = 4294967295u;
    ParameterValueBlock values;
    RecordingHandlers handlers;
    ASSERT_TRUE(load(savedText(saved), values, handlers));
    EXPECT_EQ(values.timeoutSeconds, 4294967295u);
    EXPECT_EQ(handlers.calls()[1].id, FG_TIMEOUT);
    EXPECT_EQ(handlers.calls()[1].value, "4294967295");
}

TEST_F(SavedParameterIo, AKeyMissingInTheStagePassStopsBeforeAnySetterAndKeepsWhatWasStaged) {
    const std::string text = test::withoutKey(savedText(changedValues()), "FG_GEN_FREQ");
    ParameterValueBlock values;
    RecordingHandlers handlers;
    EXPECT_FALSE(load(text, values, handlers));
    EXPECT_TRUE(handlers.calls().empty());
    EXPECT_EQ(values.widthPixels, 512u);           // staged before the missing key
    EXPECT_EQ(values.generatorFrequencyMHz, 40.0); // the missing key itself
    EXPECT_EQ(values.generatorTaps[0], 1);         // staged after it: never reached
    EXPECT_EQ(values.lutCustomFile, "");
}

TEST_F(SavedParameterIo, AKeyMissingInTheApplyPassKeepsTheSettersAppliedBeforeIt) {
    const std::string text = test::withoutKey(savedText(changedValues()), "FG_AREATRIGGERMODE");
    ParameterValueBlock values;
    RecordingHandlers handlers;
    EXPECT_FALSE(load(text, values, handlers));
    // The stage pass does not read the key, so it completes.
    EXPECT_EQ(values.legacyDigitalOutput, 1u);
    std::vector<int32_t> expected = appliedInOrder();
    expected.erase(std::find(expected.begin(), expected.end(), FG_AREATRIGGERMODE), expected.end());
    EXPECT_EQ(handlers.calledIds(), expected);
}

TEST_F(SavedParameterIo, AMissingLegacyModeStopsTheApplyPassBeforeAnySetter) {
    const std::string text = test::withoutKey(savedText(changedValues()), "FG_TRIGGER_LEGACY_MODE");
    ParameterValueBlock values;
    RecordingHandlers handlers;
    EXPECT_FALSE(load(text, values, handlers));
    EXPECT_TRUE(handlers.calls().empty());
    EXPECT_EQ(values.legacyDigitalOutput, 3u);  // the stage pass stopped at the legacy mode
    EXPECT_EQ(values.triggerOutSelects[7], 9u); // but staged everything before it
}

TEST_F(SavedParameterIo, ACodeRaisedOutsideASettersGuardEndsTheLoad) {
    ParameterValueBlock values;
    RecordingHandlers handlers;
    handlers.raiseOn(FG_WIDTH, kErrInvalidArgument);
    EXPECT_FALSE(load(savedText(changedValues()), values, handlers));
    const std::vector<int32_t> called = handlers.calledIds();
    ASSERT_FALSE(called.empty());
    EXPECT_EQ(called.back(), FG_WIDTH);
}

TEST_F(SavedParameterIo, ANonNumericValueReadsAsZero) {
    const std::string text = test::withValue(savedText(changedValues()), "FG_HEIGHT", "abc");
    ParameterValueBlock values;
    RecordingHandlers handlers;
    EXPECT_TRUE(load(text, values, handlers));
    EXPECT_EQ(values.heightLines, 0u);
}

TEST_F(SavedParameterIo, KeysAreReadFromPortAWhateverOrderTheyHave) {
    std::vector<std::string> all = lines(savedText(changedValues()));
    std::reverse(all.begin() + 2, all.end());
    std::string text;
    for (const std::string& line : all)
        text += line + "\n";
    ParameterValueBlock values;
    RecordingHandlers handlers;
    ASSERT_TRUE(load(text, values, handlers));
    EXPECT_EQ(values.widthPixels, 512u);
    EXPECT_EQ(handlers.calledIds(), appliedInOrder());
}

TEST_F(SavedParameterIo, AFileWithoutAPortSectionLoadsNothing) {
    ParameterValueBlock values;
    RecordingHandlers handlers;
    EXPECT_FALSE(load("[Kamerasektion]\nFG_TIMEOUT=5;\n", values, handlers));
    EXPECT_EQ(values.timeoutSeconds, 1000000u);
    EXPECT_TRUE(handlers.calls().empty());
}

} // namespace
} // namespace kestrel
