#include "kj_test.h"

#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include "core/trip_fixture.h"
#include "logbook/qt/calendar_form.h"
#include "logbook/qt/logbook_forms.h"
#include "logbook/trip_logbook.h"
#include "logbook/working_calendar.h"
#include "qt_app.h"
#include "screens/qt/record_editor_form.h"
#include "services/dates.h"
#include "services/qt/qt_text.h"

namespace kj {
namespace {

using namespace triptest;

const std::string kBook = "5Z12345.dta";

// The logbook's form with its pick lists and calendar as the program has
// them; the station's questions are scripted.
struct Screen {
    explicit Screen(const std::vector<std::string>& trips) {
        SetCar("5Z12345", "SOUKROMÉ");
        WriteCodeLists(s);
        s.Put(kBook, Join(trips));
        WireLogbook(book, &form);
        book.kalendar = &calendar;
        EXPECT_EQ(book.Otevri(kBook), 0);
        form.Sync();
    }
    ~Screen() { book.Zavri(); }
    std::string file() const { return s.File(kBook); }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(form.sgRol(), static_cast<Qt::Key>(key), mods);
    }

    bool app = (TestApp(), true);  // before the first widget
    TestDir dir;
    Station s{dir.path()};
    TfKalendar calendar{s.c};
    CalendarForm calendarForm{calendar};
    TfKJ_jizdy book{s.c};
    TableBrowserForm form{book};
};

// Runs `act` on the pick list that opens next, then chooses row `row`.
void PickWhenOpen(int row) {
    WhenOpen<TableBrowserForm>([row](TableBrowserForm& list) {
        for (int r = 1; r < row; ++r) QTest::keyClick(list.sgRol(), Qt::Key_Down);
        QTest::keyClick(list.sgRol(), Qt::Key_Return);
    });
}

TEST(TripLogbookForm, EditorKeysF4AndLookups) {
    Screen sc({Trip("010324", "Brno", 98, 1000)});
    QString date, place, km, reading;
    WhenOpen<RecordEditorForm>([&](RecordEditorForm& e) {
        // F1 in the date: the calendar, Enter takes its day (today).
        WhenOpen<CalendarForm>([](CalendarForm& c) { QTest::keyClick(c.sgKalendar(), Qt::Key_Return); });
        QTest::keyClick(e.edit(1), Qt::Key_F1);
        date = e.edit(1)->text();
        for (int f = 1; f < jizdy::kFieldKmSluzebni; ++f) QTest::keyClick(e.edit(f), Qt::Key_Down);
        // F1 in the km: a destination fills place and km, the odometer follows.
        PickWhenOpen(2);
        QTest::keyClick(e.edit(jizdy::kFieldKmSluzebni), Qt::Key_F1);
        reading = e.edit(jizdy::kFieldStavTachometru)->text().trimmed();
        place = e.edit(jizdy::kFieldMisto)->text().trimmed();
        km = e.edit(jizdy::kFieldKmSluzebni)->text().trimmed();
        QTest::keyClick(e.edit(jizdy::kFieldZakladniSazba), Qt::Key_F2);
    });
    sc.Key(Qt::Key_F4);
    EXPECT_EQ(date, ToQt(DisplayDate(NormalizeDate(WorkDate(sc.s.c.now())))));
    EXPECT_EQ(reading, "1025");
    EXPECT_EQ(place + "|" + km, QString::fromUtf8("Olomouc-Přerov|25"));
    EXPECT_EQ(Trips(sc.file()), 2);
}

TEST(TripLogbookForm, GeneratedTripsLabelFollowsDeletion) {
    Screen sc({Trip("010326", "", 0, 5000)});
    sc.s.Put("kjcile.dta", ListRecord(cile::kColumns, cile::kLength, {"Zlín", "porada", "25", ""}));
    sc.book.seedGeneratoru = [] { return 5u; };
    sc.s.ui.fields = {{true, {"020326", "060326"}}, {true, {"60"}}};
    QStringList labels;
    // The destinations: the only one marked with Insert, Esc; then the
    // generated trips, where F8 on the first lowers the label by 25.
    WhenOpen<TableBrowserForm>([&](TableBrowserForm& list) {
        QTest::keyClick(list.sgRol(), Qt::Key_Insert);
        WhenOpen<GeneratedTripsForm>([&](GeneratedTripsForm& g) {
            labels << g.lGenerovano()->text();
            sc.s.ui.yesNo.push_back(true);
            QTest::keyClick(g.sgRol(), Qt::Key_F8);
            labels << g.lGenerovano()->text();
            Shot(g, "generated");
            QTest::keyClick(g.sgRol(), Qt::Key_Escape);
        });
        QTest::keyClick(list.sgRol(), Qt::Key_Escape);
    });
    sc.Key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(labels, (QStringList{QString::fromUtf8("Vygenerované km :      75"),
                                   QString::fromUtf8("Vygenerované km :      50")}));
}

}  // namespace
}  // namespace kj
