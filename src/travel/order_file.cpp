#include "travel/order_file.h"

#include "services/record_file.h"

namespace kj {

std::string& OrderFileName() {
    static std::string name;
    return name;
}

std::string DefaultOrderFile(std::string_view registration) {
    return (std::string(kOrderDirectory) + "\\w" + std::string(registration)).substr(0, 18) + ".cpr";
}

std::string CprNameOfChosen(std::string_view chosen) {
    const std::size_t slash = chosen.find_last_of("\\/");
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = chosen.find('.', nameStart);
    return std::string(chosen.substr(0, dot)) + ".cpr";
}

}  // namespace kj
