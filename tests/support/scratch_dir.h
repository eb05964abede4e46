// A fresh directory per test for the files a test writes and reads, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kestrel::test {

class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-test-XXXXXX").string();
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

} // namespace kestrel::test
