// File checks of the tool: readable inputs, LUT file content, whole-or-nothing writes.
#include "file_checks.h"

#include "config_file.h"
#include "interrupt.h"
#include "system_calls.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace kestrel::tool {

std::string osReason(int error) {
    return error == 0 ? std::string() : std::string(std::strerror(error));
}

std::string lutFileProblem(const std::string& path) {
    if (std::string reason = whyNotReadable(path); !reason.empty())
        return reason;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    bool inSection = false;
    long long elements = 0;
    bool elementsSeen = false;
    long long filled = 0; // value lines found in index order, as the applet's reader walks them
    while (std::getline(in, line)) {
        if (!elementsSeen && line.find("nrOfElements") != std::string::npos) {
            const auto equals = line.find('=');
            elements = equals == std::string::npos ? 0 : std::atoll(line.c_str() + equals + 1);
            elementsSeen = true;
        }
        if (!inSection) {
            inSection = line.find("[gray]") != std::string::npos;
            if (!inSection)
                continue;
        }
        if (filled < elements && line.find(std::to_string(filled) + ",") != std::string::npos)
            ++filled;
    }
    if (!inSection)
        return "not a LUT file: no [gray] section";
    if (elements <= 0)
        return "not a LUT file: no positive nrOfElements";
    // The applet makes room for nrOfElements values before it reads one.
    if (elements > kMostLutElements)
        return "nrOfElements=" + std::to_string(elements) + " is more than a table holds (" +
               std::to_string(kMostLutElements) + ")";
    if (filled == 0)
        return "not a LUT file: no value line for index 0";
    if (filled < elements)
        return "values for indexes 0 .. " + std::to_string(filled - 1) +
               " of nrOfElements=" + std::to_string(elements) +
               " (is the file cut short?); the applet reads the rest as 0";
    return "";
}

std::string writeWholeFile(const std::string& path, std::string_view content) {
    // Written through, a dangling link would make a file elsewhere or fail with a bare ENOENT.
    if (std::string broken = brokenLink(path); !broken.empty())
        return broken;
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return osReason(errno != 0 ? errno : EIO);
    int error = 0;
    if (std::fwrite(content.data(), 1, content.size(), file) != content.size() || std::fflush(file) != 0)
        error = errno != 0 ? errno : EIO;
    if (std::fclose(file) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    if (error == 0)
        return "";
    std::error_code ignored;
    if (std::filesystem::is_regular_file(path, ignored))
        std::filesystem::remove(path, ignored);
    return osReason(error);
}

TemporaryFile::TemporaryFile(const std::string& suffix) {
    std::string pattern = (std::filesystem::temp_directory_path() / ("kestrel-XXXXXX" + suffix)).string();
    if (const int error = os::createUniqueFile(pattern, suffix.size()); error != 0)
        throw std::runtime_error("cannot create a temporary file: " + osReason(error));
    path_ = pattern;
    inWork_ = std::make_unique<RemovedOnForcedStop>(path_);
}

TemporaryFile::~TemporaryFile() {
    std::remove(path_.c_str());
}

std::string TemporaryFile::content() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace kestrel::tool
