// kestrel serve as a page talks to it: the guard on every request, each endpoint once, bad input
// refused with a message and nothing changed, several clients at once, and Ctrl-C.
#include <gtest/gtest.h>

#include "tool_run.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using nlohmann::json;

// The server as a child process whose standard output the test reads.
class ServerProcess {
public:
    explicit ServerProcess(const std::vector<std::string>& arguments) {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(pipeEnds[1], STDOUT_FILENO);
            ::close(pipeEnds[0]);
            std::vector<char*> argv{const_cast<char*>(KESTREL_TOOL_PATH)};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(KESTREL_TOOL_PATH, argv.data());
            ::_exit(127);
        }
        ::close(pipeEnds[1]);
        output_ = ::fdopen(pipeEnds[0], "r");
        char line[512];
        const std::regex url(R"(http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]{32}))");
        while (std::fgets(line, sizeof line, output_) != nullptr) {
            std::smatch match;
            const std::string text = line;
            if (std::regex_search(text, match, url)) {
                port_ = std::stoi(match[1]);
                token_ = match[2];
                break;
            }
        }
    }
    ~ServerProcess() {
        if (pid_ > 0 && !stopped_)
            stop();
        if (output_ != nullptr)
            std::fclose(output_);
    }

    int port() const { return port_; }
    const std::string& token() const { return token_; }
    // Ctrl-C; the exit code and what the server printed after it.
    int stop(std::string* printed = nullptr) {
        ::kill(pid_, SIGINT);
        char line[512];
        while (std::fgets(line, sizeof line, output_) != nullptr)
            if (printed != nullptr)
                *printed += line;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        stopped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
    int port_ = 0;
    std::string token_;
    bool stopped_ = false;
};

class ServeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        config_ = (std::filesystem::temp_directory_path() /
                   ("kestrel-serve-test-" + std::to_string(::getpid()) + ".scf"))
                      .string();
        server_ = new ServerProcess({"--config", config_, "serve", "--port", "0"});
    }
    static void TearDownTestSuite() {
        delete server_;
        const std::string stem = std::filesystem::path(config_).replace_extension().string();
        for (const std::string& file : {config_, stem + "-black.tif", stem + "-gray.tif"})
            std::filesystem::remove(file);
    }

    httplib::Client client() const {
        httplib::Client client("127.0.0.1", server_->port());
        client.set_read_timeout(20, 0);
        return client;
    }
    httplib::Headers withToken() const { return {{"X-Kestrel-Token", server_->token()}}; }
    httplib::Result post(const std::string& path, const json& body) const {
        return client().Post(path.c_str(), withToken(), body.dump(), "application/json");
    }
    json getJson(const std::string& path) const {
        const auto result = client().Get(path.c_str(), withToken());
        EXPECT_TRUE(result && result->status == 200) << path;
        return result ? json::parse(result->body) : json();
    }
    std::string value(const std::string& name) const {
        return getJson("/api/values")["values"][name]["value"].get<std::string>();
    }
    // The newest frame after `after`, waiting for one whose shape header has `width`.
    httplib::Result frameAfter(uint64_t after, const std::string& query = "") const {
        return client().Get(("/api/frame?after=" + std::to_string(after) + query).c_str(), withToken());
    }
    static uint64_t number(const httplib::Result& frame, const char* header) {
        return std::stoull(frame->get_header_value(header));
    }

    static ServerProcess* server_;
    static std::string config_;
};

ServerProcess* ServeTest::server_ = nullptr;
std::string ServeTest::config_;

TEST_F(ServeTest, EveryRequestPassesTheGuard) {
    ASSERT_NE(server_->port(), 0) << "no URL printed";
    const std::string good = server_->token();
    const std::string host = "127.0.0.1:" + std::to_string(server_->port());
    struct Row {
        const char* method;
        std::string path;
        httplib::Headers headers;
        int status;
    };
    const std::vector<Row> rows = {
        {"GET", "/api/status", {}, 401},
        {"GET", "/api/status", {{"X-Kestrel-Token", std::string(32, '0')}}, 403},
        {"GET", "/api/status", {{"X-Kestrel-Token", good}}, 200},
        {"GET", "/api/status?token=" + good, {}, 200},
        {"GET",
         "/app.js",
         {{"Cookie", "kestrel_token_" + std::to_string(server_->port()) + "=" + good}},
         200},
        {"GET", "/app.js", {{"Cookie", "kestrel_token_1=" + good}}, 403},
        // A change carries the token in its header: a query or a cookie is what another page can send.
        {"POST", "/api/live?token=" + good, {}, 403},
        {"GET", "/api/status", {{"X-Kestrel-Token", good}, {"Host", "attacker.example:80"}}, 403},
        {"GET", "/api/status", {{"X-Kestrel-Token", good}, {"Origin", "http://attacker.example"}}, 403},
        {"GET", "/api/status", {{"X-Kestrel-Token", good}, {"Origin", "http://" + host}}, 200},
        {"GET",
         "/api/status",
         {{"X-Kestrel-Token", good}, {"Host", "localhost:" + std::to_string(server_->port())}},
         200},
    };
    for (const Row& row : rows) {
        httplib::Client http = client();
        const auto result =
            std::string(row.method) == "GET"
                ? http.Get(row.path.c_str(), row.headers)
                : http.Post(row.path.c_str(), row.headers, "{\"on\":false}", "application/json");
        ASSERT_TRUE(result) << row.path;
        EXPECT_EQ(result->status, row.status) << row.method << " " << row.path;
        if (result->status != 200) {
            EXPECT_TRUE(json::parse(result->body).contains("error")) << result->body;
        }
    }
}

TEST_F(ServeTest, PageAndReadEndpoints) {
    const auto page = client().Get(("/?token=" + server_->token()).c_str());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("<script type=\"module\" src=\"/app.js\">"), std::string::npos);
    EXPECT_NE(page->get_header_value("Set-Cookie").find("HttpOnly; SameSite=Strict"), std::string::npos);

    const json tree = getJson("/api/params")["tree"];
    const std::string text = tree.dump();
    for (const char* part : {"\"name\":\"FG_WIDTH\"", "\"category\":\"Output Format\"",
                             "\"displayName\":\"Gray 8bit\"", "\"access\":\"RO\""})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_EQ(value("FG_FORMAT"), "FG_GRAY (3)");
    EXPECT_EQ(getJson("/api/status")["scenes"], json({"default", "lens-cap", "flat-field"}));
    const auto xml = client().Get("/api/xml", withToken());
    EXPECT_EQ(xml->body.rfind("<?xml", 0), 0u);
    const auto config = client().Get("/api/config", withToken());
    EXPECT_NE(config->body.find("FG_WIDTH"), std::string::npos);
    EXPECT_TRUE(getJson("/api/events?after=0")["events"].is_array());
}

TEST_F(ServeTest, RefusalsCarryTheToolsWordsAndChangeNothing) {
    // The page shows exactly what `kestrel set` prints.
    const auto cli = tool_test::kestrel("set FG_WIDTH=100000");
    const std::string cliMessage = cli.output.substr(std::string("kestrel: ").size());
    // The server's own configuration with a narrower window and a format the applet lacks.
    std::string badUpload = client().Get("/api/config", withToken())->body;
    badUpload = std::regex_replace(badUpload, std::regex("FG_WIDTH=\\d+;"), "FG_WIDTH=512;");
    badUpload = std::regex_replace(badUpload, std::regex("FG_FORMAT=\\d+;"), "FG_FORMAT=FG_PURPLE;");
    struct Row {
        const char* path;
        std::string body;
        int status;
        std::string message;
    };
    const std::vector<Row> rows = {
        {"/api/set", R"({"name":"FG_WIDTH","value":"100000"})", 422,
         cliMessage.substr(0, cliMessage.size() - 1)},
        {"/api/set", R"({"name":"FG_WIDHT","value":"1"})", 422, "did you mean FG_WIDTH?"},
        {"/api/set", R"({"name":"FG_WIDTH"})", 400, "the body has no text \"value\""},
        {"/api/set", "not json", 400, "the body is not a JSON object"},
        {"/api/live", R"({"on":"yes"})", 400, "\"on\""},
        {"/api/scene", R"({"scene":"dark"})", 422, "no scene dark"},
        {"/api/config", badUpload, 422, "FG_FORMAT: no entry FG_PURPLE"},
        {"/api/nothing", "{}", 404, "no POST /api/nothing"},
        {"/api/config", std::string(2 << 20, 'x'), 413, "refused (413)"},
    };
    for (const Row& row : rows) {
        const auto result = client().Post(row.path, withToken(), row.body, "application/json");
        ASSERT_TRUE(result) << row.path;
        EXPECT_EQ(result->status, row.status) << row.path << " " << row.body.substr(0, 60);
        const std::string message = json::parse(result->body)["error"];
        EXPECT_NE(message.find(row.message), std::string::npos) << message;
    }
    EXPECT_EQ(value("FG_WIDTH"), "1024") << "the refused upload set FG_WIDTH before failing";
    EXPECT_EQ(client().Get("/api/frame?max=big", withToken())->status, 400);
    EXPECT_EQ(client().Get("/api/set", withToken())->status, 404) << "a GET changes nothing";
}

TEST_F(ServeTest, ConcurrentClientsAllGetAnswers) {
    std::vector<std::thread> clients;
    std::atomic<int> answered{0};
    for (int c = 0; c < 8; ++c)
        clients.emplace_back([&, c] {
            for (int i = 0; i < 10; ++i) {
                const auto result =
                    c % 2 == 0
                        ? client().Get("/api/values", withToken())
                        : post("/api/set", {{"name", "FG_HEIGHT"}, {"value", std::to_string(64 + 8 * c)}});
                if (result && result->status == 200)
                    ++answered;
            }
        });
    for (std::thread& t : clients)
        t.join();
    EXPECT_EQ(answered.load(), 80);
}

TEST_F(ServeTest, LiveFramesFollowTheWindowAndArePulsedAndFlattened) {
    ASSERT_EQ(post("/api/set", {{"name", "FG_HEIGHT"}, {"value", "1024"}})->status, 200);
    ASSERT_EQ(post("/api/live", {{"on", true}})->status, 200);
    auto frame = frameAfter(0);
    ASSERT_TRUE(frame && frame->status == 200);
    EXPECT_EQ(number(frame, "X-Frame-Full-Width"), 1024u);
    EXPECT_EQ(frame->body.size(), 1024u * 1024u);
    frame = frameAfter(0, "&max=256");
    EXPECT_EQ(number(frame, "X-Frame-Width"), 256u);
    EXPECT_EQ(frame->body.size(), 256u * 256u);

    // A new window restarts the acquisition; the frames after it have its size.
    ASSERT_EQ(post("/api/set", {{"name", "FG_WIDTH"}, {"value", "512"}})->status, 200);
    for (int tries = 0; tries < 20 && number(frame, "X-Frame-Full-Width") != 512; ++tries)
        frame = frameAfter(number(frame, "X-Frame-Number"));
    EXPECT_EQ(number(frame, "X-Frame-Full-Width"), 512u);
    EXPECT_NE(std::ifstream(config_).peek(), EOF) << "the change was not kept in --config";

    // In software mode one pulse makes one frame.
    ASSERT_EQ(post("/api/trigger", json::object())->status, 200);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const uint64_t pulsed = getJson("/api/status")["frames"];
    const auto pulse = post("/api/trigger", json::object());
    ASSERT_EQ(pulse->status, 200) << pulse->body;
    frame = frameAfter(pulsed);
    EXPECT_EQ(frame->status, 200);
    ASSERT_EQ(post("/api/set", {{"name", "FG_AREATRIGGERMODE"}, {"value", "ATM_GENERATOR"}})->status, 200);

    EXPECT_EQ(post("/api/shading/compute", json::object())->status, 409);
    ASSERT_EQ(post("/api/shading/black", json::object())->status, 200);
    ASSERT_EQ(post("/api/shading/gray", json::object())->status, 200);
    const auto computed = post("/api/shading/compute", json::object());
    ASSERT_EQ(computed->status, 200) << computed->body;
    const json result = json::parse(computed->body);
    EXPECT_LT(result["after"]["sd"].get<double>(), result["before"]["sd"].get<double>() / 3) << result;
    EXPECT_EQ(client().Get("/api/shading/before", withToken())->status, 200);
    EXPECT_FALSE(getJson("/api/events?after=0")["events"].empty());
}

TEST(ServeStop, CtrlCStopsCleanly) {
    ServerProcess server({"serve", "--port", "0"});
    ASSERT_NE(server.port(), 0);
    const auto nowhere = tool_test::kestrel("serve --listen no-such-host.invalid --port 0");
    EXPECT_NE(nowhere.output.find("warning: listening on no-such-host.invalid"), std::string::npos)
        << nowhere.output;
    EXPECT_NE(nowhere.output.find("kestrel: cannot listen on no-such-host.invalid:0"), std::string::npos);
    EXPECT_EQ(nowhere.exitCode, 1);
    std::string printed;
    EXPECT_EQ(server.stop(&printed), 130);
    EXPECT_NE(printed.find("kestrel: stopped"), std::string::npos);
}

} // namespace
