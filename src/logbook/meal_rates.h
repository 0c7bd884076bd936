#pragma once
// The meal-allowance rates by trip length (TfKJStrav) over "kjstra.dta",
// kept in ascending order of the hours threshold: a trip longer than a
// threshold earns its amount.

#include <array>

#include "logbook/code_list_sort.h"

namespace kj {

namespace strav {
inline constexpr int kLength = 12;
inline constexpr std::array<ColumnDecl, 2> kColumns = {{
    {{"hodin", 0, 6}, "Pracovní cesta nad hodin ", "##.##R", 5},
    {{"castka", 6, 6}, "Náhrada stravného v Kč   ", "####.##R", 7},
}};
static_assert(ColumnsTileRecord(kColumns, kLength));
inline constexpr const codec::FieldSpec& kHodin = kColumns[0].field;
inline constexpr const codec::FieldSpec& kCastka = kColumns[1].field;
inline constexpr const char* kCastkaPicture = "####.##";
}  // namespace strav

class TfKJStrav : public TfKJSeznam {
public:
    explicit TfKJStrav(Common& c);

protected:
    // The amount formatted by the amount column's mask.
    std::string KlicZVety(const char* record) override;
    std::string HledaciKlic(const char* record) override;
    bool Mensi(const char* a, const char* b) override;
};

std::string CheckMealRateLayout();

}  // namespace kj
