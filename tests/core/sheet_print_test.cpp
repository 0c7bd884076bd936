// Printing a form sheet: dot positions from the picture pixels at the
// printer's resolution, the calibration from "KJpar.dta", the print kinds
// of the Tag, boxed characters, unscaled fonts, the form picture; and the
// calibration dialog.

#include <gtest/gtest.h>

#include <cmath>

#include "services/params.h"
#include "test_dir.h"
#include "travel/sheet_print.h"
#include "travel_station.h"

namespace kj {
namespace {

using namespace traveltest;
using printtest::Drawn;
using printtest::RecordingCanvas;
using printtest::RecordingJob;

// A sheet of five controls at (100, 200) and around, one of each Tag.
SheetLayout SmallSheet() {
    SheetLayout l;
    l.picture = "\\KJ\\kj1.bmp";
    l.pictureWidth = 787;
    l.pictureHeight = 1123;
    const struct {
        const char* name;
        int left, top, tag;
    } controls[] = {{"text", 100, 200, 0}, {"label", 100, 300, 130}, {"cellsA", 100, 400, 10},
                    {"cellsB", 100, 500, 25}, {"never", 100, 600, -1}, {"nothing", 100, 700, 45}};
    for (const auto& c : controls) {
        SheetField f;
        f.name = c.name;
        f.left = c.left;
        f.top = c.top;
        f.width = f.visibleWidth = 100;
        f.height = 20;
        f.tag = c.tag;
        f.font = {"MS Sans Serif", 8, false};
        l.fields.push_back(f);
    }
    return l;
}

struct Printed {
    std::vector<Drawn> calls;
    std::vector<Drawn> Texts() const {
        std::vector<Drawn> out;
        for (const Drawn& d : calls)
            if (d.op == "text") out.push_back(d);
        return out;
    }
};

Printed Print(Station& st, const SheetTexts& texts, bool withPicture, int dpi = 600) {
    RecordingCanvas canvas;
    canvas.dpiX = canvas.dpiY = dpi;
    int finished = 0;
    RecordingJob job(canvas, &finished);
    EXPECT_EQ(PrintSheet(st.c, job, texts, withPicture), 0);
    EXPECT_EQ(finished, 1);
    return {canvas.calls};
}

void Calibrate(Station& st, const char* width, const char* height, const char* left, const char* top) {
    SetReg(st.c, "KJpar.dta", "Koef.CEPR šířka"_cz, width);
    SetReg(st.c, "KJpar.dta", "Koef.CEPR výška"_cz, height);
    SetReg(st.c, "KJpar.dta", "Korekce CEPR levý okraj"_cz, left);
    SetReg(st.c, "KJpar.dta", "Korekce CEPR horní okraj"_cz, top);
}

TEST(SheetPrint, KindsPositionsAndCellsAt600Dpi) {
    TestDir dir;
    Station st(dir.path());
    const SheetLayout layout = SmallSheet();
    SheetTexts texts(layout);
    texts["text"] = "Zlín"_cz;
    texts["label"] = " 1197.00";
    texts["cellsA"] = "Alf";
    texts["cellsB"] = "tIx";
    texts["never"] = "tajné";
    texts["nothing"] = "nic";
    const struct {
        const char* name;
        const char* width;
        const char* left;
        std::vector<Drawn> texts;  // op, x, y, text
    } cases[] = {
        // 600 dpi: 6 dots a pixel; cell A 300 dots, cell B Trunc (0.818 * 120) = 98.
        {"plain", "", "",
         {{"text", 600, 1200, "Zlín"_cz}, {"text", 600, 1800, " 1197.00"},
          {"text", 600, 2400, "A"}, {"text", 900 + 100, 2400, "l"}, {"text", 1200 + 100, 2400, "f"},
          {"text", 600 + 32, 3000, "t"}, {"text", 698 + 32, 3000, "I"}, {"text", 796, 3000, "x"}}},
        // Width 1.25, left 30: x = Trunc (100 * 6 * 1.25 + 30) = 780; cell A
        // stays 300, cell B Trunc (1.25 * 0.818 * 120) = 122.
        {"calibrated", "1.25", "30",
         {{"text", 780, 1200, "Zlín"_cz}, {"text", 780, 1800, " 1197.00"},
          {"text", 780, 2400, "A"}, {"text", 1080 + 100, 2400, "l"}, {"text", 1380 + 100, 2400, "f"},
          {"text", 780 + 40, 3000, "t"}, {"text", 902 + 40, 3000, "I"}, {"text", 1024, 3000, "x"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Calibrate(st, c.width, "", c.left, "");
        const std::vector<Drawn> got = Print(st, texts, false).Texts();
        ASSERT_EQ(got.size(), c.texts.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].x, c.texts[i].x) << i;
            EXPECT_EQ(got[i].y, c.texts[i].y) << i;
            EXPECT_EQ(got[i].text, c.texts[i].text) << i;
        }
    }
}

TEST(SheetPrint, PictureFontsAndLowResolution) {
    TestDir dir;
    Station st(dir.path());
    const SheetLayout layout = SmallSheet();
    SheetTexts texts(layout);
    Printed p = Print(st, texts, true);
    ASSERT_EQ(p.calls.front().op, "picture");
    EXPECT_EQ(p.calls.front().x, 0);
    EXPECT_EQ(p.calls.front().y, 0);
    EXPECT_EQ(p.calls.front().right, 4722);
    EXPECT_EQ(p.calls.front().bottom, 6738);
    EXPECT_EQ(p.calls.front().text, (st.root / "PROG" / "KJ" / "kj1.bmp").string());
    // The start font, then each control's own: 10 and 8 points at 600 dpi.
    ASSERT_EQ(p.calls[1].op, "font");
    EXPECT_EQ(p.calls[1].text, "MS Sherif");
    EXPECT_EQ(p.calls[1].height, 83);
    EXPECT_EQ(p.calls[1].right, 700);
    EXPECT_EQ(p.calls[2].text, "MS Sans Serif");
    EXPECT_EQ(p.calls[2].height, 67);

    // Without the picture nothing but the values; a 300 dpi printer keeps
    // the point sizes; below 72 dpi the printer counts as 72 dpi.
    Calibrate(st, "0", "abc", "-10", "20.5");
    p = Print(st, texts, false, 300);
    EXPECT_EQ(p.calls.front().op, "font");
    EXPECT_EQ(p.calls[1].height, 33);
    EXPECT_EQ(p.Texts()[0].x, 290);
    EXPECT_EQ(p.Texts()[0].y, 620);
    p = Print(st, texts, true, 50);
    EXPECT_EQ(p.calls.front().right, static_cast<int>(std::trunc(787 * 0.72 - 10)));
    EXPECT_EQ(p.Texts()[0].x, 62);
}

TEST(SheetPrint, CalibrationMovesEveryFieldOfBothSheets) {
    TestDir dir;
    Station st(dir.path());
    Calibrate(st, "1.1", "0.95", "-25", "40");
    for (const SheetLayout* layout : {&OrderLayout(), &SettlementLayout()}) {
        SheetTexts texts(*layout);
        for (std::size_t i = 0; i < layout->fields.size(); ++i) texts.at(static_cast<int>(i)) = "#" + layout->fields[i].name;
        const std::vector<Drawn> got = Print(st, texts, false).Texts();
        ASSERT_EQ(got.size(), layout->fields.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            const SheetField& f = layout->fields[i];
            EXPECT_EQ(got[i].text, "#" + f.name);
            EXPECT_EQ(got[i].x, static_cast<int>(std::trunc(f.left * (6 * 1.1) - 25))) << f.name;
            EXPECT_EQ(got[i].y, static_cast<int>(std::trunc(f.top * (6 * 0.95) + 40))) << f.name;
        }
    }
}

TEST(SheetPrint, CalibrationDialogStoresWhatItShowsEvenOnEsc) {
    TestDir dir;
    Station st(dir.path());
    Calibrate(st, "1.0625", "", "", "12");
    st.ui.fields.push_back({false, {" 1.1", "0.98", "7.5", "-3"}});  // typed, then Esc
    const Calibration cal = CalibrateSheet(st.c);
    ASSERT_EQ(st.ui.shown.size(), 1u);
    EXPECT_EQ(st.ui.shown[0].text, " Údaje pro úpravu velikosti "_cz);
    EXPECT_EQ(st.ui.shown[0].items,
              (std::vector<std::string>{" Koeficient pro úravu šířky "_cz, "  1.0625",
                                        " Koeficient pro úpravu délky "_cz, "  1.0000",
                                        " Horní okraj (v bodech) "_cz, "      12",
                                        " Levý okraj (v bodech) "_cz, "        "}));
    EXPECT_EQ(GetReg(st.c, "KJpar.dta", "Koef.CEPR šířka"_cz), " 1.1");
    EXPECT_EQ(GetReg(st.c, "KJpar.dta", "Koef.CEPR výška"_cz), "0.98");
    EXPECT_EQ(GetReg(st.c, "KJpar.dta", "Korekce CEPR horní okraj"_cz), "7.5");
    EXPECT_EQ(GetReg(st.c, "KJpar.dta", "Korekce CEPR levý okraj"_cz), "-3");
    EXPECT_DOUBLE_EQ(cal.widthCoef, 1.1);
    EXPECT_DOUBLE_EQ(cal.top, 7.5);
    EXPECT_DOUBLE_EQ(cal.left, -3);
}

}  // namespace
}  // namespace kj
