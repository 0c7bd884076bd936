#pragma once
// A fresh temporary directory for one test, removed afterwards.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kj {

class TestDir {
public:
    TestDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kjtest-XXXXXX").string();
        char* made = ::mkdtemp(tmpl.data());
        path_ = made ? std::filesystem::path(made) : std::filesystem::path(tmpl);
    }
    ~TestDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

}  // namespace kj
