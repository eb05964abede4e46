// The C++ wrapper: ownership moves, releases happen once, failures carry their code.
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

TEST_F(Wrapper, ReadsAppletTextsAndNumbers) {
    const gh5::Applet applet = gh5::Applet::load("FakeApplet");
    EXPECT_EQ(applet.text(4176), "FakeApplet");
    EXPECT_EQ(applet.text(4112), "Fake applet for host tests");
    EXPECT_EQ(applet.number(1042), 4242u);
    EXPECT_FALSE(applet.text(5000).has_value());
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

TEST_F(Wrapper, ReportsTheAppletsOwnCreationError) {
    gh5::Board board = gh5::Board::open(0);
    try {
        gh5::Grabber::create(board, "FailingApplet");
        FAIL() << "the failing applet was created";
    } catch (const gh5::Error& error) {
        EXPECT_EQ(error.code(), -100);
        EXPECT_NE(std::string(error.what()).find("initialisation failed (-100)"), std::string::npos);
    }
}

TEST_F(Wrapper, WaitsForEventsAndReleasesBuffersWithTheCodeOnFailure) {
    gh5::Board board = gh5::Board::open(3);
    gh5::Grabber grabber = gh5::Grabber::create(board, "FakeApplet");
    EXPECT_FALSE(grabber.waitEvent(1, 0).has_value()) << "nothing fired before any acquisition";
    try {
        grabber.waitEvent(0, 0);
        FAIL() << "an empty mask was taken";
    } catch (const gh5::Error& error) {
        EXPECT_EQ(error.code(), GH5_ERR_INVALID_ARGUMENT);
    }
    const gh5::Memory memory(grabber, 2, 64);
    try {
        memory.releaseBuffer(0);
        FAIL() << "a buffer of a memory nobody acquires into was released";
    } catch (const gh5::Error& error) {
        EXPECT_EQ(error.code(), GH5_ERR_NOT_RUNNING);
        EXPECT_EQ(std::string(error.what()).rfind("releasing buffer 0: ", 0), 0u) << error.what();
    }
    EXPECT_THROW(memory.releaseUpTo(5), gh5::Error);
}
