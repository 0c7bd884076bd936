#include "screens/sys_params.h"

#include <algorithm>
#include <cstdint>

#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"

namespace kj {

namespace {

constexpr const char* kSysPar = "par\\sys.par";
// Labels are padded to one length so that the edit boxes line up.
constexpr std::size_t kLabelCells = 28;
constexpr int kLabelColumn = 2;
constexpr int kSuffixColumn = 43;
constexpr int kDeviceWidth = 32;

constexpr int kDefaultLinesPerPage = 64;
constexpr int kMinLinesPerPage = 10, kMaxLinesPerPage = 200;
constexpr int kMaxTopLines = 30;
constexpr int kMaxPort = 4;
constexpr double kMaxTaxRate = 99.99;

// What a field is and where its value lives.
struct Setting {
    std::string label;
    int row;
    FieldType type;
    std::string mask;  // number picture
    int width;
    std::string suffix;
    std::string key;  // job key, or the sys.par key of a device
    std::vector<std::string> help;
};

const std::vector<Setting>& SettingTable() {
    static const std::vector<Setting> settings = {
        {"Domácí měna"_cz,
         1,
         FieldType::Text,
         "",
         3,
         "např. CZK"_cz,
         "MENA",
         {"Kód měny, ve které se tisknou částky (nejvýše 3 znaky, např. CZK)."_cz,
          "Uloženo v master.job pod klíčem MENA."_cz}},
        {"Sazba DPH 1"_cz,
         2,
         FieldType::Real,
         "##@.@@",
         6,
         "%",
         "DAN1",
         {"Sazba daně z přidané hodnoty v procentech, 0 až 99,99."_cz,
          "Uloženo v master.job pod klíčem DAN1."_cz}},
        {"Sazba DPH 2"_cz,
         3,
         FieldType::Real,
         "##@.@@",
         6,
         "%",
         "DAN2",
         {"Sazba daně z přidané hodnoty v procentech, 0 až 99,99."_cz,
          "Uloženo v master.job pod klíčem DAN2."_cz}},
        {"Sazba DPH 3"_cz,
         4,
         FieldType::Real,
         "##@.@@",
         6,
         "%",
         "DAN3",
         {"Sazba daně z přidané hodnoty v procentech, 0 až 99,99."_cz,
          "Uloženo v master.job pod klíčem DAN3."_cz}},
        {"Řádků na tiskové stránce"_cz,
         6,
         FieldType::Integer,
         "###@",
         4,
         "10 až 200"_cz,
         "LIMRAD",
         {"Po kolika řádcích sestavy začíná nová stránka (obvykle 64)."_cz,
          "Uloženo v master.job pod klíčem LIMRAD."_cz}},
        {"Horní okraj tisku (řádků)"_cz,
         7,
         FieldType::Integer,
         "#@",
         2,
         "0 až 30"_cz,
         "TOPLIST",
         {"Počet prázdných řádků na začátku každého tisku."_cz,
          "Uloženo v master.job pod klíčem TOPLIST."_cz}},
        {"Tisk s diakritikou"_cz,
         8,
         FieldType::Text,
         "",
         1,
         "A = ano, N = bez diakritiky",
         "DIAKTISK",
         {"N: tiskárna dostane text bez háčků a čárek (pro tiskárny bez češtiny)."_cz,
          "Uloženo v master.job pod klíčem DIAKTISK."_cz}},
        {"Přímý tisk na port LPT"_cz,
         10,
         FieldType::Text,
         "",
         1,
         "1 až 4, prázdné = tiskárna"_cz,
         "LPT",
         {"Číslo portu, na který jdou sestavy při přímém tisku a tisku F9;"_cz,
          "prázdné = tiskárna systému. Uloženo v master.job pod klíčem LPT."_cz}},
        {"Typ tiskárny na portu"_cz,
         11,
         FieldType::Text,
         "",
         8,
         "popis v souboru typ.dst"_cz,
         "TISKARNA",
         {"Jméno popisu tiskárny pro tisk na port (soubor s příponou .dst)."_cz,
          "Uloženo v master.job pod klíčem TISKARNA."_cz}},
        {"Port pokladní zásuvky"_cz,
         12,
         FieldType::Integer,
         "#@",
         2,
         "0 = žádná, 1 až 4 = LPT"_cz,
         "OB_PORT",
         {"Port tiskárny, na kterou je připojena pokladní zásuvka (0 = žádná)."_cz,
          "Uloženo v master.job pod klíčem OB_PORT."_cz}},
        {"Zařízení portu LPT1"_cz,
         14,
         FieldType::Text,
         "",
         kDeviceWidth,
         "",
         "LPT1",
         {"Soubor zařízení, kterým se tiskne na port LPT1 (např. /dev/usb/lp0)."_cz,
          "Prázdné = /dev/lp0. Uloženo v par\\sys.par pod klíčem LPT1."_cz}},
        {"Zařízení portu LPT2"_cz,
         15,
         FieldType::Text,
         "",
         kDeviceWidth,
         "",
         "LPT2",
         {"Soubor zařízení, kterým se tiskne na port LPT2."_cz,
          "Prázdné = /dev/lp1. Uloženo v par\\sys.par pod klíčem LPT2."_cz}},
        {"Zařízení portu LPT3"_cz,
         16,
         FieldType::Text,
         "",
         kDeviceWidth,
         "",
         "LPT3",
         {"Soubor zařízení, kterým se tiskne na port LPT3."_cz,
          "Prázdné = /dev/lp2. Uloženo v par\\sys.par pod klíčem LPT3."_cz}},
        {"Zařízení portu LPT4"_cz,
         17,
         FieldType::Text,
         "",
         kDeviceWidth,
         "",
         "LPT4",
         {"Soubor zařízení, kterým se tiskne na port LPT4."_cz,
          "Prázdné = /dev/lp3. Uloženo v par\\sys.par pod klíčem LPT4."_cz}},
    };
    return settings;
}

const Setting& SettingOf(int field) {
    return SettingTable()[static_cast<std::size_t>(field - 1)];
}

bool IsDevice(int field) {
    return field >= SysParams::kDevice1 && field <= SysParams::kDevice4;
}
int PortOf(int field) {
    return field - SysParams::kDevice1 + 1;
}
std::string DefaultDevice(int port) {
    return "/dev/lp" + std::to_string(port - 1);
}

std::string Trim(std::string_view text) {
    return StripLeft(StripRight(text));
}

// Digits, and with `decimals` one "." or ",".
bool NumberSyntax(std::string_view text, bool decimals) {
    int points = 0;
    for (char ch : text) {
        if (ch >= '0' && ch <= '9') continue;
        if (decimals && (ch == '.' || ch == ',') && ++points == 1) continue;
        return false;
    }
    return true;
}

// A rate as the job table keeps it: no trailing zeros ("21", "12.5").
std::string RateText(double rate) {
    std::string t = Trim(FormatPicZero("##@.@@", rate));
    if (t.find('.') != std::string::npos) {
        while (t.back() == '0') t.pop_back();
        if (t.back() == '.') t.pop_back();
    }
    return t;
}

// The print character mode from "MONPAR" and "DIAKTISK" (as at start-up).
int PrintCharMode(Common& c) {
    std::string m = UpperCz(GetJob(c, "MONPAR"));
    int mode = 0;
    if (m.size() >= 4) {
        const char second = m[1], fourth = m[3];
        if (fourth == 'L' && second == ' ')
            mode = 1;
        else if (fourth == 'L' && second == 'K')
            mode = 2;
        else if (fourth == 'K' && second == 'L')
            mode = 3;
        else if (fourth == 'K' && second == ' ')
            mode = 4;
    }
    if (RemoveSpaces(GetJob(c, "DIAKTISK")) == "N") mode = 5;
    return mode;
}

}  // namespace

SysParams::SysParams(Common& c, ScreenMetrics& metrics) : CharWindow(c, "fParSys", metrics) {
    for (const Setting& s : SettingTable()) {
        PoleOkna p;
        p.label = s.label;
        p.label.resize(std::max(kLabelCells, p.label.size()), ' ');
        p.column = kLabelColumn;
        p.row = s.row;
        p.type = s.type;
        p.mask = s.mask;
        p.width = s.width;
        p.suffix = s.suffix;
        if (!s.suffix.empty()) {
            p.suffixColumn = kSuffixColumn;
            p.suffixRow = s.row;
        }
        fields_.push_back(p);
    }
    std::vector<PoleOkna*> pointers;
    for (PoleOkna& p : fields_) pointers.push_back(&p);
    AttachFields(pointers);
}

std::string SysParams::Title() {
    return " Parametry systému "_cz;
}

int SysParams::Paper() {
    return RgbColour(236, 240, 248);
}
int SysParams::Ink() {
    return kColourBlack;
}

std::string SysParams::Status() {
    return "F2 uložit   Esc zpět beze změn   F1 nápověda   F11 vzhled okna"_cz;
}

std::string SysParams::InEffect(int field) const {
    const Setting& s = SettingOf(field);
    if (IsDevice(field)) {
        const std::string device = GetReg(c_, kSysPar, s.key);
        return device.empty() ? DefaultDevice(PortOf(field)) : device;
    }
    const std::string v = GetJob(c_, s.key);
    switch (field) {
        case kMena:
            return v.empty() ? "CZK" : v.substr(0, 3);
        case kLimrad: {
            const int lines = static_cast<std::int16_t>(StrToIntLoose(v));
            return std::to_string(lines > 0 ? lines : kDefaultLinesPerPage);
        }
        case kDiaktisk:
            return RemoveSpaces(v) == "N" ? "N" : "A";
        case kLpt:
            // "0" names port 1 as well.
            return v.empty() ? "" : (v.substr(0, 1) == "0" ? "1" : v.substr(0, 1));
        default:
            return v;
    }
}

void SysParams::Nacti() {
    refusedField_ = 0;
    record_.clear();
    for (int i = 1; i <= kFieldCount; ++i) {
        const PoleOkna& d = Descriptor(i);
        record_ += EncodeField({d.type, d.width, d.mask}, InEffect(i));
    }
    SetZaznamOkna(record_);
    NactiOkno();
    loaded_.clear();
    for (int i = 1; i <= kFieldCount; ++i) loaded_.push_back(Descriptor(i).value);
}

void SysParams::Otevri() {
    Nacti();
    OtevriOkno(Title(), Status(), Paper(), Ink(), kLeft, kTop, kRight, kBottom);
}

std::string SysParams::Problem(int field, const std::string& text) const {
    const std::string t = Trim(text);
    switch (field) {
        case kMena:
            if (t.empty() || t.find(' ') != std::string::npos || t.size() > 3)
                return "Domácí měna: zadejte kód měny o 1 až 3 znacích bez mezer, např. CZK."_cz;
            return "";
        case kDan1:
        case kDan2:
        case kDan3: {
            const double rate = StrToFloatLoose(t);
            if (!NumberSyntax(t, true) || rate > kMaxTaxRate)
                return "Sazba DPH " + std::to_string(field - kDan1 + 1) +
                       " musí být číslo od 0 do 99,99 (procenta)."_cz;
            return "";
        }
        case kLimrad: {
            const int lines = StrToIntLoose(t);
            if (!NumberSyntax(t, false) || lines < kMinLinesPerPage || lines > kMaxLinesPerPage)
                return "Počet řádků na tiskové stránce musí být od 10 do 200."_cz;
            return "";
        }
        case kToplist:
            if (!NumberSyntax(t, false) || StrToIntLoose(t) > kMaxTopLines)
                return "Horní okraj tisku musí být od 0 do 30 řádků."_cz;
            return "";
        case kDiaktisk: {
            const std::string u = UpperCz(t);
            if (u != "A" && u != "N") return "Tisk s diakritikou: zadejte A (ano) nebo N (ne)."_cz;
            return "";
        }
        case kLpt:
            if (!t.empty() && (t.size() != 1 || t[0] < '1' || t[0] > '4'))
                return "Přímý tisk na port LPT: zadejte číslo portu 1 až 4, "
                       "nebo nechte prázdné pro tiskárnu systému."_cz;
            return "";
        case kTiskarna:
            if (t.find_first_of(" \\/:*?\"<>|") != std::string::npos)
                return "Typ tiskárny je jméno souboru bez přípony .dst, "
                       "bez mezer a znaků \\ / : * ? \" < > |."_cz;
            return "";
        case kObPort:
            if (!NumberSyntax(t, false) || StrToIntLoose(t) > kMaxPort)
                return "Port pokladní zásuvky musí být 0 (žádná) až 4."_cz;
            return "";
        default:
            if (IsDevice(field) && !t.empty() && t[0] != '/')
                return "Zařízení portu LPT"_cz + std::to_string(PortOf(field)) +
                       " musí být úplná cesta k souboru zařízení, např. /dev/usb/lp0."_cz;
            return "";
    }
}

void SysParams::Refuse(int field, const std::string& text, const std::string& problem) {
    refusedField_ = field;
    refusedText_ = text;
    c_.ui.BeepMessage(problem);
    GoToField(field);
}

bool SysParams::EnterAllowed(int field, const std::string& text) {
    const std::string problem = Problem(field, text);
    if (problem.empty()) return true;
    Refuse(field, text, problem);
    return false;
}

void SysParams::OpustPole(int field, std::string& text) {
    const std::string problem = Problem(field, text);
    if (!problem.empty()) {
        // The text stays as typed for the user to correct.
        Refuse(field, text, problem);
        return;
    }
    if (refusedField_ == field) refusedField_ = 0;
    CharWindow::OpustPole(field, text);
}

void SysParams::PoPoli(int field, std::string& text) {
    // Entering a refused field again would show its normalised text (a
    // wrong number as 0); the typed text is put back instead.
    if (field == refusedField_) {
        refusedField_ = 0;
        if (text == Normalize(field, refusedText_)) {
            text = refusedText_;
            return;
        }
    }
    if (field == kMena || field == kDiaktisk) text = UpperCz(text);
}

void SysParams::Prijmi() {
    for (int i = 1; i <= FieldCount(); ++i) {
        if (!Editable(i)) continue;
        const std::string problem = Problem(i, Text(i));
        if (!problem.empty()) {
            c_.ui.BeepMessage(problem);
            GoToField(i);
            return;
        }
    }
    CharWindow::Prijmi();
}

void SysParams::KlF1() {
    const int field = ValidField(Current()) ? Current() : 1;
    c_.ui.HelpBox(3, 7, " Nápověda "_cz, SettingOf(field).help);
}

bool SysParams::Store(int field, const std::string& shown) {
    const Setting& s = SettingOf(field);
    const std::string t = Trim(shown);
    if (IsDevice(field)) {
        // The default device is not written out, so it follows the default.
        SetReg(c_, kSysPar, s.key, t == DefaultDevice(PortOf(field)) ? "" : t);
        return true;
    }
    std::string value;
    switch (field) {
        case kMena:
        case kDiaktisk:
            value = UpperCz(t);
            break;
        case kDan1:
        case kDan2:
        case kDan3:
            value = RateText(StrToFloatLoose(t));
            break;
        case kLimrad:
        case kToplist:
        case kObPort:
            value = std::to_string(StrToIntLoose(t));
            break;
        default:
            value = t;
            break;
    }
    SetJob(c_, s.key, value);
    if (GetJob(c_, s.key) == StripRight(value)) return true;
    c_.ui.BeepMessage(
        "Hodnotu \""_cz + StripRight(SettingOf(field).label) +
        "\" se nepodařilo uložit do master.job (tabulka je plná nebo nepřístupná)."_cz);
    return false;
}

bool SysParams::ZavriOkno() {
    if (!CharWindow::ZavriOkno()) return false;
    if (cancelled()) return true;
    bool ok = true;
    const char* p = record_.data();
    for (int i = 1; i <= kFieldCount; ++i) {
        const PoleOkna& d = Descriptor(i);
        const std::string shown = DecodeField({d.type, d.width, d.mask}, p);
        p += StoredSize(d.type, d.width);
        if (shown == loaded_[static_cast<std::size_t>(i - 1)]) continue;
        if (!Store(i, shown)) ok = false;
    }
    RefreshSettings();
    return ok;
}

void SysParams::RefreshSettings() {
    Settings& s = c_.set;
    std::string currency = GetJob(c_, "MENA");
    if (currency.empty()) currency = "CZK";
    currency = currency.substr(0, 3);
    currency.resize(3, ' ');
    s.homeCurrency = currency;
    for (int i = 1; i <= 3; ++i) {
        const double rate = StrToFloatLoose(GetJob(c_, "DAN" + std::to_string(i)));
        s.tax[i] = rate;
        s.taxText[i] = FormatPic("##", rate);
        s.taxCoef[i] =
            rate == -100 ? 0 : StrToFloatLoose(FormatPic("#.############", rate / (100 + rate)));
    }
    const int lines = static_cast<std::int16_t>(StrToIntLoose(GetJob(c_, "LIMRAD")));
    s.linesPerPage = lines > 0 ? lines : kDefaultLinesPerPage;
    s.printerPort = StrToIntLoose(GetJob(c_, "OB_PORT"));
    s.printCharMode = PrintCharMode(c_);
}

}  // namespace kj
