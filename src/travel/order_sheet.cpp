#include "travel/order_sheet.h"

#include "services/cp1250.h"
#include "services/dates.h"
#include "services/params.h"
#include "services/picture.h"
#include "travel/order_file.h"
#include "travel/route_places.h"

namespace kj {
namespace {

// The trips of one day, gathered while reading the marked trips.
struct DayGroup {
    std::string date;
    double departure = 0, arrival = 0;
    std::string route, purposes;
};

class JourneyBuilder {
public:
    explicit JourneyBuilder(JourneyColumns& out) : out_(out) {}

    // Writes the day; false when the sheet has no room left after it.
    bool Flush(const DayGroup& g) {
        const std::vector<std::string> places = RoutePlaces(g.route);
        if (places.size() < 2) return true;
        const std::size_t r = next_ - 1;
        std::string business;
        for (const std::string& place : places) {
            if (place.empty() || place[0] != '*') continue;
            if (!business.empty()) business += ',';
            business += place.substr(1);
        }
        const std::string date = DisplayDate(g.date) + "  ";
        out_.u[r] = Cut(g.purposes, kJourneyCellMax);
        out_.p[r] = Cut(places.front(), kJourneyCellMax);
        out_.p[r + 1] = Cut(date + FormatPic("@@.@@", g.departure), kJourneyCellMax);
        out_.k[r] = Cut(places.back(), kJourneyCellMax);
        out_.k[r + 1] = Cut(date + FormatPic("@@.@@", g.arrival), kJourneyCellMax);
        out_.m[r] = Cut(business, kPlaceMax);
        next_ += 2;
        return next_ <= kJourneyRows - 1;
    }

private:
    JourneyColumns& out_;
    int next_ = 1;
};

}  // namespace

JourneyColumns DeriveJourney(Dialogs& ui, const std::vector<VetaJizdy>& trips) {
    JourneyColumns out;
    JourneyBuilder builder(out);
    DayGroup g;
    bool started = false;
    for (const VetaJizdy& trip : trips) {
        if (!(trip.KmSluzebni() > 0)) continue;
        const std::string place = StripRight(trip.Misto());
        const std::string purpose = StripRight(trip.Ucel());
        if (!started) {
            started = true;
            g.date = trip.Datum();
            g.departure = trip.CasOdjezdu();
            g.arrival = trip.CasPrijezdu();
        }
        if (trip.Datum() == g.date) {
            g.arrival = trip.CasPrijezdu();
            g.route = g.route.empty() ? place : g.route + "-" + place;
            g.purposes = g.purposes.empty() ? purpose : g.purposes + "," + purpose;
            continue;
        }
        if (!builder.Flush(g)) {
            ui.BeepMessage("Načítání dat končí zápisem "_cz + trip.Datum() + trip.Misto());
            return out;
        }
        g = DayGroup{trip.Datum(), trip.CasOdjezdu(), trip.CasPrijezdu(), place, purpose};
    }
    if (started) builder.Flush(g);
    return out;
}

Tfcestprik::Tfcestprik(Common& c, const std::string& orderFile, const VetaAuta& car)
    : c_(c), orderFile_(orderFile), car_(car), texts_(OrderLayout()) {}

std::string Tfcestprik::FileName() const {
    return orderFile_.empty() ? DefaultOrderFile(car_.Spz()) : orderFile_;
}

void Tfcestprik::FillOrderSheet(const std::vector<VetaJizdy>& marked) {
    const JourneyColumns journey = DeriveJourney(c_.ui, marked);
    Load();
    ApplyCarDefaults();
    SetJourneyRows(journey);
    pending_ = true;
}

void Tfcestprik::Load() {
    const std::string file = FileName();
    for (int i : Layout().keyOrder) texts_.at(i) = GetReg(c_, file, Layout().fields[static_cast<std::size_t>(i)].key);
}

void Tfcestprik::ApplyCarDefaults() {
    auto def = [&](const char* name, const std::string& value) {
        std::string& field = texts_[name];
        if (RemoveSpaces(field).empty()) field = value;
    };
    // The car's texts as the list stored them, without the blanks that pad
    // them to their column.
    def("ejm", StripRight(car_.Text(auta::kDrzitel)));
    def("eadr", StripRight(car_.Text(auta::kAdresaDrzitele)));
    def("edruh", StripRight(car_.Text(auta::kTyp)));
    def("espz", StripRight(car_.Spz()));
    def("espot", FormatPic("###.##", car_.Spotreba()));
    const std::string kind = SheetCarKind(car_);
    if (kind == "SLUZ") def("ed5", "X");
    if (kind == "SOUK") def("ed6", "X");
    // The fuel code: the first character of the car's fuel entry.
    const std::string fuel = RemoveSpaces(car_.Text(auta::kPalivo)).substr(0, 1);
    if (fuel == "3" || fuel == "1") def("ephm3", "X");
    if (fuel == "5") def("ephm5", "X");
}

bool Tfcestprik::JourneyEmpty() const {
    for (int n = 1; n <= kJourneyRows; ++n)
        for (const char* col : {"ep", "em", "eu", "ek"})
            if (!RemoveSpaces(texts_.Row(col, n)).empty()) return false;
    return true;
}

void Tfcestprik::SetJourneyRows(const JourneyColumns& journey) {
    // Every loaded journey cell counts: a journey without places of business
    // ("*") is still the user's and is replaced only when the user says so.
    if (!JourneyEmpty() && !c_.ui.AskYesNo(10, 10, "Přepsat seznam cest ?"_cz)) return;
    for (int n = 1; n <= kJourneyRows; ++n) {
        const std::size_t r = static_cast<std::size_t>(n - 1);
        texts_.Row("ep", n) = journey.p[r];
        texts_.Row("em", n) = journey.m[r];
        texts_.Row("eu", n) = journey.u[r];
        texts_.Row("ek", n) = journey.k[r];
    }
}

void Tfcestprik::SaveOrderSheet() {
    const std::string file = FileName();
    for (int i : Layout().keyOrder)
        SetReg(c_, file, Layout().fields[static_cast<std::size_t>(i)].key, texts_.at(i));
    pending_ = false;
}

void Tfcestprik::CloseOrderSheet() {
    if (pending_) SaveOrderSheet();
}

}  // namespace kj
