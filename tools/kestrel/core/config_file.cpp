// Loading and saving configuration files through the applet, with entry names and OS reasons.
#include "config_file.h"
#include "interrupt.h"

#include "config_text.h"
#include "configuration_check.h"
#include "system_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace kestrel::tool {
namespace {

// The applet's reader finds a file by this text in its name, and refuses any other.
constexpr const char* kConfigMark = ".scf";

bool isNumber(const std::string& text) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    (void)std::strtod(text.c_str(), &end);
    return errno == 0 && end != text.c_str() && *end == '\0';
}

// A fresh, empty file whose name the applet accepts (it ends in .scf), removed with the object.
class TemporaryScf {
public:
    explicit TemporaryScf(const std::filesystem::path& directory) {
        std::string pattern = (directory / ".kestrel-XXXXXX.scf").string();
        if (const int error = os::createUniqueFile(pattern, 4); error != 0)
            throw std::runtime_error("cannot create a temporary file in " + directory.string() + ": " +
                                     std::strerror(error));
        path_ = pattern;
        inWork_ = std::make_unique<RemovedOnForcedStop>(path_);
    }
    TemporaryScf(const TemporaryScf&) = delete;
    TemporaryScf& operator=(const TemporaryScf&) = delete;
    ~TemporaryScf() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::unique_ptr<RemovedOnForcedStop> inWork_;
};

// A copy of the user's file with entry names replaced by their values.
class TranslatedCopy {
public:
    explicit TranslatedCopy(const std::string& content) : file_(std::filesystem::temp_directory_path()) {
        std::ofstream out(file_.path(), std::ios::binary);
        out << content;
        out.close();
        if (!out)
            throw std::runtime_error("cannot write the temporary configuration file " + file_.path());
    }
    const std::string& path() const { return file_.path(); }

private:
    TemporaryScf file_;
};

// Copies a finished file onto a target that is no regular file (a device, a pipe), checking
// every step: the applet's writer does not report errors after the file is open.
void copyOnto(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (out == nullptr)
        throw std::runtime_error("save " + to + " failed: " + std::strerror(errno));
    const bool written =
        std::fwrite(content.data(), 1, content.size(), out) == content.size() && std::fflush(out) == 0;
    const int writeError = errno;
    if (std::fclose(out) != 0 || !written)
        throw std::runtime_error("save " + to + " failed: " + std::strerror(written ? errno : writeError));
}

// Gives a new file the permissions an ordinary create would, or those of the file it replaces.
void matchPermissions(const std::string& file, const std::filesystem::path& replaced) {
    std::error_code error;
    auto permissions = std::filesystem::status(replaced, error).permissions();
    if (error || permissions == std::filesystem::perms::unknown)
        permissions = os::newFilePermissions();
    std::filesystem::permissions(file, permissions, error);
}

// Replaces the value NAME of every enumeration key the applet reads by its entry's number, at the
// place the applet reads it. Returns whether anything changed; throws naming the line of an
// unknown entry.
bool translateEntryNames(const AppletParameters& parameters, const ConfigLayout& layout,
                         const std::string& file, std::string& content) {
    const ConfigText text(content);
    std::vector<std::pair<std::string_view, std::string>> replacements; // value in text(), number
    for (const ConfigLayoutKey& key : layout.keys) {
        const Node* feature = parameters.findFeature(key.first);
        const auto found = text.find(kConfigPortSection, key.first);
        if (feature == nullptr || feature->type != GH5_NODE_ENUMERATION || !found)
            continue;
        std::string_view value = found->value;
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
            value.remove_suffix(1);
        if (isNumber(std::string(value)))
            continue;
        const auto entry = entryValue(feature, std::string(value));
        if (!entry)
            throw std::runtime_error(file + ":" + std::to_string(text.pieces()[found->piece].line) + ": " +
                                     key.first + ": no entry " + std::string(value) +
                                     "; entries: " + rangeText(feature));
        replacements.emplace_back(value, std::to_string(*entry));
    }
    if (replacements.empty())
        return false;
    std::string out = text.text();
    // From the end, so that earlier places keep their offsets.
    std::sort(replacements.begin(), replacements.end(),
              [](const auto& a, const auto& b) { return a.first.data() > b.first.data(); });
    for (const auto& [value, number] : replacements)
        out.replace(std::size_t(value.data() - text.text().data()), value.size(), number);
    content = std::move(out);
    return true;
}

// What in the file the applet reads otherwise than written, or fails on, as one message per
// line: "file:line: message".
std::vector<std::string> findingLines(const std::string& file, const std::vector<ConfigFinding>& findings,
                                      bool failingOnly) {
    std::vector<std::string> lines;
    for (const ConfigFinding& finding : findings)
        if (!failingOnly || finding.failsLoad)
            lines.push_back(file + (finding.line > 0 ? ":" + std::to_string(finding.line) : "") + ": " +
                            finding.message);
    return lines;
}

// A configuration is a few kilobytes; a file far larger is no configuration of this applet, and
// reading it whole (a link to a device, say) would never end.
constexpr std::uintmax_t kMostConfigurationBytes = 1 << 20;

// The content of a configuration file the applet is about to read; throws naming the file when it
// is far too large to be one.
std::string configurationContent(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string content(kMostConfigurationBytes + 1, '\0');
    in.read(content.data(), std::streamsize(content.size()));
    content.resize(std::size_t(in.gcount()));
    if (content.size() > kMostConfigurationBytes)
        throw std::runtime_error("load " + path + " failed: the file is larger than " +
                                 std::to_string(kMostConfigurationBytes >> 10) +
                                 " KiB; a configuration of this applet is a few kilobytes");
    return content;
}

// The applet's load stores the dead-pixel switch and marks defective pixels by it, but leaves the
// design's replacement switch as its setter last wrote it: off on the board a command opens. Set
// again, the loaded value reaches the design, so that a kept configuration replaces dead pixels as
// it did where it was made.
void followDeadPixelSwitch(const AppletParameters& parameters) {
    const Gh5AppletExports& x = parameters.exports();
    const int32_t id =
        x.Fg_getParameterIdByName(parameters.fg(), "FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE");
    uint32_t value = 0;
    if (id >= 0 && x.Fg_getParameterWithType(parameters.fg(), id, &value, 0, 0) == 0)
        x.Fg_setParameterWithType(parameters.fg(), id, &value, 0, 0);
}

// Throws naming the key and the reason when a text of the applet's settings does not read back
// from the file `written` as it is held.
void refuseUnstorableTexts(const AppletParameters& parameters, const std::string& path,
                           const std::string& written) {
    std::ifstream in(written, std::ios::binary);
    const ConfigText text(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    const auto& pieces = text.pieces();
    for (std::size_t i = text.findPiece(kConfigPortSection).value_or(pieces.size()) + 1; i < pieces.size();
         ++i) {
        const std::string_view line = pieces[i].text;
        const std::size_t equals = line.find("='");
        if (!pieces[i].startsLine || equals == std::string_view::npos)
            continue;
        const std::string key(line.substr(0, equals));
        const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), key.c_str());
        const auto held = id < 0 ? std::nullopt : parameters.text(id);
        const auto found = text.find(kConfigPortSection, key);
        if (!held || (found && found->value == *held))
            continue;
        const std::string why = whyNotStorable(key, *held);
        throw std::runtime_error("save " + path + " refused: " + key + " \"" + *held + "\" " +
                                 (why.empty() ? "does not read back from a configuration file" : why) +
                                 "; nothing was written");
    }
}

} // namespace

std::string brokenLink(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return "";
    const int reason = os::followLinkError(path);
    if (reason == 0)
        return "";
    if (reason != ENOENT)
        return std::strerror(reason); // a loop of links
    return "a symbolic link to " + std::filesystem::read_symlink(path, error).string() +
           ", which does not exist";
}

std::string whyNotReadable(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        const int reason = errno;
        const std::string dangling = reason == ENOENT ? brokenLink(path) : "";
        return dangling.empty() ? std::strerror(reason) : dangling;
    }
    std::fclose(file);
    if (std::filesystem::is_directory(path))
        return std::strerror(EISDIR);
    return "";
}

std::string whyNotWritable(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return std::strerror(EISDIR);
    if (std::filesystem::exists(path, error)) {
        const int reason = os::writeAccessError(path, false);
        return reason == 0 ? "" : std::strerror(reason);
    }
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const std::string directory = parent.empty() ? "." : parent.string();
    const int reason = os::writeAccessError(directory, true);
    return reason == 0 ? "" : std::strerror(reason);
}

ConfigLayout configurationLayout(const AppletParameters& parameters) {
    const TemporaryScf fresh(std::filesystem::temp_directory_path());
    if (const int32_t code = parameters.exports().Fg_saveConfig(parameters.fg(), fresh.path().c_str());
        code != 0)
        throw std::runtime_error("cannot learn the applet's configuration layout: " + codeText(code));
    std::ifstream in(fresh.path(), std::ios::binary);
    const ConfigText text(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    ConfigLayout layout;
    layout.typ = text.headerWord("Typ").value_or("");
    const auto& pieces = text.pieces();
    for (std::size_t i = text.findPiece(kConfigPortSection).value_or(pieces.size()) + 1; i < pieces.size();
         ++i) {
        const std::string_view line = pieces[i].text;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string key(line.substr(0, equals));
        const Node* feature = parameters.findFeature(key);
        const ConfigValueKind kind = line.substr(equals, 2) == "='" ? ConfigValueKind::Text
                                     : feature != nullptr && feature->type == GH5_NODE_DOUBLE
                                         ? ConfigValueKind::Real
                                         : ConfigValueKind::Integer;
        layout.keys.emplace_back(key, kind);
    }
    return layout;
}

void loadConfiguration(const AppletParameters& parameters, const std::string& path, bool problemsAsWarnings) {
    // An unreadable file or a name the reader refuses still goes to the applet, so that the
    // message carries its code; the reason is added from here.
    std::optional<TranslatedCopy> copy;
    std::vector<ConfigFinding> findings;
    const std::string unreadable = whyNotReadable(path);
    if (unreadable.empty() && path.find(kConfigMark) != std::string::npos) {
        std::string content = configurationContent(path);
        const ConfigLayout layout = configurationLayout(parameters);
        const bool translated = translateEntryNames(parameters, layout, path, content);
        // Read as the applet will read it: entry names already turned into their numbers.
        findings = configurationFindings(ConfigText(content), layout);
        if (translated)
            copy.emplace(content);
    }
    const std::string& loaded = copy ? copy->path() : path;
    const int32_t code = parameters.exports().Fg_loadConfig(parameters.fg(), loaded.c_str());
    if (code == 0) {
        followDeadPixelSwitch(parameters);
        // The applet reads repeated keys, cut values and texts that are no numbers without a
        // word, and passes over refused values and missing files: each is named here.
        int problems = 0;
        for (const std::string& line : findingLines(path, findings, false)) {
            std::cerr << "kestrel: " << (problemsAsWarnings ? "warning: " : "") << line << "\n";
            ++problems;
        }
        problems += reportConfigurationProblems(parameters, path, problemsAsWarnings);
        if (problems > 0 && !problemsAsWarnings)
            throw std::runtime_error(path + ": not used for " + std::to_string(problems) +
                                     (problems == 1 ? " problem" : " problems") + " named above");
        return;
    }
    std::string why = "the file is not a complete configuration of this applet";
    if (!unreadable.empty())
        why = "the file cannot be read: " + unreadable;
    else if (path.find(kConfigMark) == std::string::npos)
        why = "the file cannot be read: its name has no .scf";
    else if (const auto failing = findingLines(path, findings, true); !failing.empty()) {
        why.clear();
        constexpr std::size_t kMostNamed = 5;
        for (std::size_t i = 0; i < failing.size() && i < kMostNamed; ++i)
            why += "\n  " + failing[i];
        if (failing.size() > kMostNamed)
            why += "\n  and " + std::to_string(failing.size() - kMostNamed) + " more";
        throw std::runtime_error("load " + path + " failed: " + codeText(code) +
                                 "; the applet refuses the file:" + why);
    }
    throw std::runtime_error("load " + path + " failed: " + codeText(code) + "; " + why);
}

void saveConfiguration(const AppletParameters& parameters, const std::string& path) {
    const auto refused = [&](int32_t code, const std::string& why) {
        return std::runtime_error("save " + path + " failed: " + codeText(code) +
                                  (why.empty() ? "" : "; " + why));
    };
    if (path.find(kConfigMark) == std::string::npos)
        throw refused(parameters.exports().Fg_saveConfig(parameters.fg(), path.c_str()),
                      "a configuration file's name must contain .scf");
    // Written through, the link would make a file elsewhere, or fail for a folder that is not there.
    if (const std::string dangling = brokenLink(path); !dangling.empty())
        throw std::runtime_error("save " + path + " refused: " + dangling + "; nothing was written");
    // The applet writes into a file beside the target, which replaces the target only once it
    // is complete: a full disk never leaves half a configuration where a whole one was. A target
    // that is no regular file gets the finished file copied onto it.
    std::error_code error;
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(target, error))
        target = std::filesystem::weakly_canonical(target, error);
    const auto status = std::filesystem::status(target, error);
    const bool regular = !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
    if (regular && !whyNotWritable(target.string()).empty())
        throw refused(parameters.exports().Fg_saveConfig(parameters.fg(), path.c_str()),
                      whyNotWritable(target.string()));
    const std::filesystem::path parent = target.parent_path().empty() ? "." : target.parent_path();
    const TemporaryScf written(regular ? parent : std::filesystem::temp_directory_path());
    if (const int32_t code = parameters.exports().Fg_saveConfig(parameters.fg(), written.path().c_str());
        code != 0)
        throw refused(code, "");
    // A text the format cannot hold (a quote, a ';', a long path) is written as it is and read
    // back cut: such a file is refused before it replaces anything.
    refuseUnstorableTexts(parameters, path, written.path());
    // Reading the file back is the one check that every key arrived. It is read the way the
    // applet's loader reads it, but not loaded: a load would apply every setting again, and with
    // reference images named it recomputes and uploads the shading coefficients, a second's work
    // for each change a session keeps.
    const ConfigLayout layout = configurationLayout(parameters);
    for (const ConfigFinding& finding :
         configurationFindings(ConfigText(configurationContent(written.path())), layout))
        if (finding.failsLoad)
            throw std::runtime_error("save " + path + " failed: the file came out incomplete (" +
                                     finding.message + "); is the disk full?");
    if (!regular) {
        copyOnto(written.path(), path);
        return;
    }
    matchPermissions(written.path(), target);
    if (const int reason = os::replaceFile(written.path(), target.string()); reason != 0)
        throw std::runtime_error("save " + path + " failed: " + std::strerror(reason));
}

} // namespace kestrel::tool
