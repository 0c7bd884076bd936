// The event protocol "PROTOKOL.PRT": 80-byte records, each a short text of
// capacity 79 (length byte + characters, the rest zeros). Every station
// appends to it without any lock.

#include "services/protocol.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>

#include "services/cp1250.h"
#include "services/dates.h"
#include "services/field_codec.h"
#include "services/io_codes.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr std::size_t kRecordSize = 80;
constexpr std::size_t kTextCap = kRecordSize - 1;

std::string Fit(std::string_view text, std::size_t width) {
    std::string s(text.substr(0, width));
    s.resize(width, ' ');
    return s;
}

// Date, time, computer number and station, each followed by a blank.
std::string Stamp(Common& c) {
    std::time_t now = c.now();
    std::tm tm{};
    localtime_r(&now, &tm);
    char time[16];
    std::snprintf(time, sizeof time, "%2d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    if (c.set.computer.empty()) c.set.computer = GetJob(c, "POCITAC").substr(0, 4);
    return Fit(WorkDate(now), 8) + " " + Fit(time, 8) + " " + Fit(c.set.computer, 4) + " " +
           Fit(c.set.station, 2) + " ";
}

std::string Record(std::string_view text) {
    std::string rec(kRecordSize, '\0');
    codec::PutShortText(rec.data(), kTextCap, text);
    return rec;
}

}  // namespace

void WriteProtocol(Common& c, std::string_view text) {
    const std::string path = DataPath(c, "PROTOKOL.PRT");
    const std::string stamp = Stamp(c);
    std::unique_ptr<File> f;
    if (FileSizeOf(c, path) < 2) {
        // A failed creation shows up as the failed open below.
        if (c.fs.Open(path, Access::Write, Disposition::CreateAlways, Share::Shared, &f) ==
            io::kOk) {
            std::string first = Record(stamp + " Prázdný protokol"_cz);
            (void)f->Write(first.data(), first.size());
            (void)f->Close();
        }
    }
    int rc = c.fs.Open(path, Access::ReadWrite, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) {
        c.ui.BeepMessage("Uz: " + c.set.station + " otvira protokol: - err " +
                         FormatPic("######", rc));
        return;
    }
    // After the last whole record: a torn record left by a failed write is
    // overwritten, so the records stay aligned.
    std::int64_t size = 0;
    rc = f->Size(&size);
    std::string rec = Record(stamp + std::string(text));
    if (rc == io::kOk) rc = f->Seek(static_cast<std::uint64_t>(size) / kRecordSize * kRecordSize);
    if (rc == io::kOk) rc = f->Write(rec.data(), rec.size());
    if (int closed = f->Close(); rc == io::kOk) rc = closed;
    if (rc != io::kOk)
        c.ui.BeepMessage("Uz: " + c.set.station + " pis protokol: - err " + std::to_string(rc));
}

std::pair<int, int> WorkAreaSize(Common& c) {
    return c.workAreaSize();
}

}  // namespace kj
