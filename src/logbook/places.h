#pragma once
// The places with their one-way distance (TfKJlMista) over "kjmista.dta".

#include <array>

#include "logbook/code_list_sort.h"

namespace kj {

namespace mista {
inline constexpr int kLength = 47;
inline constexpr std::array<ColumnDecl, 2> kColumns = {{
    {{"misto", 0, 41}, "Místo ", "X", 40},
    {{"km", 41, 6}, "Km    ", "######.##-R", 10},
}};
static_assert(ColumnsTileRecord(kColumns, kLength));
inline constexpr const codec::FieldSpec& kMisto = kColumns[0].field;
inline constexpr const codec::FieldSpec& kKm = kColumns[1].field;
}  // namespace mista

class TfKJlMista : public TfKJSeznam {
public:
    explicit TfKJlMista(Common& c);

protected:
    std::string KlicZVety(const char* record) override;
    std::string HledaciKlic(const char* record) override;
    bool Mensi(const char* a, const char* b) override;
};

std::string CheckPlaceLayout();

}  // namespace kj
