// Exact comparisons only: a host, an origin and a token either are the server's or are refused.
#include "request_guard.h"

#include <iomanip>
#include <random>
#include <sstream>

namespace kestrel::tool {
namespace {

// The value of cookie name in a Cookie header ("a=1; b=2"), "" when it is not there.
std::string cookieValue(const std::string& cookies, const std::string& name) {
    std::istringstream parts(cookies);
    std::string part;
    while (std::getline(parts, part, ';')) {
        const auto start = part.find_first_not_of(' ');
        if (start == std::string::npos)
            continue;
        part.erase(0, start);
        if (part.compare(0, name.size() + 1, name + "=") == 0)
            return part.substr(name.size() + 1);
    }
    return "";
}

// Compares all of both, so that the time taken does not tell how much of a guess was right.
bool sameSecret(const std::string& given, const std::string& secret) {
    unsigned difference = given.size() == secret.size() ? 0u : 1u;
    for (size_t i = 0; i < secret.size(); ++i)
        difference |= unsigned(static_cast<unsigned char>(i < given.size() ? given[i] : 0) ^
                               static_cast<unsigned char>(secret[i]));
    return difference == 0;
}

} // namespace

std::string newToken() {
    std::random_device source;
    std::ostringstream token;
    for (int i = 0; i < 4; ++i)
        token << std::hex << std::setw(8) << std::setfill('0') << source();
    return token.str();
}

RequestGuard::RequestGuard(std::string token, const std::string& listenAddress, int port)
    : token_(std::move(token)) {
    const std::string suffix = ":" + std::to_string(port);
    for (const std::string& host : {std::string("127.0.0.1"), std::string("localhost"), std::string("[::1]")})
        hosts_.push_back(host + suffix);
    const bool ipv6 = listenAddress.find(':') != std::string::npos;
    hosts_.push_back((ipv6 ? "[" + listenAddress + "]" : listenAddress) + suffix);
}

std::string RequestGuard::cookieName() const {
    const std::string& host = hosts_.front();
    return "kestrel_token_" + host.substr(host.rfind(':') + 1);
}

bool RequestGuard::knownHost(const std::string& hostAndPort) const {
    for (const std::string& host : hosts_)
        if (hostAndPort == host)
            return true;
    return false;
}

std::optional<RequestGuard::Refusal> RequestGuard::check(const Request& request) const {
    if (!knownHost(request.host))
        return Refusal{403, "the Host header names " + (request.host.empty() ? "nothing" : request.host) +
                                ", not this server"};
    if (!request.origin.empty() &&
        (request.origin.rfind("http://", 0) != 0 || !knownHost(request.origin.substr(7))))
        return Refusal{403, "requests from " + request.origin + " are refused"};
    const bool changes = request.method != "GET" && request.method != "HEAD";
    if (sameSecret(request.headerToken, token_))
        return std::nullopt;
    if (!changes && (sameSecret(request.queryToken, token_) ||
                     sameSecret(cookieValue(request.cookies, cookieName()), token_)))
        return std::nullopt;
    if (request.headerToken.empty() && request.queryToken.empty() && request.cookies.empty())
        return Refusal{401, "this server wants the token printed with its URL"};
    return Refusal{403, changes ? "a change needs the token in the X-Kestrel-Token header"
                                : "the token does not match the one printed with the URL"};
}

} // namespace kestrel::tool
