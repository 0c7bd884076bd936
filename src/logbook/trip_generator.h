#pragma once
// The trip generator: fills the working days of a period with trips to
// destinations drawn at random until a requested number of km is passed,
// chaining the odometer from the logbook's last reading; and TfKJ_jgener,
// the browser of the generated trips ("kj_j_g.wrk") where they can still be
// corrected before they are appended to the logbook.
//
// The run itself (dialogs, work files, appending) is TfKJ_jizdy::Generator,
// in trip_generator.cpp; GenerujJizdy is its arithmetic, without files.
// Its work files "cile_vyb.wrk" and "kj_j_g.wrk" lie in the data directory,
// one pair for all stations: a run holds the write lock "kj_j_g" from
// writing them until its trips are appended (or the run ends), so that a
// second station's run waits instead of giving this book its trips.
//
// The walk over the days (day share S = T / N):
//   - a trip goes on the current day while the km placed there stay within
//     S; otherwise the next working day opens (pracovni) and takes it. The
//     first day is the from-date itself, working day or not;
//   - generation stops as soon as the total exceeds T, so it ends above T by
//     at most one destination's km;
//   - no trip is dated after the to-date: when the next working day would
//     lie after it, the trip stays on the current day, and the run tells
//     the user (see VysledekGeneratoru::dnyDosly);
//   - a year 2000-2009 is written with the letter "O" for its 0.

#include <cstdint>
#include <string>
#include <vector>

#include "logbook/trip_browser.h"

namespace kj {

class TfKJ_jizdy;
class TfKalendar;

// The generator's random numbers: a 32-bit linear congruential generator,
// state := state * 134775813 + 1 (mod 2^32); a draw in 0..m-1 is the upper
// 32 bits of the new state times m.
class NahodnaCisla {
public:
    explicit NahodnaCisla(std::uint32_t seed) : state_(seed) {}
    std::uint32_t Random(std::uint32_t m);
    std::uint32_t state() const { return state_; }

private:
    std::uint32_t state_;
};

// The seed from the time of day: hundredths of a second since midnight.
std::uint32_t SeedZCasu();

struct ZadaniGeneratoru {
    std::string od;            // from-date, DDMMRR
    std::string do_;           // to-date, DDMMRR
    double km = 0;             // T, the requested km
    int pracovnichDnu = 0;     // N, working days of the period
    // The marked destinations (95-byte records, "cile_vyb.wrk"); those
    // without km (or with a negative number) are never drawn, as they would
    // never bring the total on.
    std::vector<std::string> cile;
    // The trip every generated one starts from (261 bytes): the odometer of
    // the logbook's last trip, for a private car its rates.
    std::string sablona;
};

struct VysledekGeneratoru {
    std::vector<std::string> jizdy;  // trip records, 261 bytes each
    double km = 0;                   // G
    // The period's working days ran out before the total was passed: the
    // trips after that are dated with `posledniDen`, its last day used.
    bool dnyDosly = false;
    std::string posledniDen;
};

// The generation of step 10 with the given seed. Needs N >= 1 and T > 0;
// nothing is generated without a usable destination.
VysledekGeneratoru GenerujJizdy(const TfKalendar& kalendar, const ZadaniGeneratoru& zadani,
                                std::uint32_t seed);

// The generated trips' columns: 1-11 lie on the trip's fields of the same
// meaning (the date as a code "P"), 12 shows the first 15 characters of note
// 1, 13 the identification. The browser holds the identification's two
// bytes at offset 153 (right after column 12) and the two bytes of note 1
// they replace at offset 259; reads and writes swap them back, so the file
// keeps the trip record's layout and every byte the columns do not show.
namespace jgener {
inline constexpr int kViewLength = 155;
inline constexpr int kIdentView = 153;  // the identification in the browser's buffer
inline constexpr std::array<ColumnDecl, 13> kColumns = {{
    {jizdy::kDatum, "Datum           ", "P", 6},
    {jizdy::kMisto, ">Místo          ", "X", 40},
    {jizdy::kUcel, ">Účel           ", "X", 40},
    {jizdy::kKmSluzebni, ">Km služební    ", "#########R", 9},
    {jizdy::kKmSoukrome, "Km soukromé     ", "#########R", 9},
    {jizdy::kStavTachometru, "Stav tachometru ", "##########R", 10},
    {jizdy::kZakladniSazba, "Základní sazba  ", "######.##R", 9},
    {jizdy::kSazbaPhm, "Sazba za poh.hm.", "######.##R", 9},
    {jizdy::kCasOdjezdu, "Hodina nástupu  ", "##.##R", 5},
    {jizdy::kCasPrijezdu, "Hodina návratu  ", "##.##R", 5},
    {jizdy::kStravne, ">Stravné        ", "####.##R", 7},
    {{"poznamka", 137, 16}, "Poznámka        ", "X", 15},
    {{"identifikace", kIdentView, 2}, "Identifikace    ", "X", 1},
}};
static_assert(ColumnsTileRecord(kColumns, kViewLength));
}  // namespace jgener

class TfKJ_jgener : public TripBrowser {
public:
    TfKJ_jgener(Common& c, TfKJ_jizdy& kniha);

    // Opens "kj_j_g.wrk" with the logbook's car kind, pick lists, calendar
    // and help. Returns the DOS code of opening it.
    int Otevri();
    // Lets go of the file (no sort: the logbook sorts after appending).
    void Zavri();

    // "Vygenerované km : " + G formatted "#######".
    const std::string& popisek() const { return popisek_; }
    // Where the label stands: right of the counter line.
    const Rect& polohaPopisku() const { return polohaPopisku_; }

    void CtiVetu(int row) override;
    void ZapisVetu(int row) override;

protected:
    bool TachometrPriOpusteni() const override { return true; }
    void Napoveda() override { Pomoc("kj", "knihy jízd"); }
    void PoNaplneni() override;
    void FormatujRadek() override;
    void Novy() override;
    void Zrus(int row) override;
    void Prijmi() override;
    void PolozkaMenu(int item) override;

private:
    void UkazPopisek();
    static void Prohod(char* record);

    TfKJ_jizdy& kniha_;
    std::string popisek_;
    Rect polohaPopisku_;
};

}  // namespace kj
