// The table browser on its Qt form: the buttons, the decoded picture of the
// current record, and the record editor form opened from a button.

#include "kj_test.h"

#include <QTest>
#include <cstring>

#include "qt_app.h"
#include "screens/qt/record_editor_form.h"
#include "screens/qt/table_browser_form.h"
#include "services/jpeg_codec.h"
#include "services/locks.h"
#include "services/record_file.h"

namespace kj {
namespace {

Sloupce Columns() {
    Sloupce cols(2);
    DefinujSloupec(cols[0], "Místo "_cz, 2, "", 0, 0, std::string(40, ' '), "X", 2);
    DefinujSloupec(cols[1], "Km    ", 2, "", 0, 0, std::string(10, ' '), "######.##-R", 3);
    return cols;
}

std::string Record(const std::string& place, const std::string& km) {
    Sloupce cols = Columns();
    cols[0].value = place;
    cols[1].value = km;
    std::string rec(47, '\0');
    SlozVetu(cols, rec.data());
    return rec;
}

class TfMista : public TfSoub {
public:
    TfMista(Common& c, ScreenMetrics& m) : TfSoub(c, "fKJlMista", m) { SetColumns(Columns()); }
    void Novy() override {
        std::memcpy(Veta(), Record("", "").data(), 47);
        TfSoub::Novy();
    }
    std::string PictureOfCurrent() {
        std::string path;
        SouborObrazku(0, path);
        return path;
    }
};

TEST(TableBrowserForm, ShowsButtonsAndPictureAndOpensTheEditorForm) {
    UiStation s;
    std::string places;
    for (const char* name : {"Brno", "Olomouc", "České Budějovice"}) places += Record(Utf8ToCp1250(name), "92");
    WriteHost(s.Data("kjmista.dta"), places);
    ScreenMetrics metrics;
    TfMista b(s.c, metrics);
    b.buttonsVisible = true;
    b.options.picturesOn = true;
    TableBrowserForm form(b);
    ASSERT_EQ(b.OtevriTabulku("kjmista.dta", " Seznam míst "_cz, -1, 2, 47, 1,
                              CellBox{4, 11, 93, 24, kColourBlack, RgbColour(0, 208, 208)},
                              CellBox{2, 2, 80, 22, kColourBlack, RgbColour(224, 255, 255)},
                              " F2=zápis na disk  Esc=ven "_cz, " Místo "_cz,
                              " F4-nový  Mezera-oprava  F8-zrušit  F3-hledej  Esc-konec"_cz),
              0);
    b.NastavPismo();
    b.JdiNa(1, 0);
    // A picture of the first record.
    std::string jpeg;
    ASSERT_EQ(EncodeJpeg(RgbImage(160, 120, 40, 90, 200), 90, &jpeg), "");
    const std::string picturePath = b.PictureOfCurrent();
    ASSERT_FALSE(picturePath.empty());
    WriteHost(s.fs.HostPath(picturePath), jpeg);
    b.Prekresli();
    form.Sync();
    form.resize(760, 480);
    form.show();
    QApplication::processEvents();
    EXPECT_FALSE(form.klF4()->isHidden() || form.klMez()->isHidden());
    EXPECT_TRUE(form.panel()->isVisible());
    auto* shown = form.panel()->findChild<QLabel*>();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->pixmap().width(), 160);
    Shot(form, "browser");

    // The editor opens over the current record; Esc in it writes nothing.
    WhenOpen<RecordEditorForm>([&](RecordEditorForm& e) {
        QApplication::processEvents();
        EXPECT_EQ(e.edit(1)->text().trimmed(), QStringLiteral("Brno"));
        ExpectWhole(e);
        Shot(e, "editor");
        e.edit(1)->setText(QStringLiteral("Praha"));
        QTest::keyClick(e.edit(1), Qt::Key_Escape);
    });
    form.klMez()->click();
    EXPECT_EQ(ReadHost(s.Data("kjmista.dta")), places);

    Odemkni(s.c, b.dataPath());
    b.Uvolni();
}

}  // namespace
}  // namespace kj
