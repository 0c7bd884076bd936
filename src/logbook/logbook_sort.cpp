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

// A key kept beside its record: at most 2 + 6 + 5 + 6 characters, held as
// three numbers of eight characters each, most significant first and
// padded with zeros, so that a comparison is a few integer comparisons.
// It orders exactly as the texts do (a text before its own extensions).
struct Klic {
    std::uint64_t words[3] = {0, 0, 0};
    std::uint8_t length = 0;

    void Append(std::string_view part) {
        for (char ch : part) {
            if (length >= 24) return;
            words[length / 8] |= std::uint64_t{static_cast<unsigned char>(ch)} << (8 * (7 - length % 8));
            ++length;
        }
    }
    bool operator<(const Klic& o) const {
        for (int i = 0; i < 3; ++i)
            if (words[i] != o.words[i]) return words[i] < o.words[i];
        return length < o.length;
    }
};

// The stored date reordered RRMMDD, as DateSortKey does, without copies.
std::string_view DatumKlice(const char* rec, char (&out)[6]) {
    const auto* stored = reinterpret_cast<const unsigned char*>(rec + jizdy::kDatum.offset);
    const std::size_t n = std::min<std::size_t>(stored[0], jizdy::kDatum.size - 1);
    const char* date = rec + jizdy::kDatum.offset + 1;
    std::size_t length = 0;
    for (std::size_t from : {4u, 2u, 0u})
        for (std::size_t k = from; k < from + 2 && k < n; ++k) out[length++] = date[k];
    return std::string_view(out, length);
}

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
                char dateBuffer[6];
                const std::string_view date = DatumKlice(rec, dateBuffer);
                if (druh_ == Druh::Opis && (date < od_ || date > do_)) continue;
                Klic& key = keys_[static_cast<std::size_t>(number - 1)];
                if (druh_ == Druh::Opis)
                    key.Append(SkupinaOpisu(codec::GetText(rec, jizdy::kPoznamka1)));
                key.Append(date);
                key.Append(hodiny_.Text(rec + jizdy::kCasOdjezdu.offset));
                PridejCislo(key, number);
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

std::string SkupinaOpisu(std::string_view poznamka1) {
    std::string group(poznamka1.substr(0, std::min<std::size_t>(2, poznamka1.size())));
    group.resize(2, ' ');
    return UpperCz(group);
}

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
