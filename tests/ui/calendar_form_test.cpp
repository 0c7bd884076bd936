#include "kj_test.h"

#include <QComboBox>
#include <QTableWidget>
#include <QTest>

#include "logbook/qt/calendar_form.h"
#include "qt_app.h"
#include "services/dates.h"

namespace kj {
namespace {

// Today is 5 March 2024 at the station.
using Station = UiStation;

void Press(CalendarForm& f, Qt::Key k) { QTest::keyClick(f.sgKalendar(), k); }

QTableWidgetItem* Cell(CalendarForm& f, TfKalendar& k, int day) {
    int row = 0, column = 0;
    k.BunkaDne(day, &row, &column);
    return f.sgKalendar()->item(row, column);
}

QColor Colour(int bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, bgr >> 16); }

TEST(CalendarForm, KeysMouseChoosersAndButtons) {
    Station s;
    TfKalendar k(s.c);
    CalendarForm form(k);
    EXPECT_EQ(form.cbRok()->itemText(form.cbRok()->count() - 1), "2038");

    WhenOpen<CalendarForm>([&k](CalendarForm& f) {
        EXPECT_EQ(f.lMesic()->text(), QString::fromUtf8("leden"));
        EXPECT_EQ(f.sgKalendar()->horizontalHeaderItem(0)->text(), QString::fromUtf8("pondělí"));
        EXPECT_EQ(f.sgKalendar()->item(0, 2)->text(), "1");  // a Wednesday
        EXPECT_EQ(Cell(f, k, 31)->background().color(), Colour(kalendar::kChosenColour));
        EXPECT_EQ(Cell(f, k, 1)->background().color(), Colour(kalendar::kMarkedColour));
        Shot(f, "kalendar");
        Press(f, Qt::Key_Right);  // 1 February 2025, a Saturday
        EXPECT_EQ(f.lMesic()->text(), QString::fromUtf8("únor"));
        EXPECT_EQ(f.lDen()->text(), QString::fromUtf8("01.02.2025  sobota"));
        Press(f, Qt::Key_Left);  // back into January
        Press(f, Qt::Key_Return);
    });
    EXPECT_EQ(k.DejDatum("310125"), "31.01.25");

    // Without a date it opens on today's month; the year chooser, a double
    // click on a day.
    WhenOpen<CalendarForm>([&k](CalendarForm& f) {
        f.cbRok()->setCurrentIndex(f.cbRok()->findText("2038"));
        QTest::mouseDClick(f.sgKalendar()->viewport(), Qt::LeftButton, {},
                           f.sgKalendar()->visualItemRect(Cell(f, k, 22)).center());
    });
    EXPECT_EQ(k.DejDatum(""), "22.03.38");

    // A click and "OK".
    WhenOpen<CalendarForm>([&k](CalendarForm& f) {
        QTest::mouseClick(f.sgKalendar()->viewport(), Qt::LeftButton, {},
                          f.sgKalendar()->visualItemRect(Cell(f, k, 9)).center());
        EXPECT_EQ(f.cbDen()->currentText(), "9");
        f.bOK()->click();
    });
    EXPECT_EQ(k.DejDatum("150525"), "09.05.25");
}

}  // namespace
}  // namespace kj
