#pragma once
// The car list (TfKJ_auta) over "kj_auta.dta", the car record VetaAuta and
// the current car AktualniVozidlo.
//
// Car rules in the editor: the registration is upper-cased, must not be
// empty and must not name another car's logbook (compared without blanks,
// as the logbook file is named; the car being edited is not compared with
// itself, so an edit that keeps the registration passes); the kind must
// read "SOUKROME", "SLUZEBNI" or "STROJ" without diacritics in any case,
// otherwise the kind choice opens; Enter or F1 in the fuel or kind field
// opens its choice. A car marked deleted cannot be chosen.

#include <array>
#include <string>

#include "logbook/code_list_sort.h"

namespace kj {

namespace auta {
inline constexpr int kLength = 231;
inline constexpr std::array<ColumnDecl, 11> kColumns = {{
    {{"spz", 0, 8}, "SPZ                ", "X", 7},
    {{"drzitel", 8, 21}, "Jméno držitele     ", "X", 20},
    {{"adresa_drzitele", 29, 41}, "Adresa držitele    ", "X", 40},
    {{"firma", 70, 31}, "Název firmy        ", "X", 30},
    {{"adresa_firmy", 101, 41}, "Adresa firmy       ", "X", 40},
    {{"obsah", 142, 16}, "Obsah válců/tonáž  ", "X", 15},
    {{"typ", 158, 21}, "Typ vozidla        ", "X", 20},
    {{"motor", 179, 21}, "Číslo motoru       ", "X", 20},
    {{"spotreba", 200, 6}, "Průměrná spotřeba  ", "###.##R", 6},
    {{"palivo", 206, 16}, ">Druh poh.hmot     ", "X", 15},
    {{"druh", 222, 9}, ">Soukr/služ/stroj  ", "X", 8},
}};
static_assert(ColumnsTileRecord(kColumns, kLength));
inline constexpr const codec::FieldSpec& kSpz = kColumns[0].field;
inline constexpr const codec::FieldSpec& kDrzitel = kColumns[1].field;
inline constexpr const codec::FieldSpec& kAdresaDrzitele = kColumns[2].field;
inline constexpr const codec::FieldSpec& kFirma = kColumns[3].field;
inline constexpr const codec::FieldSpec& kAdresaFirmy = kColumns[4].field;
inline constexpr const codec::FieldSpec& kObsah = kColumns[5].field;
inline constexpr const codec::FieldSpec& kTyp = kColumns[6].field;
inline constexpr const codec::FieldSpec& kMotor = kColumns[7].field;
inline constexpr const codec::FieldSpec& kSpotreba = kColumns[8].field;
inline constexpr const codec::FieldSpec& kPalivo = kColumns[9].field;
inline constexpr const codec::FieldSpec& kDruh = kColumns[10].field;
inline constexpr int kFieldSpz = 1;
inline constexpr int kFieldPalivo = 10;
inline constexpr int kFieldDruh = 11;
}  // namespace auta

// The car record, 231 bytes.
struct VetaAuta {
    std::array<char, auta::kLength> bytes{};

    std::string Text(const codec::FieldSpec& f) const { return codec::GetText(bytes.data(), f); }
    void SetText(const codec::FieldSpec& f, std::string_view t) { codec::PutText(bytes.data(), f, t); }
    double Spotreba() const { return codec::GetReal(bytes.data(), auta::kSpotreba); }
    void SetSpotreba(double v) { codec::PutReal(bytes.data(), auta::kSpotreba, v); }
    std::string Spz() const { return Text(auta::kSpz); }
    // The car kind: the kind's first three letters upper-cased ("SOU",
    // "SLU", "STR").
    std::string Druh() const;
    // The car's logbook file: the registration without blanks, upper-cased,
    // with ".dta".
    std::string SouborKnihy() const;
};

// The registration as it names the logbook file: without blanks,
// upper-cased.
std::string KlicKnihy(std::string_view registration);

// The current car, chosen in the car list before a logbook opens; lives
// for the whole run.
VetaAuta& AktualniVozidlo();

class TfKJ_auta : public TfKJSeznam {
public:
    explicit TfKJ_auta(Common& c);

    // Copies the chosen car (the current row) into AktualniVozidlo; false
    // when no row is current or the row cannot be chosen (deleted, no
    // registration).
    bool VyberVozidlo();

    void Novy() override;
    void Zrus(int row) override;

protected:
    void OpustPole(int field, std::string& text) override;
    void PoEnteruPole(int field) override;
    // F1 in the fuel or kind field: its choice, as Enter; elsewhere help.
    void NapovedaEditoru() override;
    // Alt+F1: the keys of the list, in the editor the keys of the editor.
    void Setrid1() override;
    void EdAltF1() override;
    bool LzeVybrat(int row) override;
    std::string KlicZVety(const char* record) override;
    std::string HledaciKlic(const char* record) override;
    bool Mensi(const char* a, const char* b) override;
    void ZavriTabulku() override;

private:
    bool DuplicitniSpz(const std::string& spz);
    // Why a car record cannot be chosen ("" when it can).
    std::string ProcNelzeVybrat(const char* record) const;
    void VyberPaliva(int field);
    void VyberDruhu(int field);
    void ZkontrolujDruh(std::string& text);
};

// "" when the car record's columns give its 231 bytes, else the message.
std::string CheckCarLayout();

}  // namespace kj
