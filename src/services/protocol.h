#pragma once
// The event protocol "PROTOKOL.PRT", the user table "UZIVATEL.tab" watched
// for the master program, scrambling of personal data, the cash drawer.

#include <string>
#include <string_view>
#include <utility>

#include "services/common.h"

namespace kj {

void WriteProtocol(Common& c, std::string_view text);

std::string UserSlotWord(Common& c);
bool UserFlag(Common& c, int n);
bool MasterLeft(Common& c);

// The installation's scrambling key (17 characters).
const std::string& SystemKey();
std::string Scramble(std::string_view text, std::string_view key);
std::string Unscramble(std::string_view text, std::string_view key);
void ScrambleFile(Common& c, std::string_view path);
void UnscrambleFile(Common& c, std::string_view path);

void OpenDrawer(Common& c);

}  // namespace kj
