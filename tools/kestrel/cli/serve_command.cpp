// kestrel serve: the workbench page over HTTP for the board, until Ctrl-C.
#include "command.h"
#include "core/interrupt.h"
#include "server/workbench.h"
#include "server/workbench_server.h"

#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

namespace kestrel::tool {
namespace {

struct Arguments {
    int port = 8712;
    std::string listen = "127.0.0.1";
};

bool loopback(const std::string& address) {
    return address == "127.0.0.1" || address == "::1" || address == "localhost";
}

int runServe(const ToolOptions& options, const Arguments& arguments) {
    if (!loopback(arguments.listen))
        std::cerr << "kestrel: warning: listening on " << arguments.listen
                  << ": anyone who can reach this address and learns the token drives the board\n";
    const std::string address = arguments.listen == "localhost" ? "127.0.0.1" : arguments.listen;
    const InterruptGuard interruptGuard;
    Workbench workbench(options, std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    WorkbenchServer server(workbench, address, arguments.port);
    const std::string host = address.find(':') != std::string::npos ? "[" + address + "]" : address;
    std::cout << "kestrel: the workbench of board " << options.board << " is at\n"
              << "    http://" << host << ":" << server.port() << "/?token=" << server.guard().token() << "\n"
              << "Open it in a browser; Ctrl-C stops the server." << std::endl;
    std::thread serving([&server] { server.run(); });
    while (!InterruptGuard::requested())
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server.stop();
    serving.join();
    std::cout << "kestrel: stopped" << std::endl;
    return kExitInterrupted;
}

const CommandRegistrar registrar{Command{
    "serve", "serve the workbench page (parameters, live view, flat field) for a browser until Ctrl-C",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("--port", arguments->port, "TCP port, 0 for any free one")
            ->check(CLI::Range(0, 65535))
            ->capture_default_str();
        sub.add_option("--listen", arguments->listen,
                       "address to listen on; anything but loopback is reachable from other machines")
            ->capture_default_str();
        return std::function<int()>([&options, arguments] { return runServe(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
