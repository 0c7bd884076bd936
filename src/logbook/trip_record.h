#pragma once
// The trip record VetaJizdy, 261 bytes: the record of every car's logbook
// file ("<registration>.dta") and of the generator's and the listing's work
// files ("kj_j_g.wrk", "kj_jizdy.srt"). One record is one trip, one fuel
// purchase or one odometer setting.
//
// Layout (fields back to back, see field_codec.h for the encodings):
//   0   7  datum            date DDMMRR; "." at offset 1 marks a deleted record
//   7  41  misto            place or route (text 40)
//  48  41  ucel             purpose (text 40)
//  89   6  kmSluzebni       business km; for a machine: hours of work
//  95   6  kmSoukrome       private km; for a machine: private hours
// 101   6  stavTachometru   odometer after the trip
// 107   6  zakladniSazba    base rate per km; company car: fuel bought, CZK
// 113   6  sazbaPhm         fuel rate per km; company car: fuel bought, litres
// 119   6  casOdjezdu       departure hour, HH.MM as a plain number
// 125   6  casPrijezdu      arrival hour
// 131   6  stravne          meal allowance, CZK
// 137  61  poznamka1        note 1 (text 60)
// 198  61  poznamka2        note 2 (text 60)
// 259   2  identifikace     one-letter identification (text 1)
//
// A date written by the trip generator may hold the letter "O" in place of
// a 0 as the first digit of the year; the record keeps it as it stands.

#include <array>
#include <string>
#include <string_view>

#include "logbook/code_list_sort.h"

namespace kj {

namespace jizdy {
inline constexpr int kLength = 261;
// Editor headers, masks and widths as given to the table browser (the
// columns of a company car and of a machine differ only in their titles).
inline constexpr std::array<ColumnDecl, 14> kColumns = {{
    {{"datum", 0, 7}, "Datum              ", "d", 8},
    {{"misto", 7, 41}, ">Místo             ", "X", 40},
    {{"ucel", 48, 41}, ">Účel              ", "X", 40},
    {{"kmSluzebni", 89, 6}, ">Km služební       ", "#########R", 9},
    {{"kmSoukrome", 95, 6}, "Km soukromé        ", "#########R", 9},
    {{"stavTachometru", 101, 6}, "Stav tach.po jízdě ", "##########R", 10},
    {{"zakladniSazba", 107, 6}, "Základní sazba     ", "######.##R", 9},
    {{"sazbaPhm", 113, 6}, "Sazba za poh.hm.   ", "######.##R", 9},
    {{"casOdjezdu", 119, 6}, "Čas odjezdu        ", "##.##R", 5},
    {{"casPrijezdu", 125, 6}, "Čas příjezdu       ", "##.##R", 5},
    {{"stravne", 131, 6}, ">Stravné           ", "####.##R", 7},
    {{"poznamka1", 137, 61}, "Poznámka1          ", "X", 60},
    {{"poznamka2", 198, 61}, "Poznámka2          ", "X", 60},
    {{"identifikace", 259, 2}, "Identifikace       ", "X", 1},
}};
static_assert(ColumnsTileRecord(kColumns, kLength));
inline constexpr const codec::FieldSpec& kDatum = kColumns[0].field;
inline constexpr const codec::FieldSpec& kMisto = kColumns[1].field;
inline constexpr const codec::FieldSpec& kUcel = kColumns[2].field;
inline constexpr const codec::FieldSpec& kKmSluzebni = kColumns[3].field;
inline constexpr const codec::FieldSpec& kKmSoukrome = kColumns[4].field;
inline constexpr const codec::FieldSpec& kStavTachometru = kColumns[5].field;
inline constexpr const codec::FieldSpec& kZakladniSazba = kColumns[6].field;
inline constexpr const codec::FieldSpec& kSazbaPhm = kColumns[7].field;
inline constexpr const codec::FieldSpec& kCasOdjezdu = kColumns[8].field;
inline constexpr const codec::FieldSpec& kCasPrijezdu = kColumns[9].field;
inline constexpr const codec::FieldSpec& kStravne = kColumns[10].field;
inline constexpr const codec::FieldSpec& kPoznamka1 = kColumns[11].field;
inline constexpr const codec::FieldSpec& kPoznamka2 = kColumns[12].field;
inline constexpr const codec::FieldSpec& kIdentifikace = kColumns[13].field;
// Editor field numbers (columns from 1).
inline constexpr int kFieldDatum = 1;
inline constexpr int kFieldMisto = 2;
inline constexpr int kFieldUcel = 3;
inline constexpr int kFieldKmSluzebni = 4;
inline constexpr int kFieldKmSoukrome = 5;
inline constexpr int kFieldStavTachometru = 6;
inline constexpr int kFieldZakladniSazba = 7;
inline constexpr int kFieldSazbaPhm = 8;
inline constexpr int kFieldCasOdjezdu = 9;
inline constexpr int kFieldCasPrijezdu = 10;
inline constexpr int kFieldStravne = 11;
inline constexpr int kFieldPoznamka1 = 12;
inline constexpr int kFieldPoznamka2 = 13;
inline constexpr int kFieldIdentifikace = 14;
}  // namespace jizdy

// The trip record. Bytes it does not name travel with it unchanged, so a
// record read from a file written elsewhere is written back byte for byte.
struct VetaJizdy {
    std::array<char, jizdy::kLength> bytes{};

    static VetaJizdy From(const char* record);

    std::string Text(const codec::FieldSpec& f) const { return codec::GetText(bytes.data(), f); }
    void SetText(const codec::FieldSpec& f, std::string_view t) { codec::PutText(bytes.data(), f, t); }
    double Real(const codec::FieldSpec& f) const { return codec::GetReal(bytes.data(), f); }
    void SetReal(const codec::FieldSpec& f, double v) { codec::PutReal(bytes.data(), f, v); }

    std::string Datum() const { return Text(jizdy::kDatum); }
    std::string Misto() const { return Text(jizdy::kMisto); }
    std::string Ucel() const { return Text(jizdy::kUcel); }
    double KmSluzebni() const { return Real(jizdy::kKmSluzebni); }
    double KmSoukrome() const { return Real(jizdy::kKmSoukrome); }
    double StavTachometru() const { return Real(jizdy::kStavTachometru); }
    double ZakladniSazba() const { return Real(jizdy::kZakladniSazba); }
    double SazbaPhm() const { return Real(jizdy::kSazbaPhm); }
    double CasOdjezdu() const { return Real(jizdy::kCasOdjezdu); }
    double CasPrijezdu() const { return Real(jizdy::kCasPrijezdu); }
    double Stravne() const { return Real(jizdy::kStravne); }
    std::string Poznamka1() const { return Text(jizdy::kPoznamka1); }
    std::string Poznamka2() const { return Text(jizdy::kPoznamka2); }
    std::string Identifikace() const { return Text(jizdy::kIdentifikace); }
    bool Zruseny() const { return IsDeletedRecord(bytes.data()); }
};

// "" when the trip record's columns give its 261 bytes, else the message.
std::string CheckTripLayout();

}  // namespace kj
