// The travel order on the screen, as a user meets it: the logbook's
// "Cestovní příkaz" with marked trips fills both sheets over the form
// pictures, typing and leaving an amount recalculates, Esc swaps the
// sheets, "Tisk" prints onto the form picture, closing the launcher saves.
//
// KJ_TRAVEL_OUT=DIR keeps the PDF prints there for a look.

#include "kj_test.h"

#include <QFileDialog>
#include <QMenu>
#include <QPrinterInfo>
#include <QTest>
#include <chrono>

#include "core/travel_station.h"
#include "print/qt/qt_print_canvas.h"
#include "qt_app.h"
#include "services/qt/qt_text.h"
#include "travel/form_pictures.h"
#include "travel/qt/form_picture_painter.h"
#include "travel/qt/sheet_form.h"
#include "travel/qt/travel_order_forms.h"

// Failures show the texts, not their UTF-16 units.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kj {
namespace {

bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < until) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(10);
    }
    return done();
}

QString Shown(SheetForm& form, const char* name) {
    QWidget* w = form.Control(name);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return QStringLiteral("?");
}

// The labels of the form pictures, set in their real font, stay clear of
// every value and inside the picture.
TEST(TravelOrderForms, FormLabelsLeaveTheValuesFree) {
    TestApp();
    const struct {
        const SheetLayout& layout;
        FormDrawing drawing;
    } sheets[] = {{OrderLayout(), OrderFormDrawing()}, {SettlementLayout(), SettlementFormDrawing()}};
    for (const auto& s : sheets) {
        const QRect picture(0, 0, s.drawing.width, s.drawing.height);
        for (const FormText& t : s.drawing.texts)
            for (const QRect& line : FormTextLines(t)) {
                EXPECT_TRUE(picture.contains(line)) << t.text;
                for (const SheetField& f : s.layout.fields)
                    EXPECT_FALSE(line.intersects(QRect(f.left, f.top, f.visibleWidth, f.height)))
                        << Cp1250ToUtf8(t.text) << " over " << f.name;
            }
        const QImage image = PaintFormDrawing(s.drawing);
        EXPECT_EQ(image.size(), picture.size());
        // Every box is drawn: the corner of each value's box is black.
        for (const FormBox& b : s.drawing.boxes)
            EXPECT_EQ(qGray(image.pixel(b.left, b.top)), 0) << b.field;
    }
}

TEST(TravelOrderForms, FilledFromMarkedTripsSavedAndPrinted) {
    TestApp();
    TestDir dir;
    traveltest::Station st(dir.path());
    ASSERT_EQ(WriteFormPictures(QString::fromStdString((dir.path() / "PROG" / "KJ").string())), QString());
    const char* keep = std::getenv("KJ_TRAVEL_OUT");
    const QString out = QString::fromStdString(keep ? std::string(keep) : dir.str());
    const VetaAuta car = traveltest::Car("SOUKROMÉ");
    std::string orderFile;
    TravelOrderForms forms(st.c, orderFile, car);
    std::vector<QString> pdfs;
    forms.openPrintJob = [&] {
        pdfs.push_back(out + QStringLiteral("/list%1.pdf").arg(pdfs.size() + 1));
        return StartPdfJob(pdfs.back());
    };
    const std::vector<VetaJizdy> marked = traveltest::Trips(
        {{"100326", "Zlín-*Olomouc", "jednání s dodavatelem", 80, 7.15, 9.00, 0, 5.6, 2.1},
         {"100326", "Olomouc-*Přerov-Zlín", "porada", 90, 13.30, 16.45, 155, 5.6, 2.1},
         {"110326", "Zlín-*Brno-Zlín", "školení", 196, 6.00, 18.20, 236, 5.6, 2.1}});

    bool acted = false;
    QTimer::singleShot(0, [&] {
        // The launcher closes however the checks end, so the test never hangs.
        struct Closer {
            LauncherForm& launcher;
            ~Closer() { QTimer::singleShot(0, &launcher, [l = &launcher] { l->close(); }); }
        } closer{forms.launcherForm()};
        SheetForm& order = forms.orderForm();
        SheetForm& settlement = forms.settlementForm();
        ASSERT_TRUE(WaitFor([&] { return order.isVisible() && settlement.isVisible(); }));
        // A leg a row in the settlement.
        EXPECT_EQ(Shown(settlement, "su3"), QStringLiteral("  848.00"));  // (5.6 + 2.1) * 90 + 155

        // The travel order comes up on top, the cursor in its first field:
        // typing goes there, then Esc shows the settlement.
        auto* cislo = qobject_cast<QLineEdit*>(order.Control("ecislo"));
        EXPECT_TRUE(WaitFor([&] {
            return QApplication::activeWindow() == &order && QApplication::focusWidget() == cislo;
        }));
        QTest::keyClicks(cislo, QStringLiteral("CP 12/2026"));
        // F10 opens the picture's pop-up menu.
        QTest::keyClick(cislo, Qt::Key_F10);
        EXPECT_TRUE(WaitFor([&] { return order.popup()->isVisible(); }));
        order.popup()->close();
        order.activateWindow();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &order; }));
        cislo->setFocus();
        QTest::keyClick(cislo, Qt::Key_Escape);
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &settlement; }));
        // An amount typed and left recalculates the row and the totals.
        auto* f1 = qobject_cast<QLineEdit*>(settlement.Control("f1"));
        f1->setFocus();
        QTest::keyClicks(f1, QStringLiteral("50"));
        qobject_cast<QLineEdit*>(settlement.Control("h1"))->setFocus();
        EXPECT_TRUE(WaitFor([&] { return Shown(settlement, "su1") == QStringLiteral("  666.00"); }));
        EXPECT_EQ(Shown(settlement, "cf"), QStringLiteral("   50.00"));

        Shot(order, "cestprik");
        Shot(settlement, "vyuctovani");
        order.bTisk()->click();
        settlement.bTisk()->click();
        acted = true;
        forms.launcherForm().activateWindow();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &forms.launcherForm(); }));
        QTest::keyClick(&forms.launcherForm(), Qt::Key_Escape);
        EXPECT_FALSE(forms.launcherForm().isVisible());
    });
    forms.OpenFromLogbook("C:\\WORK\\W5Z12345.cpr", marked);
    ASSERT_TRUE(acted);
    EXPECT_FALSE(forms.orderForm().isVisible());
    EXPECT_FALSE(forms.settlementForm().isVisible());

    // Closing saved both sheets into the car's file.
    EXPECT_EQ(GetReg(st.c, orderFile, "ecislo"), "CP 12/2026");
    EXPECT_EQ(GetReg(st.c, orderFile, "f1"), "50");
    ASSERT_EQ(pdfs.size(), 2u);
    for (const QString& pdf : pdfs) EXPECT_GT(fs::file_size(pdf.toStdString()), 10000u);

    // Without a printer of the system's the sheet prints into a PDF file
    // whose name the user gives.
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        forms.openPrintJob = nullptr;
        const QString chosen = out + QStringLiteral("/bez_tiskarny.pdf");
        WhenOpen<QFileDialog>([&](QFileDialog& d) {
            d.selectFile(chosen);
            QMetaObject::invokeMethod(&d, "accept");
        });
        forms.orderForm().PopupTisk();
        EXPECT_GT(fs::file_size(chosen.toStdString()), 1000u);
        EXPECT_EQ(st.ui.Count("beep"), 0);
    }
    forms.launcherForm().close();
}

}  // namespace
}  // namespace kj
