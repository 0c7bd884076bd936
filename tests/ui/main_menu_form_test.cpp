#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "host_files.h"
#include "qt_app.h"
#include "services/cp1250.h"
#include "services/params.h"
#include "services/scripted_dialogs.h"
#include "shell/qt/main_menu_form.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

TEST(MainMenuForm, LayoutCaptionsAndEscEndsWithProtocolLine) {
    TestApp();
    TestDir dir;
    WriteHost(dir.path() / "work" / "data.adr", "\\data\\\r\n");
    WriteHost(dir.path() / "work" / "prog.adr", "\\prog\\\r\n");
    fs::create_directories(dir.path() / "data");
    HostFileSystem files((dir.path() / "work").string(), dir.str());
    ScriptedDialogs ui;
    Common c(files, ui);
    SetJobIn(c, "", "UZIVATEL", "03");
    InitCommon(c);

    MainMenuForm form(c);
    form.show();
    form.FormActivate();
    EXPECT_EQ(form.windowTitle(), QString("VELTOR 03"));
    auto buttons = form.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 6);
    QStringList captions;
    for (auto* b : buttons) captions << b->text();
    EXPECT_EQ(captions, (QStringList{QString::fromUtf8("Knihy jízd"),
                                     QString::fromUtf8("Cestovní příkaz"),
                                     QString::fromUtf8("Tabulka cílů"), "Tisky", "F1-help",
                                     QString::fromUtf8("Ctrl+F1-průvodce")}));
    EXPECT_EQ(buttons[0]->geometry(), QRect(80, 56, 97, 25));
    EXPECT_EQ(buttons[3]->geometry(), QRect(88, 162, 75, 25));

    // Esc on a focused button reaches the form first and ends the program.
    buttons[1]->setFocus();
    QTest::keyClick(buttons[1], Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    std::string prot = ReadHost(dir.path() / "data" / "PROTOKOL.PRT");
    ASSERT_EQ(prot.size(), 160u);
    std::string record = prot.substr(81, static_cast<unsigned char>(prot[80]));
    EXPECT_NE(record.find("* KONEC Knihy jízd, n=   "_cz), std::string::npos);
}

TEST(MainMenuForm, CtrlF1OpensTheGuideAndIsConsumed) {
    TestApp();
    TestDir dir;
    HostFileSystem files(dir.str(), dir.str());
    ScriptedDialogs ui;
    Common c(files, ui);
    MainMenuForm form(c);
    form.show();
    auto* first = form.findChildren<QPushButton*>().front();
    QTest::keyClick(first, Qt::Key_F1, Qt::ControlModifier);
    ASSERT_EQ(ui.Count("guide"), 1);
    EXPECT_EQ(ui.Last("guide"), "KJ");
    EXPECT_EQ(ui.shown.back().items.front(), "NAVODY\\");
    EXPECT_TRUE(form.isVisible());
}

}  // namespace
}  // namespace kj
