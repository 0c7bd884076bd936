#pragma once
// Reading and planting host files in tests, byte for byte.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kj {

inline std::string ReadHost(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteHost(const std::filesystem::path& p, const std::string& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace kj
