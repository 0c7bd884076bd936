#include "logbook/trip_rules.h"

#include <cmath>

#include "logbook/meal_rates.h"
#include "services/dates.h"
#include "services/locks.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {

namespace {

// Text cut or padded with blanks to `width`, its leading blanks kept.
std::string PadRight(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

// Hours typed HH.MM counted in hundredths.
long long Hundredths(double hours) { return std::llround(hours * 100.0); }

}  // namespace

TabulkaStravneho NactiTabulkuStravneho(Common& c) {
    TabulkaStravneho table;
    const std::string path = DataPath(c, "kjstra.dta");
    Zamkni(c, path, "");
    std::unique_ptr<File> f;
    if (FileSizeOf(c, path) < 2) {
        (void)c.fs.Open(path, Access::Write, Disposition::CreateAlways, Share::Shared, &f);
        if (f) (void)f->Close();
        Odemkni(c, path);
        return table;
    }
    if (c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f) == 0) {
        std::string bytes;
        char block[64 * strav::kLength];
        for (;;) {
            std::size_t got = 0;
            if (f->Read(block, sizeof block, &got) != 0 || got == 0) break;
            bytes.append(block, got);
        }
        (void)f->Close();
        for (std::size_t at = 0; at + strav::kLength <= bytes.size(); at += strav::kLength) {
            const char* rec = bytes.data() + at;
            table.push_back({codec::GetReal(rec, strav::kHodin), codec::GetReal(rec, strav::kCastka)});
        }
    }
    Odemkni(c, path);
    return table;
}

std::string StravneZaCestu(const TabulkaStravneho& tabulka, double odjezd, double prijezd) {
    const long long duration = Hundredths(prijezd) - Hundredths(odjezd);
    for (auto it = tabulka.rbegin(); it != tabulka.rend(); ++it)
        if (Hundredths(it->hodin) < duration) return FormatPic("#####.##", it->castka);
    return std::string(8, ' ');
}

std::optional<std::string> DatumJizdy(std::string_view typed, std::time_t now) {
    std::string text = RemoveSpaces(typed);
    if (text.empty() || text == "000000") text = WorkDate(now);
    const std::string date = NormalizeDate(text);
    if (RemoveSpaces(date).empty() || DateInvalid(date)) return std::nullopt;
    return date;
}

std::string DatumGeneratoru(std::string ddmmrr) {
    if (ddmmrr.size() >= 5 && ddmmrr[4] == '0') ddmmrr[4] = 'O';
    return ddmmrr;
}

std::string ObratTrasu(std::string_view trasa) {
    const std::string source = PadRight(std::string(trasa), kSirkaMista);
    std::vector<std::string> segments(1);
    char separator = 0;
    for (char ch : source) {
        if (ch == ',' || ch == '-' || ch == ':') {
            separator = ch;
            segments.emplace_back();
        } else {
            segments.back() += ch;
        }
    }
    std::string way;
    for (auto it = segments.rbegin(); it != segments.rend(); ++it) {
        const std::string part = StripRight(*it);
        if (part.empty()) continue;
        if (!way.empty()) way += separator;
        way += part;
    }
    return PadRight(way, kSirkaMista);
}

}  // namespace kj
