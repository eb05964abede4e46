// Loading and saving configuration files through the applet, with entry names and OS reasons.
#include "config_file.h"

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

// A copy of the user's file with entry names replaced by their values; removed with the object.
class TranslatedCopy {
public:
    TranslatedCopy(const TranslatedCopy&) = delete;
    TranslatedCopy& operator=(const TranslatedCopy&) = delete;
    explicit TranslatedCopy(const std::string& content) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-config-XXXXXX.scf").string();
        const int fd = ::mkstemps(pattern.data(), 4);
        if (fd < 0)
            throw std::runtime_error("cannot create a temporary configuration file: " +
                                     std::string(std::strerror(errno)));
        path_ = pattern;
        const bool written =
            ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
        ::close(fd);
        if (!written)
            throw std::runtime_error("cannot write the temporary configuration file " + path_);
    }
    ~TranslatedCopy() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

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

void loadConfiguration(const AppletParameters& parameters, const std::string& path) {
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
    if (code == 0)
        return;
    std::string why = "the file is not a complete configuration of this applet";
    if (!unreadable.empty())
        why = "the file cannot be read: " + unreadable;
    else if (path.find(kConfigMark) == std::string::npos)
        why = "the file cannot be read: its name has no .scf";
    throw std::runtime_error("load " + path + " failed: " + codeText(code) + "; " + why);
}

void saveConfiguration(const AppletParameters& parameters, const std::string& path) {
    const int32_t code = parameters.exports().Fg_saveConfig(parameters.fg(), path.c_str());
    if (code == 0)
        return;
    std::string why = whyNotWritable(path);
    if (path.find(kConfigMark) == std::string::npos)
        why = "a configuration file's name must contain .scf";
    throw std::runtime_error("save " + path + " failed: " + codeText(code) + (why.empty() ? "" : "; " + why));
}

} // namespace kestrel::tool
