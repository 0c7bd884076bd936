#include "kj_test.h"

#include "print/print_fonts.h"
#include "print_station.h"

namespace kj {
namespace {

using printtest::Station;

class PrintFontsTest : public ::testing::Test {
protected:
    TestDir dir;
    Station s{dir.path()};
};

TEST_F(PrintFontsTest, HeightAndWidthAreScaledFrom300DotsToThePrinter) {
    WriteHost(s.Work("norm.fnt"),
              "Height : 42\r\nWidth : 25\r\nWeight : 700\r\nItalic : 1\r\nCharset : 238\r\n"
              "FaceName : Courier New\r\n");
    struct Case {
        int dpiX, dpiY, height, width;
    };
    for (const Case& c : {Case{600, 600, 84, 50}, Case{300, 300, 42, 25}, Case{360, 180, 25, 30},
                          Case{203, 203, 28, 16}}) {
        const PrintFont f = CreatePrintFont(s.c, "norm", c.dpiX, c.dpiY);
        EXPECT_EQ(f.height, c.height) << c.dpiY;
        EXPECT_EQ(f.width, c.width) << c.dpiX;
        EXPECT_EQ(f.weight, 700);
        EXPECT_EQ(f.italic, 1);
        EXPECT_EQ(f.charset, 238);
        EXPECT_EQ(f.faceName, "Courier New");
    }
}

TEST_F(PrintFontsTest, FontComesFromTheProgramDirectoryWhenMissingOrEmptyHere) {
    WriteHost(s.Prog("2/cond.fnt"), "Height : 30\r\nFaceName : Arial Narrow\r\n");
    EXPECT_EQ(ReadPrintFont(s.c, "cond").faceName, "Arial Narrow");
    WriteHost(s.Work("cond.fnt"), "");
    EXPECT_EQ(ReadPrintFont(s.c, "cond").height, 30);
    WriteHost(s.Work("cond.fnt"), "Height : 31\r\n");
    EXPECT_EQ(ReadPrintFont(s.c, "cond").height, 31);
    // Neither here nor there: every field 0, the printer's default font.
    EXPECT_EQ(ReadPrintFont(s.c, "12zn"), PrintFont());
    // A face name edited by hand beyond the field is cut to it.
    WriteHost(s.Work("12zn.fnt"), "FaceName : " + std::string(40, 'F') + "\r\n");
    EXPECT_EQ(ReadPrintFont(s.c, "12zn").faceName, std::string(31, 'F'));
}

TEST_F(PrintFontsTest, FirstStartCopiesTheThreeFilesAndShowsTheNormalFont) {
    WriteHost(s.Prog("2/norm.fnt"), "Height : 42\r\nWidth : 25\r\nFaceName : Courier New\r\n");
    WriteHost(s.Prog("2/12zn.fnt"), "Height : 36\r\nWidth : 20\r\nFaceName : Courier New\r\n");
    WriteHost(s.Prog("2/cond.fnt"), "Height : 30\r\nWidth : 15\r\nFaceName : Courier New\r\n");
    FontyTisky form(s.c);
    form.Activate();
    for (const char* name : {"norm.fnt", "12zn.fnt", "cond.fnt"})
        EXPECT_EQ(ReadHost(s.Work(name)), ReadHost(s.Prog(std::string("2/") + name))) << name;
    EXPECT_EQ(form.selected(), 1);
    EXPECT_EQ(FontyTisky::Lines()[0], " 80 zn/řádek"_cz);
    EXPECT_EQ(form.height(), "42");
    EXPECT_EQ(form.width(), "25");
    EXPECT_EQ(form.face(), "Courier New");
    // A second start keeps the user's files.
    SetReg(s.c, "norm.fnt", "Height", "50");
    FontyTisky again(s.c);
    again.Activate();
    EXPECT_EQ(again.height(), "50");
}

TEST_F(PrintFontsTest, ValuesGoToTheFontTheyCameFromAndEmptyFieldsKeepTheStoredOnes) {
    WriteHost(s.Work("norm.fnt"), "Height : 42\r\nWidth : 25\r\nFaceName : Courier New\r\n");
    WriteHost(s.Work("12zn.fnt"), "Height : 36\r\nWidth : 20\r\nFaceName : Courier New\r\n");
    WriteHost(s.Work("cond.fnt"), "Height : 30\r\nWidth : 15\r\nFaceName : Courier New\r\n");
    FontyTisky form(s.c);
    form.Activate();
    form.Select(2);
    EXPECT_EQ(form.height(), "36");
    form.width().clear();
    form.height() = " 40.0";
    form.LeaveHeight();
    EXPECT_EQ(form.height(), "40");
    form.Select(3);  // the cleared width stays 20 in "12zn"
    EXPECT_EQ(GetReg(s.c, "12zn.fnt", "Width"), "20");
    EXPECT_EQ(GetReg(s.c, "12zn.fnt", "Height"), "40");
    EXPECT_EQ(form.width(), "15");
    // A height of three digits is kept whole.
    form.height() = "120";
    form.LeaveHeight();
    EXPECT_EQ(GetReg(s.c, "cond.fnt", "Height"), "120");
    // A face name longer than the field is refused.
    EXPECT_FALSE(form.ChooseFace(std::string(32, 'X')));
    EXPECT_EQ(s.ui.Count("beep"), 1);
    EXPECT_EQ(form.face(), "Courier New");
    EXPECT_TRUE(form.ChooseFace(std::string(31, 'Y')));
    form.Close();
    EXPECT_EQ(GetReg(s.c, "cond.fnt", "FaceName"), std::string(31, 'Y'));
    EXPECT_EQ(GetReg(s.c, "norm.fnt", "FaceName"), "Courier New");
}

}  // namespace
}  // namespace kj
