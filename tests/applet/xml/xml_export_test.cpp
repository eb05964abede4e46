// The register description through the applet's export, on the virtual board: the size query,
// short buffers, ports without a tree, the golden fragments and the register-access family.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "api/error_codes.h"
#include "applet_on_board.h"
#include "info/parameter_info_node.h"
#include "params/parameter_ids.h"

namespace kestrel {
namespace {

class XmlExport : public ::testing::Test {
protected:
    int32_t query(int32_t port, char* buffer, uint64_t* size) {
        return applet_.exports().Fg_getParameterInfoXML(applet_.fg(), port, buffer, size);
    }
    // The document as a caller gets it: the size first, then the text.
    std::string document() {
        uint64_t size = 0;
        EXPECT_EQ(query(0, nullptr, &size), kestrel::kOk);
        std::vector<char> buffer(size);
        EXPECT_EQ(query(0, buffer.data(), &size), kestrel::kOk);
        return std::string(buffer.data());
    }

    test::AppletOnBoard applet_;
};

TEST_F(XmlExport, SizeQueryWithoutBufferGivesTheTextLengthPlusOneWhateverLengthWasGiven) {
    uint64_t size = 12345;
    ASSERT_EQ(query(0, nullptr, &size), kestrel::kOk);
    EXPECT_EQ(applet_.lastError(), kestrel::kOk);
    std::vector<char> buffer(size, 'x');
    uint64_t given = size;
    ASSERT_EQ(query(0, buffer.data(), &given), kestrel::kOk);
    EXPECT_EQ(given, size);
    EXPECT_EQ(std::strlen(buffer.data()) + 1, size);
    EXPECT_EQ(std::string(buffer.data()).rfind("</RegisterDescription>\n"), size - 1 - 23);
    // The length given before a size query does not matter.
    uint64_t again = UINT64_MAX;
    ASSERT_EQ(query(0, nullptr, &again), kestrel::kOk);
    EXPECT_EQ(again, size);
    EXPECT_GT(size, 50000u);
}

TEST_F(XmlExport, BufferOneByteShortIsRefusedAndLeftUntouched) {
    uint64_t size = 0;
    ASSERT_EQ(query(0, nullptr, &size), kestrel::kOk);
    std::vector<char> buffer(size, 'x');
    uint64_t shortSize = size - 1; // room for the text, none for its terminator
    EXPECT_EQ(query(0, buffer.data(), &shortSize), kestrel::kErrBufferTooSmall);
    EXPECT_EQ(applet_.lastError(), kestrel::kErrBufferTooSmall);
    EXPECT_EQ(shortSize, size - 1);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(size, 'x'));
}

TEST_F(XmlExport, ZeroLengthBufferIsRefused) {
    char buffer[4] = {'x', 'x', 'x', 'x'};
    uint64_t size = 0;
    EXPECT_EQ(query(0, buffer, &size), kestrel::kErrBufferTooSmall);
    EXPECT_EQ(applet_.lastError(), kestrel::kErrBufferTooSmall);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(query(1, buffer, &size), kestrel::kErrBufferTooSmall) << "even on a port without tree";
}

TEST_F(XmlExport, LargerBufferIsZeroedAfterTheText) {
    uint64_t size = 0;
    ASSERT_EQ(query(0, nullptr, &size), kestrel::kOk);
    std::vector<char> buffer(size + 64, 'x');
    uint64_t given = size + 64;
    ASSERT_EQ(query(0, buffer.data(), &given), kestrel::kOk);
    EXPECT_EQ(given, size);
    for (std::size_t i = size - 1; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], '\0') << "byte " << i;
}

TEST_F(XmlExport, PortsWithoutTreeGiveInvalidPort) {
    for (int32_t port : {1, 2, 3, 4, -1}) {
        uint64_t size = 77;
        EXPECT_EQ(query(port, nullptr, &size), kestrel::kErrInvalidPort) << port;
        EXPECT_EQ(applet_.lastError(), kestrel::kErrInvalidPort) << port;
        EXPECT_EQ(size, 77u) << port;
    }
    uint64_t size = 0;
    EXPECT_EQ(query(0, nullptr, &size), kestrel::kOk);
    EXPECT_EQ(applet_.lastError(), kestrel::kOk);
}

// The length travels through the pointer both ways; without it there is nothing to answer.
TEST_F(XmlExport, MissingLengthPointerIsAnInvalidArgument) {
    char buffer[16] = {};
    EXPECT_EQ(query(0, buffer, nullptr), kestrel::kErrInvalidArgument);
    EXPECT_EQ(applet_.lastError(), kestrel::kErrInvalidArgument);
    EXPECT_EQ(query(0, nullptr, nullptr), kestrel::kErrInvalidArgument);
}

TEST_F(XmlExport, NullHandleGivesNoApplet) {
    uint64_t size = 0;
    EXPECT_EQ(applet_.exports().Fg_getParameterInfoXML(nullptr, 0, nullptr, &size), kestrel::kErrNoApplet);
}

// Access words change at run time; the description is built from the words current at the call.
TEST_F(XmlExport, AccessModesFollowTheLegacyTriggerSwitch) {
    const std::string prescalerReadOnly = "<FloatReg Name=\"FG_PRESCALER_Reg\">\n<Address>10050</Address>\n"
                                          "<Length>8</Length>\n<AccessMode>RO</AccessMode>\n";
    const std::string prescalerReadWrite = "<FloatReg Name=\"FG_PRESCALER_Reg\">\n<Address>10050</Address>\n"
                                           "<Length>8</Length>\n<AccessMode>RW</AccessMode>\n";
    EXPECT_NE(document().find(prescalerReadOnly), std::string::npos);
    ASSERT_EQ(applet_.set<uint32_t>(ids::FG_TRIGGER_LEGACY_MODE, 1u), kestrel::kOk);
    EXPECT_NE(document().find(prescalerReadWrite), std::string::npos);
    ASSERT_EQ(applet_.set<uint32_t>(ids::FG_TRIGGER_LEGACY_MODE, 0u), kestrel::kOk);
    EXPECT_NE(document().find(prescalerReadOnly), std::string::npos);
}

} // namespace
} // namespace kestrel
