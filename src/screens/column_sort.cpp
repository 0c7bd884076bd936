#include "screens/column_sort.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "services/collate.h"
#include "services/dates.h"
#include "services/field_codec.h"
#include "services/io_codes.h"
#include "services/picture.h"
#include "services/sort_file.h"

namespace kj {

std::string IndexFilePath(std::string_view dataPath, int slot) {
    std::string path(dataPath);
    if (!path.empty()) path.back() = static_cast<char>('0' + slot);
    return path;
}

std::string ColumnSortKey(const SloupecPopis& column, std::int32_t record) {
    std::string key;
    switch (column.type) {
        case FieldType::DateYearFirst:
        case FieldType::Date:
            key = DateSortKey(NormalizeDate(column.value));
            break;
        case FieldType::LongDateYearFirst:
        case FieldType::LongDate:
            key = LongDateSortKey(CompleteLongDate(column.value));
            break;
        default:
            key = CollateKey(column.value);
            break;
    }
    key += FormatPic("#####", record);
    if (key.size() > static_cast<std::size_t>(kSortKeyMax)) key.resize(kSortKeyMax);
    return key;
}

int ColumnByTitle(const Sloupce& columns, std::string_view title) {
    const std::string wanted = StripRight(title);
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (StripRight(columns[i].title) == wanted) return static_cast<int>(i) + 1;
    return 0;
}

namespace {

int OpenFile(Common& c, std::string_view path, Access access, Disposition disposition,
             std::unique_ptr<File>* out) {
    return c.fs.Open(path, access, disposition, Share::Shared, out);
}

// Pascal string order: the common part byte by byte, then the shorter first.
bool KeyLess(const char* a, const char* b) {
    const auto la = static_cast<unsigned char>(a[0]);
    const auto lb = static_cast<unsigned char>(b[0]);
    const int r = std::memcmp(a + 1, b + 1, std::min(la, lb));
    if (r != 0) return r < 0;
    return la < lb;
}

}  // namespace

int BuildColumnIndex(Common& c, std::string_view dataPath, const Sloupce& columns, int column,
                     std::int32_t count, const RecordReader& read, int slot) {
    if (column < 1 || column > static_cast<int>(columns.size())) return io::kInvalidParameter;
    Sloupce work = columns;

    // The work file: one entry per record.
    {
        std::unique_ptr<File> wrk;
        int rc = OpenFile(c, kSortWorkFile, Access::ReadWrite, Disposition::CreateAlways, &wrk);
        if (rc != io::kOk) return rc;
        std::string record;
        char entry[kSortEntrySize];
        for (std::int32_t n = 1; n <= count; ++n) {
            rc = read(n, record);
            if (rc != io::kOk) {
                wrk->Close();
                return rc;
            }
            RozlozVetu(work, record.data());
            std::memset(entry, 0, sizeof entry);
            codec::PutShortText(entry, kSortKeyMax,
                                ColumnSortKey(work[static_cast<std::size_t>(column - 1)], n));
            codec::PutI32(entry + 1 + kSortKeyMax, n);
            codec::PutI32(entry + 1 + kSortKeyMax + 4, n);
            rc = wrk->Write(entry, sizeof entry);
            if (rc != io::kOk) {
                wrk->Close();
                return rc;
            }
        }
        rc = wrk->Close();
        if (rc != io::kOk) return rc;
    }

    // The index goes to a side file first, so a failed sort keeps the old one.
    const std::string index = IndexFilePath(dataPath, slot);
    const std::string fresh = index + "$";
    std::unique_ptr<File> out;
    int rc = OpenFile(c, fresh, Access::ReadWrite, Disposition::CreateAlways, &out);
    if (rc != io::kOk) return rc;

    auto feed = [&](SortEngine& sort) -> int {
        std::unique_ptr<File> wrk;
        int code = OpenFile(c, kSortWorkFile, Access::Read, Disposition::OpenExisting, &wrk);
        if (code != io::kOk) return code;
        char entry[kSortEntrySize];
        for (std::int32_t n = 1; n <= count; ++n) {
            std::size_t got = 0;
            code = wrk->Read(entry, sizeof entry, &got);
            if (code == io::kOk && got != sizeof entry) code = io::kReadPastEnd;
            if (code != io::kOk) {
                wrk->Close();
                return code;
            }
            sort.SortPut(entry);
        }
        wrk->Close();
        return io::kOk;
    };
    auto output = [&](SortEngine& sort) -> int {
        std::string block;
        while (!sort.SortEnd()) {
            const char* entry = nullptr;
            const int code = sort.SortGetPtr(&entry);
            if (code != io::kOk) return code;
            if (entry == nullptr) break;
            block.append(entry + 1 + kSortKeyMax, kIndexEntrySize);
        }
        return out->Write(block.data(), block.size());
    };
    rc = SortFile(c, kSortEntrySize, feed, KeyLess, output);
    const int closed = out->Close();
    if (rc == io::kOk) rc = closed;
    if (rc == io::kOk) rc = c.fs.ReplaceFile(fresh, index);
    if (rc != io::kOk) c.fs.Remove(fresh);
    return rc;
}

int ReadIndexFile(Common& c, std::string_view path, std::vector<std::int32_t>* entries) {
    entries->clear();
    std::unique_ptr<File> f;
    int rc = OpenFile(c, path, Access::Read, Disposition::OpenExisting, &f);
    if (rc == io::kFileNotFound || rc == io::kPathNotFound) return io::kOk;
    if (rc != io::kOk) return rc;
    std::int64_t size = 0;
    rc = f->Size(&size);
    std::string bytes;
    if (rc == io::kOk && size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        std::size_t got = 0;
        rc = f->Read(bytes.data(), bytes.size(), &got);
        bytes.resize(got);
    }
    f->Close();
    if (rc != io::kOk) return rc;
    for (std::size_t at = 0; at + kIndexEntrySize <= bytes.size(); at += kIndexEntrySize)
        entries->push_back(codec::GetI32(bytes.data() + at));
    return io::kOk;
}

int AppendIndexEntry(Common& c, std::string_view path, std::int32_t record) {
    std::unique_ptr<File> f;
    int rc = OpenFile(c, path, Access::ReadWrite, Disposition::OpenOrCreate, &f);
    if (rc != io::kOk) return rc;
    std::int64_t size = 0;
    rc = f->Size(&size);
    // A torn last entry is overwritten, so entries stay 8-byte aligned.
    if (rc == io::kOk) rc = f->Seek(static_cast<std::uint64_t>(size - size % kIndexEntrySize));
    char entry[kIndexEntrySize];
    codec::PutI32(entry, record);
    codec::PutI32(entry + 4, record);
    if (rc == io::kOk) rc = f->Write(entry, sizeof entry);
    const int closed = f->Close();
    return rc != io::kOk ? rc : closed;
}

}  // namespace kj
