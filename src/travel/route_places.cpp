#include "travel/route_places.h"

#include "services/picture.h"

namespace kj {

std::vector<std::string> RoutePlaces(std::string_view route) {
    std::vector<std::string> places;
    std::string current;
    auto take = [&] {
        places.push_back(Cut(StripLeft(StripRight(current)), kPlaceMax));
        current.clear();
    };
    for (char ch : route) {
        if (ch == ',' || ch == '-' || ch == ':')
            take();
        else
            current.push_back(ch);
    }
    if (!StripRight(current).empty()) take();
    return places;
}

std::string SheetCarKind(const VetaAuta& car) {
    return UpperCz(StripDiacritics(car.Text(auta::kDruh).substr(0, 4)));
}

std::string Cut(std::string_view text, std::size_t n) { return std::string(text.substr(0, n)); }

}  // namespace kj
