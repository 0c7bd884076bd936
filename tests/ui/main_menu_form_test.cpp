#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "host_files.h"
#include "logbook/car_list.h"
#include "qt_app.h"
#include "screens/qt/table_browser_form.h"
#include "services/cp1250.h"
#include "services/params.h"
#include "services/scripted_dialogs.h"
#include "shell/qt/main_menu_form.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

TEST(MainMenuForm, LayoutCaptionsAndEscEndsWithProtocolLine) {
    TestApp();
    TestDir dir;
    WriteHost(dir.path() / "work" / "data.adr", "\\data\\\r\n");
    WriteHost(dir.path() / "work" / "prog.adr", "\\prog\\\r\n");
    fs::create_directories(dir.path() / "data");
    HostFileSystem files((dir.path() / "work").string(), dir.str());
    ScriptedDialogs ui;
    Common c(files, ui);
    SetJobIn(c, "", "UZIVATEL", "03");
    InitCommon(c);

    MainMenuForm form(c);
    form.show();
    form.FormActivate();
    EXPECT_EQ(form.windowTitle(), QString("VELTOR 03"));
    auto buttons = form.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 6);
    QStringList captions;
    for (auto* b : buttons) captions << b->text();
    EXPECT_EQ(captions, (QStringList{QString::fromUtf8("Knihy jízd"),
                                     QString::fromUtf8("Cestovní příkaz"),
                                     QString::fromUtf8("Tabulka cílů"), "Tisky", "F1-help",
                                     QString::fromUtf8("Ctrl+F1-průvodce")}));
    EXPECT_EQ(buttons[0]->geometry(), QRect(80, 56, 97, 25));
    EXPECT_EQ(buttons[3]->geometry(), QRect(88, 162, 75, 25));

    // Esc on a focused button reaches the form first and ends the program.
    buttons[1]->setFocus();
    QTest::keyClick(buttons[1], Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    std::string prot = ReadHost(dir.path() / "data" / "PROTOKOL.PRT");
    ASSERT_EQ(prot.size(), 160u);
    std::string record = prot.substr(81, static_cast<unsigned char>(prot[80]));
    EXPECT_NE(record.find("* KONEC Knihy jízd, n=   "_cz), std::string::npos);
}

TEST(MainMenuForm, CtrlF1OpensTheGuideAndIsConsumed) {
    TestApp();
    TestDir dir;
    HostFileSystem files(dir.str(), dir.str());
    ScriptedDialogs ui;
    Common c(files, ui);
    MainMenuForm form(c);
    form.show();
    auto* first = form.findChildren<QPushButton*>().front();
    QTest::keyClick(first, Qt::Key_F1, Qt::ControlModifier);
    ASSERT_EQ(ui.Count("guide"), 1);
    EXPECT_EQ(ui.Last("guide"), "KJ");
    EXPECT_EQ(ui.shown.back().items.front(), "NAVODY\\");
    EXPECT_TRUE(form.isVisible());
}

// A station over an installation with two cars, for the menu's own loops.
struct MenuStation {
    MenuStation() : files((dir.path() / "work").string(), dir.str()), c(files, ui) {
        TestApp();
        WriteHost(dir.path() / "work" / "data.adr", "\\data\\\r\n");
        WriteHost(dir.path() / "work" / "prog.adr", "\\prog\\\r\n");
        fs::create_directories(dir.path() / "data");
        SetJobIn(c, "", "UZIVATEL", "03");
        InitCommon(c);
        TfKJ_auta cars(c);
        cars.showEditor = [](RecordEditor& e) {
            static int n = 0;
            e.FormShow();
            e.SetText(1, "1A" + std::to_string(++n) + " 0001");
            e.KeyDown(key::kF2);
        };
        cars.Otevri();
        for (int i = 0; i < 2; ++i) cars.KeyDown(key::kF4, key::Mod::None);
        cars.Zavri();
    }
    std::string Protocol() const { return ReadHost(dir.path() / "data" / "PROTOKOL.PRT"); }
    TestDir dir;
    HostFileSystem files;
    ScriptedDialogs ui;
    Common c;
};

// Enter presses the focused button; the buttons of screens not built yet,
// and Enter on a car, say that the function is being prepared.
TEST(MainMenuForm, EnterPressesTheFocusedButton) {
    MenuStation s;
    MainMenuForm form(s.c);
    form.show();
    form.activateWindow();
    const struct {
        QPushButton* button;
        std::string note;  // "" = a list opens
    } cases[] = {
        {form.bcestprik(), "Cestovní příkaz: funkce se připravuje."_cz},
        {form.bTisky(), "Tisky: funkce se připravuje."_cz},
        {form.bhelp(), "Nápověda: funkce se připravuje."_cz},
        {form.bTab_cilu(), ""},
        {form.bKnihy_jizd(), ""},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.button->text().toStdString());
        const int beeps = s.ui.Count("beep");
        int lists = 0;
        if (t.button == form.bKnihy_jizd()) {
            // Enter on the first car opens its logbook; Esc there brings the
            // car list back, where Esc ends the loop.
            WhenOpen<TableBrowserForm>([&](TableBrowserForm& f) {
                ++lists;
                WhenOpen<TableBrowserForm>([&](TableBrowserForm& book) {
                    ++lists;
                    EXPECT_EQ(book.browser().fileName(), "1A1000.dta");
                    WhenOpen<TableBrowserForm>([&](TableBrowserForm& again) {
                        ++lists;
                        QTest::keyClick(again.sgRol(), Qt::Key_Escape);
                    });
                    QTest::keyClick(book.sgRol(), Qt::Key_Escape);
                });
                QTest::keyClick(f.sgRol(), Qt::Key_Home);
                QTest::keyClick(f.sgRol(), Qt::Key_Return);
            });
        } else if (t.note.empty()) {
            WhenOpen<TableBrowserForm>([&](TableBrowserForm& f) {
                ++lists;
                QTest::keyClick(f.sgRol(), Qt::Key_Escape);
            });
        }
        t.button->setFocus();
        QTest::keyClick(t.button, Qt::Key_Return);
        EXPECT_EQ(lists, t.button == form.bKnihy_jizd() ? 3 : t.note.empty() ? 1 : 0);
        EXPECT_EQ(s.ui.Count("beep"), beeps + (t.note.empty() ? 0 : 1));
        if (!t.note.empty()) {
            EXPECT_EQ(s.ui.Last("beep"), t.note);
        }
        // The keyboard is back on the menu after its windows closed.
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), &form);
    }
    // F1 on a button: its help, not built yet either.
    form.bTab_cilu()->setFocus();
    QTest::keyClick(form.bTab_cilu(), Qt::Key_F1);
    EXPECT_EQ(s.ui.Last("beep"), "Nápověda: funkce se připravuje."_cz);
    form.hide();
}

// SIGTERM and SIGHUP end the program as Esc does: an open list is left
// (its file released), the menu closes and "* KONEC" is written.
TEST(MainMenuForm, TermAndHangUpSignalsEndLikeEsc) {
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        MenuStation s;
        MainMenuForm form(s.c);
        form.EndOnSignals();
        form.show();
        const bool withList = signal == SIGTERM;
        if (withList) {
            WhenOpen<TableBrowserForm>([signal](TableBrowserForm&) { ::raise(signal); });
            form.bKnihy_jizd()->click();
            EXPECT_FALSE(form.menu().carList().isOpen());
        } else {
            ::raise(signal);
        }
        for (int i = 0; i < 100 && form.isVisible(); ++i) QTest::qWait(10);
        EXPECT_FALSE(form.isVisible());
        EXPECT_NE(s.Protocol().find("* KONEC Knihy jízd, n=  2"_cz), std::string::npos);
    }
}

}  // namespace
}  // namespace kj
