// A fresh folder per test for the configuration files the tests write and read.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kestrel::test {

class ScratchFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-config-io-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }

    std::string writeFile(const std::string& name, const std::string& content) const {
        const std::string full = path(name);
        std::ofstream(full, std::ios::binary) << content;
        return full;
    }
    static std::string readFile(const std::string& full) {
        std::ifstream in(full, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path dir_;
};

// The text without the first line (after the first) that begins with `key=`.
inline std::string withoutKey(const std::string& text, const std::string& key) {
    const std::size_t at = text.find('\n' + key + "=");
    if (at == std::string::npos)
        return text;
    const std::size_t end = text.find('\n', at + 1);
    return text.substr(0, at) + (end == std::string::npos ? "\n" : text.substr(end));
}

// The text with the value of the first line `key=...;` replaced.
inline std::string withValue(const std::string& text, const std::string& key, const std::string& value) {
    const std::string start = '\n' + key + "=";
    const std::size_t at = text.find(start);
    if (at == std::string::npos)
        return text;
    const std::size_t end = text.find(';', at);
    return text.substr(0, at + start.size()) + value + text.substr(end);
}

} // namespace kestrel::test
