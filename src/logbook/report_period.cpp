#include "logbook/report_period.h"

#include "services/dates.h"

namespace kj {

bool ObdobiJizd::Obsahuje(std::string_view datum) const {
    std::string date(datum);
    date.resize(6, ' ');
    const std::string key = DateSortKey(date);
    return key >= odData && key <= doData;
}

}  // namespace kj
