// Loading and saving configuration files through the applet, with entry names and OS reasons.
#include "config_file.h"

#include "configuration_check.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

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
        const int fd = ::mkstemps(pattern.data(), 4);
        if (fd < 0)
            throw std::runtime_error("cannot create a temporary file in " + directory.string() + ": " +
                                     std::strerror(errno));
        ::close(fd);
        path_ = pattern;
    }
    TemporaryScf(const TemporaryScf&) = delete;
    TemporaryScf& operator=(const TemporaryScf&) = delete;
    ~TemporaryScf() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
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
    if (error || permissions == std::filesystem::perms::unknown) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = static_cast<std::filesystem::perms>(0666 & ~mask);
    }
    std::filesystem::permissions(file, permissions, error);
}

// Replaces "KEY=NAME;" by "KEY=VALUE;" for every enumeration KEY whose value is an entry name.
// Returns whether anything changed; throws naming the line of an unknown entry.
bool translateEntryNames(const AppletParameters& parameters, const std::string& file, std::string& content) {
    std::istringstream in(content);
    std::string out;
    std::string line;
    bool changed = false;
    for (int number = 1; std::getline(in, line); ++number) {
        const auto equals = line.find('=');
        const Node* feature =
            equals == std::string::npos ? nullptr : parameters.findFeature(line.substr(0, equals));
        if (feature != nullptr && feature->type == kestrel::kNodeEnumeration) {
            const auto end = line.find(';', equals + 1);
            std::string value =
                line.substr(equals + 1, end == std::string::npos ? std::string::npos : end - equals - 1);
            if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
                value = value.substr(1, value.size() - 2);
            if (!isNumber(value)) {
                const auto entry = entryValue(feature, value);
                if (!entry)
                    throw std::runtime_error(file + ":" + std::to_string(number) + ": " +
                                             line.substr(0, equals) + ": no entry " + value +
                                             "; entries: " + rangeText(feature));
                line = line.substr(0, equals + 1) + std::to_string(*entry) +
                       (end == std::string::npos ? ";" : line.substr(end));
                changed = true;
            }
        }
        out += line;
        if (!in.eof())
            out += '\n';
    }
    if (changed)
        content = std::move(out);
    return changed;
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

} // namespace

std::string whyNotReadable(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::strerror(errno);
    std::fclose(file);
    if (std::filesystem::is_directory(path))
        return std::strerror(EISDIR);
    return "";
}

std::string whyNotWritable(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return std::strerror(EISDIR);
    if (std::filesystem::exists(path, error))
        return ::access(path.c_str(), W_OK) == 0 ? "" : std::strerror(errno);
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const std::string directory = parent.empty() ? "." : parent.string();
    return ::access(directory.c_str(), W_OK | X_OK) == 0 ? "" : std::strerror(errno);
}

void loadConfiguration(const AppletParameters& parameters, const std::string& path, bool problemsAsWarnings) {
    // An unreadable file or a name the reader refuses still goes to the applet, so that the
    // message carries its code; the reason is added from here.
    std::optional<TranslatedCopy> copy;
    const std::string unreadable = whyNotReadable(path);
    if (unreadable.empty() && path.find(kConfigMark) != std::string::npos) {
        std::ifstream in(path, std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (translateEntryNames(parameters, path, content))
            copy.emplace(content);
    }
    const std::string& loaded = copy ? copy->path() : path;
    const int32_t code = parameters.exports().Fg_loadConfig(parameters.fg(), loaded.c_str());
    if (code == 0) {
        followDeadPixelSwitch(parameters);
        // The applet passes over refused values and missing files without a word.
        if (const int problems = reportConfigurationProblems(parameters, path, problemsAsWarnings);
            problems > 0 && !problemsAsWarnings)
            throw std::runtime_error(path + ": " + std::to_string(problems) +
                                     (problems == 1 ? " setting was" : " settings were") + " not taken");
        return;
    }
    std::string why = "the file is not a complete configuration of this applet";
    if (!unreadable.empty())
        why = "the file cannot be read: " + unreadable;
    else if (path.find(kConfigMark) == std::string::npos)
        why = "the file cannot be read: its name has no .scf";
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
    // Reading the file back is the one check that every key arrived: the applet's reader refuses
    // a file that lacks any of them.
    if (const int32_t code = parameters.exports().Fg_loadConfig(parameters.fg(), written.path().c_str());
        code != 0)
        throw std::runtime_error("save " + path + " failed: the file came out incomplete (" + codeText(code) +
                                 "); is the disk full?");
    if (!regular) {
        copyOnto(written.path(), path);
        return;
    }
    matchPermissions(written.path(), target);
    if (std::rename(written.path().c_str(), target.c_str()) != 0)
        throw std::runtime_error("save " + path + " failed: " + std::strerror(errno));
}

} // namespace kestrel::tool
