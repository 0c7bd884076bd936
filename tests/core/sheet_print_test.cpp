// Printing a form sheet: dot positions from the picture pixels at the
// printer's resolution, the calibration from "KJpar.dta", the print kinds
// of the Tag, boxed characters, unscaled fonts, the form picture; and the
// calibration dialog.

#include "kj_test.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "travel/sheet_print.h"
#include "travel_station.h"

namespace kj {
namespace {

using namespace traveltest;
using printtest::Drawn;
using printtest::RecordingCanvas;
using printtest::RecordingJob;

// A sheet of six controls below each other from (100, 200), one of each Tag.
SheetLayout SmallSheet() {
    SheetLayout l;
    l.picture = "\\KJ\\kj1.bmp";
    l.pictureWidth = 787;
    l.pictureHeight = 1123;
    const std::pair<const char*, int> controls[] = {{"text", 0},    {"label", 130}, {"cellsA", 10},
                                                    {"cellsB", 25}, {"never", -1},  {"nothing", 45}};
    int top = 200;
    for (const auto& [name, tag] : controls) {
        SheetField f{name, "", "", 100, top, 100, 20, 100, {"MS Sans Serif", 8, false},
                     FieldKind::Edit, tag, 250, false};
        l.fields.push_back(f);
        top += 100;
    }
    return l;
}

struct Printed {
    std::vector<Drawn> calls;
    std::vector<Drawn> Texts() const {
        std::vector<Drawn> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out), [](const Drawn& d) { return d.op == "text"; });
        return out;
    }
};

struct SheetPrint : ::testing::Test {
    Printed Print(const SheetTexts& texts, bool withPicture, int dpi = 600) {
        RecordingCanvas canvas;
        canvas.dpiX = canvas.dpiY = dpi;
        int finished = 0;
        RecordingJob job(canvas, &finished);
        EXPECT_EQ(PrintSheet(st.c, job, texts, withPicture), 0);
        EXPECT_EQ(finished, 1);
        return {canvas.calls};
    }
    void Calibrate(const char* width, const char* height, const char* left, const char* top) {
        SetReg(st.c, "KJpar.dta", "Koef.CEPR šířka"_cz, width);
        SetReg(st.c, "KJpar.dta", "Koef.CEPR výška"_cz, height);
        SetReg(st.c, "KJpar.dta", "Korekce CEPR levý okraj"_cz, left);
        SetReg(st.c, "KJpar.dta", "Korekce CEPR horní okraj"_cz, top);
    }
    TestDir dir;
    Station st{dir.path()};
};

TEST_F(SheetPrint, KindsPositionsAndCellsAt600Dpi) {
    const SheetLayout layout = SmallSheet();
    SheetTexts texts(layout);
    texts["text"] = "Zlín"_cz;
    texts["label"] = " 1197.00";
    texts["cellsA"] = "Alf";
    texts["cellsB"] = "tIx";
    texts["never"] = "tajné";
    texts["nothing"] = "nic";
    // Each text as "x,y,text"; "nothing" (tens digit 4) and "never" (Tag -1)
    // print nothing.
    const struct {
        const char* width;
        const char* left;
        std::vector<std::string> texts;
    } cases[] = {
        // 600 dpi: 6 dots a pixel; cell A 300 dots, cell B Trunc (0.818 * 120) = 98;
        // a narrow character a third of its cell to the right.
        {"", "", {"600,1200,Zlín", "600,1800, 1197.00", "600,2400,A", "1000,2400,l", "1300,2400,f",
                  "632,3000,t", "730,3000,I", "796,3000,x"}},
        // Width 1.25, left 30: x = Trunc (100 * 6 * 1.25 + 30) = 780; cell A
        // stays 300, cell B Trunc (1.25 * 0.818 * 120) = 122.
        {"1.25", "30", {"780,1200,Zlín", "780,1800, 1197.00", "780,2400,A", "1180,2400,l", "1480,2400,f",
                        "820,3000,t", "942,3000,I", "1024,3000,x"}},
    };
    for (const auto& c : cases) {
        Calibrate(c.width, "", c.left, "");
        std::vector<std::string> got;
        for (const Drawn& d : Print(texts, false).Texts())
            got.push_back(std::to_string(d.x) + "," + std::to_string(d.y) + "," + Cp1250ToUtf8(d.text));
        EXPECT_EQ(got, c.texts);
    }
}

TEST_F(SheetPrint, PictureFontsAndLowResolution) {
    const SheetLayout layout = SmallSheet();
    SheetTexts texts(layout);
    Printed p = Print(texts, true);
    ASSERT_EQ(p.calls.front().op, "picture");
    const Drawn& pic = p.calls.front();
    EXPECT_EQ((std::vector<int>{pic.x, pic.y, pic.right, pic.bottom}), (std::vector<int>{0, 0, 4722, 6738}));
    EXPECT_EQ(pic.text, (st.root / "PROG" / "KJ" / "kj1.bmp").string());
    // The start font, then each control's own: 10 and 8 points at 600 dpi.
    ASSERT_EQ(p.calls[1].op, "font");
    EXPECT_EQ(p.calls[1].text, "MS Sherif");
    EXPECT_EQ(p.calls[1].height, 83);
    EXPECT_EQ(p.calls[1].right, 700);
    EXPECT_EQ(p.calls[2].text, "MS Sans Serif");
    EXPECT_EQ(p.calls[2].height, 67);

    // Without the picture nothing but the values; a 300 dpi printer keeps
    // the point sizes; below 72 dpi the printer counts as 72 dpi.
    Calibrate("0", "abc", "-10", "20.5");
    p = Print(texts, false, 300);
    EXPECT_EQ(p.calls.front().op, "font");
    EXPECT_EQ(p.calls[1].height, 33);
    EXPECT_EQ(p.Texts()[0].x, 290);
    EXPECT_EQ(p.Texts()[0].y, 620);
    p = Print(texts, true, 50);
    EXPECT_EQ(p.calls.front().right, static_cast<int>(std::trunc(787 * 0.72 - 10)));
    EXPECT_EQ(p.Texts()[0].x, 62);
}

TEST_F(SheetPrint, CalibrationMovesEveryFieldOfBothSheets) {
    Calibrate("1.1", "0.95", "-25", "40");
    for (const SheetLayout* layout : {&OrderLayout(), &SettlementLayout()}) {
        SheetTexts texts(*layout);
        for (std::size_t i = 0; i < layout->fields.size(); ++i) texts.at(static_cast<int>(i)) = "#" + layout->fields[i].name;
        const std::vector<Drawn> got = Print(texts, false).Texts();
        ASSERT_EQ(got.size(), layout->fields.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            const SheetField& f = layout->fields[i];
            EXPECT_EQ(got[i].text, "#" + f.name);
            EXPECT_EQ(got[i].x, static_cast<int>(std::trunc(f.left * (6 * 1.1) - 25))) << f.name;
            EXPECT_EQ(got[i].y, static_cast<int>(std::trunc(f.top * (6 * 0.95) + 40))) << f.name;
        }
    }
}

TEST_F(SheetPrint, CalibrationDialogStoresWhatItShowsEvenOnEsc) {
    Calibrate("1.0625", "", "", "12");
    st.ui.fields.push_back({false, {" 1.1", "0.98", "7.5", "-3"}});  // typed, then Esc
    const Calibration cal = CalibrateSheet(st.c);
    ASSERT_EQ(st.ui.shown.size(), 1u);
    EXPECT_EQ(st.ui.shown[0].text, " Údaje pro úpravu velikosti "_cz);
    EXPECT_EQ(st.ui.shown[0].items,
              (std::vector<std::string>{" Koeficient pro úravu šířky "_cz, "  1.0625",
                                        " Koeficient pro úpravu délky "_cz, "  1.0000",
                                        " Horní okraj (v bodech) "_cz, "      12",
                                        " Levý okraj (v bodech) "_cz, "        "}));
    std::string stored;
    for (const char* key :
         {"Koef.CEPR šířka", "Koef.CEPR výška", "Korekce CEPR horní okraj", "Korekce CEPR levý okraj"})
        stored += GetReg(st.c, "KJpar.dta", Utf8ToCp1250(key)) + "|";
    EXPECT_EQ(stored, " 1.1|0.98|7.5|-3|");
    EXPECT_DOUBLE_EQ(cal.widthCoef, 1.1);
    EXPECT_DOUBLE_EQ(cal.top, 7.5);
    EXPECT_DOUBLE_EQ(cal.left, -3);
}

}  // namespace
}  // namespace kj
