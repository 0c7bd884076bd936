#pragma once
// The trip logbook TfKJ_jizdy: the table browser over one car's logbook
// file, the registration without blanks, upper-cased, + ".dta" (the car is
// AktualniVozidlo). Columns, titles and hidden fields follow the car kind;
// the trip editor's rules are TripBrowser's.
//
// Several stations may browse one book:
//   - F4 holds the write lock on the registration (the book's name without
//     ".dta") from reading the last trip to appending the new one, so two
//     stations adding trips to one car take turns and neither overwrites
//     the other's trip;
//   - Space relies on the browser's check that the record did not change
//     meanwhile;
//   - the book sort runs only when no other station has the book open
//     (IfVolny), and holds the book's write lock while it rewrites the file:
//     a station opening the book meanwhile waits for the sorted file
//     instead of writing into the one being replaced.
//
// Closing (Zavri, the shell's closing step): when a record was written or
// records were appended since the last sort (the counter under the book's
// name in the data directory's "master.job"), the book sort runs with the
// odometer question; then the browser lets go of the file.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "logbook/logbook_sort.h"
#include "logbook/trip_browser.h"

namespace kj {

class TfKJ_jgener;

// Pop-up menu items of the logbook (F10).
namespace kniha_menu {
inline constexpr int kOprava = 1;
inline constexpr int kNovy = 2;
inline constexpr int kZrus = 3;
inline constexpr int kHledej = 4;
inline constexpr int kGenerator = 5;
inline constexpr int kSerazeni = 6;
inline constexpr int kVyhodnoceni = 7;
inline constexpr int kOpis = 8;
inline constexpr int kCestovniPrikaz = 9;
inline constexpr int kSazby = 10;
}  // namespace kniha_menu

class TfKJ_jizdy : public TripBrowser {
public:
    explicit TfKJ_jizdy(Common& c);
    ~TfKJ_jizdy() override;

    // Opens the book `fileName` of the current car (AktualniVozidlo): the
    // caption, the columns of the car kind, the template and the meal-
    // allowance table. Returns the DOS code of opening the file.
    int Otevri(std::string_view fileName);
    // The closing step: the sort after changes, then the file released.
    void Zavri();

    // ---- menu commands ----
    // Ctrl+G: the trip generator (trip_generator.cpp).
    void Generator();
    // Ctrl+S: the book sort with the odometer question, then the redraw.
    void SeradZapisy();
    // "Prepočítej sazby od tohoto místa": the current row's rates to every
    // later record.
    void PrepocitejSazby();
    // Ctrl+V, Ctrl+O: the reports; Ctrl+C: the travel order.
    void KnihaSVyhodnocenim();
    void OpisSMezisoucty();
    void CestovniPrikaz();

    // ---- what the shell fills ----
    // The two reports, given this browser (its file, period, car).
    std::function<void(TfKJ_jizdy&)> knihaSVyhodnocenim;
    std::function<void(TfKJ_jizdy&)> opisSMezisoucty;
    // The travel order over the ".cpr" file named for this car, with the
    // trips marked with Insert (in book order).
    std::function<void(TfKJ_jizdy&, const std::string& orderFile)> cestovniPrikaz;
    // Shows the generated trips modally (with their km label).
    std::function<void(TfKJ_jgener&)> showGenerated;
    // The generator's seed; empty: the time of day.
    std::function<std::uint32_t()> seedGeneratoru;

    // ---- state ----
    // The registration as the book is named: "5Z12345" for "5Z12345.dta".
    const std::string& registrace() const { return registrace_; }
    // The list's heading line of the car kind.
    const std::string& hlavickaSeznamu() const { return hlavicka_; }
    // The period the generator and the reports share (their dialogs decide
    // the form they keep it in).
    std::string obdobiOd, obdobiDo;
    // The km of the last generator run (G), followed by the generated-trips
    // browser's edits and deletions.
    double vygenerovaneKm = 0;
    // The travel-order file set by Ctrl+C.
    std::string orderFileName;
    // The ".cpr" file of this car: "W" + the registration, 8 characters at
    // most, + ".cpr", in the data directory.
    std::string SouborCestovnihoPrikazu();
    // The trips marked with Insert, in book order.
    std::vector<VetaJizdy> OznaceneJizdy();
    // Result of the last book sort: 0, -1 when another station had the book
    // (not sorted), or the sort's error code.
    int lastSortResult() const { return lastSort_; }
    // Records appended since the last sort (the counter in "master.job").
    int PripojenoOdTrideni();
    // Adds to that counter.
    void PridejPripojene(int n);

    // Reads keep the record as read; a write while editing keeps the stored
    // bytes of every column whose value the edit left as it was (texts keep
    // what lies past their length, numbers their full precision), so a
    // record written elsewhere changes only where the user changed it. The
    // date is always written anew: editing a generated trip stores its "O"
    // as the digit again.
    void CtiVetu(int row) override;
    void ZapisVetu(int row) override;

    // The generated-trips browser (made on first use).
    TfKJ_jgener& Generovane();
    // The last record of the book that is not deleted, into `into`; false
    // when there is none.
    bool PosledniPlatna(std::string& into);
    // The template goes on from the book's last trip still in it: its
    // odometer, and for a private car its rates.
    void NavazNaPosledni();

protected:
    bool TachometrPriOpusteni() const override { return !JeStroj(); }
    void Napoveda() override { Pomoc("\\kj\\kj", "knihy jízd"); }
    void Oprav() override;
    void Novy() override;
    void Zrus(int row) override;
    void PolozkaMenu(int item) override;
    // No index files by a column: the book sort reorders the book, and an
    // index kept over it would then point at other trips.
    void Setrid(int /*column*/) override {}

private:
    // The sort with the odometer question; skipped (result -1) while another
    // station has the book.
    void TridKnihu();
    std::string Zamek() const;

    std::string registrace_;
    std::string hlavicka_;
    std::string precteno_;
    bool opravuje_ = false;
    int lastSort_ = 0;
    std::unique_ptr<TfKJ_jgener> generovane_;
};

// The columns of the logbook for a car kind: editor headers, hidden fields
// (-1 in `stavy`) and the list's column titles and heading line.
struct SloupceKnihy {
    Sloupce sloupce;
    std::vector<int> stavy;
    std::vector<std::string> titulky;
    std::string hlavicka;
};
SloupceKnihy SloupceKnihyJizd(std::string_view druh);

}  // namespace kj
