#pragma once
// Tfvpc without its widgets: the expense settlement sheet's texts, one row
// per journey leg from the trips marked in the logbook, the recalculation
// of the amounts, and its keys in the travel order file.
//
// Amounts are read with StrToFloatLoose (an empty field is 0). A total that
// needs more digits than its picture has is written with more digits
// rather than losing its leading ones.

#include <array>
#include <string>
#include <vector>

#include "logbook/car_list.h"
#include "logbook/trip_record.h"
#include "services/common.h"
#include "travel/sheet_layout.h"

namespace kj {

// One settlement row as derived from the trips.
struct SettlementRow {
    std::string dat, o, p, oh, ph, a, b, c, d, g, ep, ek;
};
using SettlementRowList = std::array<SettlementRow, kSettlementRows>;

// One row per trip with one or two places, one row per leg for a route of
// more places (its km and meal allowance on the last leg). For a private
// car the rows carry "AUV" and the trip's rates per km, for a company car
// "AUS". When the rows run out, "Formulář je plný. Další zápisy
// nezpracuji." is shown once and the rest is left out.
SettlementRowList DeriveSettlement(Dialogs& ui, const std::vector<VetaJizdy>& trips,
                                   const VetaAuta& car);

// The key an up-to-date file carries: the start and end of work are then
// under "zac"n/"kon"n, else under "ep"n/"ek"n.
inline constexpr const char* kSeparateStartEndKey = "zackon";

class Tfvpc {
public:
    // `orderFile` and `car` must outlive the sheet (see Tfcestprik).
    Tfvpc(Common& c, const std::string& orderFile, const VetaAuta& car);

    static const SheetLayout& Layout() { return SettlementLayout(); }
    SheetTexts& texts() { return texts_; }
    const SheetTexts& texts() const { return texts_; }
    std::string FileName() const;

    // Loads the file ("dat" becomes the working date when empty), then
    // takes the rows over from `marked` (asking "Přepsat seznam cest ?"
    // when the loaded rows hold anything).
    void FillSettlementSheet(const std::vector<VetaJizdy>& marked);
    // Sets the 22 rows from `marked`, the start and end of each day, and
    // recalculates.
    void SettlementRows(const std::vector<VetaJizdy>& marked);
    // Row totals, column totals, the total and the amount to settle.
    void Recalculate();
    // True for the fields whose leaving recalculates the sheet.
    static bool RecalculatesOnLeave(const std::string& field);
    // Writes the stored fields key by key in the file's order.
    void SaveSettlementSheet();
    // FormClose: saves when there is something to save (see Tfcestprik).
    void CloseSettlementSheet();
    void MarkChanged() { pending_ = true; }
    bool pending() const { return pending_; }

    bool printWithPicture = false;

private:
    bool RowsEmpty() const;
    void ClearRows();
    // The column totals, the total and the amount to settle from the rows as
    // they are shown; these are not stored in the file.
    void Totals();

    Common& c_;
    const std::string& orderFile_;
    const VetaAuta& car_;
    SheetTexts texts_;
    bool pending_ = false;
};

}  // namespace kj
