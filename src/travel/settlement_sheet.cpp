#include "travel/settlement_sheet.h"

#include <cmath>
#include <cstdlib>

#include "services/cp1250.h"
#include "services/dates.h"
#include "services/params.h"
#include "services/picture.h"
#include "travel/order_file.h"
#include "travel/route_places.h"

namespace kj {
namespace {

constexpr std::size_t kShortCell = 10;

// The row fields the rows from the logbook set; f, h, i and su are the
// user's and the recalculation's.
constexpr const char* kDerivedColumns[] = {"dat", "o", "p", "oh", "ph", "a",
                                           "b",   "c", "d", "g",  "ep", "ek"};
constexpr const char* kRowColumns[] = {"dat", "o", "p", "oh", "ph", "a", "b", "c",
                                       "d",   "ep", "ek", "f", "g", "h", "i", "su"};

// FormatPic, widened to the left when the amount has more digits than the
// picture (a settlement never shows a cut amount).
std::string FormatAmount(const std::string& picture, double value) {
    std::string pic = picture;
    for (int extra = 0; extra < 12; ++extra, pic.insert(0, "#")) {
        const std::string text = FormatPic(pic, value);
        if (std::fabs(StrToFloatLoose(text) - value) < 0.0051) return text;
    }
    return FormatPic(pic, value);
}

std::string& Cell(SettlementRow& row, std::string_view column) {
    if (column == "dat") return row.dat;
    if (column == "o") return row.o;
    if (column == "p") return row.p;
    if (column == "oh") return row.oh;
    if (column == "ph") return row.ph;
    if (column == "a") return row.a;
    if (column == "b") return row.b;
    if (column == "c") return row.c;
    if (column == "d") return row.d;
    if (column == "g") return row.g;
    if (column == "ep") return row.ep;
    return row.ek;
}

}  // namespace

SettlementRowList DeriveSettlement(Dialogs& ui, const std::vector<VetaJizdy>& trips,
                                   const VetaAuta& car) {
    SettlementRowList rows;
    const std::string kind = SheetCarKind(car);
    int r = 1;
    for (const VetaJizdy& trip : trips) {
        if (!(trip.KmSluzebni() > 0)) continue;
        const std::vector<std::string> places = RoutePlaces(trip.Misto());
        const std::size_t k = places.size();
        const std::string date = Cut(DisplayDate(trip.Datum()), 6);
        const std::string km = FormatPic("####", trip.KmSluzebni());
        const std::string meal = FormatPic("####.#", trip.Stravne());
        const double dep = trip.CasOdjezdu(), arr = trip.CasPrijezdu();
        const std::string depText = FormatPic("@@.@@", dep), arrText = FormatPic("@@.@@", arr);
        auto row = [&]() -> SettlementRow& {
            SettlementRow& s = rows[static_cast<std::size_t>(r - 1)];
            s.dat = date;
            if (kind == "SOUK") {
                s.a = "AUV";
                s.c = Cut(FormatPic("##.##", trip.ZakladniSazba()), kShortCell);
                s.d = Cut(FormatPic("##.###", trip.SazbaPhm()), kShortCell);
            } else if (kind == "SLUZ") {
                s.a = "AUS";
            }
            return s;
        };
        if (k == 1) {
            SettlementRow& s = row();
            s.b = km;
            s.g = meal;
            if (dep != 0) {
                s.o = places[0];
                s.oh = s.ep = depText;
            } else {
                s.p = places[0];
                if (arr != 0) s.ph = s.ek = arrText;
            }
            ++r;
        } else if (k == 2) {
            SettlementRow& s = row();
            s.b = km;
            s.g = meal;
            s.o = places[0];
            s.p = places[1];
            if (dep != 0) s.oh = depText;
            if (arr != 0) s.ph = arrText;
            ++r;
        } else if (k >= 3) {
            for (std::size_t j = 1; j < k && r <= kSettlementRows; ++j) {
                SettlementRow& s = row();
                s.o = places[j - 1];
                s.p = places[j];
                if (j == 1 && dep != 0) s.ep = s.oh = depText;
                if (j == k - 1) {
                    s.b = km;
                    s.g = meal;
                    if (arr != 0) s.ek = s.ph = arrText;
                }
                ++r;
            }
        }
        if (r > kSettlementRows) {
            ui.BeepMessage("Formulář je plný. Další zápisy nezpracuji."_cz);
            break;
        }
    }
    return rows;
}

Tfvpc::Tfvpc(Common& c, const std::string& orderFile, const VetaAuta& car)
    : c_(c), orderFile_(orderFile), car_(car), texts_(SettlementLayout()) {}

std::string Tfvpc::FileName() const {
    return orderFile_.empty() ? DefaultOrderFile(car_.Spz()) : orderFile_;
}

void Tfvpc::FillSettlementSheet(const std::vector<VetaJizdy>& marked) {
    const std::string file = FileName();
    std::string& date = texts_["dat"];
    date = GetReg(c_, file, "dat");
    if (RemoveSpaces(date).empty()) date = WorkDate(c_.now());
    const bool separate = !GetReg(c_, file, kSeparateStartEndKey).empty();
    for (int i : Layout().keyOrder) {
        const SheetField& f = Layout().fields[static_cast<std::size_t>(i)];
        if (f.name == "dat") continue;
        texts_.at(i) = GetReg(c_, file, separate || f.oldKey.empty() ? f.key : f.oldKey);
    }
    // Every row field the logbook would overwrite counts, not only the
    // departure places: a row with an arrival place only is still the user's.
    pending_ = true;
    if (!RowsEmpty()) {
        if (!c_.ui.AskYesNo(10, 10, "Přepsat seznam cest ?"_cz)) {
            // The totals are not stored: the kept rows get theirs here.
            Totals();
            return;
        }
        ClearRows();
    }
    SettlementRows(marked);
}

bool Tfvpc::RowsEmpty() const {
    for (int n = 1; n <= kSettlementRows; ++n)
        for (const char* col : kDerivedColumns)
            if (!RemoveSpaces(texts_.Row(col, n)).empty()) return false;
    return true;
}

void Tfvpc::ClearRows() {
    for (int n = 1; n <= kSettlementRows; ++n)
        for (const char* col : kRowColumns) texts_.Row(col, n).clear();
}

void Tfvpc::SettlementRows(const std::vector<VetaJizdy>& marked) {
    SettlementRowList rows = DeriveSettlement(c_.ui, marked, car_);
    for (int n = 1; n <= kSettlementRows; ++n)
        for (const char* col : kDerivedColumns)
            texts_.Row(col, n) = Cell(rows[static_cast<std::size_t>(n - 1)], col);
    // The first row of a day starts the work at its departure, the last row
    // ends it at its arrival, unless they already say otherwise.
    for (int n = 1; n <= kSettlementRows; ++n) {
        const std::string& date = texts_.Row("dat", n);
        const bool first = n == 1 || date != texts_.Row("dat", n - 1);
        const bool last = n == kSettlementRows || date != texts_.Row("dat", n + 1);
        if (first && texts_.Row("ep", n).empty()) texts_.Row("ep", n) = texts_.Row("oh", n);
        if (last && texts_.Row("ek", n).empty()) texts_.Row("ek", n) = texts_.Row("ph", n);
    }
    Recalculate();
}

void Tfvpc::Recalculate() {
    for (int n = 1; n <= kSettlementRows; ++n) {
        auto cell = [&](const char* col) { return StrToFloatLoose(texts_[RowName(col, n)]); };
        const double sum =
            (cell("c") + cell("d")) * cell("b") + cell("f") + cell("g") + cell("h") + cell("i");
        texts_.Row("su", n) = FormatAmount("#####.##", sum);
    }
    Totals();
}

void Tfvpc::Totals() {
    auto num = [&](const std::string& name) { return StrToFloatLoose(texts_[name]); };
    double columns[4] = {0, 0, 0, 0};
    double total = 0;
    for (int n = 1; n <= kSettlementRows; ++n) {
        const char* cols[4] = {"f", "g", "h", "i"};
        for (int k = 0; k < 4; ++k) columns[k] += num(RowName(cols[k], n));
        // The total adds the row totals as they are shown, to the cent.
        total += num(RowName("su", n));
    }
    const char* totals[4] = {"cf", "cg", "ch", "ci"};
    for (int k = 0; k < 4; ++k) texts_[totals[k]] = FormatAmount("#####.##", columns[k]);
    texts_["csu"] = FormatAmount("######.##", total);
    texts_["vsu"] = FormatAmount("#####.##", num("csu") - num("zi"));
}

bool Tfvpc::RecalculatesOnLeave(const std::string& field) {
    if (field == "zi") return true;
    if (field.size() < 2) return false;
    const char col = field[0];
    if (col != 'b' && col != 'c' && col != 'd' && col != 'f' && col != 'g' && col != 'h' &&
        col != 'i')
        return false;
    const int n = std::atoi(field.c_str() + 1);
    return n >= 1 && n <= kSettlementRows && field == RowName(std::string(1, col), n);
}

void Tfvpc::SaveSettlementSheet() {
    const std::string file = FileName();
    for (int i : Layout().keyOrder)
        SetReg(c_, file, Layout().fields[static_cast<std::size_t>(i)].key, texts_.at(i));
    SetReg(c_, file, kSeparateStartEndKey, "A");
    pending_ = false;
}

void Tfvpc::CloseSettlementSheet() {
    if (pending_) SaveSettlementSheet();
}

}  // namespace kj
