#pragma once
// What the fuzz harnesses share: a station in a temporary directory that is
// emptied before every input, the input cut into the files it stands for,
// and the checks that end the run (libFuzzer keeps the input) when a
// harness meets a wrong result or a wait that never ends.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "print_station.h"
#include "test_dir.h"

#define FUZZ_CHECK(cond)                                                            \
    do {                                                                            \
        if (!(cond)) {                                                              \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                           \
        }                                                                           \
    } while (0)

namespace kj::fuzz {

namespace fs = std::filesystem;

// A station working in <dir>/work, program directory <dir>/PROG, data
// directory <dir>/DATA, locking off; made afresh for every input. Every note
// and message counts as one step of a wait: more than `maxWaits` of them in
// one input is a wait that never ends.
inline printtest::Station& FreshStation(int maxWaits = 2000) {
    static TestDir dir;
    static std::unique_ptr<printtest::Station> station;
    station.reset();
    for (const auto& e : fs::directory_iterator(dir.path())) fs::remove_all(e.path());
    fs::create_directories(dir.path() / "DATA");
    station = std::make_unique<printtest::Station>(dir.path());
    auto count = [maxWaits, n = 0](const ScriptedDialogs::Shown& shown) mutable {
        if (++n <= maxWaits) return;
        std::fprintf(stderr, "endless wait: %s\n", shown.text.c_str());
        std::abort();
    };
    station->ui.onNote = count;
    station->ui.onBeep = count;
    return *station;
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input cut at each `mark` into exactly n parts (the last takes the
// rest, missing ones are empty): one input holding several files.
inline std::vector<std::string> Parts(std::string_view input, std::string_view mark,
                                      std::size_t n) {
    std::vector<std::string> parts;
    while (parts.size() + 1 < n) {
        std::size_t at = input.find(mark);
        if (at == std::string_view::npos) break;
        parts.emplace_back(input.substr(0, at));
        input.remove_prefix(at + mark.size());
    }
    parts.emplace_back(input);
    parts.resize(n);
    return parts;
}

}  // namespace kj::fuzz
