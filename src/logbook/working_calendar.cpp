#include "logbook/working_calendar.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "services/cp1250.h"
#include "services/dates.h"
#include "services/io_codes.h"
#include "services/locks.h"
#include "services/picture.h"
#include "services/record_file.h"
#include "services/table_writeback.h"

namespace kj {
namespace kalendar {
namespace {

// Fixed public holidays, DDMM.
constexpr const char* kFixedHolidays[] = {"0101", "0105", "0805", "0507", "0607", "2809",
                                          "2810", "1711", "2412", "2512", "2612"};
constexpr int kFirstFixedYear = 2000;

bool AllDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

void SplitDay(int dayNumber, int* day, int* month, int* year) {
    const std::string d = DateOfDay(dayNumber);
    *day = std::atoi(d.substr(0, 2).c_str());
    *month = std::atoi(d.substr(2, 2).c_str());
    *year = d.size() == 6 ? 2000 + std::atoi(d.substr(4, 2).c_str()) : std::atoi(d.substr(4).c_str());
}

}  // namespace

int DayNumberOf(int day, int month, int year) {
    char text[40];
    std::snprintf(text, sizeof text, "%02d%02d%04d", day, month, year);
    return DayNumber(text);
}

int MonthLength(int month, int year) {
    const int next = month == 12 ? DayNumberOf(1, 1, year + 1) : DayNumberOf(1, month + 1, year);
    return next - DayNumberOf(1, month, year);
}

int BaseDay() {
    static const int base = DayNumber("02011995");
    return base;
}

int Weekday(int dayNumber) {
    return ((dayNumber - BaseDay()) % 7 + 7) % 7;
}

int EasterSunday(int year) {
    const int a = year % 19, b = year % 4, c = year % 7;
    const int d = (19 * a + 24) % 30;
    const int e = (2 * b + 4 * c + 6 * d + 5) % 7;
    const int k = d + e - 9;
    if (k == 25 && d == 28 && e == 6 && a > 10) return DayNumberOf(18, 4, year);
    if (k >= 1 && k <= 25) return DayNumberOf(k, 4, year);
    if (k > 25) return DayNumberOf(k - 7, 4, year);
    return DayNumberOf(22 + d + e, 3, year);
}

std::optional<int> DayOfDate(std::string_view date) {
    std::string s = RemoveSpaces(date);
    for (char& ch : s) {
        if (ch == 'O' || ch == 'o') ch = '0';
        if (ch == 'l' || ch == 'L') ch = '1';
    }
    if (s.empty()) return std::nullopt;
    if ((s.size() == 6 || s.size() == 8) && AllDigits(s)) {
        // The long form keeps its century (the table begins in 1995).
        if (s == "000000" || s == "00000000" || DateInvalid(s)) return std::nullopt;
        return DayNumber(s);
    }
    const std::string n = NormalizeDate(s);
    if (n.find_first_not_of(' ') == std::string::npos) return std::nullopt;
    return DayNumber(n);
}

const std::string& WeekdayName(int weekday) {
    static const std::array<std::string, 7> names = {
        "pondělí"_cz, "úterý"_cz, "středa"_cz, "čtvrtek"_cz, "pátek"_cz, "sobota"_cz, "neděle"_cz};
    return names[static_cast<std::size_t>(((weekday % 7) + 7) % 7)];
}

const std::string& MonthName(int month) {
    static const std::array<std::string, 12> names = {
        "leden"_cz, "únor"_cz,  "březen"_cz, "duben"_cz, "květen"_cz,   "červen"_cz,
        "červenec"_cz, "srpen"_cz, "září"_cz,  "říjen"_cz, "listopad"_cz, "prosinec"_cz};
    return names[static_cast<std::size_t>(std::clamp(month, 1, 12) - 1)];
}

const std::vector<std::string>& MovableHolidays() {
    // Easter Mondays 2011-2015; Good Fridays and Easter Mondays 2016-2019.
    static const std::vector<std::string> table = {"250411", "090412", "010413", "210414",
                                                   "060415", "250316", "280316", "140417",
                                                   "170417", "300318", "020418", "190419",
                                                   "220419"};
    return table;
}

}  // namespace kalendar

using namespace kalendar;

namespace {

int FirstShownDay() { return DayNumberOf(1, 1, TfKalendar::kFirstChooserYear); }
int LastShownDay() { return DayNumberOf(31, 12, TfKalendar::kLastChooserYear); }

bool GetBit(const std::array<std::uint8_t, kBytes>& bits, int index) {
    return (bits[static_cast<std::size_t>(index / 8)] >> (index % 8)) & 1;
}

std::string Code(int rc) { return FormatPic("######", rc); }

// DD.MM.RRRR: the four-digit year also for the days before 2000.
std::string FullDate(int day, int month, int year) {
    char text[40];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", day, month, year);
    return text;
}

}  // namespace

TfKalendar::TfKalendar(Common& c) : c_(c) {
    Build();
    Show(DayOfDate(WorkDate(c_.now())).value_or(DayNumberOf(1, 1, 2000)));
}

// ---------------------------------------------------------------- the table

bool TfKalendar::set_bit(int dayNumber) {
    const int i = dayNumber - BaseDay();
    if (i < 0 || i >= kDays) return false;
    bits_[static_cast<std::size_t>(i / 8)] |= static_cast<std::uint8_t>(1u << (i % 8));
    return true;
}

bool TfKalendar::del_bit(int dayNumber) {
    const int i = dayNumber - BaseDay();
    if (i < 0 || i >= kDays) return false;
    bits_[static_cast<std::size_t>(i / 8)] &= static_cast<std::uint8_t>(~(1u << (i % 8)));
    return true;
}

bool TfKalendar::if_bit(int dayNumber) const {
    const int i = dayNumber - BaseDay();
    if (i < 0 || i >= kDays) return false;
    return GetBit(bits_, i);
}

void TfKalendar::MarkWeekends(int fromIndex, int toIndex) {
    for (int i = fromIndex; i <= toIndex; ++i)
        if (i % 7 >= 5) set_bit(BaseDay() + i);
}

void TfKalendar::MarkDate(std::string_view ddmmrr) {
    if (auto day = DayOfDate(ddmmrr)) set_bit(*day);
}

void TfKalendar::Build() {
    bits_.fill(0);
    toggled_.fill(0);
    changed_ = false;

    // The weekends of a fresh table run to its last day (the last week of
    // the table is no exception).
    const std::string path = DataPath(c_, kFileName);
    std::unique_ptr<File> f;
    int rc = c_.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    std::int64_t size = 0;
    if (rc == io::kOk) rc = f->Size(&size);
    if (rc == io::kFileNotFound || rc == io::kPathNotFound) {
        MarkWeekends(0, kDays - 1);
    } else if (rc != io::kOk) {
        c_.ui.BeepMessage("Chyba"_cz + Code(rc) + " při čtení "_cz + path);
        MarkWeekends(0, kDays - 1);
    } else if (size < 2) {
        MarkWeekends(0, kDays - 1);
    } else if (size == kOldBytes || size == kBytes) {
        std::size_t got = 0;
        rc = f->Read(bits_.data(), static_cast<std::size_t>(size), &got);
        if (rc == io::kOk && got != static_cast<std::size_t>(size)) rc = io::kReadPastEnd;
        if (rc != io::kOk) {
            c_.ui.BeepMessage("Chyba"_cz + Code(rc) + " při čtení "_cz + path);
            bits_.fill(0);
            MarkWeekends(0, kDays - 1);
        } else if (size == kOldBytes) {
            MarkWeekends(kOldWeekendsFrom, kDays - 1);
        }
    } else {
        // Not a calendar this program wrote: nothing of it is loaded, and the
        // weekends are marked as for a fresh table rather than left working.
        c_.ui.BeepMessage("Soubor "_cz + path + " má chybnou délku"_cz + FormatPic("######", static_cast<double>(size)) +
                          " B, kalendář se sestavuje znovu"_cz);
        MarkWeekends(0, kDays - 1);
    }
    if (f) f->Close();

    for (const std::string& d : MovableHolidays()) MarkDate(d);

    for (int year = kFirstYear; year <= kLastYear; ++year) {
        const int monday = EasterSunday(year) + 1;
        set_bit(monday);
        if (year >= kFirstGoodFridayYear) set_bit(monday - 3);
    }

    if (!if_bit(DayNumberOf(1, 1, 2016))) {
        for (int year = kFirstFixedYear; year <= kLastYear; ++year)
            for (const char* ddmm : kFixedHolidays)
                set_bit(DayNumberOf(std::atoi(std::string(ddmm, 2).c_str()),
                                    std::atoi(std::string(ddmm + 2, 2).c_str()), year));
    }
}

TfKalendar::Pocty TfKalendar::svatky(std::string_view od, std::string_view do_) const {
    Pocty p;
    const auto from = DayOfDate(od), to = DayOfDate(do_);
    if (!from || !to || *to < *from) return p;
    for (int d = *from; d <= *to; ++d) {
        if (if_bit(d)) {
            ++p.nepracovni;
            if (Weekday(d) < 5) ++p.vsedniSvatky;
        } else {
            ++p.pracovni;
        }
    }
    return p;
}

std::string TfKalendar::pracovni(std::string_view date, int n) const {
    const auto start = DayOfDate(date);
    if (!start) return std::string(6, ' ');
    const int toNearest = n >= 1 ? -1 : 1;
    const int step = n >= 1 ? 1 : -1;
    int d = *start;
    // Each walk ends: every day outside the table is a working day.
    while (if_bit(d)) d += toNearest;
    const int wanted = std::abs(n);
    for (int counted = 0, steps = 0; counted < wanted && steps < kMaxSteps; ++steps) {
        d += step;
        if (!if_bit(d)) ++counted;
    }
    while (if_bit(d)) d += step;
    std::string r = DateOfDay(d);
    if (date.size() > 6 && r.size() == 6) r = Date6To8(r);
    return r;
}

std::string TfKalendar::DejDen(std::string_view date) const {
    const std::string n = NormalizeDate(date);
    if (n.find_first_not_of(' ') == std::string::npos) return {};
    return WeekdayName(Weekday(DayNumber(n)));
}

int TfKalendar::UlozZmeny() {
    if (!changed_) return io::kOk;
    const std::string path = DataPath(c_, kFileName);
    if (!Zamkni(c_, path, "W")) return io::kLockViolation;

    // Start from the file as another station may have left it and put only
    // the days toggled here into it.
    std::array<std::uint8_t, kBytes> out = bits_;
    std::unique_ptr<File> f;
    int rc = c_.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc == io::kOk) {
        std::int64_t size = 0;
        rc = f->Size(&size);
        if (rc == io::kOk && size == kBytes) {
            std::array<std::uint8_t, kBytes> stored{};
            std::size_t got = 0;
            rc = f->Read(stored.data(), stored.size(), &got);
            if (rc == io::kOk && got != stored.size()) rc = io::kReadPastEnd;
            if (rc == io::kOk)
                for (std::size_t i = 0; i < out.size(); ++i)
                    out[i] = static_cast<std::uint8_t>((stored[i] & ~toggled_[i]) | (bits_[i] & toggled_[i]));
        }
        f->Close();
    } else if (rc == io::kFileNotFound || rc == io::kPathNotFound) {
        rc = io::kOk;  // the first write creates the file
    }

    if (rc == io::kOk) {
        TableWriteBack wb(c_, path, kBytes);
        rc = wb.Begin();
        if (rc == io::kOk) rc = wb.Put(out.data());
        if (rc == io::kOk) rc = wb.Commit();
    }
    Odemkni(c_, path);
    if (rc != io::kOk) {
        c_.ui.BeepMessage("Chyba"_cz + Code(rc) + " při zápisu "_cz + path);
        return rc;
    }
    toggled_.fill(0);
    changed_ = false;
    return io::kOk;
}

// ---------------------------------------------------------------- the form

std::string TfKalendar::DejDatum(std::string_view start) {
    closed_ = false;
    chosen_.clear();
    auto day = DayOfDate(start);
    if (!day) day = DayOfDate(WorkDate(c_.now()));
    Show(day.value_or(FirstShownDay()));
    if (!ukaz) return {};
    ukaz(*this);
    closed_ = true;
    UlozZmeny();
    return chosen_;
}

const std::vector<std::string>& TfKalendar::HelpLines() {
    static const std::vector<std::string> lines = {
        "Esc, Zavři - nic"_cz, "OK,  na buňce DblClick nebo Enter - vrací se datum"_cz,
        "F5 na buňce - mění svátek"_cz};
    return lines;
}

void TfKalendar::Show(int dayNumber) {
    SplitDay(std::clamp(dayNumber, FirstShownDay(), LastShownDay()), &day_, &month_, &year_);
}

int TfKalendar::ShownDay() const { return DayNumberOf(day_, month_, year_); }

std::string TfKalendar::PopisDne() const {
    return FullDate(day_, month_, year_) + "  " + WeekdayName(Weekday(ShownDay()));
}

int TfKalendar::DenBunky(int row, int column) const {
    if (row < 0 || row >= kGridRows || column < 0 || column >= kGridColumns) return 0;
    const int first = Weekday(DayNumberOf(1, month_, year_));
    const int d = row * kGridColumns + column - first + 1;
    return d >= 1 && d <= MonthLength(month_, year_) ? d : 0;
}

void TfKalendar::BunkaDne(int day, int* row, int* column) const {
    const int cell = Weekday(DayNumberOf(1, month_, year_)) + day - 1;
    *row = cell / kGridColumns;
    *column = cell % kGridColumns;
}

int TfKalendar::BarvaBunky(int row, int column) const {
    const int d = DenBunky(row, column);
    if (d == 0) return kWindowColour;
    if (d == day_) return kChosenColour;
    return if_bit(DayNumberOf(d, month_, year_)) ? kMarkedColour : kWindowColour;
}

bool TfKalendar::KeyDown(int vk, key::Mod mods) {
    if (mods != key::Mod::None) return false;
    switch (vk) {
        case key::kLeft:
            Show(ShownDay() - 1);
            return true;
        case key::kRight:
            Show(ShownDay() + 1);
            return true;
        case key::kUp:
            if (day_ > 7) day_ -= 7;
            return true;
        case key::kDown:
            if (day_ + 7 <= MonthLength(month_, year_)) day_ += 7;
            return true;
        case key::kPrior:
            if (month_ > 1) NastavMesic(month_ - 1);
            else if (year_ > kFirstChooserYear) { year_ -= 1; NastavMesic(12); }
            return true;
        case key::kNext:
            if (month_ < 12) NastavMesic(month_ + 1);
            else if (year_ < kLastChooserYear) { year_ += 1; NastavMesic(1); }
            return true;
        case key::kF5:
            Prepni();
            return true;
        case key::kReturn:
            Vyber();
            return true;
        case key::kEscape:
            Zavri();
            return true;
        case key::kF1:
            if (napoveda) napoveda(HelpLines());
            else c_.ui.HelpBox(0, 0, "Kalendář"_cz, HelpLines());
            return true;
        default:
            return false;
    }
}

void TfKalendar::Klik(int row, int column) {
    if (const int d = DenBunky(row, column)) day_ = d;
}

void TfKalendar::DvojKlik(int row, int column) {
    if (DenBunky(row, column) == 0) return;
    Klik(row, column);
    Vyber();
}

void TfKalendar::NastavDen(int day) {
    day_ = std::clamp(day, 1, MonthLength(month_, year_));
}

void TfKalendar::NastavMesic(int month) {
    month_ = std::clamp(month, 1, 12);
    NastavDen(day_);
}

void TfKalendar::NastavRok(int year) {
    year_ = std::clamp(year, kFirstChooserYear, kLastChooserYear);
    NastavDen(day_);
}

void TfKalendar::Vyber() {
    char text[40];
    std::snprintf(text, sizeof text, "%d.%d.%02d", day_, month_, year_ % 100);
    chosen_ = DisplayDate(NormalizeDate(text));
    closed_ = true;
}

void TfKalendar::Zavri() {
    chosen_.clear();
    closed_ = true;
}

bool TfKalendar::Prepni() {
    const int d = ShownDay();
    const int i = d - BaseDay();
    if (i < 0 || i >= kDays) {
        c_.ui.BeepMessage("Den "_cz + FullDate(day_, month_, year_) + " je mimo rozsah kalendáře"_cz);
        return false;
    }
    if (if_bit(d)) del_bit(d);
    else set_bit(d);
    toggled_[static_cast<std::size_t>(i / 8)] ^= static_cast<std::uint8_t>(1u << (i % 8));
    changed_ = true;
    return true;
}

}  // namespace kj
