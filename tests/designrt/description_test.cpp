// The readable design description: what the build tool accepts and what it refuses, naming the line.
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

std::string events(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "event 1 E" + std::to_string(i) + "\n";
    return text;
}

TEST(DesignDescription, AcceptsTheLimitsAndRefusesWhatNoImageCanHoldNamingTheLine) {
    for (const std::string& text :
         {kHead + "register 999999 64 rw value " + std::string(255, 'n') + "\n", kHead + events(64)})
        EXPECT_EQ(refusal(text), "accepted") << text;
    EXPECT_EQ(refusal(kHead + "register 1 8 rw value A\nregister 1 8 rw value B\n"),
              "test.design:4: register id 1 is used twice");
    // Each text, and a part of the message it must be refused with ("" for any message).
    const std::pair<std::string, const char*> refused[] = {
        {kHead + "register 1 8 rw value A\nregister 2 8 rw value A\n", "used twice"},
        {kHead + "register 0 8 rw value A\n", "outside"},
        {kHead + "register " + std::to_string(design::kHostReservedIds[0]) + " 8 rw value A\n", "host"},
        {kHead + events(65), "64 events"},
        {"design D\n", "image-bytes"},
        {kHead + "register 1 8 wr value A\n", ""},
        {kHead + "register 1 65 rw value A\n", ""},
        {kHead + "register 1 8 rw value A  B\n", ""},
    };
    for (const auto& [text, says] : refused) {
        const std::string message = refusal(text);
        EXPECT_TRUE(message != "accepted" && message.find(says) != std::string::npos)
            << text << ": " << message;
    }
}

} // namespace
} // namespace kestrel::designrt::test
