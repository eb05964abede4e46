// Who may talk to the server: a request carries the token printed with the URL, names this server
// in its Host header (a page elsewhere that rebinds its own name to this address names that
// instead) and, when a browser sends one, comes from this server's own origin.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel::tool {

// 32 hex digits from the system's random source.
std::string newToken();

class RequestGuard {
public:
    // The address the server listens on and its port: Host and Origin may name that address,
    // 127.0.0.1, localhost or [::1], with the port.
    RequestGuard(std::string token, const std::string& listenAddress, int port);

    const std::string& token() const { return token_; }
    // The cookie that carries the token for the page's own files, named after the port so that
    // servers on other ports keep theirs.
    std::string cookieName() const;

    struct Request {
        std::string method;
        std::string host;        // Host header
        std::string origin;      // Origin header, "" when absent
        std::string headerToken; // X-Kestrel-Token header
        std::string queryToken;  // ?token=
        std::string cookies;     // Cookie header
    };
    // Why the request is refused (status and message), or nothing when it may go on. A request that
    // changes something must carry the token in its header: a form on another site cannot set one.
    struct Refusal {
        int status;
        std::string message;
    };
    std::optional<Refusal> check(const Request& request) const;

private:
    bool knownHost(const std::string& hostAndPort) const;

    std::string token_;
    std::vector<std::string> hosts_;
};

} // namespace kestrel::tool
