#pragma once
// File locks between stations: the lock register "FOT.tab" in the directory
// of the locked file, or the lock server when one is configured.

#include <string>
#include <string_view>

#include "services/common.h"

namespace kj {

// mode "W" (any non-empty text) for a write lock, "" for a read lock.
// Returns when granted or when locking does not apply (true), or when the
// attempt ended without a lock after telling the user (false): the
// directory is missing, the user stopped the wait for the register, or the
// register could not be written.
bool Zamkni(Common& c, std::string_view path, std::string_view mode);
void Odemkni(Common& c, std::string_view path);
// "" when no other station holds the file, else mode, station and user name.
std::string IfVolny(Common& c, std::string_view path);
// The user name of a station (24 characters) from "JMENA.tab".
std::string UserName(Common& c, std::string_view station);

}  // namespace kj
