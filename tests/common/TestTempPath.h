// Where a test writes its own files: a folder made for this run of the test
// program (CTest runs tests side by side, each in a process of its own) and
// removed, with all in it, when the program ends, so no run leaves files
// behind. The running test's name leads each file's name, so a test never
// reads what another one wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tavirel::test {

class TestTempFolder {
public:
    TestTempFolder() {
        std::string pattern = ::testing::TempDir() + "tavirel-test-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TestTempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TestTempFolder(const TestTempFolder&) = delete;
    TestTempFolder& operator=(const TestTempFolder&) = delete;

    // Empty when no folder could be made; the tests' writes then fail, naming it.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline std::string TestTempPath(const std::string& name) {
    static const TestTempFolder folder;
    return folder.path() + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" + name;
}

}  // namespace tavirel::test
