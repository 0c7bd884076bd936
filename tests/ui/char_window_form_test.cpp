// The character window on its Qt form with real keys and the mouse. What
// the window stores and how it lays out its cells is the core's (tests in
// core/char_window_test.cpp); here: the form shows it whole and forwards
// every key.

#include "kj_test.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QTest>

#include "qt_app.h"
#include "screens/char_window.h"
#include "screens/qt/char_window_form.h"

namespace kj {
namespace {

// Station 07 of an installation.
struct Station : rectest::TempStation {
    Station() {
        TestApp();
        Install({{"UZIVATEL", "07"}});
    }
};

class FakePickers : public AppearancePickers {
public:
    std::optional<int> colour;
    std::optional<FontChoice> font;
    std::optional<int> PickColour(int) override { return colour; }
    std::optional<FontChoice> PickFont(const FontChoice&) override { return font; }
};

// A window of six fields: text, number, hidden code, read-only text,
// date, text with a suffix label; a record buffer behind them.
struct TestWindow {
    explicit TestWindow(Station& s) : window(s.c, "fTest", metrics), form(window) {
        window.AttachFields({&text, &amount, &code, &fixed, &date, &name});
        window.SetState(3, -1);
        window.SetState(4, 0);
        record.assign(static_cast<std::size_t>(window.RecordLength()), '\0');
        window.SetZaznamOkna(record);
    }
    // Opens the form and waits until it has the focus.
    void Open() {
        form.OtevriOkno("Test ", "Stav: F2 uloží"_cz, RgbColour(255, 255, 224),
                        RgbColour(0, 0, 160), 2, 3, 41, 12);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    ScreenMetrics metrics;
    // label, column, row, type, mask, suffix, width, value, repeat value, suffix place
    PoleOkna text{"Text", 2, 1, FieldType::Text, "", "", 5, "ab", "", 0, 0};
    PoleOkna amount{"Částka"_cz, 2, 2, FieldType::Real, "###.##", "", 6, "1.5", "", 0, 0};
    PoleOkna code{"Kód"_cz, 2, 3, FieldType::CodeRight, "", "", 3, "7", "", 0, 0};
    PoleOkna fixed{"Pevné"_cz, 2, 4, FieldType::Text, "", "", 4, "pev", "", 0, 0};
    PoleOkna date{"Datum", 2, 5, FieldType::Date, "", "", 8, "01.02.24", "", 0, 0};
    PoleOkna name{"Jméno"_cz, 2, 6, FieldType::Text, "", "ks", 10, "Novák"_cz, "opak", 30, 6};
    std::string record;
    CharWindow window;
    CharWindowForm form;
};

QWidget* Focused() { return QApplication::focusWidget(); }

// A key pressed where the focus is.
void Press(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    ASSERT_NE(Focused(), nullptr);
    QTest::keyClick(Focused(), k, mods);
}

TEST(CharWindowForm, ControlsShowTheFieldsWholeInTheirAppearance) {
    Station s;
    WriteHost(s.Work("par/okna2.par"), "fTest FontNameA : Courier New\r\nfTest FontStyleA : Bold\r\n"
                                       "fTest OknoLeft : 0030\r\nfTest OknoTop : 0040\r\n");
    TestWindow t(s);
    t.Open();
    CharWindowForm& f = t.form;
    EXPECT_EQ(f.pos(), QPoint(30, 40));
    ExpectWhole(f);
    Shot(f, "okno");
    EXPECT_EQ(f.edit(6)->maxLength(), 10);
    // Hidden: label and box invisible; read-only: shown, not editable, no focus.
    EXPECT_FALSE(f.label(3)->isVisible() || f.edit(3)->isVisible());
    EXPECT_TRUE(f.edit(4)->isVisible() && f.edit(4)->isReadOnly());
    EXPECT_EQ(f.edit(4)->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(f.statusLine()->text(), QString::fromUtf8("Stav: F2 uloží"));

    // Paper and ink; the stored font name through the font map.
    EXPECT_EQ(f.palette().color(QPalette::Window), QColor(255, 255, 224));
    EXPECT_EQ(f.label(1)->palette().color(QPalette::WindowText), QColor(0, 0, 160));
    EXPECT_EQ(f.edit(1)->palette().color(QPalette::Text), QColor(0, 0, 160));
    EXPECT_EQ(f.font().family(), QString("DejaVu Sans Mono"));
    EXPECT_TRUE(f.font().bold());

    EXPECT_EQ(Focused(), f.edit(1));
}

TEST(CharWindowForm, KeysWalkTheFieldsAndF2WritesTheBuffer) {
    Station s;
    TestWindow t(s);
    t.Open();
    CharWindowForm& f = t.form;
    ASSERT_EQ(Focused(), f.edit(1));

    // The box comes with its text selected: typing replaces it. Enter
    // moves on; the next box is entered with its number normalised.
    QTest::keyClicks(f.edit(1), "xyz");
    Press(Qt::Key_Return);
    EXPECT_EQ(Focused(), f.edit(2));
    EXPECT_EQ(f.edit(2)->selectedText(), QString("  1.50"));
    QTest::keyClicks(f.edit(2), "2,5");
    // Down skips the hidden and the read-only field, Up goes back over
    // them; Up on the first field wraps to the last.
    for (auto [key, field] : {std::pair{Qt::Key_Down, 5}, {Qt::Key_Up, 2}, {Qt::Key_Up, 1},
                              {Qt::Key_Up, 6}}) {
        Press(key);
        EXPECT_EQ(Focused(), f.edit(field));
    }
    EXPECT_EQ(f.edit(2)->text(), QString("  2.50"));
    EXPECT_TRUE(f.timerError().isActive());
    // F12 puts the repeat value back and acts as Down: past the last field
    // the window is accepted.
    Press(Qt::Key_F12);
    EXPECT_EQ(f.edit(6)->text(), QString("opak"));
    EXPECT_TRUE(t.window.accepted());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(GetReg(s.c, "par\\okna2.par", "fTest OknoTop"), "0036");  // the place is kept

    // ZavriOkno: the boxes' texts into the values and the buffer.
    ASSERT_TRUE(f.ZavriOkno());
    EXPECT_EQ(t.record.substr(0, 6), "\x05xyz  ");

    // The same form opens again with the stored place; Tab walks like Down.
    t.Open();
    EXPECT_EQ(f.pos(), QPoint(8, 36));
    for (int field : {2, 5, 6}) {
        Press(Qt::Key_Tab);
        EXPECT_EQ(Focused(), f.edit(field));
    }
}

TEST(CharWindowForm, EscCancelsAndKeepsTheBufferWithOrWithoutEditableFields) {
    Station s;
    TestWindow t(s);
    t.Open();
    QTest::keyClicks(t.form.edit(1), "zz");
    Press(Qt::Key_Escape);
    EXPECT_FALSE(t.form.isVisible());
    EXPECT_TRUE(t.form.ZavriOkno());
    EXPECT_EQ(t.text.value, "ab");
    // A window without editable fields: F2 and Esc still close it.
    for (int i = 1; i <= 6; ++i) t.window.SetState(i, i % 2 == 0 ? 0 : -1);
    for (auto [key, accepted] : {std::pair{Qt::Key_F2, true}, {Qt::Key_Escape, false}}) {
        t.Open();
        QTest::keyClick(Focused() ? Focused() : &t.form, key);
        EXPECT_EQ(t.window.accepted(), accepted);
        EXPECT_FALSE(t.form.isVisible());
    }
}

TEST(CharWindowForm, MouseAndButton) {
    Station s;
    TestWindow t(s);
    t.Open();
    CharWindowForm& f = t.form;

    // A click into another box makes it current and normalises the one left.
    QTest::keyClick(f.edit(1), Qt::Key_End);
    QTest::keyClicks(f.edit(1), "   ");
    QTest::mouseClick(f.edit(5), Qt::LeftButton);
    EXPECT_EQ(Focused(), f.edit(5));
    EXPECT_EQ(f.edit(1)->text(), QString("ab"));
    // The read-only box takes no focus from a click.
    QTest::mouseClick(f.edit(4), Qt::LeftButton);
    EXPECT_EQ(Focused(), f.edit(5));

    // The focus timer puts the focus back on the current field.
    f.okButton()->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(Focused(), f.okButton());
    f.timerError().start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Focused() == f.edit(5); }, 1000));

    // A key on the button accepts.
    f.okButton()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(f.okButton(), Qt::Key_Return);
    EXPECT_TRUE(t.window.accepted());
    EXPECT_FALSE(f.isVisible());
}

TEST(CharWindowForm, F11RedrawsTheFormInItsNewAppearance) {
    Station s;
    TestWindow t(s);
    FakePickers pickers;
    t.Open();
    t.window.SetPickers(&pickers);
    CharWindowForm& f = t.form;

    // Font and ink: the form is drawn anew.
    pickers.font = FontChoice{"Courier New", 10, FontStyle::Italic, RgbColour(200, 0, 0)};
    s.ui.choices.push_back(2);
    Press(Qt::Key_F11);
    EXPECT_EQ(f.font().family(), QString("DejaVu Sans Mono"));
    EXPECT_TRUE(f.font().italic());
    EXPECT_EQ(f.label(1)->palette().color(QPalette::WindowText), QColor(200, 0, 0));
    EXPECT_EQ(Focused(), f.edit(1));
    Press(Qt::Key_Escape);
}

// A font choice as text, "-" for none.
std::string Text(const std::optional<FontChoice>& f) {
    return f ? f->name + " " + std::to_string(f->size) + " " + std::to_string(static_cast<int>(f->style)) + " " +
                   std::to_string(f->colour)
             : "-";
}

TEST(QtAppearancePickers, FontThenInkAndColour) {
    TestApp();
    QtAppearancePickers pickers;
    const FontChoice current{"MS Sans Serif", 8, FontStyle::Normal, RgbColour(0, 0, 160)};

    // Another family, size and style; then the ink.
    WhenOpen<QFontDialog>([](QFontDialog& d) {
        EXPECT_EQ(d.currentFont().family(), QString("DejaVu Sans"));
        EXPECT_EQ(d.currentFont().pointSize(), 8);
        QFont f("DejaVu Serif");
        f.setPointSize(12);
        f.setBold(true);
        d.setCurrentFont(f);
        WhenOpen<QColorDialog>([](QColorDialog& c) {
            EXPECT_EQ(c.currentColor(), QColor(0, 0, 160));
            c.setCurrentColor(QColor(255, 0, 0));
            c.accept();
        });
        d.accept();
    });
    EXPECT_EQ(Text(pickers.PickFont(current)),
              Text(FontChoice{"DejaVu Serif", 12, FontStyle::Bold, RgbColour(255, 0, 0)}));

    WhenOpen<QColorDialog>([](QColorDialog& c) {
        EXPECT_EQ(c.currentColor(), QColor(255, 255, 224));
        c.setCurrentColor(QColor(0, 128, 128));
        c.accept();
    });
    EXPECT_EQ(pickers.PickColour(RgbColour(255, 255, 224)), RgbColour(0, 128, 128));
}

}  // namespace
}  // namespace kj
