// The workbench over HTTP: the page's files, and a JSON or binary endpoint per action. Every
// request passes the request guard first; a GET never changes anything.
#pragma once

#include "request_guard.h"
#include "workbench.h"

#include <memory>
#include <string>

namespace httplib {
class Server;
}

namespace kestrel::tool {

class WorkbenchServer {
public:
    // Binds address:port (port 0: any free port); throws naming the address when it cannot.
    WorkbenchServer(Workbench& workbench, const std::string& address, int port);
    ~WorkbenchServer();
    WorkbenchServer(const WorkbenchServer&) = delete;
    WorkbenchServer& operator=(const WorkbenchServer&) = delete;

    int port() const { return port_; }
    const RequestGuard& guard() const { return *guard_; }
    // Serves until stop() is called from another thread.
    void run();
    void stop();

    // Largest request body: a configuration file is far smaller.
    static constexpr size_t kMaxBody = 1 << 20;

private:
    void route();

    Workbench& workbench_;
    std::unique_ptr<httplib::Server> http_;
    int port_ = 0;
    std::unique_ptr<RequestGuard> guard_;
};

} // namespace kestrel::tool
