#pragma once
// The event protocol "PROTOKOL.PRT", the user table "UZIVATEL.tab" watched
// for the master program, scrambling of personal data, the cash drawer, the
// desktop work area.

#include <string>
#include <string_view>
#include <utility>

#include "services/common.h"

namespace kj {

// Appends stamp + text (cut to 79 characters) to "PROTOKOL.PRT" in the data
// directory, creating it with its " Prázdný protokol" record first. Failures
// are shown to the user; the event is then lost and the caller goes on.
void WriteProtocol(Common& c, std::string_view text);

// User table "UZIVATEL.tab" (data directory, 100 little-endian 16-bit
// words), created when missing with this station's word 99. A table that
// cannot be opened (other than while another station holds it) reads as
// all zeros.
// This station's word with "@@@@".
std::string UserSlotWord(Common& c);
// Word n is not 0.
bool UserFlag(Common& c, int n);
// The master program has let go of this user: this station's word differs
// from the value seen at the first call. Always false while word 0 is set,
// and false when the table cannot be read.
bool MasterLeft(Common& c);

// The installation's scrambling key (17 characters).
const std::string& SystemKey();
// Empty text or key: the text unchanged.
std::string Scramble(std::string_view text, std::string_view key);
std::string Unscramble(std::string_view text, std::string_view key);
// In place with SystemKey(), in blocks of 250 bytes, each block starting the
// key and the rotation afresh; files shorter than 2 bytes stay as they are.
// Returns the first DOS code met (0 = success).
int ScrambleFile(Common& c, std::string_view path);
int UnscrambleFile(Common& c, std::string_view path);

// Host device of printer port "LPT" + port (1..4): the value of the key
// "LPT1".."LPT4" in "par\sys.par" (current directory), by default
// "/dev/lp0".."/dev/lp3".
std::string PrinterPortDevice(Common& c, int port);
// Signals the cash drawer on the printer port of "OB_PORT" (c.set.printerPort):
// the bytes of "suple.txt" (current directory) or the single byte 7. Other
// port numbers do nothing. Returns the DOS code of the port (0 = success);
// a failure is also shown to the user.
int OpenDrawer(Common& c);

// Width and height in pixels of the desktop outside the task bar.
std::pair<int, int> WorkAreaSize(Common& c);

}  // namespace kj
