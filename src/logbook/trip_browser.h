#pragma once
// What the logbook (TfKJ_jizdy) and the generated-trips browser
// (TfKJ_jgener) share: a table browser over trip records with the rules of
// the trip editor, written once.
//
// Leaving a field (OpustPole, after the base normalisation):
//   1 date      blank or "000000" is today's working date; a text that is no
//               date shows "Chybné datum", is cleared and keeps the cursor;
//   4, 5 km     the odometer box becomes, while adding, the template's
//               reading + business km + private km, while editing the stored
//               reading - stored km + the km in the boxes (only for the car
//               kinds TachometrPriOpusteni allows);
//   6 odometer  what the user typed stands: the reading of an odometer-setting
//               record can only be typed here;
//   9, 10 hours while adding only: the meal allowance of the duration.
// Enter in a field, or F1 in it (PoEnteruPole): 1 the calendar, 2 the
// places (place, km, odometer), 3 the purposes, 4 the destinations (place,
// purpose, km, odometer, then on to field 7), 11 the meal rates; a pick
// counts only when its list was left with Enter. F5 in field 2 reverses the
// route. F1 elsewhere is the browser's help.
//
// A descendant builds its columns, then calls PrevezmiSablonu (the blank
// record becomes the template) and NactiStravne.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "logbook/trip_record.h"
#include "logbook/trip_rules.h"
#include "screens/table_browser.h"

namespace kj {

class TfKJCile;
class TfKJSeznam;
class TfKJStrav;
class TfKJUcel;
class TfKJlMista;
class TfKalendar;

class TripBrowser : public TfSoub {
public:
    TripBrowser(Common& c, std::string windowName);
    ~TripBrowser() override;

    // ---- what the owner fills ----
    // Shows a pick list (or the generator's destinations) modally; without
    // it a list counts as left with Esc.
    std::function<void(TfSoub&)> showPickList;
    // The calendar of the date field (its form attached); none: no calendar.
    TfKalendar* kalendar = nullptr;

    // ---- state ----
    // The car kind ("SOU", "SLU", "STR"; anything else behaves as "SOU").
    const std::string& druh() const { return druh_; }
    bool JeStroj() const { return druh_ == kDruhStroj; }
    // The record a new trip starts from, and the blank record it was taken
    // from (261 bytes each, as the browser holds them).
    std::string& sablona() { return sablona_; }
    const std::string& prazdnaVeta() const { return prazdna_; }
    const TabulkaStravneho& tabulkaStravneho() const { return stravne_; }

    // The lookup lists (made on first use).
    TfKJlMista& Mista();
    TfKJUcel& Ucely();
    TfKJCile& Cile();
    TfKJStrav& Strava();

protected:
    void NastavDruh(std::string druh) { druh_ = std::move(druh); }
    // The blank record of the columns just set becomes the template (bytes
    // after the columns are zeros).
    void PrevezmiSablonu();
    void NactiStravne();
    // Leaving fields 4 and 5 recomputes the odometer (the lookups always do).
    virtual bool TachometrPriOpusteni() const = 0;
    // F1 outside the lookup fields, and F1 in the list.
    virtual void Napoveda() = 0;
    void Pomoc(const std::string& file, const std::string& topic);

    void OpustPole(int field, std::string& text) override;
    void PoEnteruPole(int field) override;
    void NapovedaEditoru() override;
    void EdF5() override;
    void KlF1() override { Napoveda(); }
    void KlicHledani(int row, std::string& text) override;
    // The odometer and meal rules know adding and editing only: Shift+F4
    // (editing a record as if it were new) is not offered here.
    void KlShiftF4() override {}

    // Opens a list, shows it and reads the chosen record when it was left
    // with Enter on a record that is not deleted; the caller closes it.
    bool Vyber(TfKJSeznam& list);
    // The km of field 4 or 5 as the boxes hold them; `leaving` is the field
    // being left, whose text is `text`.
    double Km(int field, int leaving, const std::string& text);
    // The odometer box by the add/edit rule; into `text` when leaving field
    // 6 would receive it, else into the box.
    void PrepocitejTachometr(int leaving, std::string& text);

private:
    void DatumPriOpusteni(std::string& text, const std::string& typed);
    void StravnePriOpusteni(int leaving, const std::string& text);
    void VyberDatum();
    void VyberMisto();
    void VyberUcel();
    void VyberCil();
    void VyberStravne();

    std::string druh_;
    std::string sablona_;
    std::string prazdna_;
    TabulkaStravneho stravne_;
    std::unique_ptr<TfKJlMista> mista_;
    std::unique_ptr<TfKJUcel> ucely_;
    std::unique_ptr<TfKJCile> cile_;
    std::unique_ptr<TfKJStrav> strava_;
};

}  // namespace kj
