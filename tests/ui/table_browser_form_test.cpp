#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "qt_app.h"
#include "screens/qt/record_editor_form.h"
#include "screens/qt/table_browser_form.h"
#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/locks.h"
#include "services/scripted_dialogs.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

std::string ReadHost(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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

}  // namespace
}  // namespace kj
