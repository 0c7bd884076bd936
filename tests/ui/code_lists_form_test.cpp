#include "kj_test.h"

#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTest>

#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "qt_app.h"
#include "screens/qt/qt_dialogs.h"
#include "screens/qt/record_editor_form.h"
#include "screens/qt/table_browser_form.h"
#include "screens/qt/yes_no_dialog.h"

namespace kj {
namespace {

using Station = UiStation;

TEST(CodeListForms, CarEditorUpperCasesOpensChoicesOnF1AndStandsBelowTheList) {
    Station s;
    TfKJ_auta b(s.c);
    TableBrowserForm form(b);
    ASSERT_EQ(b.Otevri(), 0);
    form.Sync();

    // The box holds the field's 7 characters: "1ab 2345" typed key by key
    // keeps "1ab 234".
    WhenOpen<RecordEditorForm>([](RecordEditorForm& e) {
        QTest::keyClicks(e.edit(1), QStringLiteral("1ab 2345"));
        EXPECT_EQ(e.edit(1)->text(), QStringLiteral("1ab 234"));
        // Typed right after entering the next field: the editor's timer,
        // started by the move, comes after the keys and keeps them.
        e.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&e));
        QTest::keyClick(e.edit(1), Qt::Key_Down);
        QTest::keyClicks(e.edit(2), QStringLiteral("Jan"));
        QTest::qWait(50);
        EXPECT_EQ(e.edit(2)->text(), QStringLiteral("Jan"));
        QTest::keyClick(e.edit(1), Qt::Key_F2);
    });
    QTest::keyClick(form.sgRol(), Qt::Key_F4);
    ASSERT_EQ(b.count(), 1);
    EXPECT_EQ(codec::GetText(ReadHost(s.Data("kj_auta.dta")).data(), auta::kSpz), "1AB 234");

    // A second car: F1 in the fuel and kind fields.
    s.ui.choices = {4, 3};
    QPoint at;
    int height = 0;
    WhenOpen<RecordEditorForm>([&](RecordEditorForm& e) {
        at = e.pos();
        height = e.height();
        QTest::keyClicks(e.edit(1), QStringLiteral("2cd 5678"));
        for (int f = 1; f < auta::kFieldPalivo; ++f) QTest::keyClick(e.edit(f), Qt::Key_Down);
        // F1 in the fuel and in the kind field opens the same choice as
        // Enter; the cursor stays in the field.
        QTest::keyClick(e.edit(auta::kFieldPalivo), Qt::Key_F1);
        EXPECT_EQ(e.edit(auta::kFieldPalivo)->text(), QString::fromUtf8("Motorová nafta"));
        QTest::keyClick(e.edit(auta::kFieldPalivo), Qt::Key_Down);
        QTest::keyClick(e.edit(auta::kFieldDruh), Qt::Key_F1);
        EXPECT_EQ(b.currentField(), auta::kFieldDruh);
        QTest::keyClick(e.edit(auta::kFieldDruh), Qt::Key_F2);
    });
    QTest::keyClick(form.sgRol(), Qt::Key_F4);
    EXPECT_EQ(s.ui.Texts("choose"),
              (std::vector<std::string>{"Druh pohonné hmoty"_cz, "Soukr./Služ./Stroj"_cz}));
    ASSERT_EQ(b.count(), 2);
    // Rows 11 to 24 and columns 4 to 93 of the character screen: the list's
    // upper rows stay in sight.
    const ScreenMetrics m;
    EXPECT_EQ(at, QPoint(3 * m.cellWidth, 10 * m.cellHeight));
    EXPECT_EQ(height, 14 * (m.cellHeight + 4));
    b.Zavri();
}

TEST(CodeListForms, DestinationsF10MenuAddsAndDeletes) {
    Station s;
    TfKJCile b(s.c);
    TableBrowserForm form(b);
    ASSERT_EQ(b.Otevri(), 0);
    form.show();
    form.Sync();

    // F10, N: a new record; the items that Space and F3 stand for are greyed.
    QStringList captions;
    QList<bool> enabled;
    WhenOpen<QMenu>([&](QMenu& menu) {
        for (QAction* a : menu.actions()) {
            if (!a->isVisible()) continue;
            captions << a->text();
            enabled << a->isEnabled();
        }
        WhenOpen<RecordEditorForm>([](RecordEditorForm& e) {
            QTest::keyClicks(e.edit(1), QStringLiteral("Vizovice"));
            QTest::keyClick(e.edit(1), Qt::Key_F2);
        });
        QTest::keyClick(&menu, Qt::Key_N);
    });
    QTest::keyClick(form.sgRol(), Qt::Key_F10);
    EXPECT_EQ(captions, (QStringList{QString::fromUtf8("Úprava záznamu  &MEZERA"),
                                     QString::fromUtf8("&Nový záznam"),
                                     QString::fromUtf8("&Zruš záznam"), "&Hledej"}));
    EXPECT_EQ(enabled, (QList<bool>{false, true, true, false}));
    ASSERT_EQ(b.count(), 1);

    // F10, Z: the deletion question, answered yes, marks the record.
    s.ui.yesNo.push_back(true);
    WhenOpen<QMenu>([](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_Z); });
    QTest::keyClick(form.sgRol(), Qt::Key_F10);
    EXPECT_EQ(s.ui.Last("yesno"), "Zrušit záznam?"_cz);
    EXPECT_TRUE(IsDeletedRecord(ReadHost(s.Data("kjcile.dta")).data()));
    b.Zavri();
}

// Every column in the grid is whole, and so is its title; Right shows the
// next column at the grid's left edge, never a half column.
TEST(CodeListForms, ListsShowWholeColumnsAndTitles) {
    Station s;
    TfKJ_auta cars(s.c);
    TfKJCile destinations(s.c);
    for (TfKJSeznam* list : {static_cast<TfKJSeznam*>(&cars), static_cast<TfKJSeznam*>(&destinations)}) {
        SCOPED_TRACE(list->setup().fileName);
        list->showEditor = [](RecordEditor& e) {
            e.FormShow();
            e.SetText(1, "1A2 3456");
            e.KeyDown(key::kF2);
        };
        ASSERT_EQ(list->Otevri(), 0);
        list->KeyDown(key::kF4, key::Mod::None);
        TableBrowserForm form(*list);
        WhenOpen<TableBrowserForm>([list](TableBrowserForm& f) {
            QTableView* grid = f.sgRol();
            QHeaderView* titles = grid->horizontalHeader();
            const QFontMetrics font(titles->font());
            const int margin = 2 * titles->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, titles);
            for (int step = 0; step < list->ColumnCount(); ++step) {
                QApplication::processEvents();
                SCOPED_TRACE(step);
                const int first = list->firstColumn() - 1;
                EXPECT_EQ(titles->sectionViewportPosition(first), 0);
                int whole = 0;
                for (int k = 0; k < list->ColumnCount(); ++k) {
                    const int left = titles->sectionViewportPosition(k);
                    const int right = left + titles->sectionSize(k);
                    if (right <= 0 || left >= grid->viewport()->width()) continue;
                    EXPECT_GE(left, 0) << "column " << k + 1;
                    EXPECT_LE(right, grid->viewport()->width()) << "column " << k + 1;
                    const QString title = titles->model()->headerData(k, Qt::Horizontal).toString();
                    EXPECT_LE(font.horizontalAdvance(title.trimmed()) + margin, titles->sectionSize(k))
                        << "column " << k + 1;
                    ++whole;
                }
                EXPECT_GE(whole, 1);
                EXPECT_LE(grid->geometry().right(), f.scrollBar1()->geometry().left());
                QTest::keyClick(grid, Qt::Key_Right);
            }
            QTest::keyClick(grid, Qt::Key_Escape);
        });
        form.Ukaz();
        list->Zavri();
    }
}

// Asked from a list with no place given, the question stands over the
// middle of the list, not at the screen's corner.
TEST(CodeListForms, DeletionQuestionStandsOverTheList) {
    Station s;
    QtDialogs ui(s.fs);
    Common c(s.fs, ui);
    c.dataDirCache = "C:\\DATA\\";
    TfKJlMista b(c);
    b.showEditor = [](RecordEditor& e) {
        e.FormShow();
        e.SetText(1, "Brno");
        e.KeyDown(key::kF2);
    };
    ASSERT_EQ(b.Otevri(), 0);
    b.KeyDown(key::kF4, key::Mod::None);
    TableBrowserForm form(b);
    QRect question, list;
    WhenOpen<TableBrowserForm>([&](TableBrowserForm& f) {
        list = f.frameGeometry();
        WhenOpen<YesNoDialog>([&](YesNoDialog& d) {
            question = d.frameGeometry();
            QTest::keyClick(d.focusWidget() ? d.focusWidget() : &d, Qt::Key_N);
        });
        QTest::keyClick(f.sgRol(), Qt::Key_F8);
        QTest::keyClick(f.sgRol(), Qt::Key_Escape);
    });
    form.Ukaz();
    ASSERT_FALSE(question.isEmpty());
    EXPECT_LE((question.center() - list.center()).manhattanLength(), 4);
    EXPECT_FALSE(IsDeletedRecord(ReadHost(s.Data("kjmista.dta")).data()));
    b.Zavri();
}

}  // namespace
}  // namespace kj
