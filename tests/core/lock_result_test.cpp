// What Zamkni reports to its caller: true when the lock is registered (or
// locking does not apply), false when the attempt ended without a lock.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "fault_fs.h"
#include "services/cp1250.h"
#include "services/io_codes.h"
#include "services/lock_table.h"
#include "services/locks.h"
#include "services/scripted_dialogs.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

struct ZamkniResult : ::testing::Test {
    ZamkniResult() : host((dir.path() / "WORK").string(), dir.str()), faults(host), c(faults, ui) {
        fs::create_directories(dir.path() / "WORK");
        fs::create_directories(dir.path() / "DATA");
        locktab::Table t;
        t.fill(locktab::FreeEntry());
        std::ofstream(dir.path() / "DATA" / "FOT.tab", std::ios::binary)
            << locktab::EncodeTable(t);
        c.set.station = "02";
        c.set.currentDir = "C:\\WORK\\";
        c.progDirCache = "C:\\PROG\\";
    }
    locktab::Table Table() {
        std::ifstream in(dir.path() / "DATA" / "FOT.tab", std::ios::binary);
        return locktab::DecodeTable(std::string(std::istreambuf_iterator<char>(in), {}));
    }

    TestDir dir;
    HostFileSystem host;
    FaultFs faults;
    ScriptedDialogs ui;
    Common c;
};

TEST_F(ZamkniResult, TrueWhenRegisteredOrNotApplicable) {
    EXPECT_TRUE(Zamkni(c, "C:\\DATA\\KJ_AUTA.DTA", "W"));
    EXPECT_EQ(Table()[0].station, "02  ");
    EXPECT_TRUE(Zamkni(c, "C:\\WORK\\PRACOVNI.WRK", "W"));  // the current directory
    c.lock.lockingOff = true;
    EXPECT_TRUE(Zamkni(c, "C:\\DATA\\KJCILE.DTA", "W"));
    EXPECT_TRUE(Table()[1].IsFree());
    EXPECT_EQ(ui.shown.size(), 0u);
}

TEST_F(ZamkniResult, FalseWhenTheEntryCannotBeWritten) {
    FaultPlan& plan = faults.Plan("C:\\DATA\\FOT.tab");
    plan.writeCode = io::kDiskWriteError;
    EXPECT_FALSE(Zamkni(c, "C:\\DATA\\KJ_AUTA.DTA", "W"));
    EXPECT_EQ(ui.Texts("note"), std::vector<std::string>{"chyba 101"});
    EXPECT_FALSE(Zamkni(c, "C:\\DATA\\KJ_AUTA.DTA", ""));
    EXPECT_EQ(ui.Texts("beep"), std::vector<std::string>{"err pis(1) FOT 101"});
    plan.writeCode = 0;
    EXPECT_TRUE(Zamkni(c, "C:\\DATA\\KJ_AUTA.DTA", ""));
}

TEST_F(ZamkniResult, FalseWithoutTheDirectoryOrWhenTheUserStopsWaiting) {
    EXPECT_FALSE(Zamkni(c, "C:\\NENI\\KJ_AUTA.DTA", "W"));
    EXPECT_EQ(ui.Last("beep"), "ERR 3 - neexistuje složka C:\\NENI\\"_cz);

    // Another station holds the register; the user clicks the note.
    std::unique_ptr<File> held;
    ASSERT_EQ(host.Open("C:\\DATA\\FOT.tab", Access::ReadWrite, Disposition::OpenExisting,
                        Share::Exclusive, &held),
              io::kOk);
    ui.notes = {NoteResult::Expired, NoteResult::StopWaiting};
    EXPECT_FALSE(Zamkni(c, "C:\\DATA\\KJ_AUTA.DTA", "W"));
    EXPECT_EQ(ui.Count("note"), 2);
    EXPECT_EQ(ui.Last("note"),
              "Je blokován přístup k tabulce sdílení souborů, čekám na uvolnění"_cz);
    ASSERT_EQ(held->Close(), io::kOk);
    EXPECT_TRUE(Table()[0].IsFree());
}

}  // namespace
}  // namespace kj
