// The four true-words and the environment switches built on them.
#include "params/true_words.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

namespace kestrel {
namespace {

// {word, true-word}: the four words in any case and nothing else, not even with a blank.
const std::pair<const char*, bool> kWords[] = {
    {"yes", true},         {"true", true},    {"on", true},         {"1", true},         {"YES", true},
    {"True", true},        {"oN", true},      {"TRUE", true},       {"On", true},        {"", false},
    {"y", false},          {"enable", false}, {"enabled", false},   {"2", false},        {"off", false},
    {"no", false},         {"0", false},      {" on", false},       {"on ", false},      {"onn", false},
    {"yes please", false}, {"true\n", false}, {"\xCF\x8En", false}, {"yesterday", false}};

TEST(TrueWords, AreTheFourWordsInAnyCaseAndNothingElse) {
    for (const auto& [word, expected] : kWords)
        EXPECT_EQ(isTrueWord(word), expected) << '"' << word << '"';
}

TEST(EnvironmentSwitch, IsOnExactlyForATrueWordAndOffWhenUnset) {
    constexpr const char* kVariable = "KESTREL_TEST_SWITCH";
    unsetenv(kVariable);
    EXPECT_FALSE(environmentSwitch(kVariable));
    for (const auto& [word, expected] : kWords) {
        setenv(kVariable, word, 1);
        EXPECT_EQ(environmentSwitch(kVariable), expected) << '"' << word << '"';
    }
    unsetenv(kVariable);
}

} // namespace
} // namespace kestrel
