// Routes of the workbench. Bodies are JSON both ways; a frame goes as its samples with its shape
// and statistics in headers, scaled down on the server so that a 4096 x 4096 frame stays small.
#include "workbench_server.h"
#include "web_assets.h"

#include <httplib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kestrel::tool {
namespace {

constexpr uint32_t kDefaultSide = 1024;
constexpr uint32_t kMinSide = 16;
constexpr uint32_t kMaxSide = 4096;
constexpr auto kFrameWait = std::chrono::milliseconds(1000);
constexpr size_t kThreads = 16;

void sendJson(httplib::Response& response, const Reply& reply) {
    response.status = reply.status;
    response.set_content(reply.body.dump(), "application/json");
}

void sendError(httplib::Response& response, int status, const std::string& message) {
    sendJson(response, Reply{status, {{"error", message}}});
}

// The request's JSON object; throws std::invalid_argument with a message for anything else.
nlohmann::json bodyObject(const httplib::Request& request) {
    nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (body.is_discarded() || !body.is_object())
        throw std::invalid_argument("the body is not a JSON object");
    return body;
}

std::string textField(const nlohmann::json& body, const char* key) {
    const auto field = body.find(key);
    if (field == body.end() || !field->is_string())
        throw std::invalid_argument(std::string("the body has no text \"") + key + "\"");
    return field->get<std::string>();
}

uint64_t numberParameter(const httplib::Request& request, const char* key, uint64_t fallback, uint64_t low,
                         uint64_t high) {
    if (!request.has_param(key))
        return fallback;
    const std::string text = request.get_param_value(key);
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument(std::string(key) + " is not a number: " + text);
    const uint64_t value = std::stoull(text);
    if (value < low || value > high)
        throw std::invalid_argument(std::string(key) + " " + text + " is outside " + std::to_string(low) +
                                    " .. " + std::to_string(high));
    return value;
}

// Every factor-th sample of every factor-th row, in little-endian order.
std::string scaledSamples(const LiveFrame& frame, uint32_t factor, uint32_t* width, uint32_t* height) {
    *width = (frame.width + factor - 1) / factor;
    *height = (frame.height + factor - 1) / factor;
    const size_t bytesPerSample = frame.bits == 16 ? 2 : 1;
    std::string out(size_t{*width} * *height * bytesPerSample, '\0');
    auto* to = reinterpret_cast<uint8_t*>(out.data());
    for (uint32_t y = 0; y < *height; ++y) {
        const uint8_t* row = frame.pixels.data() + size_t{y} * factor * frame.width * bytesPerSample;
        if (bytesPerSample == 1) {
            for (uint32_t x = 0; x < *width; ++x)
                *to++ = row[size_t{x} * factor];
        } else {
            for (uint32_t x = 0; x < *width; ++x) {
                uint16_t sample = 0;
                std::memcpy(&sample, row + size_t{x} * factor * 2, 2);
                *to++ = uint8_t(sample & 0xFF);
                *to++ = uint8_t(sample >> 8);
            }
        }
    }
    return out;
}

void sendFrame(httplib::Response& response, const LiveFrame& frame, uint32_t maxSide) {
    const uint32_t longest = std::max(frame.width, frame.height);
    const uint32_t factor = std::max<uint32_t>(1, (longest + maxSide - 1) / maxSide);
    uint32_t width = 0, height = 0;
    std::string samples = scaledSamples(frame, factor, &width, &height);
    response.set_header("X-Frame-Number", std::to_string(frame.number));
    response.set_header("X-Frame-Width", std::to_string(width));
    response.set_header("X-Frame-Height", std::to_string(height));
    response.set_header("X-Frame-Full-Width", std::to_string(frame.width));
    response.set_header("X-Frame-Full-Height", std::to_string(frame.height));
    response.set_header("X-Frame-Bits", std::to_string(frame.bits));
    response.set_header("X-Frame-Scale", std::to_string(factor));
    response.set_header("X-Frame-Taken-Ms", std::to_string(frame.takenMs));
    response.set_header("X-Frame-Stats", statsJson(frame.stats).dump());
    response.set_header("Cache-Control", "no-store");
    response.set_content(std::move(samples), "application/octet-stream");
}

} // namespace

WorkbenchServer::WorkbenchServer(Workbench& workbench, const std::string& address, int port)
    : workbench_(workbench), http_(std::make_unique<httplib::Server>()) {
    http_->new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    http_->set_payload_max_length(kMaxBody);
    port_ = port == 0 ? http_->bind_to_any_port(address) : (http_->bind_to_port(address, port) ? port : -1);
    if (port_ <= 0)
        throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) +
                                 (port == 0 ? "" : " (is the port in use?)"));
    guard_ = std::make_unique<RequestGuard>(newToken(), address, port_);
    route();
}

WorkbenchServer::~WorkbenchServer() = default;

void WorkbenchServer::run() {
    http_->listen_after_bind();
}

void WorkbenchServer::stop() {
    http_->stop();
}

void WorkbenchServer::route() {
    httplib::Server& http = *http_;
    http.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        const auto refusal =
            guard_->check({request.method, request.get_header_value("Host"),
                           request.get_header_value("Origin"), request.get_header_value("X-Kestrel-Token"),
                           request.get_param_value("token"), request.get_header_value("Cookie")});
        if (!refusal)
            return httplib::Server::HandlerResponse::Unhandled;
        sendError(response, refusal->status, refusal->message);
        return httplib::Server::HandlerResponse::Handled;
    });
    http.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::invalid_argument& bad) {
                sendError(response, 400, bad.what());
            } catch (const std::exception& failure) {
                sendError(response, 500, failure.what());
            } catch (...) {
                sendError(response, 500, "unknown failure");
            }
        });
    http.set_error_handler([](const httplib::Request& request, httplib::Response& response) {
        if (response.body.empty())
            sendError(response, response.status,
                      response.status == 404
                          ? "no " + request.method + " " + request.path
                          : "the request was refused (" + std::to_string(response.status) + ")");
    });

    for (const WebAsset& asset : webAssets()) {
        const std::string path = asset.path;
        const auto serve = [this, asset](const httplib::Request&, httplib::Response& response) {
            response.set_content(reinterpret_cast<const char*>(asset.data), asset.size, asset.mediaType);
            // The module files carry the token in this cookie; scripts read nothing of it.
            response.set_header("Set-Cookie", guard_->cookieName() + "=" + guard_->token() +
                                                  "; HttpOnly; SameSite=Strict; Path=/");
            response.set_header("Cache-Control", "no-store");
            response.set_header("X-Content-Type-Options", "nosniff");
            response.set_header("Content-Security-Policy",
                                "default-src 'self'; img-src 'self' data: blob:; frame-ancestors 'none'");
        };
        http.Get(path, serve);
        if (path == "/index.html")
            http.Get("/", serve);
    }

    http.Get("/api/params", [this](const httplib::Request&, httplib::Response& response) {
        sendJson(response, Reply{200, workbench_.parameterTree()});
    });
    http.Get("/api/values", [this](const httplib::Request&, httplib::Response& response) {
        sendJson(response, Reply{200, workbench_.values()});
    });
    http.Get("/api/status", [this](const httplib::Request&, httplib::Response& response) {
        sendJson(response, Reply{200, workbench_.status()});
    });
    http.Get("/api/events", [this](const httplib::Request& request, httplib::Response& response) {
        nlohmann::json list = nlohmann::json::array();
        for (const LoggedEvent& event :
             workbench_.events().after(numberParameter(request, "after", 0, 0, UINT64_MAX >> 1)))
            list.push_back({{"sequence", event.sequence},
                            {"name", event.name},
                            {"boardTimeNs", event.boardTimeNs},
                            {"folded", event.folded}});
        sendJson(response, Reply{200, {{"events", std::move(list)}}});
    });
    http.Get("/api/frame", [this](const httplib::Request& request, httplib::Response& response) {
        const uint64_t after = numberParameter(request, "after", 0, 0, UINT64_MAX >> 1);
        const auto side = uint32_t(numberParameter(request, "max", kDefaultSide, kMinSide, kMaxSide));
        const auto frame = workbench_.liveView().frameAfter(after, kFrameWait);
        if (!frame) {
            response.status = 204;
            return;
        }
        sendFrame(response, *frame, side);
    });
    for (const bool after : {false, true})
        http.Get(after ? "/api/shading/after" : "/api/shading/before",
                 [this, after](const httplib::Request& request, httplib::Response& response) {
                     const auto side =
                         uint32_t(numberParameter(request, "max", kDefaultSide, kMinSide, kMaxSide));
                     const auto frame = workbench_.comparisonFrame(after);
                     if (!frame)
                         return sendError(response, 404, "no flat-field correction computed yet");
                     sendFrame(response, *frame, side);
                 });
    http.Get("/api/config", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(workbench_.configurationText(), "text/plain; charset=utf-8");
        response.set_header("Content-Disposition", "attachment; filename=\"kestrel.scf\"");
    });
    http.Get("/api/xml", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(workbench_.genApiDocument(), "application/xml");
        response.set_header("Content-Disposition", "attachment; filename=\"Kestrel12.xml\"");
    });

    http.Post("/api/set", [this](const httplib::Request& request, httplib::Response& response) {
        const nlohmann::json body = bodyObject(request);
        sendJson(response, workbench_.set(textField(body, "name"), textField(body, "value")));
    });
    http.Post("/api/live", [this](const httplib::Request& request, httplib::Response& response) {
        const nlohmann::json body = bodyObject(request);
        const auto on = body.find("on");
        if (on == body.end() || !on->is_boolean())
            throw std::invalid_argument("the body has no true or false \"on\"");
        sendJson(response, workbench_.setLive(on->get<bool>()));
    });
    http.Post("/api/scene", [this](const httplib::Request& request, httplib::Response& response) {
        sendJson(response, workbench_.setScene(textField(bodyObject(request), "scene")));
    });
    http.Post("/api/trigger", [this](const httplib::Request&, httplib::Response& response) {
        sendJson(response, workbench_.softwarePulse());
    });
    http.Post("/api/shading/black", [this](const httplib::Request&, httplib::Response& response) {
        sendJson(response, workbench_.recordReference(Workbench::Reference::Black));
    });
    http.Post("/api/shading/gray", [this](const httplib::Request&, httplib::Response& response) {
        sendJson(response, workbench_.recordReference(Workbench::Reference::Gray));
    });
    http.Post("/api/shading/compute", [this](const httplib::Request&, httplib::Response& response) {
        sendJson(response, workbench_.computeShading());
    });
    http.Post("/api/config", [this](const httplib::Request& request, httplib::Response& response) {
        sendJson(response, workbench_.loadConfigurationText(request.body));
    });
}

} // namespace kestrel::tool
