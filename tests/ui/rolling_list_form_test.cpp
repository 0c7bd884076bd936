// The rolling list on its Qt form, driven by real key and mouse events.

#include "kj_test.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include "qt_app.h"
#include "screens/qt/char_window_form.h"
#include "screens/qt/rolling_list_form.h"
#include "services/qt/qt_text.h"

namespace kj {
namespace {

// A car list of synthetic rows: registration, type, kind, date.
class CarList : public RollingList {
public:
    explicit CarList(Common& c) : RollingList(c, "fAuta") {
        Sloupce cols(4);
        DefinujSloupec(cols[0], "SPZ", 1, "", 0, 0, std::string(8, ' '), "X", 1);
        DefinujSloupec(cols[1], "Typ vozidla", 1, "", 0, 0, std::string(20, ' '), "X", 2);
        DefinujSloupec(cols[2], "Druh", 1, "", 0, 0, std::string(3, ' '), "X", 3);
        DefinujSloupec(cols[3], "Datum STK", 1, "", 0, 0, std::string(6, ' '), "d", 4);
        SetColumns(std::move(cols));
    }
    std::vector<std::string> calls;

    void CtiVetuProZobrazeni(int row) override { row_ = row; }

protected:
    void FormatujRadek() override {
        static const std::string types[] = {"Škoda Octavia"_cz, "Ford Transit", "Tatra 815",
                                            "Zetor 7211"};
        static const char* kinds[] = {"SLU", "SOU", "SLU", "STR"};
        Text(1) = "1A" + FormatPic("@@@@@@", row_);
        Text(2) = types[row_ % 4];
        Text(3) = kinds[row_ % 4];
        Text(4) = FormatPic("@@", 1 + row_ % 28) + "." + FormatPic("@@", 1 + row_ % 12) + ".24";
    }
    void NactenKod() override { calls.push_back("NactenKod " + penCode()); }

private:
    int row_ = 0;
};

struct RollingListFormTest : ::testing::Test {
    RollingListFormTest() { s.Install({{"POCITAC", "PC01"}}); }
    void Open(int count) {
        list.OtevriSeznam(2, 2, 95, 25, RgbColour(208, 253, 253), 0, " Seznam vozidel ",
                          " F4-nový  Mezera-oprava  F8-zrušit  F3-hledej  Esc-konec"_cz, 99999,
                          count);
        form.Sync();
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        form.sgRol()->setFocus();
    }
    void Key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(form.sgRol(), static_cast<Qt::Key>(qtKey), mods);
    }
    QString Cell(int row, int column) const {
        return form.sgRol()->model()->index(row, column).data().toString();
    }

    QApplication& app = TestApp();
    rectest::TempStation s;
    ScriptedDialogs& ui = s.ui;
    Common& c = s.c;
    CarList list{c};
    RollingListForm form{list};
};

TEST_F(RollingListFormTest, ShowsOnlyTheVisibleRowsAndMovesWithKeys) {
    Open(1000);
    QTableView* grid = form.sgRol();
    EXPECT_EQ(grid->model()->rowCount(), list.visible());
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), QString("Typ vozidla"));
    EXPECT_EQ(Cell(0, 0) + "|" + Cell(0, 1), QString("1A000001|Ford Transit"));
    EXPECT_EQ(form.lKolik()->text(), ToQt("   1000/      1  Vybráno:      "_cz));
    Shot(form, "list");

    Key(Qt::Key_End);
    EXPECT_EQ(list.current(), 1000);
    EXPECT_EQ(Cell(list.visible() - 1, 0), QString("1A001000"));
    EXPECT_EQ(grid->currentIndex().row(), list.visible() - 1);
    EXPECT_EQ(form.scrollBar1()->value(), 1000);
    Key(Qt::Key_Home);
    Key(Qt::Key_Down);
    EXPECT_EQ(list.current(), 2);
    EXPECT_EQ(grid->currentIndex().row(), 1);

    // A click on the scroll bar's track goes one page on.
    form.scrollBar1()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(list.current(), 2 + list.visible());

    // Insert marks the row: column 0 shows the mark.
    Key(Qt::Key_Insert);
    EXPECT_EQ(grid->model()->headerData(list.gridRow() - 2, Qt::Vertical).toString(),
              QString(QChar(0x25C4)));
    EXPECT_TRUE(form.lKolik()->text().endsWith(QString("     1")));
}

TEST_F(RollingListFormTest, SearchBoxTurnsYellowAndFinds) {
    Open(3000);
    EXPECT_FALSE(form.eHled()->isEnabled());
    Key(Qt::Key_F3);
    ASSERT_TRUE(form.eHled()->isEnabled());
    EXPECT_EQ(form.eHled()->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_TRUE(form.eHled()->hasFocus());
    QTest::keyClicks(form.eHled(), QString::fromUtf8("1a002345"));
    QTest::keyClick(form.eHled(), Qt::Key_F3);
    EXPECT_EQ(list.current(), 2345);
    EXPECT_FALSE(form.eHled()->isEnabled());
    EXPECT_NE(form.eHled()->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_TRUE(form.sgRol()->hasFocus());
}

TEST_F(RollingListFormTest, MouseChoosesAndEscCloses) {
    list.options.enterEdits = false;
    Open(50);
    QTableView* grid = form.sgRol();
    const QRect third = grid->visualRect(grid->model()->index(2, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(list.current(), 3);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(list.key(), 13);
    EXPECT_EQ(list.current(), 3);
    EXPECT_FALSE(form.isVisible());

    // Esc: current -1; the geometry is stored on close.
    form.show();
    form.sgRol()->setFocus();
    Key(Qt::Key_Escape);
    EXPECT_EQ(list.current(), -1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(GetReg(c, "par\\okna2.par", "fAuta Width"), "0752");
}

TEST_F(RollingListFormTest, CzechPenKeysSysParamsAndResize) {
    Open(500);
    QTableView* grid = form.sgRol();
    QTest::keyClick(grid, Qt::Key_B, Qt::ControlModifier);
    ASSERT_TRUE(list.penMode());
    for (const char* ch : {"+", "ě", "š"}) {
        const QString text = QString::fromUtf8(ch);
        QKeyEvent press(QEvent::KeyPress, text == "+" ? Qt::Key_Plus : Qt::Key_unknown,
                        Qt::NoModifier, text);
        QApplication::sendEvent(grid, &press);
    }
    EXPECT_EQ(list.penCode(), "123");
    Key(Qt::Key_Return);
    EXPECT_EQ(list.calls, std::vector<std::string>{"NactenKod 123"});

    // F11, item 1: the system-parameter window opens over the list.
    ui.choices = {1};
    QString opened;
    WhenOpen<CharWindowForm>([&](CharWindowForm& w) {
        opened = w.windowTitle();
        w.close();
    });
    Key(Qt::Key_F11);
    EXPECT_TRUE(opened.contains(QString::fromUtf8("Parametry systému"))) << opened.toStdString();

    // The user resizes the form: the grid follows.
    form.resize(900, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.layout().form.height, 300);
    EXPECT_EQ(grid->model()->rowCount(), list.visible());
    EXPECT_EQ(grid->height(), list.layout().grid.height);
}

}  // namespace
}  // namespace kj
