#pragma once
// A company's installation of the program: its template, its creation, its
// stations, and how a desktop start finds a station's working directory.
//
// An installation lies under one host directory, its drive root:
//   data\        the data directory: record files, "master.job" shared by
//                the stations (lock-server address), "FOT.tab",
//                "PROTOKOL.PRT", "UZIVATEL.tab"
//   prog\        the program directory: "JMENA.tab", help texts, guides,
//                print fonts and printer definitions in "2\", report titles
//                "listw.tab", the pictures of the travel order forms
//   stanice01\   the working directory of station 01 ("stanice02\" of
//                station 02 ...): its "master.job", "data.adr" and
//                "prog.adr" naming "\data\" and "\prog\", its "par\"
// Every station names the two shared directories by the same drive-rooted
// path, so the lock register and the lock server see one directory whatever
// host path the share is mounted under.
//
// The program directory is copied from a template made once, when the
// program is built, from the repository's UTF-8 texts (MakeTemplate): the
// texts as Windows-1250 with CR LF, blank user names, no company's data.
//
// Problems are returned as Windows-1250 texts (empty = done); nothing is
// left half made: the directories a failed creation made are removed again.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "services/dialogs.h"

namespace kj {

class Common;

namespace setup {

namespace fs = std::filesystem;

// A UTF-8 text of the repository as an installation holds it: Windows-1250,
// every line ended by CR LF (a final line without an end gets none).
std::string InstalledText(std::string_view utf8);
// Copies a UTF-8 text file as InstalledText. False when it cannot be read
// or written.
bool CopyTextFile(const fs::path& from, const fs::path& to);

// The station name ("POCITAC") that the template's window guides are named
// for; a station of another name gets copies under its own (AddStation).
inline constexpr char kTemplateComputer[] = "PC01";

// Builds the template in `target` (which must not exist): target/prog from
// the UTF-8 program directory `source`, every file converted by
// InstalledText except the guides of particular cars' logbooks (a new
// company has no cars), plus "JMENA.tab" with 100 blank names; and an
// empty target/data.
std::string MakeTemplate(const fs::path& source, const fs::path& target);

// A station of an installation.
struct Station {
    int number = 1;        // 1..99
    std::string computer;  // "POCITAC", at most 8 characters; "" = "PC" + number
    std::string user;      // its user's name for "JMENA.tab" (at most 24); "" = none
};

struct Installation {
    fs::path root;           // host directory of the installation
    fs::path templateDir;    // made by MakeTemplate
    std::string lockServer;  // "host" or "host:port" (at most 16); "" = "FOT.tab"
    std::string group;       // host group that shares the installation; "" = none
};

// The station's working directory under the root: root/"stanice" + "NN".
fs::path StationDir(const fs::path& root, int number);

// A new station's job table and parameters, in the working directory of
// `c`: station number ("UZIVATEL"), computer ("POCITAC"), home currency,
// tax rates, lines per page, the printer on the port (Epson, LPT1) and the
// main menu's silver background.
void WriteStationSettings(Common& c, int number, std::string_view computer);

// A new installation with its first station: the data directory with the
// company's empty code lists (and the lock server's address in its
// "master.job"), the program directory from the template, and the station. Refused when the root already holds
// any of the installation's directories (names compared without case).
// With a group, every directory is made the group's with the set-group-ID
// bit (2770) and every file 0660, so each account of the group can work.
std::string CreateInstallation(const Installation& inst, const Station& first, Dialogs& ui);

// One more station (another machine on the share, another user): its
// working directory, its user's name in "JMENA.tab", copies of the window
// guides under its own name. The installation must exist and the station
// not. When the data directory is shared through a set-group-ID group, the
// station's directory is made that group's the same way.
std::string AddStation(const Installation& inst, const Station& s, Dialogs& ui);

// ---- the desktop start ----

// The station file of a user: which working directory the menu entry
// starts in. Lines "workdir=DIR", "root=DIR" (the drive root, default the
// parent of the working directory) and "umask=OCTAL" (optional); "#" begins
// a comment. Host paths, UTF-8.
struct StationLink {
    fs::path workDir;
    fs::path root;
    int umask = -1;  // -1 = leave the process's own
};

// $XDG_CONFIG_HOME/knihy-jizd/stanice, else $HOME/.config/knihy-jizd/stanice;
// empty when neither is set.
fs::path StationLinkPath(const char* xdgConfigHome, const char* home);
std::optional<StationLink> ReadStationLink(const fs::path& file);
bool WriteStationLink(const fs::path& file, const StationLink& link);

// The station a desktop start runs: the link read and checked (the working
// directory holds "master.job"). `problem` (Windows-1250) tells the user
// what is missing and how to make it.
struct StationStart {
    StationLink link;
    std::string problem;
};
StationStart FindStation(const fs::path& linkFile);

}  // namespace setup
}  // namespace kj
