#pragma once
// Parameter files (lines key + " : " + value) and the job table "master.job".

#include <string>
#include <string_view>

#include "services/common.h"

namespace kj {

std::string GetReg(Common& c, std::string_view file, std::string_view key);
// Empty key: compaction. Empty or blank value: removal.
void SetReg(Common& c, std::string_view file, std::string_view key, std::string_view value);

std::string GetJob(Common& c, std::string_view key);
void SetJob(Common& c, std::string_view key, std::string_view value);
std::string GetJobIn(Common& c, std::string_view directory, std::string_view key);
void SetJobIn(Common& c, std::string_view directory, std::string_view key, std::string_view value);

// Reads the start-up settings into c.set (and the lock state into c.lock).
void InitCommon(Common& c);

}  // namespace kj
