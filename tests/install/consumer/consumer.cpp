// A program of someone else's, built against an installed Kestrel12 and run with no environment
// pointing anywhere: the host library must find the installed applet by itself, and the applet
// its libraries and design. Prints the applet file it loaded, so the caller can see which one.
#include <grabhost5.hpp>

#include <cstdio>

int main() {
    try {
        const gh5::Applet applet = gh5::Applet::load("Kestrel12");
        gh5::Board board = gh5::Board::open(0);
        gh5::Grabber grabber = gh5::Grabber::create(board, "Kestrel12");
        const int32_t parameters = grabber.exports().Fg_getNrOfParameter(grabber.record());
        std::printf("applet %s with %d parameters\n", applet.file().c_str(), parameters);
        return parameters > 0 ? 0 : 1;
    } catch (const gh5::Error& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
