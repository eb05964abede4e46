// LUT files: the writer's exact text, the reader's key and index lookups, and hostile files.
#include "correction/lut_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <string>

#include "core/error_codes.h"
#include "scratch_dir.h"
#include "test_system.h"

namespace kestrel {
namespace {

class LutFile : public kestrel::test::ScratchDirTest {
protected:
    // Reads a file of the given content; the record starts as the applet presets it.
    LutRecord read(const std::string& content, int32_t expectedResult = kOk) {
        LutRecord record;
        record.id = 3;
        record.nrOfElements = 4096;
        EXPECT_EQ(readLutFile(writeFile("table.lut", content).c_str(), record), expectedResult);
        return record;
    }

    static LutRecord identity(uint32_t entries) {
        LutRecord record;
        record.id = 3;
        record.nrOfElements = entries;
        record.values.resize(entries);
        std::iota(record.values.begin(), record.values.end(), 0u);
        return record;
    }
};

using Values = std::vector<uint32_t>;

TEST_F(LutFile, ValuesAboveInt32MaxAreWrittenSignedAndReadBackWithTheSameBits) {
    LutRecord record = identity(2);
    record.values = {0xFFFFFFFFu, 0x80000000u};
    record.id = 0xFFFFFFFEu;
    const std::string file = path("signed.lut");
    ASSERT_EQ(writeLutFile(file.c_str(), record), kOk);
    const std::string text = readFile(file);
    EXPECT_NE(text.find(test::nativeLineEnds("id=-2;\n")), std::string::npos);
    EXPECT_NE(text.find(test::nativeLineEnds("0,-1;\n1,-2147483648;\n")), std::string::npos);
    LutRecord back;
    ASSERT_EQ(readLutFile(file.c_str(), back), kOk);
    EXPECT_EQ(back.values, record.values);
    EXPECT_EQ(back.id, record.id);
}

TEST_F(LutFile, WriterRefusesARecordShorterThanItsCountAndCreatesNothing) {
    LutRecord record = identity(4);
    record.nrOfElements = 5;
    const std::string file = path("short.lut");
    EXPECT_EQ(writeLutFile(file.c_str(), record), kErrInvalidArgument);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(LutFile, FilesThatCannotBeOpenedGiveMinusOneAndDropOldValues) {
    EXPECT_EQ(writeLutFile(path("missing-dir/x.lut").c_str(), identity(1)), kErrGeneric);
    EXPECT_EQ(writeLutFile(nullptr, identity(1)), kErrGeneric);
    LutRecord record = identity(4);
    EXPECT_EQ(readLutFile(path("absent.lut").c_str(), record), kErrGeneric);
    EXPECT_TRUE(record.values.empty());
    EXPECT_EQ(readLutFile(nullptr, record), kErrGeneric);
}

// Keys are read from the first line holding their name; missing ones read as zero.
TEST_F(LutFile, KeysAreReadFromTheFirstLineHoldingTheirName) {
    LutRecord record = read("[gray]\nnrOfElements=1;\n0,5;\n");
    EXPECT_EQ(record.id + record.format + record.number, 0u);
    record = read("# id='12' first\nid=3;\nnrOfElements=0;\nnumber=300;\nformat = 7\n");
    EXPECT_EQ(record.id, 12u);
    EXPECT_EQ(record.number, static_cast<uint8_t>(300));
    EXPECT_EQ(record.format, 7u);
}

// The values each file yields and the reader's result.
TEST_F(LutFile, ReadsValuesByIndexFromTheGraySection) {
    const std::string largest = std::to_string(kLutFileMaxElements);
    Values largestValues(kLutFileMaxElements, 0);
    largestValues[0] = 1;
    const struct {
        std::string content;
        Values values;
        int32_t result = kOk;
    } rows[] = {
        {"", {}},
        {"[gray]\nid=3;\n0,5;\n1,6;\n", {}},
        {"[gray]\nnrOfElements=5;\n0,10;\n1,11;\n2,12;\n3,13;\n4,14;\n", {10, 11, 12, 13, 14}},
        {"[gray]\nnrOfElements=3;\n0,5;\n2,7;\n", {5, 0, 0}},
        // The line of index 11 holds the text "1," and so serves as the entry for index 1.
        {"[gray]\nnrOfElements=2;\n0,5;\n11,9;\n", {5, 9}},
        {"0,99;\nnrOfElements=2;\n[gray]\n0,1;\n1,2;\n", {1, 2}},
        {"nrOfElements=2;\n0,1;\n1,2;\n", {0, 0}},
        {"# Lut data file v1.1\r\n\r\n[gray]\r\n\r\nnrOfElements=2;\r\n0,3;\r\n1,4;\r\n", {3, 4}},
        {"[gray]\nnrOfElements=5;\n0,abc;\n1,-3;\n2, 7x;\n3,,8;\n4,\n", {0, 0xFFFFFFFDu, 7, 8, 0}},
        // 300 blanks and then "0,5;": the second piece of the line holds the entry.
        {"[gray]\nnrOfElements=1;\n" + std::string(300, ' ') + "0,5;\n", {5}},
        {"[gray]\nnrOfElements=" + largest + ";\n0,1;\n", largestValues},
        // Refused without allocating.
        {"[gray]\nnrOfElements=2000000000;\n0,1;\n", {}, kErrOutOfRange},
    };
    for (const auto& row : rows) {
        const LutRecord record = read(row.content, row.result);
        EXPECT_EQ(record.values, row.values) << row.content.substr(0, 60);
        if (row.result == kOk) {
            EXPECT_EQ(record.nrOfElements, row.values.size()) << row.content.substr(0, 60);
        }
    }
}

} // namespace
} // namespace kestrel
