#pragma once
// What nearly every test needs: gtest; the test station with its temporary
// directory, host files, the file system that plants faults and the
// scripted dialogs; Czech literals; parameter files and the job table; the
// field codec, I/O codes, pictures and text operations, key codes.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/rec_station.h"
#include "screens/key_codes.h"
#include "services/cp1250.h"
#include "services/field_codec.h"
#include "services/io_codes.h"
#include "services/params.h"
#include "services/picture.h"

namespace kj {
namespace fs = std::filesystem;
}  // namespace kj

// In a test double: an override that writes its own name down in `calls`.
#define KJ_RECORD_CALL(name) \
    void name() override { calls.push_back(#name); }
