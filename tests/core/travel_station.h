#pragma once
// Fixtures of the travel order tests: a station with data and program
// directories, a car of each kind, trips made from their visible values,
// and both sheets over one travel order file.

#include <string>
#include <vector>

#include "logbook/car_list.h"
#include "logbook/trip_record.h"
#include "print_station.h"
#include "services/cp1250.h"
#include "travel/order_sheet.h"
#include "travel/settlement_sheet.h"

namespace kj::traveltest {

namespace fs = std::filesystem;

using Station = printtest::Station;

// kind: "SOUKROMÉ", "SLUŽEBNÍ" or "STROJ" (UTF-8).
inline VetaAuta Car(const std::string& kind, const std::string& fuel = "Motorová nafta") {
    VetaAuta car;
    car.SetText(auta::kSpz, "5Z12345");
    car.SetText(auta::kDrzitel, "Ing. Petr Dvořák"_cz);
    car.SetText(auta::kAdresaDrzitele, "Květná 12, 760 01 Zlín      "_cz);  // padded as the list stores it
    car.SetText(auta::kTyp, "Škoda Octavia"_cz);
    car.SetSpotreba(5.8);
    car.SetText(auta::kPalivo, Utf8ToCp1250(fuel));
    car.SetText(auta::kDruh, Utf8ToCp1250(kind));
    return car;
}

struct TripValues {
    std::string date, place, purpose;  // UTF-8
    double km = 0, departure = 0, arrival = 0, meal = 0, baseRate = 0, fuelRate = 0;
};

inline VetaJizdy Trip(const TripValues& v) {
    VetaJizdy t;
    t.SetText(jizdy::kDatum, v.date);
    t.SetText(jizdy::kMisto, Utf8ToCp1250(v.place));
    t.SetText(jizdy::kUcel, Utf8ToCp1250(v.purpose));
    t.SetReal(jizdy::kKmSluzebni, v.km);
    t.SetReal(jizdy::kCasOdjezdu, v.departure);
    t.SetReal(jizdy::kCasPrijezdu, v.arrival);
    t.SetReal(jizdy::kStravne, v.meal);
    t.SetReal(jizdy::kZakladniSazba, v.baseRate);
    t.SetReal(jizdy::kSazbaPhm, v.fuelRate);
    return t;
}

inline std::vector<VetaJizdy> Trips(const std::vector<TripValues>& values) {
    std::vector<VetaJizdy> out;
    for (const TripValues& v : values) out.push_back(Trip(v));
    return out;
}

// Both sheets of one travel order file "C:\DATA\WZ.cpr" (root/DATA/WZ.cpr).
struct Sheets {
    Sheets(Common& c, const VetaAuta& car)
        : car(car), order(c, fileName, this->car), settlement(c, fileName, this->car) {}
    std::string fileName = "C:\\DATA\\WZ.cpr";
    VetaAuta car;
    Tfcestprik order;
    Tfvpc settlement;
};

inline std::string U(const std::string& cp1250) { return Cp1250ToUtf8(cp1250); }

}  // namespace kj::traveltest
