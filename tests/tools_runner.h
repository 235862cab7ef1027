// The command-line tools run as a user runs them, each test in a folder of its own (ctest may run
// the tests side by side, and other builds on the machine run the same tests).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "encoder/encoder.h"

namespace tavik::test {

inline std::vector<uint8_t> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ToolRunner : public ::testing::Test {
  protected:
    void SetUp() override {
        tools_ = std::string(TAVIK_TOOLS_DIR) + "/";
        for (const char* tool : {"tavik-encode", "tavik-dump"})
            if (!std::ifstream(tools_ + tool)) GTEST_SKIP() << tool << " is not built";
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = ::testing::TempDir() + "/tavik_" + info->test_suite_name() + "_" + info->name() +
               "_" + std::to_string(getpid()) + "/";
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        if (!dir_.empty() && !HasFailure()) std::filesystem::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + name; }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        ASSERT_TRUE(enc::WriteFile(Path(name), bytes));
    }
    void WriteText(const std::string& name, const std::string& text) const {
        Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    std::vector<uint8_t> Read(const std::string& name) const { return ReadWhole(Path(name)); }
    // Runs a tool with a shell command line; returns its exit status and keeps its standard error.
    int Run(const std::string& tool, const std::string& arguments) {
        const std::string errors = Path("stderr.txt");
        const int status = std::system((tools_ + tool + " " + arguments + " 2>" + errors).c_str());
        std::ifstream file(errors);
        stderr_.assign(std::istreambuf_iterator<char>(file), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string tools_, dir_, stderr_;
};

}  // namespace tavik::test
