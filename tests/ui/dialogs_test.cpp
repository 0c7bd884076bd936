// The standard dialogs on their Qt forms, driven by real key events. Each
// dialog is checked once on screen: every label, button and field inside
// it and its text shown whole.

#include "kj_test.h"

#include <QDir>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>

#include "qt_app.h"
#include "screens/qt/busy_notice.h"
#include "screens/qt/calculator_form.h"
#include "screens/qt/choice_dialog.h"
#include "screens/qt/fields_dialog.h"
#include "screens/qt/guide_window.h"
#include "screens/qt/help_box.h"
#include "screens/qt/qt_dialogs.h"
#include "screens/qt/wait_note.h"
#include "screens/qt/yes_no_dialog.h"
#include "services/qt/qt_text.h"
#include "shell/qt/station_forms.h"

namespace kj {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// The dialog open over `skip` (any when none).
void WhenModal(std::function<void(QWidget&)> fn, QWidget* skip = nullptr) { WhenOpen<QWidget>(fn, skip); }

// Types text the way a keyboard does, including letters outside Latin-1.
void Type(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

QWidget* Focus(QWidget& dlg) { return dlg.focusWidget() ? dlg.focusWidget() : &dlg; }

void Key(QWidget& dlg, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(Focus(dlg), key, mods);
}

class Dialogs : public ::testing::Test {
protected:
    Dialogs() {
        ui.SetCommon(&c);
        ui.SetMetrics(metrics);
        c.workAreaSize = [] { return std::pair{1024, 768}; };
        // A dialog a test forgot to close fails the test instead of hanging it.
        watchdog.setInterval(4000);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "dialog left open: " << w->windowTitle().toStdString();
                w->close();
            }
        });
        watchdog.start();
    }

    std::string Param(const std::string& file, const std::string& key) { return GetReg(c, file, key); }

    QApplication& app = TestApp();
    TestDir dir;
    HostFileSystem files{dir.str(), dir.str()};
    QtDialogs ui{files};
    Common c{files, ui};
    ScreenMetrics metrics;
    QTimer watchdog;
};

// ---- AskYesNo ----

TEST_F(Dialogs, YesNoRemembersTheAnswerTheFocusAndThePlace) {
    const std::string q = "Smazat označený záznam?"_cz;
    YesNoDialog& form = ui.yesNoForm();
    // The focused button is drawn bold at 10, the other regular at 8.
    auto expectFocusOn = [&](QWidget& d, QPushButton* on, QPushButton* off) {
        EXPECT_EQ(d.focusWidget(), on);
        EXPECT_TRUE(on->font().bold() && on->font().pointSize() == 10);
        EXPECT_FALSE(off->font().bold() || off->font().pointSize() != 8);
    };
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), U("Smazat označený záznam?"));
        ExpectWhole(d);
        expectFocusOn(d, form.noButton(), form.yesButton());  // nothing remembered
        Shot(d, "yes_no");
        QTest::keyClicks(Focus(d), "a");
    });
    EXPECT_TRUE(ui.AskYesNo(10, 10, q));
    EXPECT_EQ(Param("par\\okna2.par", "Smazat označený"_cz + " DotazTop"), "000220");

    // Asked again: starts on "Ano"; the stored place wins over col/row;
    // moving the focus moves the bold face.
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.pos(), QPoint(80, 220));
        expectFocusOn(d, form.yesButton(), form.noButton());
        Key(d, Qt::Key_Tab);
        expectFocusOn(d, form.noButton(), form.yesButton());
        Key(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(ui.AskYesNo(3, 3, q));

    // Enter answers with the focused button ("Ne" now, then "Ano" after a
    // yes); a click on "Ano" says yes.
    const std::pair<std::function<void(QWidget&)>, bool> answers[] = {
        {[](QWidget& d) { Key(d, Qt::Key_Return); }, false},
        {[&](QWidget&) { QTest::mouseClick(form.yesButton(), Qt::LeftButton); }, true},
        {[](QWidget& d) { Key(d, Qt::Key_Return); }, true}};
    for (const auto& [act, yes] : answers) {
        WhenModal(act);
        EXPECT_EQ(ui.AskYesNo(0, 0, q), yes);
    }
}

TEST_F(Dialogs, YesNoCtrlF1OpensTheGuideForTheQuestion) {
    WhenModal([&](QWidget& yn) {
        WhenModal([&](QWidget& guide) {
            EXPECT_EQ(guide.windowTitle(), U("Konec_ : NAVODY\\"));
            Key(guide, Qt::Key_Escape);
        }, &yn);
        Key(yn, Qt::Key_F1, Qt::ControlModifier);
        Key(yn, Qt::Key_Escape);  // back in the question
    });
    EXPECT_FALSE(ui.AskYesNo(10, 10, "Konec?"));
}

// ---- AskFields ----

TEST_F(Dialogs, FieldsEnterAcceptsEverythingAndUpDownSkipHeadings) {
    const std::string title = " Období (F1-vysviť kalendář)"_cz;
    std::vector<std::string> items = {"Od data (DDMMRR): ", "010123", "Tisknout také:"_cz, "",
                                      "Do data (DDMMRR): ", "311223", "Poznámka"_cz, "          "};
    FieldsDialog& form = ui.fieldsForm();
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), ToQt(title));
        EXPECT_TRUE(form.label(2)->isVisible());
        EXPECT_EQ(form.label(2)->text(), U("Tisknout také:"));
        EXPECT_FALSE(form.field(2)->isVisible());
        EXPECT_EQ(d.focusWidget(), form.field(1));
        Shot(d, "fields");
        QTest::keyClicks(form.field(1), "150123");
        Key(d, Qt::Key_Down);  // over the heading
        EXPECT_EQ(d.focusWidget(), form.field(3));
        Type(form.field(3), U("3012ž4"));
        Key(d, Qt::Key_Return);
    });
    EXPECT_TRUE(ui.AskFields(25, 20, {}, items, title));
    EXPECT_EQ(std::vector<std::string>(ui.state().results.begin() + 1, ui.state().results.begin() + 5),
              (std::vector<std::string>{"150123", "", "3012ž4"_cz, "          "}));
    // The labels and fields of the call are gone; the place is remembered.
    EXPECT_TRUE(form.findChildren<QLineEdit*>().isEmpty());
    EXPECT_EQ(Param("par\\okna2.par", " Období (F1-vys"_cz + " DotazyTop"), "000342");
}

// The field dialogs the system asks: no label or text is cut.
TEST_F(Dialogs, FieldsOfTheSystemFitTheirPlaces) {
    const std::vector<std::string> items = {"Povolené % nadspotřeby dle zákona o dani z příjmu "_cz, " 20.00",
                                            "  Průměrná cena za 1 litr NAFTA"_cz, " 38.50"};
    FieldsDialog& form = ui.fieldsForm();
    WhenModal([&](QWidget& d) {
        ExpectWhole(d);
        for (int k = 1; k <= 2; ++k) EXPECT_LE(form.label(k)->geometry().right(), form.field(k)->x());
        Shot(d, "fields_system");
        Key(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(ui.AskFields(10, 10, {}, items, ""));
}

TEST_F(Dialogs, FieldsF1HelpF10FileAndCtrlF1Guide) {
    std::vector<std::pair<int, std::string>> helped;
    F1Handler f1 = [&](int k, std::string& text) {
        helped.emplace_back(k, text);
        text = "Praha";
    };
    std::vector<std::string> items = {"Místo"_cz, "Brno ", "Částka"_cz, "12,5"};
    FieldsDialog& form = ui.fieldsForm();
    const QString cwd = QDir::currentPath();
    WhenModal([&](QWidget& d) {
        Key(d, Qt::Key_F1);
        EXPECT_EQ(form.field(1)->text(), "Praha");

        Key(d, Qt::Key_Down);
        // F10: the chosen name without blanks; the current directory back.
        ui.chooseFile = [&](QWidget&) {
            QDir::setCurrent(QDir::tempPath());
            return U("/data/Moje doklady/výpis 1.txt");
        };
        Key(d, Qt::Key_F10);
        EXPECT_EQ(form.field(2)->text(), U("/data/Mojedoklady/výpis1.txt"));
        EXPECT_EQ(QDir::currentPath(), cwd);
        EXPECT_EQ(d.focusWidget(), form.field(2));

        WhenModal(
            [&](QWidget& guide) {
                EXPECT_EQ(guide.windowTitle(), U("Cesta Částka : NAVODY\\"));
                Key(guide, Qt::Key_Escape);
                WhenModal([&](QWidget& back) { Key(back, Qt::Key_F2); }, &guide);
            },
            &d);
        Key(d, Qt::Key_F1, Qt::ControlModifier);
    });
    EXPECT_TRUE(ui.AskFields(10, 10, f1, items, "Cesta "));
    EXPECT_EQ(helped, (std::vector<std::pair<int, std::string>>{{1, "Brno "}}));
    EXPECT_EQ(ui.state().results[1], "Praha");
    EXPECT_EQ(ui.state().results[2], "/data/Mojedoklady/výpis1.txt"_cz);
}

// F9 reaches the station's calculator as the program connects it; the
// result taken over replaces the field.
TEST_F(Dialogs, F9OpensTheStationsCalculator) {
    InstallStationForms(c, ui, nullptr);
    bool calculated = false;
    WhenModal([&](QWidget& d) {
        WhenModal(
            [&](QWidget& k) {
                auto* form = qobject_cast<CalculatorForm*>(&k);
                ASSERT_NE(form, nullptr);
                calculated = true;
                EXPECT_EQ(form->eVysledek()->text().trimmed(), "120.00");
                QTest::keyClicks(form->eOperand(), "5+");
                QTest::keyClick(form->eOperand(), Qt::Key_Return);
            },
            &d);
        Key(d, Qt::Key_F9);
        Key(d, Qt::Key_F2);
    });
    ASSERT_TRUE(ui.AskFields(10, 10, F1Handler(), {"Kolik KM", "120"}, "Kilometry"));
    EXPECT_TRUE(calculated);
    EXPECT_EQ(ui.state().results[1], "125.00");
}

// More strings than a dialog holds: the message alone, no dialog.
TEST_F(Dialogs, TooManyStringsAreRefusedWithoutAWindow) {
    for (bool choice : {false, true}) {
        WhenModal([&](QWidget& d) {
            auto* box = qobject_cast<QMessageBox*>(&d);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), U("Mnoho - příliš mnoho parametrů"));
            Shot(d, "beep_message");
            Key(d, Qt::Key_Return);
        });
        if (choice) EXPECT_EQ(ui.ChooseItem(1, 1, {}, std::vector<std::string>(61, " 01"), "Mnoho"), 0);
        else EXPECT_FALSE(ui.AskFields(1, 1, {}, std::vector<std::string>(122, "x"), "Mnoho"));
    }
}

// ---- ChooseItem ----

TEST_F(Dialogs, ChoiceStartsOnTheRememberedItemAndSkipsDisabledOnes) {
    const std::string title = " STAV TACHOMETRU (F1=help)";
    std::vector<std::string> items = {"         Přepočítat   "_cz, "         NEpřepočítat   "_cz,
                                      "         Vynulovat   ", "*04 hvězdička"_cz};
    SetReg(c, "par\\VYBER.PAR", title, " -");
    SetReg(c, "par\\VYBER.IDX", " STAV TACHOMETR VyberIndex", "   2");
    ChoiceDialog& form = ui.choiceForm();
    std::vector<int> helped;
    F1Handler f1 = [&](int i, std::string&) { helped.push_back(i); };
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), ToQt(title));
        EXPECT_FALSE(form.item(2)->isEnabled());
        ExpectWhole(d);
        // Item 2 is remembered but disabled: the choice starts on item 3.
        EXPECT_EQ(d.focusWidget(), form.item(3));
        Shot(d, "choice");
        Key(d, Qt::Key_Down);
        EXPECT_TRUE(form.item(4)->isChecked());
        Key(d, Qt::Key_F1);
        QTest::mouseDClick(form.item(4), Qt::LeftButton);
    });
    EXPECT_EQ(ui.ChooseItem(30, 10, f1, items, title), 4);
    EXPECT_EQ(helped, std::vector<int>{4});
    EXPECT_EQ(ui.state().results[1], "04");
    EXPECT_EQ(Param("par\\okna2.par", " STAV TACHOMETR VyberLeft"), "000232");

    // Asked again: on the item chosen last; the "F2-OK" button takes it.
    WhenModal([&](QWidget&) { QTest::mouseClick(form.okButton(), Qt::LeftButton); });
    EXPECT_EQ(ui.ChooseItem(30, 10, f1, items, title), 4);
}

// ---- busy notice and timed note ----

TEST_F(Dialogs, BusyRunsWithoutBlockingAndRemembersItsTop) {
    const std::string text = "Třídím knihu jízd"_cz;
    BusyNotice& busy = ui.busyForm();
    ui.ShowBusy(text);
    EXPECT_TRUE(busy.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(busy.windowTitle(), U("Třídím knihu jízd"));
    ExpectWhole(busy);
    Shot(busy, "busy");
    QTest::qWait(700);  // the timer itself moves the bar
    EXPECT_GE(busy.bar()->value(), 2);

    busy.move(busy.x(), 333);
    QTest::keyClick(&busy, Qt::Key_X);  // any key closes it
    EXPECT_FALSE(busy.isVisible() || busy.timer().isActive());
    EXPECT_EQ(Param("par\\okna2.par", "Třídím knihu jí"_cz + " BlikTop"), "000333");

    ui.ShowBusy(text);
    EXPECT_EQ(busy.y(), 333);
    ui.CloseBusy();
    EXPECT_FALSE(busy.isVisible() || busy.bar()->isVisible() || busy.timer().isActive());
}

TEST_F(Dialogs, NoteExpiresOrAClickStopsTheWaiting) {
    WaitNote& note = ui.noteForm();
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(ui.ShowNote("Soubor FOT.tab je obsazen", 60), NoteResult::Expired);
    EXPECT_GE(t.elapsed(), 50);
    EXPECT_EQ(note.windowTitle(), U("Počkejte na uvolnění !!! "));
    EXPECT_EQ(note.textLabel()->text(), "Soubor FOT.tab je obsazen");

    for (bool yes : {true, false}) {
        WhenModal([&](QWidget& n) {
            EXPECT_EQ(&n, &note);
            ExpectWhole(n);
            Shot(n, "note");
            WhenModal(
                [&](QWidget& q) {
                    EXPECT_EQ(q.windowTitle(),
                              U("Došlo k poruše, chcete ignorovat ochranu souborů"));
                    EXPECT_FALSE(note.timer().isActive());
                    Key(q, yes ? Qt::Key_A : Qt::Key_Escape);
                },
                &n);
            QTest::mouseClick(&n, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        });
        t.restart();
        EXPECT_EQ(ui.ShowNote("Zámek drží stanice 02"_cz, 3000),
                  yes ? NoteResult::StopWaiting : NoteResult::Expired);
        EXPECT_LT(t.elapsed(), 2500);
    }
}

// ---- help box and guide window ----

TEST_F(Dialogs, HelpBoxShowsTheNonEmptyLinesInAFixedFont) {
    kj::HelpBox& box = ui.helpForm();
    std::vector<std::string> lines = {" Počáteční hodnotu tachometru si nastavte "_cz, "",
                                      " v samostatném zápise s datumem nižším než je datum"_cz};
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), U(" Nastavení poč.stavu tachometru "));
        ASSERT_EQ(box.labels().size(), 2u);
        EXPECT_TRUE(QFontInfo(box.labels()[0]->font()).fixedPitch());
        ExpectWhole(d);
        Shot(d, "help_box");
        Key(d, Qt::Key_Return);  // only Esc closes the box
        EXPECT_TRUE(d.isVisible());
        Key(d, Qt::Key_Escape);
    });
    ui.HelpBox(3, 7, " Nastavení poč.stavu tachometru "_cz, lines);
    EXPECT_TRUE(box.findChildren<QLabel*>().isEmpty());
}

TEST_F(Dialogs, GuideShowsTheFileAndSavesItAfterF2) {
    const fs::path file = dir.path() / "NAVODY/Knihy jízd_ nápověda.nav";
    WriteHost(file, "Průvodce knihou jízd\r\n&C:\\JINDE\\x.nav\r\nF4 přidá jízdu\r\n"_cz);
    GuideWindow& w = ui.guideForm();
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), U("Knihy jízd_ nápověda : NAVODY\\"));
        EXPECT_EQ(w.text()->toPlainText(), U("Průvodce knihou jízd\nF4 přidá jízdu"));
        EXPECT_TRUE(w.text()->isReadOnly());
        Shot(d, "guide");
        QTest::keyClick(w.text(), Qt::Key_F2);
        EXPECT_FALSE(w.text()->isReadOnly());
        w.text()->moveCursor(QTextCursor::End);
        QTest::keyClick(w.text(), Qt::Key_Return);
        Type(w.text(), U("F8 ruší"));
        d.resize(500, 300);
        QTest::keyClick(w.text(), Qt::Key_Escape);
    });
    ui.ShowGuide("NAVODY\\", "Knihy jízd: nápověda"_cz);
    EXPECT_EQ(ReadHost(file), "Průvodce knihou jízd\r\nF4 přidá jízdu\r\nF8 ruší\r\n"
                              "&C:\\NAVODY\\Knihy jízd_ nápověda.nav\r\n"_cz);
    EXPECT_EQ(Param("par\\okna2.par", " HintHeight"), "0300");
}

}  // namespace
}  // namespace kj
