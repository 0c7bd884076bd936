#pragma once
// A station with a data directory for the logbook tests, trip records made
// from their fields, the code-list files the lookups read, and browsers
// whose editor and pick lists run scripts instead of forms.

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "editor_scripts.h"
#include "host_files.h"
#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "logbook/meal_rates.h"
#include "logbook/places.h"
#include "logbook/purposes.h"
#include "logbook/trip_record.h"
#include "rec_station.h"
#include "screens/key_codes.h"
#include "services/cp1250.h"
#include "services/field_codec.h"
#include "services/picture.h"

namespace kj::triptest {

namespace fs = std::filesystem;
using rectest::Script;

// Data in <root>/DATA ("C:\DATA\"), today 5 March 2024.
struct Station : rectest::Station {
    explicit Station(const fs::path& root, const std::string& number = "03")
        : rectest::Station(root, number) {
        fs::create_directories(root / "DATA");
        c.dataDirCache = "C:\\DATA\\";
    }
    fs::path Data(const std::string& name) const { return root / "DATA" / name; }
    std::string File(const std::string& name) const { return ReadHost(Data(name)); }
    void Put(const std::string& name, const std::string& bytes) const { WriteHost(Data(name), bytes); }
};

// The current car; `druh` is the kind as typed (UTF-8).
inline void SetCar(const std::string& spz, const std::string& druh) {
    VetaAuta car;
    car.SetText(auta::kSpz, spz);
    car.SetText(auta::kDruh, Utf8ToCp1250(druh));
    AktualniVozidlo() = car;
}

// A trip as another program would store it: texts with their own length
// and zeros past it.
inline std::string Trip(const std::string& datum, const std::string& misto, double km,
                        double tachometr, double odjezd = 0, double zakladni = 0, double phm = 0,
                        const std::string& ucel = "porada", double soukrome = 0,
                        const std::string& poznamka1 = "") {
    VetaJizdy v;
    v.SetText(jizdy::kDatum, datum);
    v.SetText(jizdy::kMisto, Utf8ToCp1250(misto));
    v.SetText(jizdy::kUcel, Utf8ToCp1250(ucel));
    v.SetReal(jizdy::kKmSluzebni, km);
    v.SetReal(jizdy::kKmSoukrome, soukrome);
    v.SetReal(jizdy::kStavTachometru, tachometr);
    v.SetReal(jizdy::kZakladniSazba, zakladni);
    v.SetReal(jizdy::kSazbaPhm, phm);
    v.SetReal(jizdy::kCasOdjezdu, odjezd);
    v.SetText(jizdy::kPoznamka1, Utf8ToCp1250(poznamka1));
    return std::string(v.bytes.data(), v.bytes.size());
}

inline std::string Join(const std::vector<std::string>& records) {
    std::string all;
    for (const std::string& r : records) all += r;
    return all;
}

// Record n (from 1) of a file's bytes.
inline VetaJizdy TripAt(const std::string& file, int n) {
    return VetaJizdy::From(file.data() + static_cast<std::size_t>(n - 1) * jizdy::kLength);
}
inline int Trips(const std::string& file) { return static_cast<int>(file.size() / jizdy::kLength); }

template <std::size_t N>
std::string ListRecord(const std::array<ColumnDecl, N>& decls, int length,
                       const std::vector<std::string>& utf8) {
    Sloupce cols = DeclareColumns(decls);
    for (std::size_t i = 0; i < cols.size(); ++i)
        cols[i].value = i < utf8.size() ? Utf8ToCp1250(utf8[i]) : std::string();
    std::string rec(static_cast<std::size_t>(length), '\0');
    SlozVetu(cols, rec.data());
    return rec;
}

// A code list's records from their texts (UTF-8).
template <std::size_t N>
std::string ListRecords(const std::array<ColumnDecl, N>& decls, int length,
                        const std::vector<std::vector<std::string>>& rows) {
    std::string all;
    for (const auto& row : rows) all += ListRecord(decls, length, row);
    return all;
}

// The code lists the lookups open.
inline void WriteCodeLists(const Station& s) {
    s.Put("kjstra.dta", ListRecords(strav::kColumns, strav::kLength, {{"5", "66"}, {"12", "100"}, {"18", "156"}}));
    s.Put("kjmista.dta", ListRecords(mista::kColumns, mista::kLength, {{"Brno", "98"}, {"Kroměříž", "30"}}));
    s.Put("kjucel.dta", ListRecords(ucel::kColumns, ucel::kLength, {{"nákup materiálu"}, {"porada"}}));
    s.Put("kjcile.dta", ListRecords(cile::kColumns, cile::kLength,
                                    {{"Brno", "jednání", "196", ""}, {"Olomouc-Přerov", "servis", "25", ""},
                                     {"Vsetín", "porada", "64", ""}}));
}

// A browser whose editor sessions run the queued scripts in order and
// whose pick lists run `pick` (a list left as it was counts as Esc).
template <class B>
struct Scripted : rectest::Scripted<B> {
    template <class... A>
    explicit Scripted(Common& c, A&&... more) : rectest::Scripted<B>(c, std::forward<A>(more)...) {
        this->showPickList = [this](TfSoub& list) {
            picked.push_back(list.fileName());
            if (pick) pick(list);
        };
    }
    void Key(int vk, key::Mod mods = key::Mod::None) {
        this->KeyDown(vk, mods);
        this->TakeRequests();
    }
    std::function<void(TfSoub&)> pick;
    std::vector<std::string> picked;
};

// A pick list left with Enter on row `row`.
inline std::function<void(TfSoub&)> PickRow(int row) {
    return [row](TfSoub& list) {
        list.JdiNa(row, 0);
        list.KeyDown(key::kReturn, key::Mod::None);
    };
}

// The editor shown and its cursor walked down with Down to `field`.
inline void WalkTo(RecordEditor& e, int field) {
    e.FormShow();
    while (e.Current() < field && e.Current() != 0) e.KeyDown(key::kDown);
}

// A field's text typed, then the field left with Down.
inline void Type(RecordEditor& e, int field, const std::string& text) {
    e.SetText(field, text);
    e.KeyDown(key::kDown);
}

// A box's text without its blanks at either end.
inline std::string Shown(const RecordEditor& e, int field) {
    return StripLeft(StripRight(e.Text(field)));
}

// Walks the editor from field 1 with Down, typing the given texts into
// their fields, and ends with `last` in the last field walked to.
inline Script Fill(std::map<int, std::string> texts, int last = key::kF2) {
    return [texts, last](RecordEditor& e) {
        e.FormShow();
        const int upTo = texts.empty() ? 1 : texts.rbegin()->first;
        while (e.Current() < upTo && e.Current() != 0) {
            if (auto it = texts.find(e.Current()); it != texts.end()) e.SetText(e.Current(), it->second);
            e.KeyDown(key::kDown);
        }
        if (auto it = texts.find(e.Current()); it != texts.end()) e.SetText(e.Current(), it->second);
        e.KeyDown(last);
    };
}

}  // namespace kj::triptest
