// The two sheets' control tables and the form pictures drawn from them:
// every control lies inside its picture and inside its own box, no two
// controls cover each other, no key is shared between the sheets of one
// travel order file, and the form carries its labels.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "services/cp1250.h"
#include "travel/form_pictures.h"
#include "travel/sheet_layout.h"

namespace kj {
namespace {

struct Sheet {
    const char* name;
    const SheetLayout& layout;
    FormDrawing drawing;
};

std::vector<Sheet> Sheets() {
    return {{"order", OrderLayout(), OrderFormDrawing()},
            {"settlement", SettlementLayout(), SettlementFormDrawing()}};
}

// True when the line (its whole width) runs through the visible part of f.
bool Crosses(const FormLine& line, const SheetField& f) {
    const int x1 = std::min(line.x1, line.x2), x2 = std::max(line.x1, line.x2) + (line.x1 == line.x2 ? line.width - 1 : 0);
    const int y1 = std::min(line.y1, line.y2), y2 = std::max(line.y1, line.y2) + (line.y1 == line.y2 ? line.width - 1 : 0);
    return x1 < f.left + f.visibleWidth && f.left <= x2 && y1 < f.bottom() && f.top <= y2;
}

std::vector<FormLine> Outline(const FormBox& b) {
    return {{b.left, b.top, b.right, b.top, 1}, {b.left, b.bottom, b.right, b.bottom, 1},
            {b.left, b.top, b.left, b.bottom, 1}, {b.right, b.top, b.right, b.bottom, 1}};
}

bool Covers(const SheetField& a, const SheetField& b) {
    return a.left < b.left + b.visibleWidth && b.left < a.left + a.visibleWidth &&
           a.top < b.bottom() && b.top < a.bottom();
}

TEST(TravelLayout, ControlsLieInsideTheirPictureAndBoxesAndApart) {
    for (const Sheet& s : Sheets()) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.drawing.width, s.layout.pictureWidth);
        EXPECT_EQ(s.drawing.height, s.layout.pictureHeight);
        for (const SheetField& f : s.layout.fields) {
            SCOPED_TRACE(f.name);
            EXPECT_GE(f.left, 0);
            EXPECT_GE(f.top, 0);
            EXPECT_LE(f.right(), s.layout.pictureWidth);
            EXPECT_LE(f.bottom(), s.layout.pictureHeight);
            // The box holds the visible part of the control between its lines.
            const FormBox* box = s.drawing.BoxOf(f.name);
            ASSERT_NE(box, nullptr);
            EXPECT_LT(box->left, f.left);
            EXPECT_GT(box->right, f.left + f.visibleWidth - 1);
            EXPECT_LT(box->top, f.top);
            EXPECT_GT(box->bottom, f.bottom() - 1);
        }
        for (const FormBox& b : s.drawing.boxes) {
            EXPECT_GE(b.left, 0);
            EXPECT_LT(b.right, s.drawing.width);
            EXPECT_LT(b.bottom, s.drawing.height);
        }
        // No line of the form runs through a value.
        std::vector<FormLine> lines = s.drawing.lines;
        for (const FormBox& b : s.drawing.boxes)
            for (const FormLine& l : Outline(b)) lines.push_back(l);
        for (const FormLine& l : lines)
            for (const SheetField& f : s.layout.fields)
                EXPECT_FALSE(Crosses(l, f)) << f.name << " crossed at " << l.x1 << "," << l.y1;
        for (std::size_t i = 0; i < s.layout.fields.size(); ++i)
            for (std::size_t j = i + 1; j < s.layout.fields.size(); ++j)
                EXPECT_FALSE(Covers(s.layout.fields[i], s.layout.fields[j]))
                    << s.layout.fields[i].name << " / " << s.layout.fields[j].name;
    }
}

TEST(TravelLayout, KeysAreUniqueAcrossTheFileAndEveryEditIsInTheTabOrder) {
    std::set<std::string> keys;
    for (const Sheet& s : Sheets()) {
        SCOPED_TRACE(s.name);
        std::set<int> stored(s.layout.keyOrder.begin(), s.layout.keyOrder.end());
        EXPECT_EQ(stored.size(), s.layout.keyOrder.size());
        for (std::size_t i = 0; i < s.layout.fields.size(); ++i) {
            const SheetField& f = s.layout.fields[i];
            EXPECT_EQ(!f.key.empty(), stored.count(static_cast<int>(i)) == 1) << f.name;
            if (f.key.empty()) continue;
            EXPECT_TRUE(keys.insert(f.key).second) << "key used twice: " << f.key;
        }
        std::set<int> tabs(s.layout.tabOrder.begin(), s.layout.tabOrder.end());
        EXPECT_EQ(tabs.size(), s.layout.tabOrder.size());
        for (std::size_t i = 0; i < s.layout.fields.size(); ++i)
            EXPECT_EQ(s.layout.fields[i].kind == FieldKind::Edit, tabs.count(static_cast<int>(i)) == 1)
                << s.layout.fields[i].name;
    }
    EXPECT_EQ(OrderLayout().keyOrder.size(), 89u);
    EXPECT_EQ(SettlementLayout().keyOrder.size(), 353u);
    // Older files kept the settlement's start and end under the journey's keys.
    EXPECT_EQ(SettlementLayout().Field("ep7").oldKey, "ep7");
    EXPECT_EQ(SettlementLayout().Field("ek22").key, "kon22");
}

TEST(TravelLayout, FormPicturesCarryTheirLabels) {
    const std::vector<std::string> order = {
        "CESTOVNÍ PŘÍKAZ", "Příjmení, jméno", "Bydliště", "Počátek cesty", "Místo jednání",
        "Účel cesty", "Konec cesty", "Spolucestující", "Určený dopravní prostředek",
        "AUS - automobil služební", "AUV", "MOS", "L - letadlo", "O - osobní vlak",
        "R - rychlík", "A - autobus", "předpokládaná částka výdajů", "Záloha", "vyplacena dne",
        "pokl. doklad"};
    const std::vector<std::string> settlement = {
        "VYÚČTOVÁNÍ PRACOVNÍ CESTY", "Datum", "Odjezd - příjezd", "místo", "hodina",
        "dopravní", "km", "Sazba", "základní", "PHM", "Začátek", "konec", "Jízdné", "Stravné",
        "Nocležné", "vedlejší", "Celkem", "Upraveno", "Záloha", "Doplatek"};
    const std::vector<Sheet> sheets = Sheets();
    for (const std::string& t : order) EXPECT_TRUE(sheets[0].drawing.HasText(Utf8ToCp1250(t))) << t;
    for (const std::string& t : settlement)
        EXPECT_TRUE(sheets[1].drawing.HasText(Utf8ToCp1250(t))) << t;
    // Each transport box is labelled with its code right before it.
    for (const char* code : {"O", "R", "A", "AUS", "AUV", "MOS", "L"}) {
        bool found = false;
        for (const FormText& t : sheets[0].drawing.texts) found |= t.text == code && t.top > 550 && t.top < 560;
        EXPECT_TRUE(found) << code;
    }
}

}  // namespace
}  // namespace kj
