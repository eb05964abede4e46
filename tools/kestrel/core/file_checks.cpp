// File checks of the tool: readable inputs, LUT file content, whole-or-nothing writes.
#include "file_checks.h"

#include "config_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace kestrel::tool {

std::string osReason(int error) {
    return error == 0 ? std::string() : std::string(std::strerror(error));
}

std::string lutFileProblem(const std::string& path) {
    if (std::string reason = whyNotReadable(path); !reason.empty())
        return reason;
    std::ifstream in(path);
    std::string line;
    bool inSection = false;
    long elements = 0;
    bool firstValue = false;
    while (std::getline(in, line)) {
        if (line.find("nrOfElements") != std::string::npos && elements == 0) {
            const auto equals = line.find('=');
            elements = equals == std::string::npos ? 0 : std::atol(line.c_str() + equals + 1);
        }
        if (line.find("[gray]") != std::string::npos)
            inSection = true;
        else if (inSection && line.rfind("0,", 0) == 0)
            firstValue = true;
    }
    if (!inSection)
        return "not a LUT file: no [gray] section";
    if (elements <= 0)
        return "not a LUT file: no positive nrOfElements";
    if (!firstValue)
        return "not a LUT file: no value line for index 0";
    return "";
}

std::string writeWholeFile(const std::string& path, std::string_view content) {
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
    const int fd = ::mkstemps(pattern.data(), int(suffix.size()));
    if (fd < 0)
        throw std::runtime_error("cannot create a temporary file: " + osReason(errno));
    ::close(fd);
    path_ = pattern;
}

TemporaryFile::~TemporaryFile() {
    std::remove(path_.c_str());
}

std::string TemporaryFile::content() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace kestrel::tool
