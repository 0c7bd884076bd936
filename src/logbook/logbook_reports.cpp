#include "logbook/logbook_reports.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "logbook/logbook_sort.h"
#include "logbook/trip_record.h"
#include "print/print_output.h"
#include "services/cp1250.h"
#include "services/dates.h"
#include "services/io_codes.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr int kBookWidth = 132;
constexpr int kListingWidth = 130;
constexpr const char* kListingFile = "kj_jizdy.srt";
constexpr const char* kListingPrint = "CESTAKY";
constexpr const char* kToleranceKey = "KJPN";
constexpr double kDefaultTolerance = 20;

// The text cut or padded with blanks to `width` characters.
std::string Fit(std::string_view text, std::size_t width) {
    std::string r(text.substr(0, std::min(text.size(), width)));
    r.resize(width, ' ');
    return r;
}

// A print line brought to end at column `column`: padded or cut.
std::string To(const std::string& line, std::size_t column) {
    return Fit(line, column);
}

// A text cell of a side-file line: a ";" inside it would split the cell.
std::string Cell(std::string_view text) {
    std::string r(text);
    std::replace(r.begin(), r.end(), ';', ',');
    return r;
}

// Amounts compared as printed, to the hundredth: sums of reals stray in
// their last bits, and 0.1 + 0.2 km must match an odometer that moved 0.3.
double Hundredths(double v) {
    return std::round(v * 100) / 100;
}

// "DD.MM.20RR" of an RRMMDD key.
std::string LongDateOfKey(std::string_view key) {
    const std::string k = Fit(key, 6);
    return k.substr(4, 2) + "." + k.substr(2, 2) + ".20" + k.substr(0, 2);
}

// "DD.MM.RR" of an RRMMDD key.
std::string ShortDateOfKey(std::string_view key) {
    const std::string k = Fit(key, 6);
    return DisplayDate(k.substr(4, 2) + k.substr(2, 2) + k.substr(0, 2));
}

// The print file of the logbook report: the logbook's name without its
// directory and without ".dta", so that it lands among the other reports.
std::string BookPrintName(std::string_view logbookFile) {
    const std::size_t slash = logbookFile.find_last_of('\\');
    std::string name(slash == std::string_view::npos ? logbookFile : logbookFile.substr(slash + 1));
    if (name.size() >= 4 && FoldName(name.substr(name.size() - 4)) == FoldName(".dta"))
        name.resize(name.size() - 4);
    return name;
}

// Calls `each` with every complete record of the logbook at `path` and its
// record number, in file order, reading in large blocks. A non-zero result
// of `each` stops the walk and is returned; otherwise the I/O code of
// opening or reading (0 = all read). An incomplete record at the end (a
// write cut short) is left out.
int ForEachTrip(Common& c, std::string_view path,
                const std::function<int(const char* record, std::int32_t number)>& each) {
    constexpr std::size_t kBlockRecords = 4096;
    constexpr auto len = static_cast<std::size_t>(jizdy::kLength);
    std::unique_ptr<File> in;
    int rc = c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &in);
    if (rc != io::kOk) return rc;
    std::int64_t size = 0;
    rc = in->Size(&size);
    auto left = rc == io::kOk ? static_cast<std::uint64_t>(size) / len : 0;
    std::vector<char> block(
        std::min<std::uint64_t>(kBlockRecords, std::max<std::uint64_t>(left, 1)) * len);
    std::int32_t number = 0;
    while (rc == io::kOk && left > 0) {
        const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockRecords, left));
        std::size_t got = 0;
        rc = in->Read(block.data(), k * len, &got);
        if (rc == io::kOk && got != k * len) rc = io::kReadPastEnd;
        for (std::size_t i = 0; rc == io::kOk && i < k; ++i)
            rc = each(block.data() + i * len, ++number);
        left -= k;
    }
    const int closed = in->Close();
    return rc != io::kOk ? rc : closed;
}

void ReadFailed(Common& c, int code, std::string_view path) {
    c.ui.BeepMessage("Chyba " + FormatPic("###", code) + " při čtení "_cz + std::string(path));
}

// The period dialog of both reports. The dates of the book's first and
// last trip are offered; a date that DateInvalid refuses is named and the
// dialog asks again with what was typed. False on Esc.
bool ZadejObdobi(Common& c, const std::string& path, ObdobiJizd& period) {
    std::string from, to;
    bool any = false;
    (void)ForEachTrip(c, path, [&](const char* rec, std::int32_t) {
        if (IsDeletedRecord(rec)) return 0;
        const std::string date = codec::GetText(rec, jizdy::kDatum);
        if (!any) from = date;
        to = date;
        any = true;
        return 0;
    });
    // Offered as the dialog would store them: a generator's "O" in the year
    // is read as 0, so that the offer passes DateInvalid; an empty text
    // (six blanks) still leaves a field to type into.
    from = NormalizeDate(from);
    to = NormalizeDate(to);
    for (;;) {
        if (!c.ui.AskFields(5, 20, {}, {"Od data (DDMMRR): ", from, "Do data (DDMMRR): ", to},
                            " Období "_cz))
            return false;
        from = c.ui.state().results[1];
        to = c.ui.state().results[2];
        if (DateInvalid(from)) {
            c.ui.BeepMessage("Chybně zadán parametr \"Od data\""_cz);
            continue;
        }
        if (DateInvalid(to)) {
            c.ui.BeepMessage("Chybně zadán parametr \"Do data\""_cz);
            continue;
        }
        period.odData = DateSortKey(NormalizeDate(from));
        period.doData = DateSortKey(NormalizeDate(to));
        return true;
    }
}

// ---- the logbook with evaluation ----

class KnihaJizd {
  public:
    KnihaJizd(Common& c, const VetaAuta& car, const ObdobiJizd& period, int mode)
        : c_(c), car_(car), period_(period), sou_(car.Druh() == "SOU"), mode_(mode) {}

    void Jizda(const VetaJizdy& t);
    void Soucty();
    // Sums minus the odometer's own difference over the period.
    double RozdilTachometru() const { return kmSluz_ + kmSouk_ - (lastOdo_ - startOdo_); }

  private:
    void Zahlavi();
    void Line(const std::string& line) { WritePrintLine(c_, line); }
    void SouctySoukrome();
    void Vyhodnoceni();

    Common& c_;
    const VetaAuta& car_;
    const ObdobiJizd& period_;
    const bool sou_;
    const int mode_;  // 1 with notes, 2 without, 0 after Esc
    int lines_ = 100;
    int page_ = 0;
    bool first_ = true;
    double startOdo_ = 0, lastOdo_ = 0;
    double kmSluz_ = 0, kmSouk_ = 0, stravne_ = 0, nahrada_ = 0, phmKc_ = 0, phmLitry_ = 0;
};

void KnihaJizd::Zahlavi() {
    ++page_;
    const std::string today = WorkDate(c_.now());  // DD.MM.RR
    Line(std::string(1, kFormFeed));
    Line(To("                       KNIHA JÍZD  za období : "_cz + LongDateOfKey(period_.odData) +
                " - " + LongDateOfKey(period_.doData),
            70) +
         Spaces(44) + "List : " + FormatPic("###", page_));
    Line(Spaces(113) + "Datum : " + today.substr(0, 6) + "20" + today.substr(6, 2));
    Line(To(To(" Jméno držitele : "_cz + car_.Text(auta::kDrzitel), 38) + "           Adresa : ",
            58) +
         Fit(car_.Text(auta::kAdresaDrzitele), 40));
    Line(To(To("    Název firmy : "_cz + car_.Text(auta::kFirma), 48) + " Adresa : ", 58) +
         Fit(car_.Text(auta::kAdresaFirmy), 40));
    Line("");
    std::string v = To("VOZIDLO " + car_.Text(auta::kDruh), 16) + " : ";
    v = To(v + car_.Spz(), 26) + "  Obsah válců nebo tonáž : "_cz;
    v = To(v + car_.Text(auta::kObsah), 68) + "   Typ : ";
    v = To(v + car_.Text(auta::kTyp), 97) + "   Číslo motoru : "_cz;
    Line(v + car_.Text(auta::kMotor));
    Line("                      Průměrná spotřeba a druh PHM : "_cz +
         FormatPic("###.## l/100km", car_.Spotreba()) + " - " + car_.Text(auta::kPalivo));
    Line("");
    if (sou_) {
        Line(
            "Datum  Místo a účel jízdy                        Km služ.  Km soukr. Tach.   "
            "Zákl.  Sazba  Náhr.v Kč  Čas. Čas.   Stravné"_cz);
        Line(Spaces(69) + "k.st.   sazba   PHM   za km      odj. příj."_cz);
    } else {
        Line(
            "Datum  Místo a účel jízdy                        Km služ.  Km soukr. Tach.k.s "
            "Nákup PHM Kč,  litry  Čas   Čas   Stravné  "_cz);
        Line(Spaces(100) + (mode_ == 1 ? "odj.  příj. Poznámka"_cz : "odj. příj."_cz));
    }
    if (page_ == 1) {
        const std::string places = "Datum ;Místo"_cz + Spaces(35) + ";Účel jízdy"_cz + Spaces(30);
        if (sou_)
            WriteCsvLine(c_, places +
                                 ";Km služ. ; Km soukr.; Tachom. ;Zákl.s;Sa.PHM;Náhr.v Kč  ;Dd h.;"
                                 "Do h.; Stravné ;Poznámka1"_cz +
                                 Spaces(51) + ";" + "Poznámka2"_cz);
        else
            WriteCsvLine(c_, places +
                                 "; Km služ.; Km soukr.; Tach.k.s;Nákup PHM Kč;     litry;Od h.;"
                                 "Do h.;Stravné  ;Poznámka"_cz);
    }
    Line(StrOfChar(kBookWidth, '-'));
    lines_ = 11;
}

void KnihaJizd::Jizda(const VetaJizdy& t) {
    if (lines_ > c_.set.linesPerPage - 2) Zahlavi();
    const double km = t.KmSluzebni(), soukr = t.KmSoukrome(), odo = t.StavTachometru();
    // Columns 7 and 8: the rates of a private car, the fuel bought by others.
    const double f7 = t.ZakladniSazba(), f8 = t.SazbaPhm();
    if (first_) {
        startOdo_ = odo - km - soukr;
        first_ = false;
    }
    lastOdo_ = odo;
    const double nahrada = sou_ ? km * (f7 + f8) : 0;

    const std::string head = To(t.Datum() + " " + t.Misto(), 47) + " ";
    std::string line = head + FormatPic("######.##", km) + FormatPic("#######.##", soukr) +
                       FormatPic("#########", odo);
    std::string csv =
        To(To(Cell(t.Datum()) + ";" + Cell(t.Misto()), 47) + ";" + Cell(t.Ucel()), 88) + ";" +
        FormatPic("######,##", km) + ";" + FormatPic("#######,##", soukr) + ";" +
        FormatPic("#########", odo) + ";";
    const std::string times = FormatPic("##.##", t.CasOdjezdu()) +
                              FormatPic(" ##.##", t.CasPrijezdu()) +
                              FormatPic("######.##", t.Stravne());
    const std::string csvTimes = FormatPic("##,##", t.CasOdjezdu()) + ";" +
                                 FormatPic("##,##", t.CasPrijezdu()) + ";" +
                                 FormatPic("######,##", t.Stravne()) + ";";
    if (sou_) {
        line += FormatPic("###.##", f7) + FormatPic("###.##", f8) + " " +
                FormatPic("########.##", nahrada) + " " + times;
        csv += FormatPic("###,##", f7) + ";" + FormatPic("###,##", f8) + ";" +
               FormatPic("########,##", nahrada) + ";" + csvTimes +
               (mode_ == 2 ? std::string() : Cell(t.Poznamka1())) + ";" + Cell(t.Poznamka2());
    } else {
        // The litres keep a blank before the hour, which the litres' column
        // would otherwise touch ("45.0111.03").
        line += FormatPic("#########.##", f7) + FormatPic("######.##", f8) + " " + times;
        csv += FormatPic("#########,##", f7) + ";" + FormatPic("#######,##", f8) + ";" + csvTimes +
               Cell(t.Poznamka1()) + ";" + Cell(t.Poznamka2());
    }
    Line(line);
    Line(Spaces(7) + t.Ucel());
    lines_ += 2;
    if (mode_ == 1) {
        Line(To(To(Spaces(7) + t.Poznamka1(), 67) + " " + t.Poznamka2(), 128));
        ++lines_;
    }
    WriteCsvLine(c_, csv);

    kmSluz_ += km;
    kmSouk_ += soukr;
    stravne_ += t.Stravne();
    if (sou_) {
        nahrada_ += nahrada;
    } else {
        phmKc_ += f7;
        phmLitry_ += f8;
    }
}

void KnihaJizd::Soucty() {
    // An empty period still gets its header above the totals.
    if (page_ == 0) Zahlavi();
    if (sou_)
        SouctySoukrome();
    else
        Vyhodnoceni();
}

void KnihaJizd::SouctySoukrome() {
    Line("Součet : "_cz + Spaces(39) + FormatPic("######.##", kmSluz_) +
         FormatPic("#######.##", kmSouk_) + Spaces(20) +
         FormatPic("##########.## Kč"_cz, nahrada_) + Spaces(6) +
         FormatPic("#########.##", stravne_));
    Line("Cestovné + stravné : "_cz + FormatPic("#### ###.##", nahrada_ + stravne_));
}

void KnihaJizd::Vyhodnoceni() {
    double p = StrToFloatLoose(GetJob(c_, kToleranceKey));
    if (p == 0) p = kDefaultTolerance;
    // The price offered is the average of the fuel bought in the period;
    // without litres there is none to take. Esc keeps the offered values
    // and stores nothing.
    double price = phmLitry_ > 0 ? phmKc_ / phmLitry_ : 0;
    const std::string palivo = car_.Text(auta::kPalivo);
    if (c_.ui.AskFields(
            10, 10, {},
            {"Povolené % nadspotřeby dle zákona o dani z příjmu "_cz, FormatPic("###.##", p),
             "  Průměrná cena za 1 litr "_cz + palivo, FormatPic("###.##", price)},
            "")) {
        p = StrToFloatLoose(c_.ui.state().results[1]);
        price = StrToFloatLoose(c_.ui.state().results[2]);
        SetJob(c_, kToleranceKey, FormatPic("######", p));
    }

    Line("Součet : "_cz + Spaces(39) + FormatPic("######.##", kmSluz_) +
         FormatPic("#######.##", kmSouk_) + Spaces(12) + FormatPic("######.##", phmKc_) +
         FormatPic("#######.##", phmLitry_) + Spaces(10) + FormatPic("#######.##", stravne_));
    // Allowed litres. A negative consumption in the car record or a period
    // whose business km add up below zero (corrections) allows nothing;
    // negative litres would turn the verdict upside down.
    const double allowed = std::max(0.0, kmSluz_ / 100 * car_.Spotreba());
    const double total = kmSluz_ + kmSouk_;
    // A share of a total that is 0 or below (corrections only) means
    // nothing; the line is left out.
    if (total > 0)
        Line("Podíl soukromých cest z celkových "_cz +
             RemoveSpaces(FormatPic("#######.##", total)) +
             " km = " + FormatPic("###.## %", kmSouk_ * 100 / total));
    Line("");
    Line("VYHODNOCENÍ povolené spotřeby PHM při prům.ceně      "_cz + FormatPic("###.##", price) +
         " Kč za litr :    "_cz + FormatPic("#########.##", allowed * price) +
         FormatPic("#######.##", allowed));
    Line(Spaces(18) + FormatPic("##", p) +
         " % povolené nadspotřeby dle zákona o dani z příjmu :    "_cz +
         FormatPic("#########.##", allowed * price * p / 100) +
         FormatPic("#######.##", allowed * p / 100));
    Line(Spaces(76) + "------------  ----------");
    const double litres = allowed + allowed * p / 100;
    const double amount = litres * price;
    Line(Spaces(76) + FormatPic("#########.##", amount) + FormatPic("#######.##", litres));
    Line("");
    // The verdict follows the difference as printed: a difference that
    // rounds to 0.00 is the limit reached, not a limit left.
    auto verdict = [](double difference) {
        return Hundredths(difference) < 0 ? " NEVYČERPANÝ LIMIT  "_cz : " POZOR NADSPOTŘEBA !"_cz;
    };
    const std::string lead =
        "                                Rozdíl mezi skutečností a vyhodnocením :    "_cz;
    Line(lead + FormatPic("#########.##-", phmKc_ - amount) + Spaces(10) +
         verdict(phmKc_ - amount) + " (v Kč)"_cz);
    Line(lead + Spaces(13) + FormatPic("######.##-", phmLitry_ - litres) +
         verdict(phmLitry_ - litres) + " (v litrech)");
}

// ---- the listing with subtotals ----

class Opis {
  public:
    Opis(Common& c, const VetaAuta& car, const ObdobiJizd& period)
        : c_(c), car_(car), period_(period), druh_(car.Druh()) {}

    void Jizda(const VetaJizdy& t);
    void Konec();

  private:
    void Zahlavi();
    void Mezisoucet(double km, Money money);

    Common& c_;
    const VetaAuta& car_;
    const ObdobiJizd& period_;
    const std::string druh_;
    int lines_ = 100;
    bool headed_ = false;
    bool inGroup_ = false;
    std::string group_;
    double groupKm_ = 0, totalKm_ = 0;
    Money groupMoney_ = 0, totalMoney_ = 0;
};

void Opis::Zahlavi() {
    WritePrintLine(c_, std::string(1, kFormFeed));
    WritePrintLine(c_, "");
    WritePrintLine(c_, car_.Text(auta::kFirma));
    if (druh_ == "STR")
        WritePrintLine(
            c_,
            To(To("Výkaz práce stroje : "_cz + car_.Spz(), 28) + " " + car_.Text(auta::kTyp), 49));
    else
        WritePrintLine(c_, To("Kniha jízd : "_cz + car_.Spz(), 20));
    WritePrintLine(
        c_, "Od: " + ShortDateOfKey(period_.odData) + "    Do: " + ShortDateOfKey(period_.doData));
    WritePrintLine(c_, StrOfChar(114, '='));
    lines_ = 6;
    headed_ = true;
}

void Opis::Mezisoucet(double km, Money money) {
    const bool stroj = druh_ == "STR";
    WritePrintLine(c_, Spaces(78) + (stroj ? "celkem hodin : " : "   celkem km : ") +
                           FormatPic("## ###", km) + (stroj ? "" : "   Kč:"_cz) +
                           FormatMoneyPic("### ###.##-", money));
}

void Opis::Jizda(const VetaJizdy& t) {
    if (lines_ > c_.set.linesPerPage) Zahlavi();
    const std::string key = SkupinaOpisu(t.Poznamka1());
    if (!inGroup_) {
        group_ = key;
        inGroup_ = true;
    } else if (key != group_) {
        Mezisoucet(groupKm_, groupMoney_);
        totalKm_ += groupKm_;
        totalMoney_ += groupMoney_;
        groupKm_ = 0;
        groupMoney_ = 0;
        group_ = key;
        ++lines_;
    }
    const double km = t.KmSluzebni();
    const std::string date = DisplayDate(t.Datum());
    WritePrintLine(c_, key + " " + date + " " + Fit(t.Misto(), 40) + " " + Fit(t.Ucel(), 40) + " " +
                           FormatPic("#####", km));
    WriteCsvLine(c_, Cell(key) + ";" + date + ";" + Cell(Fit(t.Misto(), 40)) + ";" +
                         Cell(Fit(t.Ucel(), 40)) + ";" + FormatPic("#####", km));
    ++lines_;
    groupKm_ += km;
    // Columns 7 and 8 of a company car hold the fuel bought, not rates:
    // its trips earn no money here, as in the logbook report.
    if (druh_ != "SLU")
        groupMoney_ +=
            static_cast<Money>(std::llround(km * (t.ZakladniSazba() + t.SazbaPhm()) * kMoneyUnit));
}

void Opis::Konec() {
    // An empty period still gets its header above the totals.
    if (!headed_) Zahlavi();
    if (inGroup_) {
        Mezisoucet(groupKm_, groupMoney_);
        totalKm_ += groupKm_;
        totalMoney_ += groupMoney_;
    }
    Mezisoucet(totalKm_, totalMoney_);
}

}  // namespace

ReportOutcome KnihaJizdSVyhodnocenim(Common& c, const VetaAuta& car, std::string_view logbookFile,
                                     ObdobiJizd& period) {
    const std::string path = DataPath(c, logbookFile);
    if (!ZadejObdobi(c, path, period)) return ReportOutcome::Cancelled;
    const std::string name = BookPrintName(logbookFile);
    OpenPrintFile(c, name, kBookWidth);
    int mode = c.ui.ChooseItem(10, 10, {}, {"   s poznámkou "_cz, " bez poznámky"_cz},
                               " Způsob tisku "_cz);
    if (mode != 1 && mode != 2) mode = 0;

    KnihaJizd report(c, car, period, mode);
    Zamkni(c, path, "");
    int rc = ForEachTrip(c, path, [&](const char* rec, std::int32_t) {
        // A deleted trip stays in the book until its next sort; its date
        // (".") could still fall inside a period with an empty from-date.
        if (!IsDeletedRecord(rec) && period.Obsahuje(codec::GetText(rec, jizdy::kDatum)))
            report.Jizda(VetaJizdy::From(rec));
        return 0;
    });
    Odemkni(c, path);
    // A book not made yet has no trips.
    if (rc == io::kFileNotFound) rc = io::kOk;
    if (rc != io::kOk) {
        ReadFailed(c, rc, path);
        ClosePrintFile(c);
        return ReportOutcome::Failed;
    }
    report.Soucty();
    const double difference = report.RozdilTachometru();
    if (Hundredths(difference) != 0)
        c.ui.BeepMessage(
            "Nesouhlasí součet ujetých km s rozdílem stavů tachometru na začátku a konci o "_cz +
            RemoveSpaces(FormatPic("######.##", difference)) +
            " km. Doporučení - sestavu,která se nyní vysvítí netisknout, přetřídit knihu jízd "
            "s přepočítáním stavu tachometru a vytvořit sestavu znovu."_cz);
    ClosePrintFile(c);
    ShowPrintFile(c, name);
    return ReportOutcome::Shown;
}

ReportOutcome OpisSMezisoucty(Common& c, const VetaAuta& car, std::string_view logbookFile,
                              ObdobiJizd& period) {
    const std::string path = DataPath(c, logbookFile);
    if (!ZadejObdobi(c, path, period)) return ReportOutcome::Cancelled;

    // The listing file stays under this station's write lock from the sort
    // to the last line read, so that a second station's listing cannot
    // replace it in between.
    const std::string srt = DataPath(c, kListingFile);
    Zamkni(c, srt, "W");
    Zamkni(c, path, "");
    int rc = SetridOpis(c, path, period.odData, period.doData, srt);
    Odemkni(c, path);
    // A book not made yet has no trips (and the listing file stays as an
    // earlier listing left it, so it is not read).
    const bool noBook = rc == io::kFileNotFound;
    if (rc != io::kOk && !noBook) {
        Odemkni(c, srt);
        c.ui.BeepMessage("Chyba pri sortu");
        return ReportOutcome::Failed;
    }

    OpenPrintFile(c, kListingPrint, kListingWidth);
    Opis report(c, car, period);
    if (!noBook)
        rc = ForEachTrip(c, srt, [&](const char* rec, std::int32_t) {
            report.Jizda(VetaJizdy::From(rec));
            return 0;
        });
    Odemkni(c, srt);
    if (rc != io::kOk && !noBook) {
        ReadFailed(c, rc, srt);
        ClosePrintFile(c);
        return ReportOutcome::Failed;
    }
    report.Konec();
    ClosePrintFile(c);
    ShowPrintFile(c, kListingPrint);
    return ReportOutcome::Shown;
}

}  // namespace kj
