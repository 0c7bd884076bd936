// A parameter file as it may lie on disk (any line ends, blank lines,
// lines without a key, binary bytes): compaction keeps every value, and a
// key set to a shorter, a longer and its old value reads each back.

#include <algorithm>

#include "fuzz_station.h"
#include "services/cp1250.h"
#include "services/params.h"

using namespace kj;

namespace {

constexpr char kFile[] = "par\\sys.par";

// The keys of the first lines, as GetReg finds them.
std::vector<std::string> KeysOf(std::string_view text) {
    std::vector<std::string> keys;
    for (std::size_t at = 0; at < text.size() && keys.size() < 6;) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && colon >= 2 && line.find('\r') > colon)
            keys.emplace_back(line.substr(0, colon - 1));
    }
    keys.push_back("Nový klíč"_cz);
    return keys;
}

// What GetReg gives after SetReg stored `value` under `key`.
std::string Stored(const std::string& key, std::string value) {
    std::replace(value.begin(), value.end(), '\r', ' ');
    std::replace(value.begin(), value.end(), '\n', ' ');
    return value.substr(0, std::min(kRegLineMax - key.size() - 3, kRegValueMax));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    const std::string_view input = fuzz::Bytes(data, size);
    WriteHost(s.Work("par/sys.par"), std::string(input));
    const std::vector<std::string> keys = KeysOf(input);
    std::vector<std::string> before;
    for (const std::string& key : keys) before.push_back(GetReg(s.c, kFile, key));

    SetReg(s.c, kFile, "", "");
    for (std::size_t i = 0; i < keys.size(); ++i)
        FUZZ_CHECK(GetReg(s.c, kFile, keys[i]) == before[i]);

    const auto lines = static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n'));
    const bool roomy = lines + 20 < kRegMaxLines;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string& key = keys[i];
        for (const std::string& value : {before[i] + "x", std::string("1"), before[i]}) {
            SetReg(s.c, kFile, key, value);
            const std::string expected = Stored(key, value);
            if (roomy && key.size() + 3 < kRegLineMax && expected.find_first_not_of(' ') != std::string::npos)
                FUZZ_CHECK(GetReg(s.c, kFile, key) == expected);
        }
    }
    return 0;
}
