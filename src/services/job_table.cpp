// The job table "master.job": 200 entries of an 8-character key and an
// 8-character value, 3,600 bytes; the older 1,818-byte form is widened.

#include <algorithm>
#include <chrono>
#include <thread>

#include "services/io_codes.h"
#include "services/params.h"
#include "services/record_file.h"

namespace kj {
namespace {

using namespace jobtable;

constexpr std::string_view kFileName = "master.job";

std::string WithoutTrailingBlanks(std::string_view text) {
    auto end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

const char* EntryAt(const std::string& table, std::size_t i) { return table.data() + i * kEntrySize; }
char* EntryAt(std::string& table, std::size_t i) { return table.data() + i * kEntrySize; }

// Index of the entry holding `key`, or -1. Free entries (empty key) never match.
int Find(const std::string& table, std::string_view key) {
    if (key.empty()) return -1;
    for (std::size_t i = 0; i < kEntries; ++i)
        if (codec::GetText(EntryAt(table, i), kKey) == key) return static_cast<int>(i);
    return -1;
}

std::string ValueOf(const std::string& table, std::string_view key) {
    int i = Find(table, key);
    if (i < 0) return {};
    return WithoutTrailingBlanks(codec::GetText(EntryAt(table, static_cast<std::size_t>(i)), kValue));
}

std::string ReportText(Common& c, int code) {
    return "Uz: " + c.set.station + " Soub: " + "Master.job" + " err " + std::to_string(code);
}

void Report(Common& c, int code) {
    c.ui.BeepMessage(ReportText(c, code));
}

// Every change of a table (read, change, write back) runs inside one
// exclusive open of the file: stations changing different keys at the same
// moment would otherwise each write back the table as they read it, undoing
// the other's change. A change holds the file for a moment only, so a table
// in use is tried again at once a few times, then with the note of a table in
// use at every attempt, and given up (32) after a bounded wait.
constexpr int kQuietAttempts = 200;  // 1 ms apart
constexpr int kNotedAttempts = 30;
constexpr int kNoteMs = 100;

int OpenForChange(Common& c, std::string_view path, Disposition disposition,
                  std::unique_ptr<File>* f) {
    for (int attempt = 0;; ++attempt) {
        int rc = c.fs.Open(path, Access::ReadWrite, disposition, Share::Exclusive, f);
        if (rc != io::kSharingViolation || attempt >= kQuietAttempts + kNotedAttempts) return rc;
        if (attempt < kQuietAttempts)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        else
            c.ui.ShowNote(ReportText(c, rc), kNoteMs);
    }
}

// Appends the zeros of the widening to a 1,818-byte table. Only the new
// tail is written, so entries another station changed meanwhile survive.
void Widen(Common& c, std::string_view path) {
    std::unique_ptr<File> f;
    if (OpenForChange(c, path, Disposition::OpenExisting, &f) != io::kOk) return;
    std::int64_t size = 0;
    if (f->Size(&size) == io::kOk && size == static_cast<std::int64_t>(kOldSize) &&
        f->Seek(kOldSize) == io::kOk) {
        const std::string zeros(kSize - kOldSize, '\0');
        (void)f->Write(zeros.data(), zeros.size());
    }
    (void)f->Close();
}

// Reads up to the table's size from an open file, the rest zeros.
int ReadTable(File& f, std::string* table) {
    table->assign(kSize, '\0');
    std::size_t got = 0;
    int rc = f.Seek(0);
    if (rc == io::kOk) rc = f.Read(table->data(), kSize, &got);
    return rc;
}

// Stores the entry in the table of `path`; false when nothing was written.
bool SetAt(Common& c, std::string_view path, std::string_view key, std::string_view valueText) {
    std::string value = WithoutTrailingBlanks(valueText.substr(0, std::min(valueText.size(), kTextMax)));
    std::unique_ptr<File> f;
    std::string table(kSize, '\0');
    int rc = OpenForChange(c, path, Disposition::OpenExisting, &f);
    if (rc == io::kFileNotFound) {
        rc = OpenForChange(c, path, Disposition::OpenOrCreate, &f);
        // Created meanwhile by another station: its entries are read too.
        if (rc == io::kOk) rc = ReadTable(*f, &table);
        if (rc != io::kOk && f) (void)f->Close();
    } else if (rc == io::kOk) {
        // A table that cannot be read is not rewritten from zeros.
        rc = ReadTable(*f, &table);
        if (rc != io::kOk) (void)f->Close();
    }
    if (rc != io::kOk) {
        // Starting afresh from zeros here would wipe every other setting.
        Report(c, rc);
        return false;
    }

    int i = Find(table, key);
    if (i >= 0) {
        char* e = EntryAt(table, static_cast<std::size_t>(i));
        if (value.empty())
            std::fill(e, e + kEntrySize, '\0');  // freed
        else
            codec::PutText(e, kValue, value);
    } else if (!value.empty()) {
        for (std::size_t j = 0; j < kEntries; ++j) {
            char* e = EntryAt(table, j);
            if (codec::GetText(e, kKey).empty()) {
                codec::PutText(e, kKey, key);
                codec::PutText(e, kValue, value);
                break;
            }
        }
    }
    rc = f->Seek(0);
    if (rc == io::kOk) rc = f->Write(table.data(), table.size());
    int closed = f->Close();
    if (rc == io::kOk) rc = closed;
    if (rc != io::kOk) {
        Report(c, rc);
        return false;
    }
    return true;
}

}  // namespace

std::string jobtable::ReadFile(Common& c, std::string_view path) {
    if (FileSizeOf(c, path) == static_cast<std::int32_t>(kOldSize)) Widen(c, path);
    std::string table(kSize, '\0');
    std::unique_ptr<File> f;
    if (c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f) != io::kOk)
        return table;
    if (ReadTable(*f, &table) != io::kOk) table.assign(kSize, '\0');
    (void)f->Close();
    return table;
}

std::string jobtable::Location(Common& c) {
    if (FileSizeOf(c, kFileName) >= 2) return std::string(kFileName);
    return DataPath(c, kFileName);
}

std::string GetJob(Common& c, std::string_view key) {
    if (c.initializing && c.jobTableCache.size() == kSize) return ValueOf(c.jobTableCache, key);
    return ValueOf(jobtable::ReadFile(c, jobtable::Location(c)), key);
}

void SetJob(Common& c, std::string_view key, std::string_view value) {
    if (key.empty() || key.size() > kTextMax) return;
    const std::string path = jobtable::Location(c);
    // During start-up GetJob answers from the table read once; it is read
    // again after a change.
    if (SetAt(c, path, key, value) && c.initializing) c.jobTableCache = jobtable::ReadFile(c, path);
}

std::string GetJobIn(Common& c, std::string_view directory, std::string_view key) {
    const std::string path = std::string(directory) + std::string(kFileName);
    if (FileSizeOf(c, path) < 2) return {};
    return ValueOf(jobtable::ReadFile(c, path), key.substr(0, std::min(key.size(), kTextMax)));
}

void SetJobIn(Common& c, std::string_view directory, std::string_view key, std::string_view value) {
    key = key.substr(0, std::min(key.size(), kTextMax));
    if (key.empty()) return;
    (void)SetAt(c, std::string(directory) + std::string(kFileName), key, value);
}

}  // namespace kj
