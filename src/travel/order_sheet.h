#pragma once
// Tfcestprik without its widgets: the travel order sheet's texts, filled
// from the trips marked in the logbook and from the current car, loaded
// from and saved to the travel order file.
//
// It does not show anything or print: the Qt form renders the texts and
// PrintSheet (sheet_print.h) prints them.

#include <array>
#include <string>
#include <vector>

#include "logbook/car_list.h"
#include "logbook/trip_record.h"
#include "services/common.h"
#include "travel/sheet_layout.h"

namespace kj {

// The journey columns as derived from the trips: start, place of business,
// purpose, end; element 0 is row 1.
struct JourneyColumns {
    std::array<std::string, kJourneyRows> p, m, u, k;
};

inline constexpr std::size_t kJourneyCellMax = 50;

// Groups the trips by day (in the order given) and writes each day of
// business trips as two rows: the places on the first (the first place,
// the places marked "*", the purposes, the last place), the date with the
// departure and arrival hours on the second. Trips without business km are
// skipped; a day with fewer than two places is dropped. When an eighth day
// begins, "Načítání dat končí zápisem " + its date and place is shown and
// the rest is left out.
JourneyColumns DeriveJourney(Dialogs& ui, const std::vector<VetaJizdy>& trips);

class Tfcestprik {
public:
    // `orderFile` (normally OrderFileName()) and `car` (normally
    // AktualniVozidlo()) must outlive the sheet; they are read at every
    // fill and save.
    Tfcestprik(Common& c, const std::string& orderFile, const VetaAuta& car);

    static const SheetLayout& Layout() { return OrderLayout(); }
    SheetTexts& texts() { return texts_; }
    const SheetTexts& texts() const { return texts_; }

    // The file loaded and saved: OrderFileName, or the default name of the
    // current car when it is empty.
    std::string FileName() const;

    // Derives the journey rows from `marked`, loads the file, applies the
    // car's defaults to empty fields and sets the journey rows (asking
    // "Přepsat seznam cest ?" when the loaded journey holds anything).
    void FillOrderSheet(const std::vector<VetaJizdy>& marked);
    // Writes every stored field, key by key in the file's order.
    void SaveOrderSheet();
    // FormClose: saves the sheet when it holds something to save (it was
    // filled, edited or given a new file name since it was last saved). A
    // sheet that was only shown is not written, so its stale or empty
    // texts never wipe the keys of a file it did not load.
    void CloseOrderSheet();
    // The user typed into a field, or the file got a new name.
    void MarkChanged() { pending_ = true; }
    bool pending() const { return pending_; }

    // Set by the "Tisk" button: the next prints carry the form picture.
    bool printWithPicture = false;

private:
    void Load();
    void ApplyCarDefaults();
    void SetJourneyRows(const JourneyColumns& journey);
    bool JourneyEmpty() const;

    Common& c_;
    const std::string& orderFile_;
    const VetaAuta& car_;
    SheetTexts texts_;
    bool pending_ = false;
};

}  // namespace kj
