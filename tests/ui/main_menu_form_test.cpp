#include "kj_test.h"

#include <QTableView>
#include <QTest>
#include <csignal>

#include "logbook/car_list.h"
#include "print/qt/print_forms.h"
#include "qt_app.h"
#include "screens/qt/table_browser_form.h"
#include "shell/main_menu.h"
#include "shell/qt/main_menu_form.h"

namespace kj {
namespace {

// Station 03 of an installation with `cars` cars; the print forms and the
// station's help and spool as the program connects them, the help asked
// for recorded.
struct MenuStation : rectest::TempStation {
    explicit MenuStation(int cars = 0) {
        TestApp();
        Install({{"UZIVATEL", "03"}});
        InstallPrintForms(c, nullptr);
        ConnectStationScreens(c);
        c.showHelp = [this](std::string_view file, std::string_view topic) {
            asked.emplace_back(file, topic);
        };
        if (cars == 0) return;
        TfKJ_auta list(c);
        list.showEditor = [n = 0](RecordEditor& e) mutable {
            e.FormShow();
            e.SetText(1, "1A" + std::to_string(++n) + " 0001");
            e.KeyDown(key::kF2);
        };
        list.Otevri();
        for (int i = 0; i < cars; ++i) list.KeyDown(key::kF4, key::Mod::None);
        list.Zavri();
    }
    std::string Protocol() const { return ReadHost(Data("PROTOKOL.PRT")); }
    std::vector<std::pair<std::string, std::string>> asked;  // help file, topic
};

TEST(MainMenuForm, CaptionsCtrlF1GuideAndEscEndsWithProtocolLine) {
    MenuStation s;
    MainMenuForm form(s.c);
    form.show();
    form.FormActivate();
    auto buttons = form.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 6);
    QStringList captions;
    for (auto* b : buttons) captions << b->text();
    EXPECT_EQ(captions.join("|"),
              QString::fromUtf8("Knihy jízd|Cestovní příkaz|Tabulka cílů|Tisky|F1-help|Ctrl+F1-průvodce"));
    ExpectWhole(form);

    // Ctrl+F1 opens the guide and goes no further.
    QTest::keyClick(buttons.front(), Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(s.ui.Last("guide"), "KJ");
    EXPECT_TRUE(form.isVisible());

    // Esc on a focused button reaches the form first and ends the program.
    buttons[1]->setFocus();
    QTest::keyClick(buttons[1], Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_NE(s.Protocol().find("* KONEC Knihy jízd, n=   "_cz), std::string::npos);
}

// Enter presses the focused button: the lists, the help, and the travel
// order's launcher beside the menu; the keyboard comes back to the menu.
TEST(MainMenuForm, EnterPressesTheFocusedButton) {
    MenuStation s(2);
    MainMenuForm form(s.c);
    form.show();
    form.activateWindow();
    const struct {
        QPushButton* button;
        std::string note;  // "" = a list opens, "-" = the help, "L" = the launcher
    } cases[] = {{form.bcestprik(), "L"}, {form.bTisky(), ""}, {form.bhelp(), "-"}, {form.bTab_cilu(), ""},
                 {form.bKnihy_jizd(), ""}};
    for (const auto& t : cases) {
        SCOPED_TRACE(t.button->text().toStdString());
        const int beeps = s.ui.Count("beep");
        int lists = 0;
        if (t.note.empty()) {
            WhenOpen<TableBrowserForm>([&](TableBrowserForm& f) {
                ++lists;
                QTest::keyClick(f.sgRol(), Qt::Key_Escape);
            });
        }
        const std::size_t helped = s.asked.size();
        t.button->setFocus();
        QTest::keyClick(t.button, Qt::Key_Return);
        EXPECT_EQ(lists, t.note.empty() ? 1 : 0);
        EXPECT_EQ(s.asked.size(), helped + (t.note == "-" ? 1 : 0));
        EXPECT_EQ(s.ui.Count("beep"), beeps);
        if (t.note == "L") {
            // The launcher shows both sheets; closing it closes them.
            QApplication::processEvents();
            QWidget* launcher = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowTitle() == QString::fromUtf8("CESTOVNÍ PŘÍKAZ")) launcher = w;
            ASSERT_NE(launcher, nullptr);
            launcher->close();
        }
        // The keyboard is back on the menu after its windows closed.
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), &form);
    }
    form.hide();
}

// F1 and a right click on the buttons ask for their topics.
TEST(MainMenuForm, ButtonsReachTheirHelp) {
    MenuStation s;
    MainMenuForm form(s.c);
    form.show();
    form.activateWindow();
    using Asked = std::pair<std::string, std::string>;
    const Asked knihy{"\\kj\\kj", "KNIHY JÍZD"_cz}, tisky{"\\2\\spool", "Tisky"};
    const Asked cestprik{"\\kj\\kj", "Cestovní příkaz a vyúčtování prac.cest"_cz};
    const Asked cile{"\\kj\\kj", "Tabulka cílů"_cz};
    // F1 on each button, then a right click on it.
    const std::pair<QPushButton*, std::vector<Asked>> cases[] = {
        {form.bKnihy_jizd(), {knihy, knihy}}, {form.bcestprik(), {cestprik, cestprik}},
        {form.bTab_cilu(), {cile}},           {form.bTisky(), {tisky, tisky}},
        {form.bhelp(), {{"\\kj\\kj", "knihy jízd"_cz}}},
    };
    for (const auto& [button, expected] : cases) {
        SCOPED_TRACE(button->text().toStdString());
        s.asked.clear();
        button->setFocus();
        if (button == form.bhelp()) {
            button->click();
        } else {
            QTest::keyClick(button, Qt::Key_F1);
            QTest::mouseClick(button, Qt::RightButton);
        }
        EXPECT_EQ(s.asked, expected);
    }
    form.hide();
}

// SIGTERM and SIGHUP end the program as Esc does: an open list is left
// (its file released), the car list does not come back after its logbook,
// the travel order beside the menu closes, the menu closes, "* KONEC".
TEST(MainMenuForm, TermAndHangUpSignalsEndLikeEsc) {
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        MenuStation s(2);
        MainMenuForm form(s.c);
        form.EndOnSignals();
        form.show();
        if (signal == SIGTERM) {
            // The signal comes while the logbook runs; then nothing may open.
            form.menu().openLogbook = [signal](const std::string&) {
                ::raise(signal);
                QTest::qWait(100);
            };
            QTimer::singleShot(1000, &form, [] {
                if (auto* f = qobject_cast<TableBrowserForm*>(QApplication::activeModalWidget()))
                    ADD_FAILURE() << "the car list came back", f->close();
            });
            WhenOpen<TableBrowserForm>([](TableBrowserForm& f) { QTest::keyClick(f.sgRol(), Qt::Key_Return); });
            form.bKnihy_jizd()->click();
            EXPECT_FALSE(form.menu().carList().isOpen());
        } else {
            form.bcestprik()->click();
            ::raise(signal);
        }
        for (int i = 0; i < 100 && form.isVisible(); ++i) QTest::qWait(10);
        EXPECT_FALSE(form.isVisible());
        for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible());
        EXPECT_NE(s.Protocol().find("* KONEC Knihy jízd, n=  2"_cz), std::string::npos);
    }
}

}  // namespace
}  // namespace kj
