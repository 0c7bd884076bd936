// The station's screens reached from the forms as the program connects
// them: F1 and a right click on the main menu's buttons, F1 in a list,
// Ctrl+F2 in a list and the "Tisky" button opening the print spool, a
// report shown from the spool, and F9 in a field dialog opening the
// calculator.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "host_files.h"
#include "print/print_spool.h"
#include "print/qt/print_viewer_form.h"
#include "qt_app.h"
#include "screens/qt/calculator_form.h"
#include "screens/qt/fields_dialog.h"
#include "screens/qt/qt_dialogs.h"
#include "screens/qt/table_browser_form.h"
#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"
#include "shell/qt/main_menu_form.h"
#include "shell/qt/station_forms.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

struct Asked {
    std::string file, topic;
    bool operator==(const Asked&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Asked& a) {
    return os << Cp1250ToUtf8(a.file) << " / " << Cp1250ToUtf8(a.topic);
}

// A station connected to its forms as the program does it, with two
// reports in its working directory; the help it is asked for is recorded.
struct ConnectedStation {
    ConnectedStation() : files((dir.path() / "work").string(), dir.str()), ui(files), c(files, ui) {
        TestApp();
        ui.SetCommon(&c);
        WriteHost(dir.path() / "work" / "data.adr", "\\data\\\r\n");
        WriteHost(dir.path() / "work" / "prog.adr", "\\prog\\\r\n");
        fs::create_directories(dir.path() / "data");
        WriteHost(dir.path() / "work" / "KNIHA.txt", "Kniha jizd   \r\nList : 1     \r\n");
        WriteHost(dir.path() / "work" / "PARAGON.txt", "   100.00 =\r\n");
        SetJobIn(c, "", "UZIVATEL", "03");
        InitCommon(c);
        InstallStationForms(c, ui, nullptr);
        c.showHelp = [this](std::string_view file, std::string_view topic) {
            asked.push_back({std::string(file), std::string(topic)});
        };
    }
    TestDir dir;
    HostFileSystem files;
    QtDialogs ui;
    Common c;
    std::vector<Asked> asked;
};

TEST(StationKeys, F1AndRightClickOnTheMenuButtonsAskForTheirTopics) {
    ConnectedStation s;
    MainMenuForm form(s.c);
    form.show();
    struct Case {
        QPushButton* button;
        bool rightClick;
        std::vector<Asked> expected;
    };
    const Asked knihy{"\\kj\\kj", "KNIHY JÍZD"_cz};
    const Asked cestprik{"\\kj\\kj", "Cestovní příkaz a vyúčtování prac.cest"_cz};
    const Asked cile{"\\kj\\kj", "Tabulka cílů"_cz};
    const Asked tisky{"\\2\\spool", "Tisky"};
    const Case cases[] = {
        {form.bKnihy_jizd(), false, {knihy}},   {form.bKnihy_jizd(), true, {knihy}},
        {form.bcestprik(), false, {cestprik}},  {form.bcestprik(), true, {cestprik}},
        {form.bTab_cilu(), false, {cile}},      {form.bTab_cilu(), true, {}},
        {form.bTisky(), false, {tisky}},        {form.bTisky(), true, {tisky}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.button->text().toStdString() + (k.rightClick ? " right click" : " F1"));
        s.asked.clear();
        k.button->setFocus();
        if (k.rightClick)
            QTest::mouseClick(k.button, Qt::RightButton);
        else
            QTest::keyClick(k.button, Qt::Key_F1);
        EXPECT_EQ(s.asked, k.expected);
    }
    s.asked.clear();
    form.bhelp()->click();
    EXPECT_EQ(s.asked, (std::vector<Asked>{{"\\kj\\kj", "knihy jízd"_cz}}));
    form.hide();
}

TEST(StationKeys, CtrlF2InAListAndTheTiskyButtonOpenTheSpool) {
    ConnectedStation s;
    MainMenuForm form(s.c);
    form.show();
    form.activateWindow();
    std::vector<std::string> spoolNames;
    auto readSpool = [&](TableBrowserForm& f) {
        auto* spool = dynamic_cast<TfSpool*>(&f.browser());
        ASSERT_NE(spool, nullptr);
        EXPECT_EQ(f.windowTitle().toStdString().rfind("Seznam tiskových sestav", 0), 0u)
            << f.windowTitle().toStdString();
        for (const SpoolEntry& e : spool->entries()) spoolNames.push_back(StripRight(e.name));
    };

    // The destinations: F1 asks for their topic, Ctrl+F2 opens the spool.
    int lists = 0;
    WhenOpen<TableBrowserForm>([&](TableBrowserForm& cile) {
        ++lists;
        QTest::keyClick(cile.sgRol(), Qt::Key_F1);
        WhenOpen<TableBrowserForm>([&](TableBrowserForm& spool) {
            ++lists;
            readSpool(spool);
            QTest::keyClick(spool.sgRol(), Qt::Key_Escape);
            WhenOpen<TableBrowserForm>([&](TableBrowserForm& back) {
                EXPECT_EQ(&back, &cile);
                QTest::keyClick(back.sgRol(), Qt::Key_Escape);
            });
        });
        QTest::keyClick(cile.sgRol(), Qt::Key_F2, Qt::ControlModifier);
    });
    form.bTab_cilu()->click();
    EXPECT_EQ(lists, 2);
    EXPECT_EQ(s.asked, (std::vector<Asked>{{"\\kj\\kj", "Tabulka cílů"_cz}}));
    EXPECT_EQ(spoolNames, (std::vector<std::string>{"KNIHA", "PARAGON"}));

    // "Tisky": Enter on the second report shows it in the viewer; Esc there
    // returns to the spool, Esc in the spool to the menu.
    spoolNames.clear();
    std::string viewed;
    WhenOpen<TableBrowserForm>([&](TableBrowserForm& spool) {
        readSpool(spool);
        WhenOpen<PrintViewerForm>([&](PrintViewerForm& viewer) {
            viewed = viewer.windowTitle().toStdString();
            QTest::keyClick(viewer.sgRol(), Qt::Key_Escape);
            WhenOpen<TableBrowserForm>(
                [&](TableBrowserForm& back) { QTest::keyClick(back.sgRol(), Qt::Key_Escape); });
        });
        QTest::keyClick(spool.sgRol(), Qt::Key_Home);
        QTest::keyClick(spool.sgRol(), Qt::Key_Down);
        QTest::keyClick(spool.sgRol(), Qt::Key_Return);
    });
    form.bTisky()->click();
    EXPECT_EQ(spoolNames, (std::vector<std::string>{"KNIHA", "PARAGON"}));
    EXPECT_NE(viewed.find("PARAGON.txt"), std::string::npos) << viewed;
    EXPECT_TRUE(PrintSpoolOf(s.c).entries().empty());
    form.hide();
}

TEST(StationKeys, F9InAFieldDialogOpensTheCalculator) {
    ConnectedStation s;
    bool calculated = false;
    QTimer::singleShot(0, [&] {
        QWidget* d = QApplication::activeModalWidget();
        ASSERT_NE(qobject_cast<FieldsDialog*>(d), nullptr);
        WhenOpen<CalculatorForm>([&](CalculatorForm& k) {
            calculated = true;
            EXPECT_EQ(k.eVysledek()->text().trimmed(), "120.00");
            QTest::keyClicks(k.eOperand(), "5+");
            QTest::keyClick(k.eOperand(), Qt::Key_Return);
        });
        QTest::keyClick(d->focusWidget(), Qt::Key_F9);
        QTest::keyClick(d->focusWidget(), Qt::Key_F2);
    });
    ASSERT_TRUE(s.ui.AskFields(10, 10, F1Handler(), {"Kolik KM", "120"}, "Kilometry"));
    EXPECT_TRUE(calculated);
    EXPECT_EQ(s.ui.state().results[1], "125.00");
}

}  // namespace
}  // namespace kj
