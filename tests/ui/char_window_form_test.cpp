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
#include "screens/qt/sys_params_form.h"

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

PoleOkna Pole(std::string label, int row, FieldType type, int width, std::string value = "") {
    PoleOkna p;
    p.label = std::move(label);
    p.column = 2;
    p.row = row;
    p.type = type;
    p.width = width;
    p.value = std::move(value);
    return p;
}

// A window of six fields: text, number, hidden code, read-only text,
// date, text with a suffix label; a record buffer behind them.
struct TestWindow {
    explicit TestWindow(Station& s) : window(s.c, "fTest", metrics), form(window) {
        amount.mask = "###.##";
        name.suffix = "ks";
        name.suffixColumn = 30;
        name.suffixRow = 6;
        name.repeatValue = "opak";
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
    PoleOkna text = Pole("Text", 1, FieldType::Text, 5, "ab");
    PoleOkna amount = Pole("Částka"_cz, 2, FieldType::Real, 6, "1.5");
    PoleOkna code = Pole("Kód"_cz, 3, FieldType::CodeRight, 3, "7");
    PoleOkna fixed = Pole("Pevné"_cz, 4, FieldType::Text, 4, "pev");
    PoleOkna date = Pole("Datum", 5, FieldType::Date, 8, "01.02.24");
    PoleOkna name = Pole("Jméno"_cz, 6, FieldType::Text, 10, "Novák"_cz);
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
    EXPECT_EQ(f.windowTitle(), QString("Test "));
    EXPECT_EQ(f.pos(), QPoint(30, 40));
    ExpectWhole(f);
    Shot(f, "okno");
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(f.edit(i)->maxLength(), t.window.layout().fields[i - 1].maxLength) << i;
    EXPECT_EQ(f.label(2)->text(), QString::fromUtf8("Částka"));
    EXPECT_EQ(f.edit(2)->text(), QString("1.5"));
    // Hidden: label and box invisible; read-only: shown, not editable, no focus.
    EXPECT_FALSE(f.label(3)->isVisible() || f.edit(3)->isVisible());
    EXPECT_EQ(f.suffixLabel(3), nullptr);
    EXPECT_TRUE(f.edit(4)->isVisible() && f.edit(4)->isReadOnly());
    EXPECT_EQ(f.edit(4)->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(f.edit(1)->isReadOnly());
    ASSERT_NE(f.suffixLabel(6), nullptr);
    EXPECT_EQ(f.suffixLabel(6)->text(), QString("ks"));
    EXPECT_EQ(f.okButton()->text(), QString("OK-F2"));
    EXPECT_EQ(f.statusLine()->text(), QString::fromUtf8("Stav: F2 uloží"));
    EXPECT_TRUE(f.statusLine()->font().bold());
    EXPECT_EQ(f.statusLine()->palette().color(QPalette::Base), QColor(0, 0, 128));
    EXPECT_EQ(f.statusLine()->focusPolicy(), Qt::NoFocus);

    // Paper and ink; the stored font name through the font map.
    EXPECT_EQ(f.palette().color(QPalette::Window), QColor(255, 255, 224));
    EXPECT_EQ(f.label(1)->palette().color(QPalette::WindowText), QColor(0, 0, 160));
    EXPECT_EQ(f.edit(1)->palette().color(QPalette::Text), QColor(0, 0, 160));
    EXPECT_EQ(f.font().family(), QString("DejaVu Sans Mono"));
    EXPECT_TRUE(f.font().bold());
    EXPECT_EQ(f.font().pixelSize(), 11);  // 8 points on a 96-dpi screen

    // The first editable field has the focus; the timer is 100 ms.
    EXPECT_EQ(Focused(), f.edit(1));
    EXPECT_EQ(f.timerError().interval(), 100);
    EXPECT_TRUE(f.timerError().isSingleShot());
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
    EXPECT_EQ(t.window.Current(), 2);
    EXPECT_EQ(f.edit(2)->selectedText(), QString("  1.50"));
    QTest::keyClicks(f.edit(2), "2,5");
    // Down skips the hidden and the read-only field, Up goes back over
    // them; Up on the first field wraps to the last.
    for (auto [key, field] : {std::pair{Qt::Key_Down, 5}, {Qt::Key_Up, 2}, {Qt::Key_Up, 1},
                              {Qt::Key_Up, 6}}) {
        Press(key);
        EXPECT_EQ(Focused(), f.edit(field));
        EXPECT_EQ(t.window.Current(), field);
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

    // ZavriOkno: the boxes' texts into the values and the buffer; controls freed.
    ASSERT_TRUE(f.ZavriOkno());
    EXPECT_EQ(f.edit(1), nullptr);
    EXPECT_EQ(f.okButton(), nullptr);
    EXPECT_EQ(t.text.value, "xyz");
    EXPECT_EQ(t.name.value, "opak");
    EXPECT_EQ(t.record.substr(0, 6), "\x05xyz  ");
    EXPECT_EQ(t.record.substr(6, 6), std::string("\x82\0\0\0\0\x20", 6));  // 2.5

    // The same form opens again with the stored place; Tab walks like Down,
    // Tab on the last field with the wrap flag goes to the first.
    t.Open();
    EXPECT_EQ(f.pos(), QPoint(8, 36));
    for (int field : {2, 5, 6}) {
        Press(Qt::Key_Tab);
        EXPECT_EQ(Focused(), f.edit(field));
    }
    t.window.SetWrap(Wrap::On);
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), f.edit(1));
    EXPECT_TRUE(f.isVisible());
    // F2 accepts from any field.
    Press(Qt::Key_F2);
    EXPECT_TRUE(t.window.accepted());
    EXPECT_FALSE(f.isVisible());
}

TEST(CharWindowForm, EscCancelsAndKeepsTheBuffer) {
    Station s;
    TestWindow t(s);
    t.Open();
    QTest::keyClicks(t.form.edit(1), "zz");
    Press(Qt::Key_Escape);
    EXPECT_FALSE(t.form.isVisible());
    EXPECT_TRUE(t.window.cancelled());
    EXPECT_FALSE(t.window.accepted());
    EXPECT_TRUE(t.form.ZavriOkno());
    EXPECT_EQ(t.record, std::string(t.record.size(), '\0'));
    EXPECT_EQ(t.text.value, "ab");
    // The geometry is stored however the window closes.
    EXPECT_EQ(GetReg(s.c, "par\\okna2.par", "fTest OknoWidth"), "0328");
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
    EXPECT_EQ(t.window.Current(), 5);
    EXPECT_EQ(f.edit(1)->text(), QString("ab"));
    // The read-only box takes no focus from a click.
    QTest::mouseClick(f.edit(4), Qt::LeftButton);
    EXPECT_EQ(Focused(), f.edit(5));

    // The focus timer puts the focus back on the current field.
    f.okButton()->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(Focused(), f.okButton());
    f.timerError().start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Focused() == f.edit(5); }, 1000));

    // Tab on the button does not accept; another key on it does.
    f.okButton()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(f.okButton(), Qt::Key_Shift);
    EXPECT_TRUE(f.isVisible());
    QTest::keyClick(f.okButton(), Qt::Key_Return);
    EXPECT_TRUE(t.window.accepted());
    EXPECT_FALSE(f.isVisible());

    // A click on the button accepts.
    t.Open();
    QTest::mouseClick(f.okButton(), Qt::LeftButton);
    EXPECT_TRUE(t.window.accepted());
    EXPECT_FALSE(f.isVisible());
}

TEST(CharWindowForm, WindowWithoutEditableFields) {
    Station s;
    TestWindow t(s);
    for (int i = 1; i <= 6; ++i) t.window.SetState(i, i % 2 == 0 ? 0 : -1);
    for (auto [key, accepted] : {std::pair{Qt::Key_F2, true}, {Qt::Key_Escape, false}}) {
        t.Open();
        EXPECT_EQ(t.window.Current(), 0);
        for (int i = 1; i <= 6; ++i) EXPECT_NE(Focused(), t.form.edit(i));
        QTest::keyClick(Focused() ? Focused() : &t.form, key);
        EXPECT_EQ(t.window.accepted(), accepted);
        EXPECT_EQ(t.window.cancelled(), !accepted);
        EXPECT_FALSE(t.form.isVisible());
    }
}

TEST(CharWindowForm, F11RedrawsTheFormInItsNewAppearance) {
    Station s;
    TestWindow t(s);
    FakePickers pickers;
    t.Open();
    t.window.SetPickers(&pickers);
    CharWindowForm& f = t.form;

    // Font and ink, then cells of 20 x 10 pixels.
    pickers.font = FontChoice{"Courier New", 10, FontStyle::Italic, RgbColour(200, 0, 0)};
    s.ui.choices.push_back(2);
    s.ui.fields.push_back({true, {"20", "10"}});
    Press(Qt::Key_F11);
    EXPECT_EQ(f.font().family(), QString("DejaVu Sans Mono"));
    EXPECT_TRUE(f.font().italic());
    EXPECT_EQ(f.font().pixelSize(), 13);
    EXPECT_EQ(f.label(1)->palette().color(QPalette::WindowText), QColor(200, 0, 0));
    // Row 2 at (2 - 1) x (20 + 4) + 4, column 2 at 2 x 10.
    EXPECT_EQ(f.label(2)->geometry(), QRect(20, 28, 60, 20));
    EXPECT_EQ(f.okButton()->height(), 20);
    EXPECT_EQ(f.size(), QSize(328, 224));  // the form keeps its rectangle
    EXPECT_EQ(Focused(), f.edit(1));

    // Background colour.
    pickers.colour = RgbColour(0, 128, 128);
    s.ui.choices.push_back(1);
    Press(Qt::Key_F11);
    EXPECT_EQ(f.palette().color(QPalette::Window), QColor(0, 128, 128));
    Press(Qt::Key_Escape);

    // A new form of the same window comes up as it was left.
    ScreenMetrics fresh;
    CharWindow again(s.c, "fTest", fresh);
    CharWindowForm f2(again);
    f2.OtevriOkno("T", "", 0, 0, 2, 3, 41, 12);
    EXPECT_EQ(again.appearance().cellHeight, 20);
    EXPECT_EQ(f2.palette().color(QPalette::Window), QColor(0, 128, 128));
    EXPECT_TRUE(f2.font().italic());
}

// Answers the next modal dialog of type D once it is up.
template <typename D>
void Answer(std::function<void(D&)> act) {
    QTimer::singleShot(0, [act] {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        act(*d);
    });
}

// A font choice as text, "-" for none.
std::string Text(const std::optional<FontChoice>& f) {
    if (!f) return "-";
    return f->name + " " + std::to_string(f->size) + " " + std::to_string(static_cast<int>(f->style)) +
           " " + std::to_string(f->colour);
}

TEST(QtAppearancePickers, FontThenInkAndColour) {
    TestApp();
    QtAppearancePickers pickers;
    const FontChoice current{"MS Sans Serif", 8, FontStyle::Normal, RgbColour(0, 0, 160)};

    // Another family, size and style; then the ink.
    Answer<QFontDialog>([](QFontDialog& d) {
        EXPECT_EQ(d.currentFont().family(), QString("DejaVu Sans"));
        EXPECT_EQ(d.currentFont().pointSize(), 8);
        QFont f("DejaVu Serif");
        f.setPointSize(12);
        f.setBold(true);
        d.setCurrentFont(f);
        Answer<QColorDialog>([](QColorDialog& c) {
            EXPECT_EQ(c.currentColor(), QColor(0, 0, 160));
            c.setCurrentColor(QColor(255, 0, 0));
            c.accept();
        });
        d.accept();
    });
    EXPECT_EQ(Text(pickers.PickFont(current)),
              Text(FontChoice{"DejaVu Serif", 12, FontStyle::Bold, RgbColour(255, 0, 0)}));

    // The same family keeps the stored name; a cancelled ink keeps the ink.
    Answer<QFontDialog>([](QFontDialog& d) {
        Answer<QColorDialog>([](QColorDialog& c) { c.reject(); });
        d.accept();
    });
    EXPECT_EQ(Text(pickers.PickFont(current)), Text(current));

    // Cancelled font dialog: nothing.
    Answer<QFontDialog>([](QFontDialog& d) { d.reject(); });
    EXPECT_FALSE(pickers.PickFont(current));

    Answer<QColorDialog>([](QColorDialog& c) {
        EXPECT_EQ(c.currentColor(), QColor(255, 255, 224));
        c.setCurrentColor(QColor(0, 128, 128));
        c.accept();
    });
    EXPECT_EQ(pickers.PickColour(RgbColour(255, 255, 224)), RgbColour(0, 128, 128));
    Answer<QColorDialog>([](QColorDialog& c) { c.reject(); });
    EXPECT_FALSE(pickers.PickColour(0));
}

// The system-parameter window on its form: all of it in sight, a wrong
// value keeps the cursor, F2 stores.
TEST(SysParamsForm, EditsAndStoresWithRealKeys) {
    Station s;
    SetJob(s.c, "DAN2", "12");
    SetJob(s.c, "POCITAC", "PC01");
    SysParamsForm p(s.c);
    CharWindowForm& f = p.form();
    p.Open();
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8(" Parametry systému PC01"));
    EXPECT_EQ(f.edit(SysParams::kDan2)->text(), QString(" 12.00"));
    ExpectWhole(f);
    Shot(f, "parsys");

    Press(Qt::Key_Down);
    Press(Qt::Key_Down);
    ASSERT_EQ(Focused(), f.edit(SysParams::kDan2));
    QTest::keyClicks(Focused(), "15a");
    Press(Qt::Key_Return);
    EXPECT_EQ(s.ui.Count("beep"), 1);
    EXPECT_EQ(Focused(), f.edit(SysParams::kDan2));
    EXPECT_EQ(f.edit(SysParams::kDan2)->text(), QString("15a"));
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Enter);
    EXPECT_EQ(Focused(), f.edit(SysParams::kDan3));
    Press(Qt::Key_F2);
    EXPECT_FALSE(f.isVisible());
    ASSERT_TRUE(p.params().accepted());
    EXPECT_TRUE(f.ZavriOkno());
    EXPECT_EQ(GetJob(s.c, "DAN2"), "15");
    EXPECT_EQ(s.c.set.tax[2], 15);
}

}  // namespace
}  // namespace kj
