// The readable design description: what the build tool accepts, what it refuses, what it writes.
#include "image_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

TEST(DesignDescription, ReadsRegistersWithKindsAccessAndBlankInNameAndEventsInOrder) {
    const auto d = parseText(kHead + "# comment\n\n"
                                     "register 7 12 rw table:4096 Lut_Content\n"
                                     "register 8  16 ro  file   Buffer_File 0  \n"
                                     "register 9 64 rw value Wide\r\n"
                                     "event 1 A\nevent 0 B\nevent -3 C\n");
    ASSERT_EQ(d.registers.size(), 3u);
    EXPECT_EQ(d.registers[0].kind, format::RegisterKind::Table);
    EXPECT_EQ(d.registers[0].depth, 4096u);
    EXPECT_TRUE(d.registers[0].writable);
    EXPECT_EQ(d.registers[1].name, "Buffer_File 0");
    EXPECT_EQ(d.registers[1].kind, format::RegisterKind::File);
    EXPECT_FALSE(d.registers[1].writable);
    EXPECT_EQ(d.registers[2].widthBits, 64u);
    EXPECT_EQ(d.registers[2].name, "Wide");
    ASSERT_EQ(d.events.size(), 3u);
    EXPECT_EQ(d.events[0].name, "A");
    EXPECT_EQ(d.events[2].kind, -3);
}

TEST(DesignDescription, RefusalNamesSourceAndLine) {
    EXPECT_EQ(refusal(kHead + "register 1 8 rw value A\nregister 1 8 rw value B\n"),
              "test.design:4: register id 1 is used twice");
}

std::string events(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "event 1 E" + std::to_string(i) + "\n";
    return text;
}

TEST(DesignDescription, AcceptsTheLimits) {
    for (const std::string& text :
         {kHead + "register 999999 8 rw value A\n",
          kHead + "register 1 64 rw value A\nregister 2 1 rw value B\n",
          kHead + "register 1 8 rw value " + std::string(255, 'n') + "\n", kHead + events(64)})
        EXPECT_EQ(refusal(text), "accepted") << text;
}

TEST(DesignDescription, RefusesWhatNoImageCanHold) {
    // Each text, and a part of the message it must be refused with ("" for any message).
    const std::pair<std::string, const char*> refused[] = {
        {kHead + "register 1 8 rw value A\nregister 2 8 rw value A\n", "used twice"},
        {kHead + "register 0 8 rw value A\n", "outside"},
        {kHead + "register 1 0 rw value A\n", ""},
        {kHead + events(65), "64 events"},
        {"image-bytes 4096\n", "design"},
        {"design D\n", "image-bytes"},
        {kHead + "design E\n", "second"},
        {"design D\nimage-bytes 10\n", ""},
        {kHead + "register 1 8 wr value A\n", ""},
        {kHead + "register 1 8 rw table:0 A\n", ""},
        {kHead + "register x 8 rw value A\n", ""},
        {kHead + "register 1 8 rw value A  B\n", ""},
    };
    for (const auto& [text, says] : refused) {
        const std::string message = refusal(text);
        EXPECT_TRUE(message != "accepted" && message.find(says) != std::string::npos)
            << text << ": " << message;
    }
    for (uint32_t id : design::kHostReservedIds)
        EXPECT_NE(refusal(kHead + "register " + std::to_string(id) + " 8 rw value A\n").find("host"),
                  std::string::npos)
            << id;
}

TEST(DesignImageBuilder, BuildsAndOpensImagesUpToTheReaderLimitAndRefusesTablesLargerThanTheImage) {
    EXPECT_THROW(design::buildDesignImage(parseText("design D\nimage-bytes 80\nregister 1 1 rw value A\n")),
                 design::DescriptionError);
    auto d = parseText("design D\nimage-bytes 100\n");
    d.imageBytes = format::kMaxImageBytes + 1;
    EXPECT_THROW(design::buildDesignImage(d), design::DescriptionError);
    d.imageBytes = format::kMaxImageBytes;
    EXPECT_NE(openMemory(design::buildDesignImage(d)), nullptr);
}

} // namespace
} // namespace kestrel::designrt::test
