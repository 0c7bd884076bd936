#include "screens/pen_code.h"

#include "services/cp1250.h"

namespace kj {

std::string PrevedKod(std::string_view text) {
    static const std::string small = "é+ěščřžýáí"_cz;
    static const std::string capital = "É+ĚŠČŘŽÝÁÍ"_cz;
    std::string out(text);
    for (char& ch : out) {
        std::size_t p = small.find(ch);
        if (p == std::string::npos) p = capital.find(ch);
        if (p != std::string::npos) ch = static_cast<char>('0' + p);
    }
    return out;
}

}  // namespace kj
