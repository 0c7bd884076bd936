#include "travel/form_pictures.h"

#include <array>

#include "services/cp1250.h"
#include "travel/sheet_layout.h"

namespace kj {
namespace {

class Drawer {
public:
    Drawer(FormDrawing& d, const SheetLayout& l) : d_(d), l_(l) {
        d_.width = l.pictureWidth;
        d_.height = l.pictureHeight;
    }

    void HLine(int x1, int x2, int y, int width = 1) { d_.lines.push_back({x1, y, x2, y, width}); }
    void VLine(int x, int y1, int y2, int width = 1) { d_.lines.push_back({x, y1, x, y2, width}); }
    void Box(int left, int top, int right, int bottom, const std::string& field = "") {
        d_.boxes.push_back({field, left, top, right, bottom});
    }
    // The box of a free-standing control: two pixels clear of it at the
    // sides, one above and below.
    void Around(const std::string& field) {
        const SheetField& f = l_.Field(field);
        Box(f.left - 2, f.top - 1, f.left + f.visibleWidth + 1, f.top + f.height, field);
    }
    void Text(int left, int top, int width, int size, const std::string& text,
              TextAlign align = TextAlign::Left, bool bold = false) {
        d_.texts.push_back({left, top, width, size, bold, align, text});
    }
    // A label ending three pixels left of a control's box.
    void LabelBefore(const std::string& field, int width, const std::string& text, int size = 9,
                     int dy = 2) {
        const SheetField& f = l_.Field(field);
        const int right = f.left - 5;
        Text(right - width, f.top + dy, width, size, text, TextAlign::Right);
    }
    const SheetField& Field(const std::string& name) const { return l_.Field(name); }

private:
    FormDrawing& d_;
    const SheetLayout& l_;
};

}  // namespace

const FormBox* FormDrawing::BoxOf(std::string_view field) const {
    for (const FormBox& b : boxes)
        if (b.field == field) return &b;
    return nullptr;
}

bool FormDrawing::HasText(std::string_view text) const {
    for (const FormText& t : texts)
        if (t.text.find(text) != std::string::npos) return true;
    return false;
}

FormDrawing OrderFormDrawing() {
    FormDrawing d;
    const SheetLayout& l = OrderLayout();
    Drawer w(d, l);

    // Head: the organisation's stamp, the title and the travelling person.
    w.Box(41, 8, 300, 52);
    w.Text(44, 10, 250, 8, "Organizace (razítko)"_cz);
    w.Text(44, 60, 330, 22, "CESTOVNÍ PŘÍKAZ"_cz, TextAlign::Left, true);
    for (const char* f : {"ecislo", "eevc", "eutvar", "etel", "ejm", "eadr", "eprdod", "eprddo"})
        w.Around(f);
    w.LabelBefore("ecislo", 50, "Číslo"_cz, 10, 3);
    w.LabelBefore("eevc", 52, "Os. číslo"_cz, 9, 1);
    w.LabelBefore("eutvar", 52, "Útvar"_cz, 9, 1);
    w.LabelBefore("etel", 40, "Telefon", 9, 3);
    w.Text(44, 102, 112, 9, "Příjmení, jméno, titul"_cz);
    w.Text(44, 126, 56, 9, "Bydliště"_cz);
    w.LabelBefore("eprdod", 20, "od", 9, 3);
    w.LabelBefore("eprddo", 20, "do", 9, 3);
    w.Text(722, 128, 44, 9, "hod.");
    w.Text(556, 146, 210, 8, "Pravidelná pracovní doba"_cz);

    // The journey: four columns, fourteen rows, two rows a day.
    const std::array<int, 5> cols = {41, 160, 407, 653, 770};
    const std::array<const char*, 4> names = {"ep", "em", "eu", "ek"};
    const int head = 160;
    std::array<int, kJourneyRows + 1> rowLine{};
    rowLine[0] = 186;
    for (int n = 1; n < kJourneyRows; ++n) rowLine[static_cast<std::size_t>(n)] = l.Field(RowName("ep", n + 1)).top - 2;
    rowLine[kJourneyRows] = 528;
    w.HLine(cols.front(), cols.back(), head);
    for (int n = 0; n <= kJourneyRows; ++n)
        w.HLine(cols.front(), cols.back(), rowLine[static_cast<std::size_t>(n)],
                n > 0 && n < kJourneyRows && n % 2 == 0 ? 2 : 1);
    for (int x : cols) w.VLine(x, head, rowLine[kJourneyRows]);
    w.Text(41, 163, 119, 8, "Počátek cesty\n(místo, datum, hodina)"_cz, TextAlign::Center);
    w.Text(160, 168, 247, 8, "Místo jednání"_cz, TextAlign::Center);
    w.Text(407, 168, 246, 8, "Účel cesty"_cz, TextAlign::Center);
    w.Text(653, 163, 117, 8, "Konec cesty\n(místo, datum, hodina)"_cz, TextAlign::Center);
    for (int n = 1; n <= kJourneyRows; ++n)
        for (std::size_t c = 0; c < names.size(); ++c)
            w.Box(cols[c], rowLine[static_cast<std::size_t>(n - 1)], cols[c + 1],
                  rowLine[static_cast<std::size_t>(n)], RowName(names[c], n));

    // Fellow travellers and the means of transport.
    w.Box(41, 528, 140, 550);
    w.Box(140, 528, 770, 550, "espouc");
    w.Text(44, 533, 94, 9, "Spolucestující"_cz);
    w.Text(44, 555, 200, 9, "Určený dopravní prostředek:"_cz);
    const std::array<const char*, 9> transport = {"O", "R", "A", "MHD", "AUS", "AUV", "MOS", "L", "jiný"};
    for (int n = 1; n <= 9; ++n) {
        w.Around(RowName("ed", n));
        w.LabelBefore(RowName("ed", n), 32, Utf8ToCp1250(transport[static_cast<std::size_t>(n - 1)]), 9, 3);
    }
    for (const char* f : {"edruh", "espz", "ecpoj"}) w.Around(f);
    w.LabelBefore("edruh", 74, "Typ vozidla"_cz, 9, 1);
    w.LabelBefore("espz", 40, "SPZ", 9, 1);
    w.LabelBefore("ecpoj", 74, "Č. pojistky"_cz, 9, 1);
    const std::array<const char*, 6> fuels = {"LPG", "CNG", "BA", "BA 98", "NM", "jiné"};
    w.LabelBefore("ephm1", 74, "Druh PHM:", 9, 1);
    for (int n = 1; n <= 6; ++n) {
        const SheetField& f = w.Field(RowName("ephm", n));
        w.Around(f.name);
        w.Text(f.left - 14, 605, 41, 7, Utf8ToCp1250(fuels[static_cast<std::size_t>(n - 1)]),
               TextAlign::Center);
    }
    for (const char* f : {"espot", "ekcl", "epredpoklkc", "ezalkc", "edatzal", "epokl"}) w.Around(f);
    w.LabelBefore("espot", 96, "Prům. spotřeba"_cz, 8, 1);
    w.LabelBefore("ekcl", 92, "Cena PHM Kč/l"_cz, 8, 3);
    w.Text(488, 606, 200, 8, "Kč - předpokládaná částka výdajů"_cz);
    w.Text(44, 623, 140, 9, "Záloha Kč"_cz);
    w.LabelBefore("edatzal", 84, "vyplacena dne", 9, 4);
    w.LabelBefore("epokl", 86, "pokl. doklad č."_cz, 9, 3);

    // Legend and signatures.
    w.Text(44, 648, 726, 8,
           "Vysvětlivky: O - osobní vlak, R - rychlík, A - autobus, MHD - městská hromadná doprava,\n"
           "AUS - automobil služební, AUV - automobil vlastní, MOS - motocykl služební, L - letadlo"_cz);
    w.HLine(41, 770, 680);
    w.Box(41, 690, 280, 750);
    w.Box(280, 690, 525, 750);
    w.Box(525, 690, 770, 750);
    w.Text(44, 692, 230, 8, "Datum a podpis pracovníka"_cz);
    w.Text(283, 692, 230, 8, "Pracovní cestu povolil (datum, podpis)"_cz);
    w.Text(528, 692, 230, 8, "Souhlasím se zálohou (datum, podpis)"_cz);
    w.Box(41, 770, 770, 930);
    w.Text(44, 773, 720, 9, "Zpráva o výsledku pracovní cesty"_cz, TextAlign::Left, true);
    w.Box(41, 940, 405, 1000);
    w.Box(405, 940, 770, 1000);
    w.Text(44, 943, 350, 8, "Vyúčtování předloženo dne, počet příloh"_cz);
    w.Text(408, 943, 350, 8, "Podpis pracovníka"_cz);
    w.Text(44, 1080, 726, 8, "Vyúčtování pracovní cesty je na druhé straně."_cz);
    return d;
}

FormDrawing SettlementFormDrawing() {
    FormDrawing d;
    const SheetLayout& l = SettlementLayout();
    Drawer w(d, l);

    w.Text(44, 22, 700, 20, "VYÚČTOVÁNÍ PRACOVNÍ CESTY"_cz, TextAlign::Left, true);
    w.Box(41, 60, 520, 96);
    w.Box(520, 60, 810, 96);
    w.Text(44, 62, 300, 8, "Příjmení, jméno, titul"_cz);
    w.Text(523, 62, 280, 8, "Osobní číslo, útvar"_cz);

    // The grid: one row per leg, the upper half the departure, the lower
    // half the arrival.
    const std::array<int, 15> x = {41, 123, 226, 271, 311, 349, 389, 435, 482, 521, 566, 608, 663, 741, 810};
    const int head = 110;
    std::array<int, kSettlementRows + 1> rowLine{};
    for (int n = 1; n <= kSettlementRows; ++n)
        rowLine[static_cast<std::size_t>(n - 1)] = l.Field(RowName("o", n)).top - 1;
    rowLine[kSettlementRows] = 868;
    w.HLine(x.front(), x.back(), head);
    for (int y : rowLine) w.HLine(x.front(), x.back(), y);
    for (int xi : x) {
        int from = head;
        if (xi == 226) from = 140;
        if (xi == 389) from = 150;
        if (xi == 521 || xi == 566 || xi == 608) from = 132;
        w.VLine(xi, from, rowLine[kSettlementRows]);
    }
    w.HLine(123, 271, 140);
    w.HLine(349, 435, 150);
    w.HLine(482, 663, 132);
    w.Text(41, 140, 82, 8, "Datum", TextAlign::Center);
    w.Text(123, 118, 148, 8, "Odjezd - příjezd"_cz, TextAlign::Center);
    w.Text(123, 157, 103, 8, "místo"_cz, TextAlign::Center);
    w.Text(226, 157, 45, 8, "hodina", TextAlign::Center);
    w.Text(271, 132, 40, 7, "Použitý\ndopravní\nprostředek"_cz, TextAlign::Center);
    w.Text(311, 137, 38, 7, "Vzdá-\nlenost\nkm"_cz, TextAlign::Center);
    w.Text(349, 122, 86, 8, "Sazba za 1 km"_cz, TextAlign::Center);
    w.Text(349, 160, 40, 7, "základní"_cz, TextAlign::Center);
    w.Text(389, 160, 46, 7, "PHM", TextAlign::Center);
    w.Text(435, 124, 47, 7, "Začátek\na konec\npracovního\nvýkonu"_cz, TextAlign::Center);
    w.Text(482, 117, 181, 8, "Náhrady v Kč"_cz, TextAlign::Center);
    w.Text(482, 152, 39, 7, "Jízdné"_cz, TextAlign::Center);
    w.Text(521, 152, 45, 7, "Stravné"_cz, TextAlign::Center);
    w.Text(566, 152, 42, 7, "Nocležné"_cz, TextAlign::Center);
    w.Text(608, 140, 55, 7, "Nutné\nvedlejší\nvýdaje"_cz, TextAlign::Center);
    w.Text(663, 140, 78, 8, "Celkem", TextAlign::Center);
    w.Text(741, 140, 69, 8, "Upraveno", TextAlign::Center);

    struct Cell {
        const char* field;
        int from, to;
        int half;  // 0 whole row, 1 upper, 2 lower
    };
    const Cell cells[] = {{"dat", 0, 1, 0}, {"o", 1, 2, 1},  {"p", 1, 2, 2},  {"oh", 2, 3, 1},
                          {"ph", 2, 3, 2},  {"a", 3, 4, 0},  {"b", 4, 5, 0},  {"c", 5, 6, 0},
                          {"d", 6, 7, 0},   {"ep", 7, 8, 1}, {"ek", 7, 8, 2}, {"f", 8, 9, 0},
                          {"g", 9, 10, 0},  {"h", 10, 11, 0}, {"i", 11, 12, 0}, {"su", 12, 13, 0},
                          {"", 13, 14, 0}};
    for (int n = 1; n <= kSettlementRows; ++n) {
        const int top = rowLine[static_cast<std::size_t>(n - 1)];
        const int bottom = rowLine[static_cast<std::size_t>(n)];
        const int split = l.Field(RowName("o", n)).top + 15;
        w.HLine(123, 271, split);
        w.HLine(435, 482, split);
        for (const Cell& c : cells) {
            const int t = c.half == 2 ? split : top;
            const int b = c.half == 1 ? split : bottom;
            w.Box(x[static_cast<std::size_t>(c.from)], t, x[static_cast<std::size_t>(c.to)], b,
                  *c.field ? RowName(c.field, n) : std::string());
        }
    }

    // Totals, the advance and the amount to settle.
    w.Box(41, 868, 482, 896);
    w.Text(300, 875, 178, 9, "Celkem", TextAlign::Right, true);
    // The column totals share one box: a total wider than its column runs
    // on into the next one's room without crossing a line.
    for (const char* total : {"cf", "cg", "ch", "ci"}) w.Box(x[8], 868, x[12], 896, total);
    w.Box(x[12], 868, x[13], 896, "csu");
    w.Box(x[13], 868, x[14], 896);
    w.Box(663, 900, 741, 928, "zi");
    w.Text(500, 909, 159, 9, "Záloha"_cz, TextAlign::Right);
    w.Box(663, 930, 741, 958, "vsu");
    w.Text(440, 939, 219, 9, "Doplatek (přeplatek se znaménkem -)"_cz, TextAlign::Right);
    w.Text(745, 909, 40, 9, "Kč"_cz);
    w.Text(745, 939, 40, 9, "Kč"_cz);

    w.Box(41, 980, 420, 1040);
    w.Box(420, 980, 810, 1040);
    w.Text(44, 983, 370, 8, "Vyúčtování přezkoušel (datum, podpis)"_cz);
    w.Text(423, 983, 380, 8, "Schválil (datum, podpis)"_cz);
    w.Box(540, 1060, 633, 1081, "dat");
    w.Text(380, 1065, 156, 9, "Datum vyúčtování"_cz, TextAlign::Right);
    w.Box(650, 1050, 810, 1100);
    w.Text(653, 1052, 150, 8, "Podpis pracovníka"_cz);
    return d;
}

}  // namespace kj
