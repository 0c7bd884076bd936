#include "services/collate.h"

#include "services/cp1250.h"

namespace kj {
namespace {

// Stand-in codes for the digraph in its three spellings.
constexpr char kCH = '\xA0';
constexpr char kCh = '\xA1';
constexpr char kch = '\xA2';

std::array<std::uint8_t, 256> BuildWeights() {
    const std::string letters = "AaÁáÂĂÄäBbCcČčDdĎďEeÉéĚěęëFfGgHh"_cz + std::string{kCH, kCh, kch} +
                                "IiÍíîJjKkLlĹľMmNnŇňOoÓóőÔôŐÖöPpQqRrŘřSsŠšTtŤťUuÚúŮůŰűÜüVvWwXxYyÝýZzŽž"_cz;
    std::array<std::uint8_t, 256> w{};
    std::array<bool, 256> given{};
    for (int code = 0; code <= 64; ++code) {
        w[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(code);
        given[static_cast<std::size_t>(code)] = true;
    }
    int next = 65;
    for (char ch : letters) {
        auto code = static_cast<unsigned char>(ch);
        w[code] = static_cast<std::uint8_t>(next++);
        given[code] = true;
    }
    for (int code = 65; code < 256; ++code) {
        if (given[static_cast<std::size_t>(code)]) continue;
        w[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(next++);
    }
    return w;
}

void JoinFirst(std::string& text, std::string_view digraph, char code) {
    auto pos = text.find(digraph);
    if (pos != std::string::npos) text.replace(pos, digraph.size(), 1, code);
}

}  // namespace

const std::array<std::uint8_t, 256>& CzechWeights() {
    static const std::array<std::uint8_t, 256> weights = BuildWeights();
    return weights;
}

std::string CollateKey(std::string_view text) {
    std::string key(text);
    JoinFirst(key, "CH", kCH);
    JoinFirst(key, "Ch", kCh);
    JoinFirst(key, "ch", kch);
    const auto& w = CzechWeights();
    for (char& c : key) c = static_cast<char>(w[static_cast<unsigned char>(c)]);
    return key;
}

}  // namespace kj
