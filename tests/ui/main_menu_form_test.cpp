#include "kj_test.h"

#include <QTableView>
#include <QTest>
#include <csignal>

#include "logbook/car_list.h"
#include "qt_app.h"
#include "screens/qt/table_browser_form.h"
#include "shell/qt/main_menu_form.h"

namespace kj {
namespace {

// Station 03 of an installation with `cars` cars.
struct MenuStation : rectest::TempStation {
    explicit MenuStation(int cars = 0) {
        TestApp();
        Install({{"UZIVATEL", "03"}});
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
};

TEST(MainMenuForm, CaptionsAndEscEndsWithProtocolLine) {
    MenuStation s;
    MainMenuForm form(s.c);
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
    ExpectWhole(form);

    // Esc on a focused button reaches the form first and ends the program.
    buttons[1]->setFocus();
    QTest::keyClick(buttons[1], Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    const std::string prot = s.Protocol();
    ASSERT_EQ(prot.size(), 160u);
    EXPECT_NE(prot.substr(81, static_cast<unsigned char>(prot[80])).find("* KONEC Knihy jízd, n=   "_cz),
              std::string::npos);
}

TEST(MainMenuForm, CtrlF1OpensTheGuideAndIsConsumed) {
    MenuStation s;
    MainMenuForm form(s.c);
    form.show();
    QTest::keyClick(form.findChildren<QPushButton*>().front(), Qt::Key_F1, Qt::ControlModifier);
    ASSERT_EQ(s.ui.Count("guide"), 1);
    EXPECT_EQ(s.ui.Last("guide"), "KJ");
    EXPECT_EQ(s.ui.shown.back().items.front(), "C:\\PROG\\NAVODY\\");
    EXPECT_TRUE(form.isVisible());
}

// Enter presses the focused button; the buttons of screens not built yet,
// and Enter on a car, say that the function is being prepared.
TEST(MainMenuForm, EnterPressesTheFocusedButton) {
    MenuStation s(2);
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
        {form.bKnihy_jizd(), "Kniha jízd 1A1000.dta: funkce se připravuje."_cz},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.button->text().toStdString());
        const int beeps = s.ui.Count("beep");
        int lists = 0;
        if (t.button == form.bKnihy_jizd()) {
            // Enter on the first car, then Esc in the car list shown again.
            WhenOpen<TableBrowserForm>([&](TableBrowserForm& f) {
                ++lists;
                WhenOpen<TableBrowserForm>([&](TableBrowserForm& again) {
                    ++lists;
                    QTest::keyClick(again.sgRol(), Qt::Key_Escape);
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
        EXPECT_EQ(lists, t.button == form.bKnihy_jizd() ? 2 : t.note.empty() ? 1 : 0);
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
        MenuStation s(2);
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
