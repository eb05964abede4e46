// What the page can do with the board, one call per action: the parameters, the live view, the
// scene, the software trigger, the flat-field journey and configuration files. Every call into the
// applet holds one lock, so that any number of pages can drive the board at once.
#pragma once

#include "event_log.h"
#include "live_view.h"

#include "core/parameter_view.h"
#include "core/session.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <mutex>
#include <string>

namespace kestrel::tool {

// An HTTP status and its JSON body; a refusal carries {"error": message}.
struct Reply {
    int status = 200;
    nlohmann::json body = nlohmann::json::object();
};

class Workbench {
public:
    // Opens the board with the applet and loads --config when it exists; throws when it cannot.
    // scratchName makes the names of the server's own files unique.
    Workbench(const ToolOptions& options, const std::string& scratchName);
    ~Workbench();
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    // Categories with their features: display names, kinds, units, access, ranges and entries.
    nlohmann::json parameterTree();
    // Every feature's current value and access word, by name.
    nlohmann::json values();
    Reply set(const std::string& name, const std::string& value);

    nlohmann::json status();
    Reply setLive(bool on);
    Reply setScene(const std::string& scene);
    Reply softwarePulse();

    // The flat-field journey: a lens-cap frame, a flat-field frame, then the correction computed
    // from them with the frame before and after it.
    enum class Reference { Black, Gray };
    Reply recordReference(Reference reference);
    Reply computeShading();
    // The gray reference (the frame before the correction) and the first frame after it.
    std::shared_ptr<const LiveFrame> comparisonFrame(bool afterCorrection);

    // The settings as a configuration file, and a file's settings applied with the checks of
    // `kestrel load`: a refused file leaves every setting as it was.
    std::string configurationText();
    Reply loadConfigurationText(const std::string& text);
    std::string genApiDocument();

    LiveView& liveView() { return *live_; }
    const EventLog& events() const { return *events_; }

private:
    std::string referencePath(Reference reference) const;
    std::string scratchPath(const std::string& suffix) const;
    // Writes the settings back to --config; "" or why it could not.
    std::string keep();
    std::shared_ptr<const LiveFrame> frameAfterChange();
    nlohmann::json featureJson(const Node* node) const;

    const ToolOptions& options_;
    const std::string scratchName_;
    Session session_;
    std::mutex appletMutex_;
    AppletParameters parameters_;
    std::string scene_ = "default";
    std::shared_ptr<const LiveFrame> black_, gray_, corrected_;
    std::unique_ptr<LiveView> live_;
    std::unique_ptr<EventLog> events_;
};

nlohmann::json statsJson(const FrameStats& stats);

} // namespace kestrel::tool
