#pragma once
// The trip purposes (TfKJUcel) over "kjucel.dta".

#include <array>

#include "logbook/code_list_sort.h"

namespace kj {

namespace ucel {
inline constexpr int kLength = 41;
inline constexpr std::array<ColumnDecl, 1> kColumns = {{
    {{"ucel", 0, 41}, "Účel ", "X", 40},
}};
static_assert(ColumnsTileRecord(kColumns, kLength));
inline constexpr const codec::FieldSpec& kUcel = kColumns[0].field;
}  // namespace ucel

class TfKJUcel : public TfKJSeznam {
public:
    explicit TfKJUcel(Common& c);

protected:
    std::string KlicZVety(const char* record) override;
    std::string HledaciKlic(const char* record) override;
    bool Mensi(const char* a, const char* b) override;
};

std::string CheckPurposeLayout();

}  // namespace kj
