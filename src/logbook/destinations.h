#pragma once
// The destinations (TfKJCile) over "kjcile.dta": trips made again and
// again, a place (or route), a purpose and the business km. Enter in the
// place field picks from the places list (place and km), in the purpose
// field from the purposes list. The logbook and the generator read the
// picked record from the record buffer.

#include <array>
#include <functional>
#include <memory>

#include "logbook/code_list_sort.h"
#include "logbook/places.h"
#include "logbook/purposes.h"

namespace kj {

namespace cile {
inline constexpr int kLength = 95;
inline constexpr std::array<ColumnDecl, 4> kColumns = {{
    {{"misto", 0, 41}, ">Místo    ", "X", 40},
    {{"ucel", 41, 41}, ">Účel     ", "X", 40},
    {{"km", 82, 6}, "Km služ.  ", "######.##R", 9},
    {{"datum", 88, 7}, "DDMMRR    ", "X", 6},
}};
static_assert(ColumnsTileRecord(kColumns, kLength));
inline constexpr const codec::FieldSpec& kMisto = kColumns[0].field;
inline constexpr const codec::FieldSpec& kUcel = kColumns[1].field;
inline constexpr const codec::FieldSpec& kKm = kColumns[2].field;
inline constexpr const codec::FieldSpec& kDatum = kColumns[3].field;
inline constexpr int kFieldMisto = 1;
inline constexpr int kFieldUcel = 2;
inline constexpr int kFieldKm = 3;
}  // namespace cile

class TfKJCile : public TfKJSeznam {
public:
    explicit TfKJCile(Common& c);

    // Shows a pick list modally (the view runs its form; tests send keys).
    // Without it a pick list closes at once as left with Esc.
    std::function<void(TfSoub&)> showPickList;

    TfKJlMista& mista() { return mista_; }
    TfKJUcel& ucely() { return ucely_; }

protected:
    void OpustPole(int field, std::string& text) override;
    void PoEnteruPole(int field) override;
    // Pop-up menu: 2 "&Nový záznam" adds, 3 "&Zruš záznam" deletes.
    void PolozkaMenu(int item) override;
    std::string KlicZVety(const char* record) override;
    std::string HledaciKlic(const char* record) override;
    bool Mensi(const char* a, const char* b) override;

private:
    // Opens a list, shows it, and when it was left with Enter reads the
    // chosen record into its buffer; the list is closed afterwards by the
    // caller through Zavri. True after a choice.
    bool Vyber(TfKJSeznam& list);

    TfKJlMista mista_;
    TfKJUcel ucely_;
};

std::string CheckDestinationLayout();

}  // namespace kj
