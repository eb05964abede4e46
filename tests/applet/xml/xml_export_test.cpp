// The register description through the applet's export, on the virtual board: the size query,
// short buffers, ports without a tree, the golden fragments and the register-access family.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "applet_on_board.h"
#include "core/error_codes.h"
#include "params/parameter_ids.h"

namespace kestrel {
namespace {

class XmlExport : public ::testing::Test {
protected:
    int32_t query(int32_t port, char* buffer, uint64_t* size) {
        return applet_.exports().Fg_getParameterInfoXML(applet_.fg(), port, buffer, size);
    }
    std::string document() {
        uint64_t size = 0;
        EXPECT_EQ(query(0, nullptr, &size), kestrel::kOk);
        std::vector<char> buffer(size);
        EXPECT_EQ(query(0, buffer.data(), &size), kestrel::kOk);
        return std::string(buffer.data());
    }

    test::AppletOnBoard applet_;
};

// The size query answers the text's length plus one whatever length was given; the text then
// fills a buffer of that size exactly, and a larger one is zeroed after it.
TEST_F(XmlExport, SizeQueryThenText) {
    uint64_t size = UINT64_MAX;
    ASSERT_EQ(query(0, nullptr, &size), kestrel::kOk);
    EXPECT_EQ(applet_.lastError(), kestrel::kOk);
    std::vector<char> buffer(size + 64, 'x');
    uint64_t given = size + 64;
    ASSERT_EQ(query(0, buffer.data(), &given), kestrel::kOk);
    EXPECT_EQ(given, size);
    EXPECT_EQ(std::strlen(buffer.data()) + 1, size);
    EXPECT_EQ(std::string(buffer.data()).rfind("</RegisterDescription>\n"), size - 1 - 23);
    for (std::size_t i = size - 1; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], '\0') << "byte " << i;
}

// A buffer without room for the terminator, an empty one, no length pointer, a port without tree:
// refused with the code as the last error, buffer and length untouched.
TEST_F(XmlExport, RefusalsLeaveBufferAndLengthAlone) {
    uint64_t size = 0;
    ASSERT_EQ(query(0, nullptr, &size), kestrel::kOk);
    const struct {
        int32_t port;
        uint64_t length; // UINT64_MAX: no length pointer
        bool buffer;
        int32_t code;
    } rows[] = {{0, size - 1, true, kestrel::kErrBufferTooSmall},
                {0, 0, true, kestrel::kErrBufferTooSmall},
                {0, UINT64_MAX, true, kestrel::kErrInvalidArgument},
                {1, 77, false, kestrel::kErrInvalidPort},
                {-1, 77, false, kestrel::kErrInvalidPort}};
    for (const auto& row : rows) {
        std::vector<char> buffer(size, 'x');
        uint64_t length = row.length;
        EXPECT_EQ(query(row.port, row.buffer ? buffer.data() : nullptr,
                        row.length == UINT64_MAX ? nullptr : &length),
                  row.code)
            << row.port << " " << row.length;
        EXPECT_EQ(applet_.lastError(), row.code);
        EXPECT_EQ(length, row.length);
        EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(size, 'x'));
    }
    EXPECT_EQ(applet_.exports().Fg_getParameterInfoXML(nullptr, 0, nullptr, &size), kestrel::kErrNoApplet);
}

} // namespace
} // namespace kestrel
