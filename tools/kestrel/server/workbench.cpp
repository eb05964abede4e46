// The workbench's actions over the tool's core: parameters through the parameter view, references
// through the frame writer, the correction and configuration files as the commands do them.
#include "workbench.h"

#include "core/camera_scene.h"
#include "core/config_file.h"
#include "core/frame_writer.h"
#include "core/genapi_document.h"
#include "core/shading_correction.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kestrel::tool {
namespace {

constexpr auto kFrameWait = std::chrono::seconds(5);

Reply refusal(int status, const std::string& message) {
    return Reply{status, {{"error", message}}};
}

const char* kindName(int32_t type) {
    switch (type) {
    case GH5_NODE_ENUMERATION:
        return "enumeration";
    case GH5_NODE_STRING:
        return "string";
    case GH5_NODE_DOUBLE:
        return "double";
    case GH5_NODE_INTEGER_ARRAY:
        return "integer array";
    default:
        return "integer";
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

nlohmann::json statsJson(const FrameStats& stats) {
    return {{"min", stats.minimum}, {"mean", stats.mean}, {"max", stats.maximum}, {"sd", stats.deviation}};
}

Workbench::Workbench(const ToolOptions& options, const std::string& scratchName)
    : options_(options), scratchName_(scratchName), session_(options), parameters_(session_.grabber()),
      live_(std::make_unique<LiveView>(session_.board(), session_.grabber(), appletMutex_)),
      events_(std::make_unique<EventLog>(session_.grabber())) {}

Workbench::~Workbench() {
    events_.reset();
    live_.reset();
    std::error_code ignored;
    for (const auto reference : {Reference::Black, Reference::Gray})
        if (options_.config.empty())
            std::filesystem::remove(referencePath(reference), ignored);
}

std::string Workbench::scratchPath(const std::string& suffix) const {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::temp_directory_path(error);
    return (directory / ("kestrel-serve-" + scratchName_ + suffix)).string();
}

std::string Workbench::referencePath(Reference reference) const {
    const std::string role = reference == Reference::Black ? "black" : "gray";
    // Kept beside --config, whose settings name them; otherwise gone with the server.
    if (options_.config.empty())
        return scratchPath("-" + role + ".tif");
    std::filesystem::path kept(pathForConfig(options_, options_.config));
    const std::string stem = kept.stem().string();
    return kept.replace_filename(stem + "-" + role + ".tif").string();
}

std::string Workbench::keep() {
    const std::lock_guard applet(appletMutex_);
    try {
        session_.keepSettings();
        return "";
    } catch (const std::exception& error) {
        return error.what();
    }
}

nlohmann::json Workbench::featureJson(const Node* node) const {
    nlohmann::json feature = {{"name", node->paramName != nullptr ? node->paramName : ""},
                              {"displayName", latin1ToUtf8(node->name)},
                              {"kind", kindName(node->type)},
                              {"access", accessText(node->access)},
                              {"unit", latin1ToUtf8(node->unit)},
                              {"range", node->type == GH5_NODE_ENUMERATION ? "" : rangeText(node)}};
    int32_t code = 0;
    const auto value = parameters_.valueText(node, node->id, &code);
    feature["value"] = value ? nlohmann::json(textToUtf8(value->c_str())) : nlohmann::json(nullptr);
    if (node->type == GH5_NODE_ENUMERATION) {
        const auto& entries = node->kind.enumeration;
        nlohmann::json list = nlohmann::json::array();
        for (int32_t i = 0; i < entries.entryCount; ++i) {
            const char* symbol = entries.symbolicNames != nullptr ? entries.symbolicNames[i] : nullptr;
            const char* display = entries.displayNames != nullptr ? entries.displayNames[i] : nullptr;
            list.push_back({{"name", symbol != nullptr ? symbol : std::to_string(entries.values[i])},
                            {"value", entries.values[i]},
                            {"displayName", latin1ToUtf8(display)}});
        }
        feature["entries"] = std::move(list);
    }
    return feature;
}

nlohmann::json Workbench::parameterTree() {
    const std::lock_guard applet(appletMutex_);
    nlohmann::json roots = nlohmann::json::array();
    // The open categories from the root down; a node at depth d belongs to stack[d - 1].
    std::vector<nlohmann::json*> stack;
    walkTree(parameters_.firstRoot(), [&](const Node* node, int depth) {
        stack.resize(size_t(depth));
        nlohmann::json& siblings = depth == 0 ? roots : (*stack.back())["children"];
        if (node->type == GH5_NODE_CATEGORY) {
            siblings.push_back(
                {{"category", latin1ToUtf8(node->name)}, {"children", nlohmann::json::array()}});
            stack.push_back(&siblings.back());
        } else {
            siblings.push_back(featureJson(node));
        }
    });
    return {{"tree", std::move(roots)}};
}

nlohmann::json Workbench::values() {
    const std::lock_guard applet(appletMutex_);
    nlohmann::json values = nlohmann::json::object();
    walkTree(parameters_.firstRoot(), [&](const Node* node, int) {
        if (node->type == GH5_NODE_CATEGORY || node->paramName == nullptr)
            return;
        int32_t code = 0;
        const auto value = parameters_.valueText(node, node->id, &code);
        values[node->paramName] = {
            {"value", value ? nlohmann::json(textToUtf8(value->c_str())) : nlohmann::json(nullptr)},
            {"access", accessText(node->access)}};
    });
    return {{"values", std::move(values)}};
}

Reply Workbench::set(const std::string& name, const std::string& value) {
    std::string now;
    {
        const std::lock_guard applet(appletMutex_);
        if (const std::string refused = trySetByName(parameters_, name, value); !refused.empty())
            return refusal(422, refused);
        live_->formatMayHaveChanged();
        int32_t code = 0;
        const Node* feature = parameters_.findFeature(name);
        now = textToUtf8(parameters_.valueText(feature, feature->id, &code).value_or("").c_str());
    }
    Reply reply{200, {{"name", name}, {"value", now}}};
    if (const std::string problem = keep(); !problem.empty())
        reply.body["warning"] = problem;
    return reply;
}

nlohmann::json Workbench::status() {
    std::string scene;
    {
        const std::lock_guard applet(appletMutex_);
        scene = scene_;
    }
    const auto frame = live_->frameAfter(0, std::chrono::milliseconds(0));
    nlohmann::json status = {{"board", options_.board},         {"applet", options_.applet},
                             {"config", options_.config},       {"live", live_->running()},
                             {"frames", live_->latestNumber()}, {"scene", scene},
                             {"scenes", sceneNames()},          {"failure", live_->failure()}};
    if (frame)
        status["frame"] = {{"width", frame->width}, {"height", frame->height}, {"bits", frame->bits}};
    return status;
}

Reply Workbench::setLive(bool on) {
    if (!on) {
        live_->stop();
        return Reply{200, {{"live", false}}};
    }
    live_->start();
    if (!live_->running())
        return refusal(409, "the live view cannot start: " + live_->failure());
    return Reply{200, {{"live", true}}};
}

Reply Workbench::setScene(const std::string& scene) {
    const std::lock_guard applet(appletMutex_);
    if (const std::string problem = selectScene(session_.board(), scene); !problem.empty())
        return refusal(422, problem);
    scene_ = scene;
    return Reply{200, {{"scene", scene}}};
}

Reply Workbench::softwarePulse() {
    {
        const std::lock_guard applet(appletMutex_);
        int32_t code = 0;
        const auto mode = parameters_.valueText(
            parameters_.findFeature("FG_AREATRIGGERMODE"),
            parameters_.exports().Fg_getParameterIdByName(parameters_.fg(), "FG_AREATRIGGERMODE"), &code);
        if (!mode || mode->rfind("ATM_SOFTWARE", 0) != 0)
            for (const auto& [name, value] :
                 {std::pair("FG_AREATRIGGERMODE", "ATM_SOFTWARE"), std::pair("FG_TRIGGERSTATE", "TS_ACTIVE")})
                if (const std::string refused = trySetByName(parameters_, name, value); !refused.empty())
                    return refusal(422, refused);
        if (const std::string refused = trySetByName(parameters_, "FG_SENDSOFTWARETRIGGER", "1");
            !refused.empty())
            return refusal(422, refused);
    }
    live_->start();
    return Reply{200, {{"sent", true}, {"frames", live_->latestNumber()}}};
}

std::shared_ptr<const LiveFrame> Workbench::frameAfterChange() {
    return live_->frameAfterNow(kFrameWait);
}

Reply Workbench::recordReference(Reference reference) {
    live_->start();
    if (!live_->running())
        return refusal(409, "the live view cannot start: " + live_->failure());
    if (Reply scene = setScene(reference == Reference::Black ? "lens-cap" : "flat-field");
        scene.status != 200)
        return scene;
    const auto frame = frameAfterChange();
    if (!frame)
        return refusal(409, "no frame came within 5 s: is the trigger waiting for pulses?");
    const std::string path = referencePath(reference);
    if (const std::string problem = writeFrameFile(path, FrameFormat::Tiff, frame->image()); !problem.empty())
        return refusal(500, problem);
    {
        const std::lock_guard applet(appletMutex_);
        (reference == Reference::Black ? black_ : gray_) = frame;
    }
    return Reply{200, {{"file", path}, {"stats", statsJson(frame->stats)}}};
}

std::shared_ptr<const LiveFrame> Workbench::comparisonFrame(bool afterCorrection) {
    const std::lock_guard applet(appletMutex_);
    return afterCorrection ? corrected_ : gray_;
}

Reply Workbench::computeShading() {
    std::shared_ptr<const LiveFrame> before;
    {
        const std::lock_guard applet(appletMutex_);
        if (!black_ || !gray_)
            return refusal(409, "record the black and the gray reference first");
        before = gray_;
        for (const auto& [name, reference] : {std::pair("FG_SHADING_BLACK_FILENAME", Reference::Black),
                                              std::pair("FG_SHADING_GRAY_FILENAME", Reference::Gray)})
            if (const std::string refused = trySetByName(parameters_, name, referencePath(reference));
                !refused.empty())
                return refusal(422, refused);
        if (const std::string failure = applyShadingCorrection(session_.grabber(), true, true);
            !failure.empty())
            return refusal(422, failure);
    }
    Reply reply{200, {{"before", statsJson(before->stats)}}};
    const auto after = frameAfterChange();
    if (!after)
        return refusal(409, "the correction is on, but no frame came within 5 s to show it");
    reply.body["after"] = statsJson(after->stats);
    {
        const std::lock_guard applet(appletMutex_);
        corrected_ = after;
    }
    if (const std::string problem = keep(); !problem.empty())
        reply.body["warning"] = problem;
    return reply;
}

std::string Workbench::configurationText() {
    const std::string path = scratchPath("-download.scf");
    {
        const std::lock_guard applet(appletMutex_);
        saveConfiguration(parameters_, path);
    }
    std::string text = readFile(path);
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return text;
}

Reply Workbench::loadConfigurationText(const std::string& text) {
    const std::string upload = scratchPath("-upload.scf");
    const std::string before = scratchPath("-before.scf");
    {
        std::ofstream out(upload, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return refusal(500, "cannot write " + upload);
    }
    Reply reply = live_->paused([&] {
        const std::lock_guard applet(appletMutex_);
        saveConfiguration(parameters_, before);
        try {
            loadConfiguration(parameters_, upload);
            return Reply{200, {{"loaded", true}}};
        } catch (const std::exception& error) {
            // A file that fails part-way has set what came before the failure: the settings from
            // before the upload come back whole.
            loadConfiguration(parameters_, before, true);
            std::string message = error.what();
            // The page names the upload, not the server's copy of it.
            for (auto at = message.find(upload); at != std::string::npos; at = message.find(upload, at))
                message.replace(at, upload.size(), "the uploaded file");
            return refusal(422, message);
        }
    });
    std::error_code ignored;
    std::filesystem::remove(upload, ignored);
    std::filesystem::remove(before, ignored);
    if (reply.status == 200)
        if (const std::string problem = keep(); !problem.empty())
            reply.body["warning"] = problem;
    return reply;
}

std::string Workbench::genApiDocument() {
    const std::lock_guard applet(appletMutex_);
    return fetchGenApiDocument(session_.grabber());
}

} // namespace kestrel::tool
