#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host_files.h"
#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "qt_app.h"
#include "screens/qt/record_editor_form.h"
#include "screens/qt/table_browser_form.h"
#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/picture.h"
#include "services/scripted_dialogs.h"
#include "shell/qt/main_menu_form.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

struct Station {
    explicit Station(const fs::path& root)
        : data(root / "DATA"), files((root / "work").string(), root.string()), c(files, ui) {
        TestApp();
        fs::create_directories(root / "work");
        fs::create_directories(data);
        c.dataDirCache = "C:\\DATA\\";
        c.set.station = "03";
    }
    fs::path data;
    HostFileSystem files;
    ScriptedDialogs ui;
    Common c;
};

template <class Form>
void WhenModal(std::function<void(Form&)> act) {
    QTimer::singleShot(0, [act] {
        auto* form = qobject_cast<Form*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        act(*form);
    });
}

void Save(QWidget& w, const char* name) {
    if (const char* dir = std::getenv("KJ_CODELIST_PNG_DIR"))
        w.grab().save(QString::fromUtf8(dir) + "/" + name);
}

TEST(CodeListForms, RegistrationTypedWithKeysIsUpperCasedAndDuplicatesRefused) {
    TestDir dir;
    Station s(dir.path());
    TfKJ_auta b(s.c);
    TableBrowserForm form(b);
    ASSERT_EQ(b.Otevri(), 0);
    form.Sync();

    // The box holds the field's 7 characters: "1ab 2345" typed key by key
    // keeps "1ab 234".
    WhenModal<RecordEditorForm>([](RecordEditorForm& e) {
        QTest::keyClicks(e.edit(1), QStringLiteral("1ab 2345"));
        EXPECT_EQ(e.edit(1)->text(), QStringLiteral("1ab 234"));
        QTest::keyClick(e.edit(1), Qt::Key_F2);
    });
    QTest::keyClick(form.sgRol(), Qt::Key_F4);
    ASSERT_EQ(b.count(), 1);
    EXPECT_EQ(codec::GetText(ReadHost(s.data / "kj_auta.dta").data(), auta::kSpz), "1AB 234");

    QString afterRefusal = "x";
    WhenModal<RecordEditorForm>([&afterRefusal](RecordEditorForm& e) {
        QTest::keyClicks(e.edit(1), QStringLiteral("1Ab 234"));
        QTest::keyClick(e.edit(1), Qt::Key_F2);
        afterRefusal = e.edit(1)->text();
        EXPECT_TRUE(e.isVisible());
        QTest::keyClick(e.edit(1), Qt::Key_Escape);
    });
    QTest::keyClick(form.sgRol(), Qt::Key_F4);
    EXPECT_EQ(s.ui.Last("beep"), "Toto vozidlo je již v seznamu."_cz);
    EXPECT_EQ(afterRefusal, QString());
    EXPECT_EQ(b.count(), 1);

    // "sluzebni" typed in the kind field passes without the choice.
    WhenModal<RecordEditorForm>([](RecordEditorForm& e) {
        QTest::keyClicks(e.edit(1), QStringLiteral("2cd 567"));
        for (int f = 1; f < auta::kFieldDruh; ++f) {
            QTest::keyClick(e.edit(f), Qt::Key_Down);
            QApplication::processEvents();
        }
        QTest::keyClicks(e.edit(auta::kFieldDruh), QStringLiteral("sluzebni"));
        QApplication::processEvents();
        QTest::keyClick(e.edit(auta::kFieldDruh), Qt::Key_F2);
    });
    QTest::keyClick(form.sgRol(), Qt::Key_F4);
    EXPECT_EQ(s.ui.Count("choose"), 0);
    ASSERT_EQ(b.count(), 2);
    EXPECT_EQ(codec::GetText(ReadHost(s.data / "kj_auta.dta").data() + 231, auta::kDruh), "sluzebni");
    b.Zavri();
}

TEST(CodeListForms, MainMenuOpensTheCarListAndTheDestinations) {
    TestDir dir;
    Station s(dir.path());
    if (const char* demo = std::getenv("KJ_DEMO_DATA")) {
        for (const auto& e : fs::directory_iterator(demo))
            fs::copy_file(e.path(), s.data / e.path().filename());
    } else {
        TfKJ_auta cars(s.c);
        cars.showEditor = [](RecordEditor& e) {
            static int n = 0;
            e.FormShow();
            e.SetText(1, "4Z" + std::to_string(++n) + "0001");
            e.KeyDown(key::kF2);
        };
        cars.Otevri();
        for (int i = 0; i < 3; ++i) cars.KeyDown(key::kF4, key::Mod::None);
        cars.Zavri();
    }
    const int cars = static_cast<int>(fs::file_size(s.data / "kj_auta.dta") / 231);
    MainMenuForm menu(s.c);
    menu.show();

    int shownCars = -1;
    QString heading;
    WhenModal<TableBrowserForm>([&](TableBrowserForm& f) {
        shownCars = f.browser().count();
        heading = f.windowTitle();
        Save(f, "car_list.png");
        QTest::keyClick(f.sgRol(), Qt::Key_Escape);
    });
    menu.bKnihy_jizd()->click();
    EXPECT_EQ(shownCars, cars);
    EXPECT_FALSE(menu.menu().carList().isOpen());

    int shownDestinations = -1;
    WhenModal<TableBrowserForm>([&](TableBrowserForm& f) {
        shownDestinations = f.browser().count();
        Save(f, "destinations.png");
        QTest::keyClick(f.sgRol(), Qt::Key_Escape);
    });
    menu.bTab_cilu()->click();
    const std::string cile = s.data / "kjcile.dta";
    const int expected = fs::exists(cile) ? static_cast<int>(fs::file_size(cile) / 95) : 0;
    EXPECT_EQ(shownDestinations, expected);
    menu.hide();
}

}  // namespace
}  // namespace kj
