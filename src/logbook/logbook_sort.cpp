#include "logbook/logbook_sort.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "logbook/code_list_sort.h"
#include "logbook/trip_record.h"
#include "services/dates.h"
#include "services/field_codec.h"
#include "services/io_codes.h"
#include "services/picture.h"
#include "services/table_writeback.h"

namespace kj {

namespace {

constexpr std::size_t kBlockRecords = 4096;

enum class Druh { Kniha, Opis };

// A key kept beside its record: at most 2 + 6 + 5 + 6 characters. The
// first eight characters also as a number, most significant first, so that
// most comparisons end in one step.
struct Klic {
    std::uint64_t prefix = 0;
    char text[23];
    std::uint8_t length = 0;

    void Append(std::string_view part) {
        const std::size_t n = std::min(part.size(), sizeof text - length);
        std::memcpy(text + length, part.data(), n);
        length = static_cast<std::uint8_t>(length + n);
    }
    void Finish() {
        prefix = 0;
        for (std::size_t i = 0; i < 8; ++i)
            prefix = (prefix << 8) | (i < length ? static_cast<unsigned char>(text[i]) : 0u);
    }
    // Compared as the texts they hold.
    bool operator<(const Klic& o) const {
        if (prefix != o.prefix) return prefix < o.prefix;
        const int c = std::memcmp(text, o.text, std::min(length, o.length));
        return c != 0 ? c < 0 : length < o.length;
    }
};

// The departure hour as "@@.@@". A book holds few distinct hours, so each
// stored value is formatted once.
class Hodiny {
public:
    const std::string& Text(const char* stored) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, stored, codec::kReal48Size);
        auto it = cache_.find(bits);
        if (it == cache_.end())
            it = cache_.emplace(bits, FormatPic("@@.@@", codec::GetReal48(stored))).first;
        return it->second;
    }

private:
    std::unordered_map<std::uint64_t, std::string> cache_;
};

// The record number as "@@@@@@": its last six digits, as the picture drops
// the digits that do not fit.
void PridejCislo(Klic& key, std::uint64_t number) {
    char digits[6];
    for (int i = 5; i >= 0; --i, number /= 10) digits[i] = static_cast<char>('0' + number % 10);
    key.Append(std::string_view(digits, 6));
}

// The book (or its listing) fed to the sort. Every key is built once, when
// its record is fed, and kept by record number: the comparisons then only
// compare texts.
class TripSortTable final : public SortTable {
public:
    TripSortTable(Common& c, std::string_view path, Druh druh, StavTachometru tachometr,
                  std::string_view od, std::string_view do_, std::string_view vystup)
        : c_(c), path_(path), druh_(druh), tachometr_(tachometr), od_(od), do_(do_),
          vystup_(vystup) {}

    int Feed(SortEngine& sort) override {
        std::unique_ptr<File> in;
        int rc = c_.fs.Open(path_, Access::Read, Disposition::OpenExisting, Share::Shared, &in);
        if (rc != io::kOk) return rc;
        std::int64_t size = 0;
        rc = in->Size(&size);
        if (rc != io::kOk) return rc;
        const auto len = static_cast<std::size_t>(jizdy::kLength);
        const std::uint64_t total = static_cast<std::uint64_t>(size) / len;  // a torn tail is left out
        keys_.assign(static_cast<std::size_t>(total), Klic{});
        std::vector<char> block(kBlockRecords * len);
        char fed[trideni::kDelkaVety];
        std::uint64_t number = 0;
        while (number < total) {
            const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockRecords, total - number));
            std::size_t got = 0;
            rc = in->Read(block.data(), k * len, &got);
            if (rc == io::kOk && got != k * len) rc = io::kReadPastEnd;
            if (rc != io::kOk) return rc;
            for (std::size_t i = 0; i < k; ++i) {
                const char* rec = block.data() + i * len;
                ++number;
                if (IsDeletedRecord(rec)) continue;
                const std::string date = DateSortKey(codec::GetText(rec, jizdy::kDatum));
                if (druh_ == Druh::Opis && (date < od_ || date > do_)) continue;
                Klic& key = keys_[static_cast<std::size_t>(number - 1)];
                if (druh_ == Druh::Opis)
                    key.Append(UpperCz(codec::GetText(rec, jizdy::kPoznamka1).substr(0, 2)));
                key.Append(date);
                key.Append(hodiny_.Text(rec + jizdy::kCasOdjezdu.offset));
                PridejCislo(key, number);
                key.Finish();
                std::memcpy(fed, rec, len);
                codec::PutU32(fed + trideni::kCisloVety, static_cast<std::uint32_t>(number));
                sort.SortPut(fed);
            }
        }
        return in->Close();
    }

    bool Less(const char* a, const char* b) override { return Key(a) < Key(b); }

    int Output(SortEngine& sort) override {
        TableWriteBack out(c_, vystup_, jizdy::kLength);
        int rc = out.Begin();
        if (rc != io::kOk) return rc;
        double running = 0;
        char rec[jizdy::kLength];
        while (!sort.SortEnd()) {
            const char* next = nullptr;
            rc = sort.SortGetPtr(&next);
            if (rc != io::kOk) return rc;  // the new file is dropped
            std::memcpy(rec, next, sizeof rec);
            if (druh_ == Druh::Opis) {
                codec::PutReal(rec, jizdy::kStavTachometru, 0);
            } else if (tachometr_ == StavTachometru::Prepocitat) {
                const double km = codec::GetReal(rec, jizdy::kKmSluzebni) +
                                  codec::GetReal(rec, jizdy::kKmSoukrome);
                running = running == 0 ? km + codec::GetReal(rec, jizdy::kStavTachometru)
                                       : running + km;
                codec::PutReal(rec, jizdy::kStavTachometru, running);
            } else if (tachometr_ == StavTachometru::Vynulovat) {
                codec::PutReal(rec, jizdy::kStavTachometru, 0);
            }
            rc = out.Put(rec);
            if (rc != io::kOk) return rc;
        }
        return out.Commit();
    }

private:
    const Klic& Key(const char* rec) const {
        return keys_[codec::GetU32(rec + trideni::kCisloVety) - 1];
    }

    Common& c_;
    std::string path_;
    Druh druh_;
    StavTachometru tachometr_;
    std::string od_, do_;
    std::string vystup_;
    std::vector<Klic> keys_;
    Hodiny hodiny_;
};

}  // namespace

int SetridKnihu(Common& c, std::string_view path, StavTachometru tachometr, SortLimits limits) {
    SortEngine engine(c, limits);
    TripSortTable table(c, path, Druh::Kniha, tachometr, {}, {}, path);
    return engine.SortFile(trideni::kDelkaVety, table);
}

int SetridOpis(Common& c, std::string_view path, std::string_view odRRMMDD,
               std::string_view doRRMMDD, std::string_view vystup, SortLimits limits) {
    SortEngine engine(c, limits);
    TripSortTable table(c, path, Druh::Opis, StavTachometru::Vynulovat, odRRMMDD, doRRMMDD, vystup);
    return engine.SortFile(trideni::kDelkaVety, table);
}

}  // namespace kj
