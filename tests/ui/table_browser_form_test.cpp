// The table browser on its Qt form: the buttons, counter and help lines,
// the decoded picture of the current record, and the record editor form
// opened from a button. With KJ_BROWSER_PNG_DIR set, both windows are saved
// there as pictures.

#include "kj_test.h"

#include <QLabel>
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

TEST(TableBrowserForm, ShowsButtonsLinesPictureAndEditsThroughTheEditorForm) {
    TestApp();
    rectest::TempStation s;
    s.UseDataDir();
    std::string places;
    const char* names[] = {"Brno", "Olomouc", "Ostrava", "Plzeň", "České Budějovice",
                           "Hradec Králové", "Jihlava", "Zlín"};
    for (const char* name : names) places += Record(Utf8ToCp1250(name), "92");
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
    EXPECT_EQ(b.count(), 8);
    b.NastavPismo();
    b.JdiNa(1, 0);
    // A picture of the first record, a gradient that only a decoder gives back.
    RgbImage image(160, 120);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            std::uint8_t* p = image.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(40 + x);
            p[1] = static_cast<std::uint8_t>(90 + y);
            p[2] = 200;
        }
    std::string jpeg;
    ASSERT_EQ(EncodeJpeg(image, 90, &jpeg), "");
    const std::string picturePath = b.PictureOfCurrent();
    ASSERT_FALSE(picturePath.empty());
    WriteHost(s.fs.HostPath(picturePath), jpeg);
    b.Prekresli();
    form.Sync();
    form.resize(760, 480);
    form.show();
    QApplication::processEvents();
    EXPECT_FALSE(form.klF4()->isHidden() || form.klMez()->isHidden());
    ASSERT_TRUE(b.picture().shown);
    EXPECT_TRUE(form.panel()->isVisible());
    auto* shown = form.panel()->findChild<QLabel*>();
    ASSERT_NE(shown, nullptr);
    ASSERT_FALSE(shown->pixmap().isNull());
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

    // The F4 button adds through the editor form.
    WhenOpen<RecordEditorForm>([](RecordEditorForm& e) {
        e.edit(1)->setText(QStringLiteral("Kroměříž"));
        e.edit(2)->setText(QStringLiteral("12.5"));
        QTest::keyClick(e.edit(1), Qt::Key_F2);
    });
    form.klF4()->click();
    EXPECT_EQ(b.count(), 9);
    EXPECT_EQ(ReadHost(s.Data("kjmista.dta")), places + Record("Kroměříž"_cz, "12.5"));
    Odemkni(s.c, b.dataPath());
    b.Uvolni();
}

}  // namespace
}  // namespace kj
