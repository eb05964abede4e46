// A fresh directory per test for the files a test writes and reads, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace kestrel::test {

class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        // create_directory answers false for a name that exists, so a parallel run never shares one.
        std::mt19937_64 names(std::random_device{}());
        const std::filesystem::path temp = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
            const std::filesystem::path candidate = temp / ("kestrel-test-" + std::to_string(names()));
            if (std::filesystem::create_directory(candidate))
                dir_ = candidate;
        }
        ASSERT_FALSE(dir_.empty()) << "no scratch directory could be made in " << temp;
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
