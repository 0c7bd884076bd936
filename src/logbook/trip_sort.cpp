#include "logbook/trip_sort.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "services/dates.h"
#include "services/field_codec.h"
#include "services/io_codes.h"
#include "services/picture.h"

namespace kj {
namespace {

constexpr std::size_t kBlockRecords = 4096;

// The trips of a logbook as a sort table. The keys are made once while
// feeding and kept by record number, so that a comparison is one compare of
// two short texts however often the merge asks.
class TripSortTable final : public SortTable {
  public:
    TripSortTable(Common& c, const TripSort& job,
                  const std::function<int(VetaJizdy&, std::int32_t)>& take)
        : c_(c), job_(job), take_(take) {}

    int Feed(SortEngine& sort) override {
        char rec[tripsort::kRecordLength];
        return ForEachTrip(c_, job_.path, [&](const char* trip, std::int32_t number) {
            if (IsDeletedRecord(trip)) return 0;
            const VetaJizdy v = VetaJizdy::From(trip);
            if (job_.keep && !job_.keep(v)) return 0;
            const auto slot = static_cast<std::size_t>(number);
            if (keys_.size() <= slot) keys_.resize(std::max(slot + 1, 2 * keys_.size()));
            keys_[slot] = TripSortKey(v, number, job_.prefix ? job_.prefix(v) : std::string());
            std::memcpy(rec, trip, jizdy::kLength);
            codec::PutI32(rec + tripsort::kNumberOffset, number);
            sort.SortPut(rec);
            return 0;
        });
    }

    bool Less(const char* a, const char* b) override { return KeyOf(a) < KeyOf(b); }

    int Output(SortEngine& sort) override {
        while (!sort.SortEnd()) {
            const char* rec = nullptr;
            int rc = sort.SortGetPtr(&rec);
            if (rc != 0) return rc;
            VetaJizdy trip = VetaJizdy::From(rec);
            rc = take_(trip, codec::GetI32(rec + tripsort::kNumberOffset));
            if (rc != 0) return rc;
        }
        return 0;
    }

  private:
    const std::string& KeyOf(const char* rec) const {
        return keys_[static_cast<std::size_t>(codec::GetI32(rec + tripsort::kNumberOffset))];
    }

    Common& c_;
    const TripSort& job_;
    const std::function<int(VetaJizdy&, std::int32_t)>& take_;
    std::vector<std::string> keys_;
};

}  // namespace

int ForEachTrip(Common& c, std::string_view path,
                const std::function<int(const char*, std::int32_t)>& each) {
    std::unique_ptr<File> in;
    int rc = c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &in);
    if (rc != io::kOk) return rc;
    std::int64_t size = 0;
    rc = in->Size(&size);
    constexpr auto len = static_cast<std::size_t>(jizdy::kLength);
    // An incomplete record at the end (a write cut short) is left out.
    auto left = rc == io::kOk ? static_cast<std::uint64_t>(size) / len : 0;
    std::vector<char> block(
        std::min<std::uint64_t>(kBlockRecords, std::max<std::uint64_t>(left, 1)) * len);
    std::int32_t number = 0;
    while (rc == io::kOk && left > 0) {
        const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockRecords, left));
        std::size_t got = 0;
        rc = in->Read(block.data(), k * len, &got);
        if (rc == io::kOk && got != k * len) rc = io::kReadPastEnd;
        for (std::size_t i = 0; rc == io::kOk && i < k; ++i)
            rc = each(block.data() + i * len, ++number);
        left -= k;
    }
    const int closed = in->Close();
    return rc != io::kOk ? rc : closed;
}

std::string TripSortKey(const VetaJizdy& trip, std::int32_t number, std::string_view prefix) {
    std::string key(prefix);
    // A short or empty date is taken with blanks, so the hour stays in its
    // columns and such a trip comes before every dated one.
    std::string date = trip.Datum();
    date.resize(6, ' ');
    key += DateSortKey(date);
    key += FormatPic("@@.@@", trip.CasOdjezdu());
    key += FormatPic("@@@@@@", number);
    return key;
}

int SortTrips(Common& c, const TripSort& sort,
              const std::function<int(VetaJizdy&, std::int32_t)>& take) {
    SortEngine engine(c, sort.limits);
    TripSortTable table(c, sort, take);
    return engine.SortFile(tripsort::kRecordLength, table);
}

}  // namespace kj
