// Start-up settings of the station, read once before any form is created.

#include <algorithm>
#include <cstdint>

#include "services/io_codes.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/protocol.h"
#include "services/record_file.h"
#include "services/sort_file.h"

namespace kj {
namespace {

std::string Cut(std::string_view text, std::size_t n) {
    return std::string(text.substr(0, std::min(text.size(), n)));
}

// Station number: the first two characters of "UZIVATEL". "00" (or a
// missing entry) is replaced by "01" in the job table and read again; a
// table that will not take the change still gives station 01 rather than
// asking forever.
void ReadStation(Common& c) {
    for (int attempt = 0;; ++attempt) {
        const std::string s = Cut(GetJob(c, "UZIVATEL"), 2);
        const int index = static_cast<std::uint8_t>(StrToIntLoose(s));
        if (index >= 1 && index <= 99) {
            c.set.stationIndex = index;
            c.set.station = FormatPic("@@", index);
            return;
        }
        if (attempt > 0) {
            c.set.stationIndex = 1;
            c.set.station = "01";
            return;
        }
        SetJob(c, "UZIVATEL", "01");
    }
}

void ReadTaxRates(Common& c) {
    for (int i = 1; i <= 3; ++i) {
        const double rate = StrToFloatLoose(GetJob(c, "DAN" + std::to_string(i)));
        c.set.tax[i] = rate;
        c.set.taxText[i] = FormatPic("##", rate);
        c.set.taxCoef[i] =
            rate == -100 ? 0 : StrToFloatLoose(FormatPic("#.############", rate / (100 + rate)));
    }
}

// Customer switches from "ZAK1" against the configured prefixes.
void ReadCustomerFlags(Common& c) {
    std::fill(std::begin(c.set.customerFlag), std::end(c.set.customerFlag), false);
    const std::string customer = UpperCz(StripDiacritics(GetJob(c, "ZAK1")));
    if (customer.empty()) return;
    for (int i = 1; i <= kCustomerPrefixes; ++i) {
        const std::string entry = GetReg(c, "par\\sys.par", "ZakPrefix" + std::to_string(i));
        const std::string trimmed = StripRight(StripLeft(entry));
        const auto blank = trimmed.find_last_of(' ');
        if (blank == std::string::npos) continue;
        const std::string prefix = UpperCz(StripDiacritics(StripRight(trimmed.substr(0, blank))));
        const int flag = StrToIntLoose(trimmed.substr(blank + 1));
        // An empty or one-letter prefix would match every customer.
        if (prefix.size() < 3 || prefix.size() > 8 || flag < 1 || flag > kCustomerFlags) continue;
        if (customer.compare(0, prefix.size(), prefix) == 0) c.set.customerFlag[flag] = true;
    }
}

// Print character mode 0..5 from "MONPAR" and "DIAKTISK".
int PrintCharMode(Common& c) {
    const std::string m = Cut(UpperCz(GetJob(c, "MONPAR")), 24);
    int mode = 0;
    if (m.size() >= 4) {
        const char second = m[1], fourth = m[3];
        if (fourth == 'L' && second == ' ') mode = 1;
        else if (fourth == 'L' && second == 'K') mode = 2;
        else if (fourth == 'K' && second == 'L') mode = 3;
        else if (fourth == 'K' && second == ' ') mode = 4;
    }
    if (RemoveSpaces(GetJob(c, "DIAKTISK")) == "N") mode = 5;
    return mode;
}

}  // namespace

void InitCommon(Common& c) {
    // Work files of sorts killed in an earlier run.
    RemoveStaleSortFiles(c);
    if (FileSizeOf(c, "master.job") < 2) return;
    c.initializing = true;
    c.jobTableCache = jobtable::ReadFile(c, "master.job");
    Settings& s = c.set;
    s.loaded = true;

    ReadStation(c);

    const std::string dataDir = DataPath(c, "");
    s.lockServer = Cut(GetJobIn(c, dataDir, "SERVER1") + GetJobIn(c, dataDir, "SERVER2"), 16);

    ReadTaxRates(c);

    s.accYear = Cut(RemoveSpaces(GetReg(c, "UCPARAM.DTA", "UcRok")), 2);
    s.accPeriod = Cut(RemoveSpaces(GetReg(c, "UCPARAM.DTA", "UcObd")), 2);
    s.euroRate = StrToFloatLoose(GetReg(c, "UCPARAM.DTA", "KursEU"));
    s.euroCurrency = Cut(GetReg(c, "UCPARAM.DTA", "MenaEU"), 3);

    s.homeCurrency = GetJob(c, "MENA");
    if (s.homeCurrency.empty()) s.homeCurrency = "CZK";
    s.homeCurrency = Cut(s.homeCurrency, 3);
    s.homeCurrency.resize(3, ' ');

    s.tableWidth = StrToIntLoose(GetJob(c, "TAB"));
    s.linesPerPage = static_cast<std::int16_t>(StrToIntLoose(GetJob(c, "LIMRAD")));
    // A page of no (or negative) lines would break reports on every line.
    if (s.linesPerPage <= 0) s.linesPerPage = 64;

    ReadCustomerFlags(c);

    s.currentDir = UpperCz(c.fs.CurrentDir());
    if (s.currentDir.empty() || s.currentDir.back() != '\\') s.currentDir.push_back('\\');
    s.dataDir = UpperCz(dataDir);

    // Files in the station's own directory are never locked; when the data
    // directory is that directory, nothing is.
    std::string current = s.currentDir;
    if (s.dataDir.find(':') == std::string::npos) {
        if (auto colon = current.find(':'); colon != std::string::npos) current.erase(0, colon + 1);
    }
    c.lock.lockingOff = s.dataDir == current;

    s.personalData = !GetJobIn(c, dataDir, "GDPR").empty();
    s.printerPort = StrToIntLoose(GetJob(c, "OB_PORT"));
    s.formFeed = UpperCz(GetJob(c, "FMA343")) == "A";
    s.newSheet = GetJob(c, "NovyList") == "A";
    s.pricePrint = GetReg(c, "par\\okna2.par", "CencTisk") == "A";
    s.printResX = 300;
    s.printResY = 300;
    s.printCharMode = PrintCharMode(c);
    s.computer = Cut(GetJob(c, "POCITAC"), 4);

    c.abandonCounter = 0;
    c.initializing = false;
    c.jobTableCache.clear();
    s.userSlot = UserSlotWord(c);
}

}  // namespace kj
