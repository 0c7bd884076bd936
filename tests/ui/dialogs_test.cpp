// The standard dialogs on their Qt forms, driven by real key events. Each
// dialog is checked once on screen: every label, button and field inside
// it and its text shown whole.

#include "kj_test.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

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

// Runs `fn` on the modal dialog once one other than `skip` is open; fails
// the test when none appears within three seconds.
void WhenModal(std::function<void(QWidget&)> fn, QWidget* skip = nullptr, int left = 300) {
    QTimer::singleShot(left == 300 ? 0 : 10, [fn, skip, left] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w != skip && w->isVisible()) return fn(*w);
        if (left > 0) return WhenModal(fn, skip, left - 1);
        ADD_FAILURE() << "no dialog appeared";
    });
}

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

    std::string Param(const std::string& file, const std::string& key) {
        return GetReg(c, file, key);
    }
    fs::path Host(const std::string& rel) const { return dir.path() / rel; }

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
        EXPECT_EQ(&d, &form);
        EXPECT_EQ(d.windowTitle(), U("Smazat označený záznam?"));
        EXPECT_EQ(form.questionLabel()->text(), d.windowTitle());
        EXPECT_EQ(d.palette().color(QPalette::Window), QColor(255, 200, 200));
        ExpectWhole(d);
        expectFocusOn(d, form.noButton(), form.yesButton());  // nothing remembered
        Shot(d, "yes_no");
        QTest::keyClicks(Focus(d), "a");
    });
    EXPECT_TRUE(ui.AskYesNo(10, 10, q));
    EXPECT_EQ(Param("par\\dotaz.par", "Smazat označený"_cz + " ANO"), "A");
    EXPECT_EQ(Param("par\\okna2.par", "Smazat označený"_cz + " DotazLeft"), "000080");
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
    EXPECT_EQ(Param("par\\dotaz.par", "Smazat označený"_cz + " ANO"), "");

    // Enter answers with the focused button ("Ne" now), "N" says no, a
    // click on "Ano" says yes.
    WhenModal([&](QWidget& d) { Key(d, Qt::Key_Return); });
    EXPECT_FALSE(ui.AskYesNo(0, 0, q));
    WhenModal([&](QWidget& d) { QTest::keyClicks(Focus(d), "N"); });
    EXPECT_FALSE(ui.AskYesNo(0, 0, q));
    WhenModal([&](QWidget&) { QTest::mouseClick(form.yesButton(), Qt::LeftButton); });
    EXPECT_TRUE(ui.AskYesNo(0, 0, q));
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.focusWidget(), form.yesButton());
        Key(d, Qt::Key_Return);
    });
    EXPECT_TRUE(ui.AskYesNo(0, 0, q));
}

TEST_F(Dialogs, YesNoCtrlF1OpensTheGuideForTheQuestion) {
    WhenModal([&](QWidget& yn) {
        WhenModal(
            [&](QWidget& guide) {
                EXPECT_EQ(&guide, &ui.guideForm());
                EXPECT_EQ(guide.windowTitle(), U("Konec_ : NAVODY\\"));
                Key(guide, Qt::Key_Escape);
                // Back in the question.
                WhenModal([&](QWidget& again) { Key(again, Qt::Key_Escape); }, &guide);
            },
            &yn);
        Key(yn, Qt::Key_F1, Qt::ControlModifier);
    });
    EXPECT_FALSE(ui.AskYesNo(10, 10, "Konec?"));
    EXPECT_TRUE(fs::is_directory(Host("NAVODY")));
}

// ---- AskFields ----

TEST_F(Dialogs, FieldsEnterAcceptsEverythingAndUpDownSkipHeadings) {
    const std::string title = " Období (F1-vysviť kalendář)"_cz;
    std::vector<std::string> items = {
        "Od data (DDMMRR): ", "010123", "Tisknout také:"_cz, "",
        "Do data (DDMMRR): ", "311223", "Poznámka"_cz,       "          "};
    FieldsDialog& form = ui.fieldsForm();
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), ToQt(title));
        EXPECT_EQ(d.palette().color(QPalette::Window), QColor(255, 239, 239));
        EXPECT_TRUE(form.label(2)->isVisible());
        EXPECT_EQ(form.label(2)->text(), U("Tisknout také:"));
        EXPECT_FALSE(form.field(2)->isVisible());
        EXPECT_EQ(d.focusWidget(), form.field(1));
        Shot(d, "fields");
        QTest::keyClicks(form.field(1), "150123");
        for (auto [key, field] : {std::pair{Qt::Key_Down, 3}, {Qt::Key_Down, 4},
                                  {Qt::Key_Down, 1}, {Qt::Key_Up, 4}, {Qt::Key_Up, 3}}) {
            Key(d, key);
            EXPECT_EQ(d.focusWidget(), form.field(field));
        }
        EXPECT_EQ(form.current(), 3);
        Type(form.field(3), U("3012ž4"));
        Key(d, Qt::Key_Return);
    });
    EXPECT_TRUE(ui.AskFields(25, 20, {}, items, title));
    EXPECT_TRUE(ui.state().accepted);
    EXPECT_EQ(ui.state().results[1], "150123");
    EXPECT_EQ(ui.state().results[2], "");
    EXPECT_EQ(ui.state().results[3], "3012ž4"_cz);
    EXPECT_EQ(ui.state().results[4], "          ");
    // The labels and fields of the call are gone; the place is remembered.
    EXPECT_TRUE(form.findChildren<QLineEdit*>().isEmpty());
    EXPECT_EQ(Param("par\\okna2.par", " Období (F1-vys"_cz + " DotazyLeft"), "000192");
    EXPECT_EQ(Param("par\\okna2.par", " Období (F1-vys"_cz + " DotazyTop"), "000342");
}

// The field dialogs the system asks: no label or text is cut.
TEST_F(Dialogs, FieldsOfTheSystemFitTheirPlaces) {
    struct Ask {
        std::string title;
        std::vector<std::string> items;
    };
    std::vector<Ask> asks = {
        {" Období (F1-vysviť kalendář)"_cz,
         {"Od data (DDMMRR): ", "010123", "Do data (DDMMRR): ", "311223"}},
        {"", {" Kolik KM požadujete vygenerovat "_cz, std::string(13, ' ')}},
        {"",
         {"Povolené % nadspotřeby dle zákona o dani z příjmu "_cz, " 20.00",
          "  Průměrná cena za 1 litr NAFTA"_cz, " 38.50"}},
        {" Údaje pro úpravu velikosti "_cz,
         {" Koeficient pro úravu šířky "_cz, "   1.0000", " Koeficient pro úpravu délky "_cz,
          "   1.0000", " Horní okraj (v bodech) "_cz, "       0", " Levý okraj (v bodech) "_cz,
          "       0"}},
        {"", {"Výška písmen"_cz, "  18", "Šířka písmen"_cz, "   8", "ŠÍŘKA PÍSMEN"_cz, "  12"}},
    };
    FieldsDialog& form = ui.fieldsForm();
    int n = 0;
    for (const Ask& ask : asks) {
        WhenModal([&](QWidget& d) {
            ExpectWhole(d);
            for (std::size_t k = 1; k <= ask.items.size() / 2; ++k)
                EXPECT_LE(form.label(static_cast<int>(k))->geometry().right(),
                          form.field(static_cast<int>(k))->x());
            Shot(d, "fields_system_" + std::to_string(++n));
            Key(d, Qt::Key_Escape);
        });
        ui.AskFields(10, 10, {}, ask.items, ask.title);
    }
    EXPECT_EQ(n, 5);
}

TEST_F(Dialogs, FieldsEscF2AndF4) {
    for (auto [key, accepted] : {std::pair{Qt::Key_Escape, false}, {Qt::Key_F2, true},
                                 {Qt::Key_F4, true}}) {
        WhenModal([&](QWidget& d) {
            QTest::keyClicks(Focus(d), "7");
            Key(d, key);
        });
        std::string value = "5";
        EXPECT_EQ(AskOneField(ui, 10, 10, "Kolik kopií", value), accepted);
        EXPECT_EQ(ui.state().accepted, accepted);
        // The typed text is in DialogResults either way; only an accepted
        // dialog hands it over.
        EXPECT_EQ(ui.state().results[1], "7");
        EXPECT_EQ(value, accepted ? "7" : "5");
    }
}

TEST_F(Dialogs, Fields120StringsOpenInTwoColumns122AreRefused) {
    std::vector<std::string> items;
    for (int i = 1; i <= 60; ++i) items.insert(items.end(), {"Pole " + std::to_string(i), std::to_string(i * 11)});
    FieldsDialog& form = ui.fieldsForm();
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(form.findChildren<QLineEdit*>().size(), 60);
        EXPECT_EQ(form.field(31)->y(), form.field(1)->y());
        EXPECT_GT(form.field(31)->x(), form.field(1)->x() + form.field(1)->width());
        EXPECT_EQ(form.field(60)->y(), form.field(30)->y());
        ExpectWhole(d);
        Key(d, Qt::Key_Up);  // from field 1 round to field 60
        EXPECT_EQ(d.focusWidget(), form.field(60));
        Shot(d, "fields_two_columns");
        Key(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(ui.AskFields(1, 1, {}, items, "Šedesát polí"_cz));
    EXPECT_EQ(ui.state().results[60], "660");

    items.insert(items.end(), {"Pole 61", "671"});
    bool fieldsOpened = false;
    WhenModal([&](QWidget& d) {
        fieldsOpened = &d == &form;
        auto* box = qobject_cast<QMessageBox*>(&d);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), U("Šedesát polí - příliš mnoho parametrů"));
        Shot(d, "beep_message");
        Key(d, Qt::Key_Return);
    });
    EXPECT_FALSE(ui.AskFields(1, 1, {}, items, "Šedesát polí"_cz));
    EXPECT_FALSE(fieldsOpened);
    EXPECT_FALSE(ui.state().accepted);
    EXPECT_EQ(ui.state().results[1], "");
}

TEST_F(Dialogs, FieldsF1HelpF9CalculatorF10FileAndCtrlF1Guide) {
    std::vector<std::pair<int, std::string>> helped;
    F1Handler f1 = [&](int k, std::string& text) {
        helped.emplace_back(k, text);
        text = "Praha";
    };
    std::vector<std::string> items = {"Místo"_cz, "Brno ", "Částka"_cz, "12,5"};
    FieldsDialog& form = ui.fieldsForm();
    std::vector<double> calculated;
    const QString cwd = QDir::currentPath();
    WhenModal([&](QWidget& d) {
        Key(d, Qt::Key_F1);
        EXPECT_EQ(form.field(1)->text(), "Praha");

        // No calculator yet: F9 leaves the field alone.
        Key(d, Qt::Key_Down);
        Key(d, Qt::Key_F9);
        EXPECT_EQ(form.field(2)->text(), "12,5");
        ui.calculator = [&](double v) -> std::optional<double> {
            calculated.push_back(v);
            return v * 2 + 1000;
        };
        Key(d, Qt::Key_F9);
        EXPECT_EQ(form.field(2)->text(), "1025.00");

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
    EXPECT_EQ(calculated, std::vector<double>{12.5});
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
        EXPECT_EQ(d.palette().color(QPalette::Window), QColor(255, 239, 239));
        EXPECT_FALSE(form.item(2)->isEnabled());
        EXPECT_EQ(form.item(4)->text(), U(" 04 hvězdička"));
        ExpectWhole(d);
        // Item 2 is remembered but disabled: the choice starts on item 3.
        EXPECT_EQ(d.focusWidget(), form.item(3));
        EXPECT_TRUE(form.item(3)->isChecked());
        Shot(d, "choice");
        for (auto [key, item] : {std::pair{Qt::Key_Down, 4}, {Qt::Key_Down, 1},
                                 {Qt::Key_Down, 3}, {Qt::Key_Up, 1}, {Qt::Key_Up, 4}}) {
            Key(d, key);
            EXPECT_EQ(form.current(), item);
        }
        EXPECT_EQ(d.focusWidget(), form.item(4));
        EXPECT_TRUE(form.item(4)->isChecked());
        Key(d, Qt::Key_F1);
        Key(d, Qt::Key_Return);
    });
    EXPECT_EQ(ui.ChooseItem(30, 10, f1, items, title), 4);
    EXPECT_EQ(helped, std::vector<int>{4});
    EXPECT_EQ(ui.state().chosenIndex, 4);
    EXPECT_EQ(ui.state().results[1], "04");
    EXPECT_EQ(Param("par\\VYBER.IDX", " STAV TACHOMETR VyberIndex"), "   4");
    EXPECT_EQ(Param("par\\okna2.par", " STAV TACHOMETR VyberLeft"), "000232");

    // Esc: 0, two blanks, the remembered item unchanged.
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(form.current(), 4);
        Key(d, Qt::Key_Escape);
    });
    EXPECT_EQ(ui.ChooseItem(30, 10, f1, items, title), 0);
    EXPECT_EQ(ui.state().chosenIndex, 0);
    EXPECT_EQ(ui.state().results[1], "  ");
    EXPECT_EQ(Param("par\\VYBER.IDX", " STAV TACHOMETR VyberIndex"), "   4");
}

TEST_F(Dialogs, ChoiceRememberedBeyondTheItemsDoubleClickOkButtonAndTwoColumns) {
    std::vector<std::string> items = {"80             ", "100", "130"};
    const std::string title = "Počet znaků na řádku"_cz;
    SetReg(c, "par\\VYBER.IDX", "Počet znaků na "_cz + " VyberIndex", "   7");
    ChoiceDialog& form = ui.choiceForm();
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(form.current(), 1);
        Key(d, Qt::Key_F2);
    });
    EXPECT_EQ(ui.ChooseItem(10, 10, {}, items, title), 1);
    EXPECT_EQ(ui.state().results[1], "0 ");

    WhenModal([&](QWidget&) { QTest::mouseDClick(form.item(3), Qt::LeftButton); });
    EXPECT_EQ(ui.ChooseItem(10, 10, {}, items, title), 3);
    EXPECT_EQ(ui.state().results[1], "30");

    WhenModal([&](QWidget& d) {
        EXPECT_EQ(form.current(), 3);
        Key(d, Qt::Key_Up);
        QTest::mouseClick(form.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(ui.ChooseItem(10, 10, {}, items, title), 2);

    WhenModal([&](QWidget& d) {
        auto* box = qobject_cast<QMessageBox*>(&d);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), U("Mnoho - příliš mnoho parametrů"));
        Key(d, Qt::Key_Escape);
    });
    EXPECT_EQ(ui.ChooseItem(10, 10, {}, std::vector<std::string>(61, " 01"), "Mnoho"), 0);
    EXPECT_EQ(ui.state().results[1], "  ");

    // 40 items: the 31st starts a second column; Up from the first wraps.
    items.clear();
    for (int i = 1; i <= 40; ++i) items.push_back(" " + std::to_string(i) + " položka"_cz);
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(form.item(31)->y(), form.item(1)->y());
        EXPECT_GE(form.item(31)->x(), form.item(1)->geometry().right());
        ExpectWhole(d);
        Key(d, Qt::Key_Up);
        EXPECT_EQ(form.current(), 40);
        Shot(d, "choice_two_columns");
        Key(d, Qt::Key_Return);
    });
    EXPECT_EQ(ui.ChooseItem(1, 1, {}, items, "Výběr"_cz), 40);
    EXPECT_EQ(ui.state().results[1], "40");
}

// ---- busy notice and timed note ----

TEST_F(Dialogs, BusyRunsWithoutBlockingAndRemembersItsTop) {
    const std::string text = "Třídím knihu jízd"_cz;
    BusyNotice& busy = ui.busyForm();
    ui.ShowBusy(text);
    EXPECT_TRUE(busy.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(busy.windowTitle(), U("Třídím knihu jízd"));
    EXPECT_EQ(busy.textLabel()->text(), busy.windowTitle());
    ExpectWhole(busy);
    EXPECT_EQ(busy.timer().interval(), 300);
    Shot(busy, "busy");
    for (int i = 0; i < 9; ++i) busy.Tick();
    EXPECT_EQ(busy.bar()->value(), 10);
    busy.Tick();
    EXPECT_EQ(busy.bar()->value(), 1);
    QTest::qWait(700);  // the timer itself moves the bar
    EXPECT_GE(busy.bar()->value(), 2);

    ui.SetBusyProgress(50, 20);
    EXPECT_EQ(busy.bar()->maximum(), 50);
    EXPECT_EQ(busy.bar()->value(), 20);

    busy.move(busy.x(), 333);
    QTest::keyClick(&busy, Qt::Key_X);  // any key closes it
    EXPECT_FALSE(busy.isVisible() || busy.timer().isActive());
    EXPECT_EQ(Param("par\\okna2.par", "Třídím knihu jí"_cz + " BlikTop"), "000333");

    ui.ShowBusy(text);
    EXPECT_EQ(busy.y(), 333);
    EXPECT_TRUE(busy.bar()->isVisible());
    ui.CloseBusy();
    EXPECT_FALSE(busy.isVisible() || busy.bar()->isVisible() || busy.timer().isActive());
    ui.CloseBusy();  // a second close does nothing
}

TEST_F(Dialogs, NoteExpiresOrAClickStopsTheWaiting) {
    WaitNote& note = ui.noteForm();
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(ui.ShowNote("Soubor FOT.tab je obsazen", 60), NoteResult::Expired);
    EXPECT_GE(t.elapsed(), 50);
    EXPECT_EQ(note.windowTitle(), U("Počkejte na uvolnění !!! "));
    EXPECT_EQ(note.palette().color(QPalette::Window), QColor(255, 0, 0));
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
    std::vector<std::string> lines = {" Počáteční hodnotu tachometru si nastavte "_cz,
                                      " v samostatném zápise s datumem nižším než je datum"_cz,
                                      "",
                                      " první jízdy. Tento zápis by měl obsahovat pouze"_cz,
                                      " datum a stav tachometru. Ostatní údaje ponechte"_cz,
                                      " nevyplněné."_cz};
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), U(" Nastavení poč.stavu tachometru "));
        ASSERT_EQ(box.labels().size(), 5u);
        EXPECT_EQ(box.labels()[1]->text(),
                  U(" v samostatném zápise s datumem nižším než je datum"));
        EXPECT_TRUE(QFontInfo(box.labels()[0]->font()).fixedPitch());
        ExpectWhole(d);
        Shot(d, "help_box");
        Key(d, Qt::Key_Return);  // only Esc closes the box
        EXPECT_TRUE(d.isVisible());
        Key(d, Qt::Key_Escape);
    });
    ui.HelpBox(3, 7, " Nastavení poč.stavu tachometru "_cz, lines);
    EXPECT_TRUE(box.labels().empty());
    EXPECT_TRUE(box.findChildren<QLabel*>().isEmpty());
}

TEST_F(Dialogs, GuideShowsTheFileAndSavesItAfterF2) {
    const fs::path file = Host("NAVODY/Knihy jízd_ nápověda.nav");
    WriteHost(file, "Průvodce knihou jízd\r\n&C:\\JINDE\\x.nav\r\nF4 přidá jízdu\r\n"_cz);
    GuideWindow& w = ui.guideForm();
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), U("Knihy jízd_ nápověda : NAVODY\\"));
        EXPECT_EQ(w.text()->toPlainText(), U("Průvodce knihou jízd\nF4 přidá jízdu"));
        EXPECT_TRUE(w.text()->isReadOnly());
        Shot(d, "guide");
        QTest::keyClicks(w.text(), "x");
        EXPECT_EQ(w.text()->toPlainText(), U("Průvodce knihou jízd\nF4 přidá jízdu"));
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
    EXPECT_EQ(Param("par\\okna2.par", " HintWidth"), "0500");
    EXPECT_EQ(Param("par\\okna2.par", " HintHeight"), "0300");

    // Shown again: the stored size; closed without F2 the file stays.
    const std::string before = ReadHost(file);
    WhenModal([&](QWidget& d) {
        EXPECT_EQ(d.size(), QSize(500, 300));
        EXPECT_EQ(w.text()->toPlainText(), U("Průvodce knihou jízd\nF4 přidá jízdu\nF8 ruší"));
        QTest::keyClick(w.text(), Qt::Key_Escape);
    });
    ui.ShowGuide("NAVODY\\", "Knihy jízd: nápověda"_cz);
    EXPECT_EQ(ReadHost(file), before);
}

}  // namespace
}  // namespace kj
