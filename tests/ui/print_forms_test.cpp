#include "kj_test.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "core/print_station.h"
#include "print/print_output.h"
#include "print/qt/print_viewer_form.h"
#include "print/qt/qt_print_canvas.h"
#include "qt_app.h"
#include "screens/qt/calculator_form.h"
#include "services/qt/qt_text.h"

namespace kj {
namespace {

struct Station : rectest::OwnDir, printtest::Station {
    Station() : printtest::Station(dir.path()) { TestApp(); }
};

// Saves what a widget shows when KJ_PRINT_PNG_DIR names a directory.
std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

// A logbook-like report: Czech text, a condensed part in the middle of a
// line, a second page.
void WriteReport(Common& c) {
    OpenPrintFile(c, "kniha", 60);
    WritePrintLine(c, "Kniha jízd vozidla 1AB 2345          List :   1"_cz);
    WritePrintLine(c, "Žluťoučký kůň úpěl ďábelské ódy"_cz);
    WritePrintLine(c, "Datum     Trasa                 \x0F" "poznámka drobně\x12 km"_cz);
    WritePrintLine(c, "02.01.26  Praha - Brno - Praha     412");
    WritePrintLine(c, "\fKniha jízd vozidla 1AB 2345          List :   2"_cz);
    WritePrintLine(c, "Celkem                            1 204");
    ClosePrintFile(c);
}

// "Tisk do PDF" chosen from the viewer's menu (a right click on the report).
TEST(PrintForms, ReportPrintedToPdfKeepsCzechLettersAndSwitchesFonts) {
    if (Shell("command -v pdftotext pdffonts").empty()) GTEST_SKIP() << "poppler-utils missing";
    Station s;
    WriteHost(s.Work("norm.fnt"), "Height : 42\r\nFaceName : Courier New\r\n");
    WriteHost(s.Work("cond.fnt"), "Height : 30\r\nFaceName : DejaVu Serif\r\n");
    WriteReport(s.c);
    TfPozri v(s.c);
    ASSERT_TRUE(v.LoadPrintFile("kniha.TXT"));
    const char* keep = std::getenv("KJ_PDF");
    const QString pdf = keep ? QString::fromUtf8(keep) : QString::fromStdString(s.Work("kniha.pdf"));
    v.openPrintJob = [&](PrintTarget target, const std::string&) {
        EXPECT_EQ(target, PrintTarget::Pdf);
        return StartPdfJob(pdf);
    };
    PrintViewerForm form(v);
    form.Sync();
    form.show();
    WhenOpen<QMenu>([](QMenu& menu) {
        for (QAction* a : menu.actions())
            if (a->text() == "Tisk do PDF") menu.setActiveAction(a);
        QTest::keyClick(&menu, Qt::Key_Return);
    });
    QTest::mouseClick(form.sgRol()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    ASSERT_TRUE(fs::exists(pdf.toStdString()));
    const std::string text = Shell("pdftotext -layout '" + pdf.toStdString() + "' -");
    EXPECT_NE(text.find("Žluťoučký kůň úpěl ďábelské ódy"), std::string::npos) << text;
    EXPECT_NE(text.find("poznámka drobně"), std::string::npos) << text;
    EXPECT_NE(text.find("Celkem"), std::string::npos);
    EXPECT_EQ(text.find('\x0F'), std::string::npos);
    // Two pages: the form feed started the second.
    EXPECT_NE(text.find('\f'), text.rfind('\f'));
    const std::string fonts = Shell("pdffonts '" + pdf.toStdString() + "'");
    EXPECT_NE(fonts.find("DejaVuSansMono"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("DejaVuSerif"), std::string::npos) << fonts;
}

TEST(PrintForms, ViewerFormShowsTheReportAndItsHelpOnLightRed) {
    Station s;
    WriteReport(s.c);
    WriteHost(s.Prog("2/spool.hlp"),
              Utf8ToCp1250("$Prohlížeč tiskových sestav\r\n[F4] najde list sestavy.\r\n"));
    TfPozri v(s.c);
    ASSERT_TRUE(v.LoadPrintFile("kniha.TXT"));
    PrintViewerForm form(v);
    form.Sync();
    form.show();
    QApplication::processEvents();
    const QTableView* grid = form.sgRol();
    EXPECT_EQ(grid->model()->index(4, 0).data().toString().left(5), QStringLiteral("@Knih"));
    EXPECT_EQ(grid->model()->index(2, 0).data().toString().mid(32, 1), QStringLiteral("~"));
    EXPECT_FALSE(grid->showGrid());
    Shot(form, "viewer");
    const QColor paper = grid->palette().color(QPalette::Base);
    QTest::keyClick(form.sgRol(), Qt::Key_F1);
    EXPECT_TRUE(v.helpView());
    EXPECT_EQ(grid->palette().color(QPalette::Base), QColor(255, 200, 200));
    Shot(form, "viewer_help");
    EXPECT_TRUE(v.ReturnFromHelp());
    form.Sync();
    EXPECT_EQ(grid->palette().color(QPalette::Base), paper);
    form.close();
}

TEST(PrintForms, CalculatorFormTypesIntoTheTape) {
    Station s;
    TfKalk k(s.c);
    k.show = [](TfKalk& shown) {
        CalculatorForm form(shown);
        form.Sync();
        form.show();
        QTest::keyClicks(form.eOperand(), "25+4*");
        EXPECT_EQ(form.mPaska()->toPlainText().count(QLatin1Char('\n')), 5);
        EXPECT_EQ(form.eVysledek()->text().trimmed(), QStringLiteral("500.00"));
        Shot(form, "calculator");
        QTest::keyClick(form.eOperand(), Qt::Key_F2);
    };
    const std::optional<double> r = k.Calculate(100);
    ASSERT_TRUE(r.has_value());
    EXPECT_DOUBLE_EQ(*r, 500);
    EXPECT_EQ(k.resultText(), "500.00");
}

}  // namespace
}  // namespace kj
