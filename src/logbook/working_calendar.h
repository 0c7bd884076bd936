#pragma once
// TfKalendar: the working-day calendar and the date picker of the system.
//
// The table holds one bit per day for 16,000 days from 2 January 1995 (a
// Monday, index 0): bit i is bit (i mod 8) of byte (i div 8), least
// significant bit first; 1 = non-working day, 0 = working day. Days outside
// the table read as working days and cannot be marked. "KALENDAR.DTA" in
// the data directory is the table as it stands, exactly 2000 bytes, no
// header; an older 1000-byte file holds the first 8000 days.
//
// Building the table (the constructor; the program builds it once):
//   1. every bit 0;
//   2. "KALENDAR.DTA": 2000 bytes are loaded; 1000 bytes are loaded and the
//      weekends from index 7992 on are marked; a missing file (or one shorter
//      than 2 bytes) or a file of any other size marks every weekend of the
//      table (an odd-size or unreadable file is reported and not loaded);
//   3. the movable holidays of the stored table (Easter 2011-2019);
//   4. Easter Monday of every year of the table, Good Friday from 2016 (the
//      year it became a public holiday);
//   5. only while 1 January 2016 is unmarked: the fixed public holidays of
//      2000 to the last year of the table. Once that day is marked the step
//      is skipped, so a user's own changes to fixed holidays survive.
// Steps 3 and 4 only add marks; nothing is ever cleared.
//
// What callers use:
//   - the logbook: DejDatum (F1 in a date field: pass the box's text, put
//     the "DD.MM.RR" it returns into the box, keep the box on ""), DejDen;
//   - the generator: svatky (how many working days a period holds) and
//     pracovni (the working-day walk); both see the table as it is in memory.
//
// The form: DejDatum fills the form state and calls `ukaz`, which the view
// sets (logbook/qt/calendar_form.h) and which runs the form modally until
// the state says it is closed. The view renders the month grid and the
// choosers from the state and forwards keys, clicks and chooser changes to
// it; it decides nothing. Closing writes the table back when a day was
// toggled.
//
// Dates taken by the table operations: the stored DDMMRR (year 2000 + RR),
// the long DDMMRRRR, or any text NormalizeDate reads ("15.5.25"); the
// letters "O" and "l" count as the digits 0 and 1, as the generator writes
// them. An empty or invalid date counts nothing
// (svatky) or gives the empty date (pracovni). Texts are Windows-1250.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/key_codes.h"
#include "services/common.h"

namespace kj {

namespace kalendar {

inline constexpr int kDays = 16000;          // table length in days
inline constexpr int kBytes = kDays / 8;     // "KALENDAR.DTA"
inline constexpr int kOldBytes = 1000;       // the older file: the first 8000 days
inline constexpr int kOldWeekendsFrom = 7992;
inline constexpr int kFirstYear = 1995;
inline constexpr int kLastYear = 2038;       // the table ends on 22 October 2038
inline constexpr int kFirstGoodFridayYear = 2016;
inline constexpr int kMarkedColour = 0xC0B0FF;   // 0x00BBGGRR, light red
inline constexpr int kChosenColour = 0x80FF80;   // light green
inline constexpr int kWindowColour = -1;         // the window's own colour
inline constexpr char kFileName[] = "KALENDAR.DTA";

// Day number (DayNumber) of 2 January 1995, index 0 of the table.
int BaseDay();
// The day number of a day, month, four-digit year; days in a month, by the
// leap rule of DayNumber.
int DayNumberOf(int day, int month, int year);
int MonthLength(int month, int year);
// 0 Monday ... 5 Saturday, 6 Sunday, for any day number.
int Weekday(int dayNumber);
// Easter Sunday of a year 1900-2099 (Gauss's rule) as a day number.
int EasterSunday(int year);
// The day number of a date in any form the calendar reads (see above), or
// nothing for an empty or invalid date.
std::optional<int> DayOfDate(std::string_view date);

// "pondělí" ... "neděle" by Weekday; "leden" ... "prosinec" by month 1-12.
const std::string& WeekdayName(int weekday);
const std::string& MonthName(int month);

// The movable holidays kept as a table (DDMMRR).
const std::vector<std::string>& MovableHolidays();

}  // namespace kalendar

class TfKalendar {
public:
    // Builds the table (steps 1-5 above) and shows today's working date.
    explicit TfKalendar(Common& c);
    TfKalendar(const TfKalendar&) = delete;
    TfKalendar& operator=(const TfKalendar&) = delete;

    // ---- the table ----
    // Mark, clear, test one day by its day number. Outside the table:
    // set_bit and del_bit change nothing and give false; if_bit gives false
    // (a working day). These change memory only; toggling with F5 (Prepni)
    // is what is written back.
    bool set_bit(int dayNumber);
    bool del_bit(int dayNumber);
    bool if_bit(int dayNumber) const;

    struct Pocty {
        int vsedniSvatky = 0;  // marked days falling Monday to Friday
        int pracovni = 0;      // unmarked days
        int nepracovni = 0;    // marked days
        bool operator==(const Pocty&) const = default;
    };
    // The days from `od` to `do_` inclusive; all 0 when `do_` is before `od`
    // or either date is empty or invalid.
    Pocty svatky(std::string_view od, std::string_view do_) const;

    // Moves n working days from the date (n < 1 moves backwards):
    //   1. from the date, back (n >= 1) or forward (n < 1) while the day is
    //      marked, to the nearest working day;
    //   2. on in the direction of n, counting working days, until |n| have
    //      been counted or 1000 steps have been made (then fewer than |n|
    //      working days were passed: the caller cannot tell, and the result
    //      lies 1000 days on);
    //   3. on while the day is marked.
    // The result is DDMMRR, or DDMMRRRR when the date given was longer than
    // six characters (or falls outside 2000-2099). An empty or invalid date
    // gives the empty date (six blanks).
    // With n = 1: the next working day after a working day, the Monday after
    // a Saturday (when that Monday is working).
    std::string pracovni(std::string_view date, int n) const;
    static constexpr int kMaxSteps = 1000;

    // The Czech name of the weekday of a date; empty when NormalizeDate
    // gives blanks.
    std::string DejDen(std::string_view date) const;

    // Shows the form modally on `start` (any form NormalizeDate reads; today's
    // working date when empty or invalid) and returns the chosen date as
    // "DD.MM.RR", or "" after Esc (and "" without a view). Days toggled in
    // the form are written back when it closes.
    std::string DejDatum(std::string_view start = {});

    // Writes the table back when a day was toggled since the last good
    // write. The write goes to a new file that replaces "KALENDAR.DTA" in one
    // rename, under the file's write lock; days another station toggled and
    // wrote meanwhile are kept (only the days toggled here are applied to
    // the file as it is now). A failure is shown ("Chyba ... při zápisu")
    // and the toggles stay pending for the next close. Returns the I/O code.
    int UlozZmeny();

    // The table bytes as they stand (what a write-back starts from).
    const std::array<std::uint8_t, kalendar::kBytes>& bytes() const { return bits_; }
    bool zmeneno() const { return changed_; }

    // ---- the form (view state) ----
    // The view: shows the form modally until closed() turns true.
    std::function<void(TfKalendar&)> ukaz;
    // F1: shows the instruction lines; without it they go to a help box.
    std::function<void(const std::vector<std::string>&)> napoveda;
    static const std::vector<std::string>& HelpLines();

    // The date shown (and chosen: the cursor cell).
    int den() const { return day_; }
    int mesic() const { return month_; }
    int rok() const { return year_; }
    std::string NazevMesice() const { return kalendar::MonthName(month_); }
    // The shown date as "DD.MM.RR" with its weekday name.
    std::string PopisDne() const;
    // The choosers' ranges.
    static constexpr int kFirstChooserYear = kalendar::kFirstYear;
    static constexpr int kLastChooserYear = kalendar::kLastYear;

    // The month grid: 6 week rows, columns Monday .. Sunday.
    static constexpr int kGridRows = 6;
    static constexpr int kGridColumns = 7;
    // Day of the month in a cell, 0 for a cell outside the month.
    int DenBunky(int row, int column) const;
    // The cell of a day of the shown month.
    void BunkaDne(int day, int* row, int* column) const;
    // kChosenColour for the shown day, kMarkedColour for a marked day,
    // kWindowColour otherwise (and for cells outside the month).
    int BarvaBunky(int row, int column) const;

    // Keys on the grid (virtual-key codes): arrows move the cursor (Left and
    // Right step across month and year ends, Up and Down stay in the month),
    // PgUp/PgDn a month back or on, F5 toggles the shown day, Enter chooses
    // it, Esc closes with nothing chosen, F1 shows the instructions. Other
    // keys are left to the view (false).
    bool KeyDown(int vk, key::Mod mods = key::Mod::None);
    // A click on a cell moves the cursor there; a double click chooses it.
    void Klik(int row, int column);
    void DvojKlik(int row, int column);
    // The choosers: day 1-31 (kept within the month), month 1-12, year of
    // the choosers' range.
    void NastavDen(int day);
    void NastavMesic(int month);
    void NastavRok(int year);
    // The button "OK" (choose the shown day) and closing with nothing.
    void Vyber();
    void Zavri();
    bool closed() const { return closed_; }
    // The chosen date "DD.MM.RR" ("" after Esc).
    const std::string& vracenyDatum() const { return chosen_; }

    // F5: toggles the shown day, marks the table changed. False (with a
    // message) for a day outside the table.
    bool Prepni();

private:
    void Build();
    void MarkWeekends(int fromIndex, int toIndex);
    void MarkDate(std::string_view ddmmrr);
    void Show(int dayNumber);
    int ShownDay() const;

    Common& c_;
    std::array<std::uint8_t, kalendar::kBytes> bits_{};
    // Days toggled since the last good write-back (same layout as bits_).
    std::array<std::uint8_t, kalendar::kBytes> toggled_{};
    bool changed_ = false;
    int day_ = 1, month_ = 1, year_ = 2000;
    bool closed_ = false;
    std::string chosen_;
};

}  // namespace kj
