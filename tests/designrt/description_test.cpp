// The readable design description: what the build tool accepts, what it refuses, what it writes.
#include "image_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel::designrt::test {
namespace {

const std::string kHead = "design D\nimage-bytes 4096\n";

// The message of the refusal, which must name the line.
std::string refusal(const std::string& text) {
    try {
        parseText(text);
    } catch (const design::DescriptionError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(DesignDescription, ReadsRegistersWithKindsAccessAndBlankInName) {
    const auto d = parseText(kHead + "# comment\n\n"
                                     "register 7 12 rw table:4096 Lut_Content\n"
                                     "register 8  16 ro  file   Buffer_File 0  \n"
                                     "register 9 64 rw value Wide\r\n");
    ASSERT_EQ(d.registers.size(), 3u);
    EXPECT_EQ(d.registers[0].kind, format::RegisterKind::Table);
    EXPECT_EQ(d.registers[0].depth, 4096u);
    EXPECT_TRUE(d.registers[0].writable);
    EXPECT_EQ(d.registers[1].name, "Buffer_File 0");
    EXPECT_EQ(d.registers[1].kind, format::RegisterKind::File);
    EXPECT_FALSE(d.registers[1].writable);
    EXPECT_EQ(d.registers[2].widthBits, 64u);
    EXPECT_EQ(d.registers[2].name, "Wide");
}

TEST(DesignDescription, ReadsEventsInOrder) {
    const auto d = parseText(kHead + "event 1 A\nevent 0 B\nevent -3 C\n");
    ASSERT_EQ(d.events.size(), 3u);
    EXPECT_EQ(d.events[0].name, "A");
    EXPECT_EQ(d.events[2].kind, -3);
}

TEST(DesignDescription, RefusalNamesSourceAndLine) {
    EXPECT_EQ(refusal(kHead + "register 1 8 rw value A\nregister 1 8 rw value B\n"),
              "test.design:4: register id 1 is used twice");
}

TEST(DesignDescription, RefusesDuplicateNames) {
    EXPECT_NE(refusal(kHead + "register 1 8 rw value A\nregister 2 8 rw value A\n").find("used twice"),
              std::string::npos);
    EXPECT_NE(refusal(kHead + "event 1 E\nevent 0 E\n").find("used twice"), std::string::npos);
}

TEST(DesignDescription, RefusesHostParameterIds) {
    for (uint32_t id : design::kHostReservedIds)
        EXPECT_NE(refusal(kHead + "register " + std::to_string(id) + " 8 rw value A\n").find("host"),
                  std::string::npos)
            << id;
}

TEST(DesignDescription, RefusesIdsOutsideTheDirectAccessRange) {
    EXPECT_NE(refusal(kHead + "register 0 8 rw value A\n").find("outside"), std::string::npos);
    EXPECT_NE(refusal(kHead + "register 1000000 8 rw value A\n").find("outside"), std::string::npos);
    EXPECT_EQ(refusal(kHead + "register 999999 8 rw value A\n"), "accepted");
}

TEST(DesignDescription, RefusesWidthsOutsideOneToSixtyFour) {
    EXPECT_NE(refusal(kHead + "register 1 0 rw value A\n"), "accepted");
    EXPECT_NE(refusal(kHead + "register 1 65 rw value A\n"), "accepted");
}

TEST(DesignDescription, RefusesMalformedLines) {
    for (const char* line :
         {"register 1 8 wr value A", "register 1 8 rw number A", "register 1 8 rw table:0 A",
          "register 1 8 rw table: A", "register 1 8 rw value", "register x 8 rw value A",
          "register 1 8 rw value A  B", "register 1 8 rw value A\tB", "registers 1 8 rw value A",
          "event one A", "image-bytes 4096 extra"})
        EXPECT_NE(refusal(kHead + line + "\n"), "accepted") << line;
}

TEST(DesignDescription, RefusesNamesLongerThan255Bytes) {
    EXPECT_EQ(refusal(kHead + "register 1 8 rw value " + std::string(255, 'n') + "\n"), "accepted");
    EXPECT_NE(refusal(kHead + "register 1 8 rw value " + std::string(256, 'n') + "\n"), "accepted");
}

TEST(DesignDescription, RefusesMoreEventsThanMaskBits) {
    std::string text = kHead;
    for (int i = 0; i < 64; ++i)
        text += "event 1 E" + std::to_string(i) + "\n";
    EXPECT_EQ(refusal(text), "accepted");
    EXPECT_NE(refusal(text + "event 1 E64\n").find("64 events"), std::string::npos);
}

TEST(DesignDescription, RequiresDesignNameAndImageLengthOnce) {
    EXPECT_NE(refusal("image-bytes 4096\n").find("design"), std::string::npos);
    EXPECT_NE(refusal("design D\n").find("image-bytes"), std::string::npos);
    EXPECT_NE(refusal(kHead + "design E\n").find("second"), std::string::npos);
    EXPECT_NE(refusal("design D\nimage-bytes 10\n"), "accepted");
}

TEST(DesignImageBuilder, WritesExactlyTheRecordedLength) {
    EXPECT_EQ(design::buildDesignImage(parseText("design D\nimage-bytes 2113379\n")).size(), 2113379u);
    EXPECT_EQ(design::buildDesignImage(parseText("design D\nimage-bytes 100\n")).size(), 100u);
}

TEST(DesignImageBuilder, RefusesTablesLargerThanTheImage) {
    EXPECT_THROW(design::buildDesignImage(parseText("design D\nimage-bytes 80\nregister 1 1 rw value A\n")),
                 design::DescriptionError);
}

TEST(DesignImageBuilder, RefusesImagesBeyondTheReaderLimit) {
    auto d = parseText("design D\nimage-bytes 100\n");
    d.imageBytes = format::kMaxImageBytes + 1;
    EXPECT_THROW(design::buildDesignImage(d), design::DescriptionError);
}

TEST(DesignImageBuilder, IsDeterministicAndFillsWithNoise) {
    const Bytes first = design::buildDesignImage(smallDesign());
    EXPECT_TRUE(first == design::buildDesignImage(smallDesign()));
    const std::size_t tablesEnd = field32(first, format::header::kChecksummedBytes);
    std::size_t zeros = 0;
    for (std::size_t i = tablesEnd; i < first.size(); ++i)
        zeros += first[i] == std::byte{0};
    // Noise has about one zero byte in 256; a run of zeros would mean no filler was written.
    EXPECT_LT(zeros, (first.size() - tablesEnd) / 32);
}

TEST(DesignImageBuilder, WritesAValidChecksum) {
    Bytes image = design::buildDesignImage(smallDesign());
    const uint32_t stored = field32(image, format::header::kChecksum);
    reseal(image);
    EXPECT_EQ(field32(image, format::header::kChecksum), stored);
}

} // namespace
} // namespace kestrel::designrt::test
