#include "logbook/trip_record.h"

#include <cstring>

namespace kj {

VetaJizdy VetaJizdy::From(const char* record) {
    VetaJizdy v;
    std::memcpy(v.bytes.data(), record, jizdy::kLength);
    return v;
}

std::string CheckTripLayout() {
    return RecordLengthMismatch("<SPZ>.dta", DeclareColumns(jizdy::kColumns), jizdy::kLength);
}

}  // namespace kj
