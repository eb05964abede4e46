// The contract of every writable feature the applet publishes in its information tree, checked
// against the tree itself rather than against copies of it: published limits are accepted, one
// step beyond is refused and changes nothing, off-step values and values outside an enumeration
// are refused, the getter returns what was set, a failing register write at any position keeps the
// old value, and a saved configuration brings the value back on a fresh board.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "applet_on_board.h"
#include "board_write_log.h"
#include "boardhw.h"
#include "core/error_codes.h"
#include "grabhost5_host.h"
#include "params/parameter_ids.h"
#include "scratch_dir.h"

namespace kestrel::test {
namespace {

// A code no part of the system uses, so a failing write is told apart from a refusal.
constexpr int32_t kBrokenRegister = -7042;

// A feature as published: its id, kind and the limits the tree holds for it right now.
struct Feature {
    int32_t id;
    int32_t type;
    std::string name;
    bool legacy; // writable only while the legacy trigger interface is on
};

void collect(const Gh5ParameterInfoNode* node, std::vector<Feature>& out) {
    if (node->type == GH5_NODE_CATEGORY) {
        for (int32_t i = 0; i < node->kind.category.childCount; ++i)
            collect(node->kind.category.children[i], out);
        return;
    }
    // File names and the table block start file and table transfers of their own; their rules
    // live with the correction tests. Read-only features are not part of the writable contract; the
    // legacy trigger features are, while the legacy interface is on.
    const bool scalar =
        node->type == GH5_NODE_INTEGER || node->type == GH5_NODE_DOUBLE || node->type == GH5_NODE_ENUMERATION;
    // Sending software pulses is a command, not a setting (the software trigger tests own it).
    // Read-only features are published for display; their setters own their refusals.
    if (scalar && node->id != ids::FG_SENDSOFTWARETRIGGER && (node->access & 2) != 0)
        out.push_back({node->id, node->type, node->paramName, false});
}

std::vector<Feature> writableFeatures(const AppletOnBoard& applet) {
    std::vector<Feature> out;
    const auto* root =
        static_cast<const Gh5ParameterInfoNode*>(applet.exports().Fg_getParameterInfo(applet.fg(), 0));
    for (; root != nullptr; root = root->nextRoot)
        collect(root, out);
    return out;
}

// Cross-parameter rules a feature's published limits do not express: what must be set first so
// that the whole published range is reachable.
struct Prerequisite {
    int32_t feature;
    std::vector<std::pair<int32_t, double>> settings; // in order
};

using namespace kestrel::ids;
const Prerequisite kPrerequisites[] = {
    // The selected image must lie below the period.
    {FG_IMG_SELECT, {{FG_IMG_SELECT_PERIOD, 256}}},
    // A pulse must fit into the trigger period.
    {FG_TRIGGER_PULSEFORMGEN0_DELAY, {{FG_TRIGGER_FRAMESPERSECOND, 0.01455191522836685}}},
    {FG_TRIGGER_PULSEFORMGEN1_DELAY, {{FG_TRIGGER_FRAMESPERSECOND, 0.01455191522836685}}},
    {FG_TRIGGER_PULSEFORMGEN2_DELAY, {{FG_TRIGGER_FRAMESPERSECOND, 0.01455191522836685}}},
    {FG_TRIGGER_PULSEFORMGEN3_DELAY, {{FG_TRIGGER_FRAMESPERSECOND, 0.01455191522836685}}},
    {FG_TRIGGER_PULSEFORMGEN0_WIDTH, {{FG_TRIGGER_FRAMESPERSECOND, 0.01455191522836685}}},
    {FG_TRIGGER_PULSEFORMGEN1_WIDTH, {{FG_TRIGGER_FRAMESPERSECOND, 0.01455191522836685}}},
    {FG_TRIGGER_PULSEFORMGEN2_WIDTH, {{FG_TRIGGER_FRAMESPERSECOND, 0.01455191522836685}}},
    {FG_TRIGGER_PULSEFORMGEN3_WIDTH, {{FG_TRIGGER_FRAMESPERSECOND, 0.01455191522836685}}},
    // The shortest period still holds every pulse divided by its downscale.
    {FG_TRIGGER_FRAMESPERSECOND,
     {{FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE, 7},
      {FG_TRIGGER_PULSEFORMGEN0_WIDTH, 1},
      {FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE, 7},
      {FG_TRIGGER_PULSEFORMGEN1_WIDTH, 1},
      {FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE, 7},
      {FG_TRIGGER_PULSEFORMGEN2_WIDTH, 1},
      {FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE, 7},
      {FG_TRIGGER_PULSEFORMGEN3_WIDTH, 1}}},
};

// A value in the parameter's own representation: integers and enumerations as their 32-bit word,
// doubles as doubles.
struct Value {
    double real = 0;
    uint32_t word = 0;
};

class ParameterContract : public ScratchDirTest {
protected:
    void SetUp() override {
        ScratchDirTest::SetUp();
        fresh();
        features_ = writableFeatures(*applet_);
        ASSERT_FALSE(features_.empty());
        ASSERT_EQ(applet_->set<uint32_t>(FG_TRIGGER_LEGACY_MODE, 1), 0);
        for (Feature f : writableFeatures(*applet_))
            if (std::none_of(features_.begin(), features_.end(),
                             [&](const Feature& g) { return g.id == f.id; })) {
                f.legacy = true;
                features_.push_back(f);
            }
    }
    void TearDown() override {
        applet_.reset();
        ScratchDirTest::TearDown();
    }

    void fresh() {
        applet_.reset();
        applet_ = std::make_unique<AppletOnBoard>();
    }
    // A fresh applet with the feature's prerequisites set.
    void prepare(const Feature& f) {
        fresh();
        if (f.legacy) {
            ASSERT_EQ(applet_->set<uint32_t>(FG_TRIGGER_LEGACY_MODE, 1), 0);
        }
        for (const Prerequisite& p : kPrerequisites)
            if (p.feature == f.id)
                for (const auto& [id, value] : p.settings) {
                    const bool real = applet_->infoNode(id)->type == GH5_NODE_DOUBLE;
                    ASSERT_EQ(real ? applet_->set<double>(id, value)
                                   : applet_->set<uint32_t>(id, uint32_t(value)),
                              0)
                        << "prerequisite " << id;
                }
    }
    AppletOnBoard& applet() { return *applet_; }
    const Gh5ParameterInfoNode& node(const Feature& f) {
        const Gh5ParameterInfoNode* found = applet_->infoNode(f.id);
        EXPECT_NE(found, nullptr);
        return *found;
    }

    int32_t set(const Feature& f, Value v) {
        return f.type == GH5_NODE_DOUBLE ? applet_->set<double>(f.id, v.real)
                                         : applet_->set<uint32_t>(f.id, v.word);
    }
    Value get(const Feature& f) {
        Value v;
        if (f.type == GH5_NODE_DOUBLE)
            v.real = applet_->get<double>(f.id);
        else
            v.word = applet_->get<uint32_t>(f.id);
        return v;
    }
    void expectValue(const Feature& f, Value expected) {
        // Times are kept in board ticks: a double reads back within half a step.
        if (f.type == GH5_NODE_DOUBLE)
            EXPECT_NEAR(get(f).real, expected.real, node(f).kind.real.increment * 0.5000001);
        else
            EXPECT_EQ(get(f).word, expected.word);
    }
    void expectRefused(const Feature& f, Value v, int32_t code) {
        const Value before = get(f);
        EXPECT_EQ(set(f, v), code) << "value " << (f.type == GH5_NODE_DOUBLE ? v.real : v.word);
        EXPECT_EQ(applet_->lastError(), code);
        expectValue(f, before);
    }
    void expectAccepted(const Feature& f, Value v) {
        ASSERT_EQ(set(f, v), 0) << "value " << (f.type == GH5_NODE_DOUBLE ? v.real : v.word);
        expectValue(f, v);
    }

    // A value the feature accepts that differs from its current one.
    Value otherValue(const Feature& f) {
        const Gh5ParameterInfoNode& n = node(f);
        const Value now = get(f);
        if (f.type == GH5_NODE_ENUMERATION) {
            for (int32_t i = 0; i < n.kind.enumeration.entryCount; ++i)
                if (static_cast<uint32_t>(n.kind.enumeration.values[i]) != now.word)
                    return {0, static_cast<uint32_t>(n.kind.enumeration.values[i])};
            return now;
        }
        if (f.type == GH5_NODE_DOUBLE)
            return {now.real == n.kind.real.maximum ? n.kind.real.minimum : n.kind.real.maximum, 0};
        const auto max = static_cast<uint32_t>(n.kind.integer.maximum);
        return {0, now.word == max ? static_cast<uint32_t>(n.kind.integer.minimum) : max};
    }

    std::unique_ptr<AppletOnBoard> applet_;
    std::vector<Feature> features_;
};

TEST_F(ParameterContract, PublishedLimitsAreAcceptedAndOneStepBeyondIsRefused) {
    for (const Feature& f : features_) {
        if (f.type == GH5_NODE_ENUMERATION)
            continue;
        SCOPED_TRACE(f.name);
        prepare(f);
        const Gh5ParameterInfoNode& n = node(f);
        if (f.type == GH5_NODE_DOUBLE) {
            const double min = n.kind.real.minimum, max = n.kind.real.maximum, step = n.kind.real.increment;
            expectAccepted(f, {min, 0});
            expectAccepted(f, {node(f).kind.real.maximum, 0});
            const double above = max + step > max ? max + step : std::nextafter(max, HUGE_VAL);
            const double below = min - step < min ? min - step : std::nextafter(min, -HUGE_VAL);
            expectRefused(f, {above, 0}, kErrOutOfRange);
            expectRefused(f, {below, 0}, kErrOutOfRange);
            expectRefused(f, {std::nan(""), 0}, kErrOutOfRange);
            continue;
        }
        const auto min = static_cast<uint32_t>(n.kind.integer.minimum);
        const auto step = static_cast<uint32_t>(n.kind.integer.increment);
        expectAccepted(f, {0, min});
        const auto max = static_cast<uint32_t>(node(f).kind.integer.maximum);
        expectAccepted(f, {0, max});
        if (max <= std::numeric_limits<uint32_t>::max() - step)
            expectRefused(f, {0, max + step}, kErrOutOfRange);
        if (min >= step && step != 0)
            expectRefused(f, {0, min - step}, kErrOutOfRange);
        if (step > 1)
            expectRefused(f, {0, min + 1}, kErrNotAligned);
    }
}

TEST_F(ParameterContract, EveryEnumerationEntryIsAcceptedAndNoOtherValue) {
    for (const Feature& f : features_) {
        if (f.type != GH5_NODE_ENUMERATION)
            continue;
        SCOPED_TRACE(f.name);
        prepare(f);
        const Gh5ParameterInfoNode& n = node(f);
        std::set<uint32_t> entries;
        for (int32_t i = 0; i < n.kind.enumeration.entryCount; ++i) {
            entries.insert(static_cast<uint32_t>(n.kind.enumeration.values[i]));
            expectAccepted(f, {0, static_cast<uint32_t>(n.kind.enumeration.values[i])});
        }
        for (const uint32_t outside : {*entries.rbegin() + 1, std::numeric_limits<uint32_t>::max()})
            if (entries.count(outside) == 0)
                expectRefused(f, {0, outside}, kErrOutOfRange);
    }
}

TEST_F(ParameterContract, AFailingWriteAtAnyPositionKeepsTheOldValue) {
    for (const Feature& f : features_) {
        // Switching the legacy interface resets the trigger with errors ignored, by design.
        if (f.id == FG_TRIGGER_LEGACY_MODE)
            continue;
        SCOPED_TRACE(f.name);
        prepare(f);
        const Value old = get(f);
        const Value target = otherValue(f);
        BoardWriteLog::start();
        if (set(f, target) != 0) {
            ADD_FAILURE() << "not accepted: " << target.real << " " << target.word;
            continue;
        }
        std::vector<uint32_t> written;
        for (const BoardWrite& w : BoardWriteLog::stop())
            if (std::find(written.begin(), written.end(), w.id) == written.end())
                written.push_back(w.id);
        EXPECT_EQ(set(f, old), 0);
        for (const uint32_t id : written) {
            SCOPED_TRACE("register " + std::to_string(id));
            ASSERT_EQ(Board_FailRegisterWrites(applet().boardDevice(), id, kBrokenRegister), 0);
            EXPECT_EQ(set(f, target), kBrokenRegister);
            expectValue(f, old);
            ASSERT_EQ(Board_FailRegisterWrites(applet().boardDevice(), id, 0), 0);
        }
    }
}

TEST_F(ParameterContract, ASavedValueComesBackOnAFreshBoard) {
    const std::string file = path("contract.scf");
    for (const Feature& f : features_) {
        SCOPED_TRACE(f.name);
        prepare(f);
        const Value target = otherValue(f);
        EXPECT_EQ(set(f, target), 0);
        EXPECT_EQ(applet().exports().Fg_saveConfig(applet().fg(), file.c_str()), 0);
        fresh();
        EXPECT_EQ(applet().exports().Fg_loadConfig(applet().fg(), file.c_str()), 0);
        expectValue(f, target);
    }
}

} // namespace
} // namespace kestrel::test
