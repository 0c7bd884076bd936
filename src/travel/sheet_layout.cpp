#include "travel/sheet_layout.h"

#include <algorithm>
#include <stdexcept>

#include "services/cp1250.h"
#include "services/params.h"

namespace kj {
namespace {

constexpr const char* kSansSerif = "MS Sans Serif";

// Characters an edit may take: what a ".cpr" line can give back (the key,
// " : " and the value within one line, the value within what is read).
int StorableLength(const std::string& key) {
    if (key.empty()) return static_cast<int>(kRegValueMax);
    const int line = static_cast<int>(kRegLineMax) - static_cast<int>(key.size()) - 3;
    return std::min(static_cast<int>(kRegValueMax), line);
}

class Builder {
public:
    explicit Builder(SheetLayout& l) : l_(l) {}

    // An edit stored under its own name.
    SheetField& Edit(const std::string& name, int left, int top, int width, int height,
                     int points = 8) {
        return Add(name, name, left, top, width, height, {kSansSerif, points, false},
                   FieldKind::Edit);
    }
    SheetField& Label(const std::string& name, const std::string& key, int left, int top,
                      int width, int height, SheetFont font) {
        return Add(name, key, left, top, width, height, std::move(font), FieldKind::Label);
    }
    SheetField& Add(const std::string& name, const std::string& key, int left, int top, int width,
                    int height, SheetFont font, FieldKind kind) {
        SheetField f;
        f.name = name;
        f.key = key;
        f.left = left;
        f.top = top;
        f.width = width;
        f.visibleWidth = width;
        f.height = height;
        f.font = std::move(font);
        f.kind = kind;
        f.tag = kind == FieldKind::Label ? kTagLabel : kTagEdit;
        f.maxLength = StorableLength(key);
        l_.fields.push_back(std::move(f));
        return l_.fields.back();
    }
    int Index(const std::string& name) const { return l_.Find(name); }
    void Tab(const std::string& name) { l_.tabOrder.push_back(Checked(name)); }
    void Key(const std::string& name) { l_.keyOrder.push_back(Checked(name)); }

private:
    int Checked(const std::string& name) const {
        const int i = l_.Find(name);
        if (i < 0) throw std::logic_error("sheet control missing: " + name);
        return i;
    }
    SheetLayout& l_;
};

// Journey row tops of the travel order.
constexpr int kJourneyTop[kJourneyRows] = {188, 212, 237, 261, 286, 310, 335,
                                           359, 384, 408, 433, 457, 482, 506};
// Upper-half row tops of the settlement.
constexpr int kSettlementTop[kSettlementRows] = {186, 217, 248, 279, 310, 341, 372, 403,
                                                 435, 466, 497, 528, 559, 590, 621, 652,
                                                 683, 714, 745, 776, 807, 838};

SheetLayout MakeOrderLayout() {
    SheetLayout l;
    l.caption = "Cestovní příkaz"_cz;
    l.picture = "\\KJ\\kj1.bmp";
    l.pictureWidth = 787;
    l.pictureHeight = 1123;
    Builder b(l);
    // Creation order is the tab order.
    b.Edit("ecislo", 442, 62, 107, 20, 10);
    b.Edit("ejm", 162, 98, 377, 20, 10);
    b.Edit("eadr", 104, 122, 435, 20, 10);
    b.Edit("eevc", 608, 58, 135, 17);
    b.Edit("eutvar", 608, 76, 135, 17);
    b.Edit("etel", 620, 94, 121, 20);
    b.Edit("eprdod", 576, 126, 53, 18);
    b.Edit("eprddo", 658, 124, 59, 18);
    for (int n = 1; n <= kJourneyRows; ++n) {
        const int top = kJourneyTop[n - 1];
        b.Edit(RowName("ep", n), 44, top, 113, 21);
        b.Edit(RowName("em", n), 164, top, 241, 21);
        b.Edit(RowName("eu", n), 410, top, 241, 21);
        b.Edit(RowName("ek", n), 656, top, 111, 21);
    }
    b.Edit("espouc", 142, 530, 623, 20);
    const int transportLeft[9] = {286, 344, 401, 459, 516, 574, 631, 689, 746};
    for (int n = 1; n <= 9; ++n) b.Edit(RowName("ed", n), transportLeft[n - 1], 552, n == 9 ? 13 : 15, 17, 9);
    b.Edit("edruh", 232, 574, 121, 14, 6);
    b.Edit("espz", 406, 574, 121, 14);
    b.Add("ecpoj", "espoj", 626, 574, 121, 13, {kSansSerif, 8, false}, FieldKind::Edit);
    const int fuelLeft[6] = {122, 171, 222, 260, 293, 326};
    for (int n = 1; n <= 6; ++n) {
        SheetField& f = b.Edit(RowName("ephm", n), fuelLeft[n - 1], 590, 13, 14, 9);
        f.maxLength = 1;
        f.upperCase = true;
    }
    b.Edit("espot", 506, 590, 73, 14);
    b.Edit("ekcl", 692, 588, 55, 15);
    b.Edit("epredpoklkc", 346, 602, 137, 15);
    b.Edit("ezalkc", 190, 620, 121, 18);
    b.Edit("edatzal", 404, 618, 121, 18);
    b.Edit("epokl", 622, 620, 121, 18);

    for (const char* name : {"ecislo", "ejm", "eadr", "eevc", "eutvar", "etel", "eprdod", "eprddo"})
        b.Tab(name);
    for (int n = 1; n <= kJourneyRows; ++n)
        for (const char* col : {"ep", "em", "eu", "ek"}) b.Tab(RowName(col, n));
    b.Tab("espouc");
    for (int n = 1; n <= 9; ++n) b.Tab(RowName("ed", n));
    for (const char* name : {"edruh", "espz", "ecpoj"}) b.Tab(name);
    for (int n = 1; n <= 6; ++n) b.Tab(RowName("ephm", n));
    for (const char* name : {"espot", "ekcl", "epredpoklkc", "ezalkc", "edatzal", "epokl"})
        b.Tab(name);

    for (const char* name : {"ecislo", "eevc", "eutvar", "ejm", "eadr", "etel", "eprdod", "eprddo",
                             "espouc"})
        b.Key(name);
    for (int n = 1; n <= 9; ++n) b.Key(RowName("ed", n));
    for (const char* name : {"edruh", "espz", "ecpoj"}) b.Key(name);
    for (int n = 1; n <= 6; ++n) b.Key(RowName("ephm", n));
    for (const char* name : {"espot", "ekcl", "epredpoklkc", "ezalkc", "edatzal", "epokl"})
        b.Key(name);
    for (int n = 1; n <= kJourneyRows; ++n)
        for (const char* col : {"ep", "em", "eu", "ek"}) b.Key(RowName(col, n));
    return l;
}

SheetLayout MakeSettlementLayout() {
    SheetLayout l;
    l.caption = "CestoVyúčtování pracovní cesty"_cz;
    l.picture = "\\KJ\\KJ2.bmp";
    l.pictureWidth = 853;
    l.pictureHeight = 1123;
    Builder b(l);
    const SheetFont small{kSansSerif, 7, false};
    for (int n = 1; n <= kSettlementRows; ++n) {
        const int top = kSettlementTop[n - 1];
        const int full = top + 4;  // fields of the whole row height
        b.Edit(RowName("dat", n), 44, full, 37, 21);
        b.Add(RowName("o", n), RowName("o", n), 126, top, 99, 14, small, FieldKind::Edit);
        b.Add(RowName("oh", n), RowName("oh", n), 228, top, 41, 14, small, FieldKind::Edit);
        b.Add(RowName("p", n), RowName("p", n), 126, top + 16, 99, 14, small, FieldKind::Edit);
        b.Add(RowName("ph", n), RowName("ph", n), 228, top + 16, 41, 14, small, FieldKind::Edit);
        b.Edit(RowName("a", n), 274, full, 37, 21);
        b.Edit(RowName("b", n), 312, full, 35, 21);
        b.Edit(RowName("c", n), 352, full, 35, 21);
        b.Edit(RowName("d", n), 392, full, 41, 21);
        b.Add(RowName("ep", n), RowName("zac", n), 438, top, 43, 14, small, FieldKind::Edit).oldKey =
            RowName("ep", n);
        b.Add(RowName("ek", n), RowName("kon", n), 438, top + 16, 43, 14, small, FieldKind::Edit)
            .oldKey = RowName("ek", n);
        b.Edit(RowName("f", n), 484, full, 177, 21).visibleWidth = 37;
        b.Edit(RowName("g", n), 522, full, 43, 21);
        b.Edit(RowName("h", n), 567, full, 39, 21);
        b.Edit(RowName("i", n), 610, full, 51, 21);
        b.Label(RowName("su", n), RowName("su", n), 666, top + 6, 70, 18,
                {"Courier New", n == kSettlementRows ? 8 : 10, true});
    }
    const SheetFont totals{kSansSerif, 8, false};
    b.Label("cf", "", 484, 876, 55, 16, totals).visibleWidth = 37;
    b.Label("cg", "", 522, 876, 55, 16, totals).visibleWidth = 43;
    b.Label("ch", "", 567, 876, 55, 16, totals).visibleWidth = 39;
    b.Label("ci", "", 610, 876, 55, 16, totals).visibleWidth = 51;
    b.Label("csu", "", 664, 876, 71, 18, {"Courier New", 10, true});
    b.Add("zi", "", 670, 906, 63, 18, {kSansSerif, 8, false}, FieldKind::Edit);
    b.Label("vsu", "", 668, 936, 69, 18, {"Courier", 10, true});
    b.Edit("dat", 542, 1062, 89, 18);

    for (std::size_t i = 0; i < l.fields.size(); ++i)
        if (l.fields[i].kind == FieldKind::Edit) l.tabOrder.push_back(static_cast<int>(i));
    b.Key("dat");
    for (const char* col : {"dat", "o", "p", "oh", "ph", "a", "b", "c", "d", "ep", "ek", "f", "g",
                            "h", "i", "su"})
        for (int n = 1; n <= kSettlementRows; ++n) b.Key(RowName(col, n));
    return l;
}

}  // namespace

std::string RowName(std::string_view name, int n) { return std::string(name) + std::to_string(n); }

int SheetLayout::Find(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return static_cast<int>(i);
    return -1;
}

const SheetField& SheetLayout::Field(std::string_view name) const {
    const int i = Find(name);
    if (i < 0) throw std::out_of_range("no sheet control " + std::string(name));
    return fields[static_cast<std::size_t>(i)];
}

const SheetLayout& OrderLayout() {
    static const SheetLayout layout = MakeOrderLayout();
    return layout;
}

const SheetLayout& SettlementLayout() {
    static const SheetLayout layout = MakeSettlementLayout();
    return layout;
}

int SheetTexts::Index(std::string_view name) const {
    const int i = layout_->Find(name);
    if (i < 0) throw std::out_of_range("no sheet control " + std::string(name));
    return i;
}

std::string& SheetTexts::Row(std::string_view name, int n) { return (*this)[RowName(name, n)]; }
const std::string& SheetTexts::Row(std::string_view name, int n) const {
    return (*this)[RowName(name, n)];
}

void SheetTexts::Clear() {
    for (std::string& t : texts_) t.clear();
}

}  // namespace kj
