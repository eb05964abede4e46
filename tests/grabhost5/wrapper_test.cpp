// The C++ wrapper: ownership moves, releases happen once, failures carry their code. What it
// reads and reports in words the kestrel tool shows (kestrel_tool_test).
#include "grabhost5.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

namespace {

class Wrapper : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("KESTREL_APPLET_PATH", FAKE_APPLET_DIR, 1); }
};

} // namespace

TEST_F(Wrapper, MovesABoardAndClosesItOnce) {
    gh5::Board board = gh5::Board::open(2);
    Gh5Board* handle = board.get();
    gh5::Board moved = std::move(board);
    EXPECT_EQ(board.get(), nullptr);
    EXPECT_EQ(moved.get(), handle);
    EXPECT_EQ(moved.index(), 2);
    EXPECT_NE(moved.device(), nullptr);
    EXPECT_EQ(moved.close(), GH5_OK);
    EXPECT_EQ(moved.close(), GH5_OK) << "a released owner has nothing left to release";
    EXPECT_EQ(gh5_board_close(handle), GH5_ERR_INVALID_HANDLE);
}

TEST_F(Wrapper, ThrowsTheCodeAndAReadableMessage) {
    gh5::Board first = gh5::Board::open(1);
    try {
        gh5::Board second = gh5::Board::open(1);
        FAIL() << "the board opened twice";
    } catch (const gh5::Error& error) {
        EXPECT_EQ(error.code(), -7003);
        EXPECT_EQ(std::string(error.what()), "cannot open board 1: board already open (-7003)");
    }
    try {
        gh5::Applet::load("NoSuchApplet");
        FAIL() << "a missing applet loaded";
    } catch (const gh5::Error& error) {
        EXPECT_EQ(error.code(), GH5_ERR_APPLET_NOT_FOUND);
        EXPECT_NE(std::string(error.what()).find("NoSuchApplet.so looked for in"), std::string::npos);
    }
}

TEST_F(Wrapper, CreatesAGrabberThatOutlivesItsBoardHandle) {
    std::optional<gh5::Grabber> grabber;
    {
        gh5::Board board = gh5::Board::open(0);
        grabber.emplace(gh5::Grabber::create(board, "FakeApplet"));
    }
    EXPECT_EQ(grabber->exports().Fg_getNrOfParameter(grabber->record()), 3);
    gh5::Memory memory(*grabber, 2, 32);
    EXPECT_NE(memory.buffer(1), nullptr);
    gh5::Memory moved = std::move(memory);
    EXPECT_EQ(memory.handle(), 0u);
    EXPECT_EQ(moved.release(), GH5_OK);
    EXPECT_EQ(grabber->free(), GH5_OK);
}
