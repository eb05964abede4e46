// An applet created on virtual board 0 through the host SDK, reached only through its exports, with
// direct access to the board's registers by design name for checking what the applet wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "boardhw.h"
#include "designrt.h"
#include "device/generator_registers.h"
#include "device/register_map.h"
#include "grabhost5.hpp"
#include "grabhost5_host.h"

namespace kestrel::test {

// Design names from the applet's own register map, so that no test keeps a copy of them.
constexpr const char* designName(HostRegister reg) {
    constexpr const char* kNames[] = {
#define KESTREL_TEST_REGISTER_NAME(id, name) name,
        KESTREL_HOST_REGISTERS(KESTREL_TEST_REGISTER_NAME)
#undef KESTREL_TEST_REGISTER_NAME
    };
    return kNames[static_cast<std::size_t>(reg)];
}
constexpr const char* designName(GeneratorRegister reg) {
    return kGeneratorRegisterNames[static_cast<std::size_t>(reg)];
}

// How long a test waits for pictures: 60 s, times KESTREL_TEST_WAIT_SCALE when that is set, since
// under valgrind the board's pipeline runs tens of times slower.
inline int32_t pictureWaitSeconds() {
    const char* scale = std::getenv("KESTREL_TEST_WAIT_SCALE");
    const int factor = scale != nullptr ? std::atoi(scale) : 1;
    return 60 * (factor > 0 ? factor : 1);
}

class AppletOnBoard {
public:
    // `applet`: the library's name, or its path (see gh5_applet_open).
    explicit AppletOnBoard(const std::string& applet = "Kestrel12")
        : board_(gh5::Board::open(0)), grabber_(gh5::Grabber::create(board_, applet)),
          design_(DesignImage_OpenFile(KESTREL_LIB_DIR "/Kestrel12.hap", 2626, 1)) {}
    // The applet goes first, then the board.
    ~AppletOnBoard() {
        grabber_.free();
        if (design_ != nullptr)
            DesignImage_Close(design_);
    }
    AppletOnBoard(const AppletOnBoard&) = delete;
    AppletOnBoard& operator=(const AppletOnBoard&) = delete;

    Gh5Grabber* fg() const { return grabber_.record(); }
    const Gh5AppletExports& exports() const { return grabber_.exports(); }
    void* boardDevice() const { return board_.device(); }
    Gh5Board* board() const { return board_.get(); }

    // Typed set/get of any value type; the result code of the applet.
    template <class T> int32_t set(int32_t id, T value) {
        return exports().Fg_setParameterWithType(fg(), id, &value, 0, 0);
    }
    int32_t setText(int32_t id, const char* text) {
        return exports().Fg_setParameterWithType(fg(), id, text, 0, 0);
    }
    template <class T> T get(int32_t id) {
        T value{};
        const int32_t result = exports().Fg_getParameterWithType(fg(), id, &value, 0, 0);
        EXPECT_EQ(result, 0) << "get of " << id;
        return value;
    }
    int32_t lastError() { return exports().Fg_getLastErrorNumber(fg()); }

    // The feature of the applet's information tree that publishes `id`, read in place as the host
    // reads it (null when absent). Owned by the applet; valid until the tree is rebuilt.
    const Gh5ParameterInfoNode* infoNode(int32_t id) const {
        const auto* root = static_cast<const Gh5ParameterInfoNode*>(exports().Fg_getParameterInfo(fg(), 0));
        for (; root != nullptr; root = root->nextRoot)
            if (const Gh5ParameterInfoNode* found = findNode(root, id))
                return found;
        return nullptr;
    }

    // Design register id of a name (0 for an unknown name).
    uint32_t registerId(const char* name) const { return DesignImage_GetRegisterId(design_, name); }
    // The board's current value of a design register, by its design name.
    uint64_t reg(const char* name) const {
        uint64_t value = 0;
        EXPECT_EQ(Board_ReadRegister(boardDevice(), registerId(name), &value), 0) << name;
        return value;
    }
    // Sets a register as the emulation would (read-only status registers included).
    void forceReg(const char* name, uint64_t value) const {
        ASSERT_EQ(Board_ForceRegister(boardDevice(), registerId(name), value), 0) << name;
    }
    // Makes every later write of the register fail with `code` (0 lifts it).
    void failWrites(const char* name, int32_t code) const {
        ASSERT_EQ(Board_FailRegisterWrites(boardDevice(), registerId(name), code), 0) << name;
    }

private:
    static const Gh5ParameterInfoNode* findNode(const Gh5ParameterInfoNode* node, int32_t id) {
        if (node == nullptr)
            return nullptr;
        if (node->type != GH5_NODE_CATEGORY)
            return node->id == id ? node : nullptr;
        for (int32_t i = 0; i < node->kind.category.childCount; ++i)
            if (const Gh5ParameterInfoNode* found = findNode(node->kind.category.children[i], id))
                return found;
        return nullptr;
    }

    gh5::Board board_;
    gh5::Grabber grabber_;
    void* design_;
};

} // namespace kestrel::test
