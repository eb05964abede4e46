// Configuration files keep '.' as decimal point under a locale that uses ',', and leave the
// process's locale as it was.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "comma_locale.h"
#include "config/config_file_parser.h"
#include "scratch_dir.h"

namespace kestrel {
namespace {

using test::decimalPointIsComma;

// LC_NUMERIC of a comma-decimal locale; "C" again afterwards.
class CommaLocaleTest : public test::ScratchDirTest {
protected:
    void SetUp() override {
        test::ScratchDirTest::SetUp();
        if (!test::useCommaLocale(LC_NUMERIC))
            GTEST_SKIP() << "no locale with ',' as decimal point can be had";
    }
    void TearDown() override {
        std::setlocale(LC_NUMERIC, "C");
        test::ScratchDirTest::TearDown();
    }
};

TEST_F(CommaLocaleTest, DoublesAreWrittenWithADecimalPoint) {
    const std::string file = path("comma.scf");
    {
        Fg_ConfigFileParser parser(nullptr, nullptr, false);
        ASSERT_TRUE(parser.setSaveFile(file.c_str()));
        parser.wrtiteConfigFileDoubleKey("FG_TRIGGER_PULSEFORMGEN0_DELAY", 0.1);
        parser.wrtiteConfigFileDoubleKey("FG_GEN_FREQ", 1234.5678);
    }
    EXPECT_EQ(readFile(file), "FG_TRIGGER_PULSEFORMGEN0_DELAY=0.1;\nFG_GEN_FREQ=1234.5678;\n");
    EXPECT_TRUE(decimalPointIsComma());
}

// A comma is no decimal point in these files, whatever the locale says.
TEST_F(CommaLocaleTest, DoublesWithADecimalPointReadInFull) {
    Fg_ConfigFileParser parser(nullptr, writeFile("point.scf", "[Port A]\nA=0.25;\nB=1,5;\n").c_str(), true);
    double a = 0;
    double b = 0;
    EXPECT_EQ(parser.parseDoubleKey(0, "A", a), 0);
    EXPECT_EQ(parser.parseDoubleKey(0, "B", b), 0);
    EXPECT_EQ(a, 0.25);
    EXPECT_EQ(b, 1.0);
    EXPECT_TRUE(decimalPointIsComma());
}

} // namespace
} // namespace kestrel
