#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "host_files.h"
#include "logbook/qt/calendar_form.h"
#include "qt_app.h"
#include "services/dates.h"
#include "services/file_system.h"
#include "services/scripted_dialogs.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

struct Station {
    explicit Station(const fs::path& root)
        : data(root / "DATA"), files((root / "work").string(), root.string()), c(files, ui) {
        TestApp();
        fs::create_directories(root / "work");
        fs::create_directories(data);
        c.dataDirCache = "C:\\DATA\\";
        c.set.station = "03";
        c.now = [] { return std::time_t{1709629623}; };  // 5 March 2024
    }
    fs::path data;
    HostFileSystem files;
    ScriptedDialogs ui;
    Common c;
};

// Runs `act` on the calendar form once it is shown modally.
void WhenShown(std::function<void(CalendarForm&)> act) {
    QTimer::singleShot(0, [act] {
        auto* form = qobject_cast<CalendarForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        act(*form);
    });
}

void Press(CalendarForm& f, Qt::Key k) { QTest::keyClick(f.sgKalendar(), k); }

QTableWidgetItem* CellOfDay(CalendarForm& f, TfKalendar& k, int day) {
    int row = 0, column = 0;
    k.BunkaDne(day, &row, &column);
    return f.sgKalendar()->item(row, column);
}

QColor Colour(int stored) {
    return stored == kalendar::kWindowColour ? QApplication::palette().color(QPalette::Window)
                                             : QColor(stored & 0xFF, (stored >> 8) & 0xFF, stored >> 16);
}

void Save(QWidget& w, const char* name) {
    if (const char* dir = std::getenv("KJ_SHOTS")) w.grab().save(QString::fromUtf8(dir) + "/" + name);
}

TEST(CalendarForm, ArrowsCrossMonthsF5TogglesEnterChooses) {
    TestDir dir;
    Station s(dir.path());
    TfKalendar k(s.c);
    CalendarForm form(k);
    WhenShown([&k](CalendarForm& f) {
        EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Kalendář"));
        EXPECT_EQ(f.cbRok()->currentText(), "2025");
        EXPECT_EQ(f.lMesic()->text(), QString::fromUtf8("leden"));
        EXPECT_EQ(f.sgKalendar()->horizontalHeaderItem(0)->text(), QString::fromUtf8("pondělí"));
        EXPECT_EQ(f.sgKalendar()->horizontalHeaderItem(6)->text(), QString::fromUtf8("neděle"));
        EXPECT_EQ(CellOfDay(f, k, 31)->background().color(), Colour(kalendar::kChosenColour));
        EXPECT_EQ(CellOfDay(f, k, 1)->background().color(), Colour(kalendar::kMarkedColour));
        EXPECT_EQ(CellOfDay(f, k, 2)->background().color(), Colour(kalendar::kWindowColour));
        Save(f, "kalendar.png");

        Press(f, Qt::Key_Right);  // 1 February 2025, a Saturday
        EXPECT_EQ(f.lMesic()->text(), QString::fromUtf8("únor"));
        EXPECT_EQ(f.cbDen()->currentText(), "1");
        EXPECT_EQ(f.cbMesic()->currentText(), "2");
        EXPECT_EQ(f.lDen()->text(), QString::fromUtf8("01.02.2025  sobota"));
        Press(f, Qt::Key_F5);
        Press(f, Qt::Key_Down);
        EXPECT_EQ(CellOfDay(f, k, 1)->background().color(), Colour(kalendar::kWindowColour));
        EXPECT_EQ(CellOfDay(f, k, 2)->background().color(), Colour(kalendar::kMarkedColour));
        Save(f, "kalendar-f5.png");
        Press(f, Qt::Key_Up);
        Press(f, Qt::Key_Left);  // back into January
        EXPECT_EQ(f.lMesic()->text(), QString::fromUtf8("leden"));
        Press(f, Qt::Key_Return);
    });
    EXPECT_EQ(k.DejDatum("310125"), "31.01.25");
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(k.if_bit(DayNumber("01022025")));
    TfKalendar restarted(s.c);
    EXPECT_FALSE(restarted.if_bit(DayNumber("01022025")));

    WhenShown([](CalendarForm& f) {
        Press(f, Qt::Key_Right);
        Press(f, Qt::Key_Escape);
    });
    EXPECT_EQ(k.DejDatum("310125"), "");
    EXPECT_FALSE(form.isVisible());
}

TEST(CalendarForm, ChoosersMouseButtonsAndHelp) {
    TestDir dir;
    Station s(dir.path());
    TfKalendar k(s.c);
    CalendarForm form(k);
    std::vector<std::string> help;
    k.napoveda = [&help](const std::vector<std::string>& lines) { help = lines; };

    // The year chooser runs to the table's last year.
    EXPECT_EQ(form.cbRok()->itemText(0), "1995");
    EXPECT_EQ(form.cbRok()->itemText(form.cbRok()->count() - 1), "2038");

    WhenShown([&k](CalendarForm& f) {
        EXPECT_EQ(f.lMesic()->text(), QString::fromUtf8("březen"));  // today
        f.cbRok()->setCurrentIndex(f.cbRok()->findText("2038"));
        f.cbMesic()->setCurrentIndex(9);
        EXPECT_EQ(f.lMesic()->text(), QString::fromUtf8("říjen"));
        QTest::keyClick(f.cbRok(), Qt::Key_F1);
        QTableWidgetItem* cell = CellOfDay(f, k, 22);
        const QRect at = f.sgKalendar()->visualItemRect(cell);
        QTest::mouseDClick(f.sgKalendar()->viewport(), Qt::LeftButton, {}, at.center());
    });
    EXPECT_EQ(k.DejDatum(""), "22.10.38");
    EXPECT_EQ(help, TfKalendar::HelpLines());

    WhenShown([&k](CalendarForm& f) {
        QTableWidgetItem* cell = CellOfDay(f, k, 9);
        QTest::mouseClick(f.sgKalendar()->viewport(), Qt::LeftButton, {},
                          f.sgKalendar()->visualItemRect(cell).center());
        EXPECT_EQ(f.cbDen()->currentText(), "9");
        f.bOK()->click();
    });
    EXPECT_EQ(k.DejDatum("150525"), "09.05.25");

    WhenShown([](CalendarForm& f) { f.bZavri()->click(); });
    EXPECT_EQ(k.DejDatum("150525"), "");
    WhenShown([](CalendarForm& f) { f.close(); });
    EXPECT_EQ(k.DejDatum("150525"), "");
    EXPECT_TRUE(s.ui.shown.empty());
}

}  // namespace
}  // namespace kj
