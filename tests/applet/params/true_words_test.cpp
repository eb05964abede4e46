// The four true-words and the environment switches built on them.
#include "params/true_words.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrel {
namespace {

TEST(TrueWords, AcceptsTheFourWordsInAnyCase) {
    for (const char* word : {"yes", "true", "on", "1", "YES", "True", "oN", "TRUE", "On"})
        EXPECT_TRUE(isTrueWord(word)) << word;
}

TEST(TrueWords, RefusesEverythingElse) {
    for (const char* word : {"", "y", "enable", "enabled", "2", "off", "no", "0", " on", "on ", "onn",
                             "yes please", "true\n", "\xCF\x8En"})
        EXPECT_FALSE(isTrueWord(word)) << word;
}

class EnvironmentSwitch : public ::testing::Test {
protected:
    static constexpr const char* kVariable = "KESTREL_TEST_SWITCH";
    void TearDown() override { unsetenv(kVariable); }
};

TEST_F(EnvironmentSwitch, UnsetIsOff) {
    unsetenv(kVariable);
    EXPECT_FALSE(environmentSwitch(kVariable));
}

TEST_F(EnvironmentSwitch, EmptyValueIsOff) {
    setenv(kVariable, "", 1);
    EXPECT_FALSE(environmentSwitch(kVariable));
}

TEST_F(EnvironmentSwitch, MixedCaseWordIsOn) {
    setenv(kVariable, "On", 1);
    EXPECT_TRUE(environmentSwitch(kVariable));
    setenv(kVariable, "tRuE", 1);
    EXPECT_TRUE(environmentSwitch(kVariable));
}

TEST_F(EnvironmentSwitch, WordWithTrailingBlankOrLongerTextIsOff) {
    setenv(kVariable, "on ", 1);
    EXPECT_FALSE(environmentSwitch(kVariable));
    setenv(kVariable, "yesterday", 1);
    EXPECT_FALSE(environmentSwitch(kVariable));
}

} // namespace
} // namespace kestrel
