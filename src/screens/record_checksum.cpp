// Record checksums for the concurrent-change check of the record editor.

#include "screens/record_checksum.h"

#include <cstring>

#include "services/cp1250.h"

namespace kj {

std::uint32_t RecordChecksum(const void* record, std::size_t length) {
    const auto* p = static_cast<const unsigned char*>(record);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < length; ++i) sum += p[i];
    return sum;
}

RecordStamp RecordStamp::Of(const void* record, std::size_t length) {
    RecordStamp s;
    s.sum = RecordChecksum(record, length);
    s.bytes.assign(static_cast<const char*>(record), length);
    return s;
}

bool RecordStamp::Matches(const void* record, std::size_t length) const {
    return length == bytes.size() && RecordChecksum(record, length) == sum &&
           std::memcmp(record, bytes.data(), length) == 0;
}

bool ConfirmUnchanged(Common& c, const RecordStamp& before, const void* record,
                      std::size_t length) {
    if (before.Matches(record, length)) return true;
    c.ui.BeepMessage("Vaše opravy neplatí, větu změnil jiný uživatel"_cz);
    return false;
}

}  // namespace kj
