#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "host_files.h"
#include "qt_app.h"
#include "screens/qt/record_editor_form.h"
#include "screens/qt/table_browser_form.h"
#include "services/cp1250.h"
#include "services/jpeg_codec.h"
#include "services/record_file.h"
#include "services/file_system.h"
#include "services/locks.h"
#include "services/scripted_dialogs.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

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

struct Station {
    explicit Station(const fs::path& root)
        : files((root / "work").string(), root.string()), c(files, ui) {
        TestApp();
        fs::create_directories(root / "work");
        fs::create_directories(root / "DATA");
        c.dataDirCache = "C:\\DATA\\";
        c.set.station = "03";
    }
    HostFileSystem files;
    ScriptedDialogs ui;
    Common c;
};

// Types into the editor that opens modally once the button was clicked.
void WhenEditorOpens(std::function<void(RecordEditorForm&)> act) {
    QTimer::singleShot(0, [act] {
        auto* form = qobject_cast<RecordEditorForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        act(*form);
    });
}

TEST(TableBrowserForm, ButtonAddsThroughTheEditorForm) {
    TestDir dir;
    Station s(dir.path());
    ScreenMetrics metrics;
    TfMista b(s.c, metrics);
    b.buttonsVisible = true;
    TableBrowserForm form(b);
    ASSERT_EQ(b.OtevriTabulku("kjmista.dta", " Seznam míst "_cz, -1, 2, 47, 1,
                              CellBox{4, 11, 93, 24}, CellBox{2, 2, 95, 25}, "", " Místo "_cz, ""),
              0);
    b.NastavPismo();
    form.Sync();
    EXPECT_FALSE(form.klF4()->isHidden());

    WhenEditorOpens([](RecordEditorForm& e) {
        ASSERT_NE(e.edit(1), nullptr);
        EXPECT_EQ(e.edit(1)->geometry(), QRect(64, 26, 336, 20));
        e.edit(1)->setText(QStringLiteral("Brno"));
        e.edit(2)->setText(QStringLiteral("12.5"));
        QTest::keyClick(e.edit(1), Qt::Key_F2);
    });
    form.klF4()->click();
    EXPECT_EQ(b.count(), 1);
    EXPECT_EQ(ReadHost(dir.path() / "DATA" / "kjmista.dta"), Record("Brno", "12.5"));

    // Esc in the editor form writes nothing.
    WhenEditorOpens([](RecordEditorForm& e) {
        e.edit(1)->setText(QStringLiteral("Praha"));
        QTest::keyClick(e.edit(1), Qt::Key_Escape);
    });
    form.klMez()->click();
    EXPECT_EQ(ReadHost(dir.path() / "DATA" / "kjmista.dta"), Record("Brno", "12.5"));
    Odemkni(s.c, b.dataPath());
    b.Uvolni();
}

// A browser over places with a picture on its first record: the buttons,
// the counter and help lines and the decoded picture are all on screen, and
// the editor opens over it. With KJ_BROWSER_PNG_DIR set, both windows are
// saved as pictures for a look.
TEST(TableBrowserForm, ShowsButtonsLinesPictureAndEditor) {
    TestDir dir;
    Station s(dir.path());
    ScreenMetrics metrics;
    TfMista b(s.c, metrics);
    b.buttonsVisible = true;
    b.options.picturesOn = true;
    {
        std::ofstream out(dir.path() / "DATA" / "kjmista.dta", std::ios::binary);
        const char* places[] = {"Brno", "Olomouc", "Ostrava", "Plzeň", "České Budějovice",
                                "Hradec Králové", "Jihlava", "Zlín"};
        const char* km[] = {"205.5", "280", "370", "92", "150", "115", "125", "300"};
        for (int i = 0; i < 8; ++i) out << Record(Utf8ToCp1250(places[i]), km[i]);
    }
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
    const std::string picturePath = b.PictureOfCurrent();
    ASSERT_FALSE(picturePath.empty());
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
    ForceDirs(s.c, picturePath);
    {
        std::unique_ptr<File> f;
        ASSERT_EQ(s.c.fs.Open(picturePath, Access::Write, Disposition::CreateAlways, Share::Shared,
                              &f), 0);
        ASSERT_EQ(f->Write(jpeg.data(), jpeg.size()), 0);
    }
    b.Prekresli();
    form.Sync();
    form.resize(760, 480);
    form.show();
    QApplication::processEvents();
    EXPECT_FALSE(form.klF4()->isHidden());
    EXPECT_FALSE(form.klMez()->isHidden());
    ASSERT_TRUE(b.picture().shown);
    EXPECT_TRUE(form.panel()->isVisible());
    auto* shown = form.panel()->findChild<QLabel*>();
    ASSERT_NE(shown, nullptr);
    ASSERT_FALSE(shown->pixmap().isNull());
    EXPECT_EQ(shown->pixmap().width(), 160);

    const char* pngDir = std::getenv("KJ_BROWSER_PNG_DIR");
    if (pngDir) form.grab().save(QString(pngDir) + "/browser.png");
    bool editorSeen = false;
    WhenEditorOpens([&](RecordEditorForm& e) {
        editorSeen = true;
        QApplication::processEvents();
        EXPECT_EQ(e.edit(1)->text().trimmed(), QStringLiteral("Brno"));
        if (pngDir) e.grab().save(QString(pngDir) + "/editor.png");
        QTest::keyClick(e.edit(1), Qt::Key_Escape);
    });
    form.klMez()->click();
    EXPECT_TRUE(editorSeen);
    Odemkni(s.c, b.dataPath());
    b.Uvolni();
}

}  // namespace
}  // namespace kj
