#include "kj_test.h"

#include <QMenu>
#include <QTableView>
#include <QTest>
#include <cstdio>

#include "core/print_station.h"
#include "print/print_output.h"
#include "print/qt/print_viewer_form.h"
#include "print/qt/qt_print_canvas.h"
#include "qt_app.h"
#include "services/qt/qt_text.h"

namespace kj {
namespace {

struct Station : rectest::OwnDir, printtest::Station {
    Station() : printtest::Station(dir.path()) { TestApp(); }
};

// What a shell command prints.
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
    const QString pdf = QString::fromStdString(s.Work("kniha.pdf"));
    v.openPrintJob = [&](PrintTarget target, const std::string&) {
        EXPECT_EQ(target, PrintTarget::Pdf);
        return StartPdfJob(pdf);
    };
    PrintViewerForm form(v);
    form.Sync();
    form.show();
    // The form feed shows as "@" before the second page's first line.
    EXPECT_EQ(form.sgRol()->model()->index(4, 0).data().toString().left(5), QStringLiteral("@Knih"));
    Shot(form, "viewer");
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
    EXPECT_EQ(text.find('\x0F'), std::string::npos);
    // Two pages: the form feed started the second.
    EXPECT_NE(text.find('\f'), text.rfind('\f'));
    const std::string fonts = Shell("pdffonts '" + pdf.toStdString() + "'");
    EXPECT_NE(fonts.find("DejaVuSansMono"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("DejaVuSerif"), std::string::npos) << fonts;
}

}  // namespace
}  // namespace kj
