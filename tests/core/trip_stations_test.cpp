// Two stations (kj_station processes) adding trips to one car's logbook at
// the same time, through the logbook as a user does it. Needs KJ_BUILD_DIR.

#include <gtest/gtest.h>

#include "host_files.h"
#include "logbook/logbook_sort.h"
#include "logbook/trip_record.h"
#include "services/record_file.h"
#include "station_procs.h"
#include "trip_fixture.h"

namespace kj {
namespace {

using namespace procs;

TEST(TripStations, TwoStationsAddingToOneCarKeepBothTripsAndTheChain) {
    if (!std::getenv("KJ_BUILD_DIR")) GTEST_SKIP() << "KJ_BUILD_DIR is not set";
    Installation inst(2);
    const fs::path book = inst.Data() / "5Z12345.dta";
    WriteHost(book, triptest::Trip("010124", "", 0, 10000));
    Proc first, second;
    ASSERT_TRUE(inst.StartStation(first, 1, {"--note-ms", "20"})) << first.output();
    ASSERT_TRUE(inst.StartStation(second, 2, {"--note-ms", "20"})) << second.output();

    // Station 1 keeps its editor open while station 2 presses F4: station 2
    // waits for the registration's lock, then starts from station 1's trip.
    first.Send("trip 5Z12345 020124 50 700");
    ASSERT_TRUE(first.WaitFor("EDITING 5Z12345")) << first.output();
    second.Send("trip 5Z12345 020124 30");
    ASSERT_TRUE(first.WaitFor("TRIP 5Z12345 count 2 odometer 10050", 10000)) << first.output();
    ASSERT_TRUE(second.WaitFor("TRIP 5Z12345 count 3 odometer 10080", 10000)) << second.output();
    EXPECT_NE(second.output().find("NOTE"), std::string::npos) << "station 2 never waited";
    // Station 1 closed while station 2 had the book: no sort there; station
    // 2 closed last and sorted (its question answered with Esc).
    EXPECT_EQ(first.output().find("ASK"), std::string::npos) << first.output();
    EXPECT_NE(second.output().find("ASK  STAV TACHOMETRU"), std::string::npos) << second.output();
    first.Send("quit");
    second.Send("quit");
    EXPECT_EQ(first.ExitCode(), 0);
    EXPECT_EQ(second.ExitCode(), 0);

    // Both trips are there, and the chain holds after a sort that recomputes it.
    HostFileSystem host(inst.root().string(), inst.root().string());
    ScriptedDialogs ui;
    Common c(host, ui);
    ASSERT_EQ(SetridKnihu(c, "DATA\\5Z12345.dta", StavTachometru::Prepocitat), 0);
    const std::string sorted = ReadHost(book);
    ASSERT_EQ(triptest::Trips(sorted), 3);
    const double expected[] = {10000, 10050, 10080};
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(triptest::TripAt(sorted, n).StavTachometru(), expected[n - 1]);
    EXPECT_EQ(triptest::TripAt(sorted, 2).KmSluzebni() + triptest::TripAt(sorted, 3).KmSluzebni(), 80);
}

}  // namespace
}  // namespace kj
