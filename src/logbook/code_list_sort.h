#pragma once
// What the logbook's code lists (cars, purposes, places, meal rates) and the
// destinations share on top of the table browser: their set-up from one
// description, adding under the list's own write lock, deleting by the
// deletion mark, refreshing before an edit, the pick-list use and the
// closing sort.
//
// A record is deleted by writing the list's blank record over it with "."
// at offset 1; it stays in the file until the closing sort drops it.

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "screens/table_browser.h"
#include "services/cp1250.h"
#include "services/field_codec.h"

namespace kj {

// One column of a list: the field it stores (name, offset, size), its
// title (UTF-8 here, Windows-1250 on the screen), its mask and its width in
// characters. A list declares its record once as an array of these; the
// stored sizes follow from the masks and widths and are checked against
// the offsets while compiling.
struct ColumnDecl {
    codec::FieldSpec field;
    std::string_view title;
    std::string_view mask;
    int width;
};

template <std::size_t N>
constexpr bool ColumnsTileRecord(const std::array<ColumnDecl, N>& cols, std::size_t length) {
    std::size_t next = 0;
    for (const ColumnDecl& c : cols) {
        if (c.field.offset != next) return false;
        if (static_cast<std::size_t>(StoredSizeOfMask(c.mask, c.width)) != c.field.size) return false;
        next += c.field.size;
    }
    return next == length;
}

// The column descriptors of a declaration: labels in editor column
// `editorColumn`, one row each from row 2.
Sloupce DeclareColumns(std::span<const ColumnDecl> decls, int editorColumn = 2);

inline constexpr char kDeletedMark = '.';
inline constexpr int kDeletedOffset = 1;
inline constexpr int kCodeListMaxRecords = 99999;

// True when the record carries the deletion mark.
inline bool IsDeletedRecord(const char* record) { return record[kDeletedOffset] == kDeletedMark; }

// Sorts a record file in place (under the caller's write lock): records
// marked deleted are dropped, the rest written back from record 1 in the
// order of `less`. Returns 0 or the sort's error code.
int SortCodeListFile(Common& c, std::string_view path, int recordLength,
                     const std::function<bool(const char*, const char*)>& less);

// The text key of the code lists: diacritics stripped, upper-cased.
std::string FoldedKey(std::string_view text);

// Everything that tells one list from another.
struct CodeListSetup {
    std::string windowName;
    std::string fileName;      // default record file in the data directory
    std::string heading;
    std::string listHelp;
    std::string editorTitle;
    std::string editorHelp;
    std::string lockName;      // write lock taken while adding
    std::string counterKey;    // appended-records counter in "master.job"; "" = none
    // F1 in the list and in its editor: this topic of this help file.
    std::string helpFile = "\\kj\\kj";
    std::string helpTopic = "knihy jízd"_cz;
    CellBox editor;
    CellBox list;
};

class TfKJSeznam : public TfSoub {
public:
    // `columns` must give exactly `recordLength` bytes (checked by the
    // table's own layout check at start-up).
    TfKJSeznam(Common& c, CodeListSetup setup, Sloupce columns, int recordLength);

    // Opens the list over `fileName` ("" = the list's own file); returns the
    // DOS code of opening it.
    int Otevri(std::string_view fileName = {});
    // Closes the list: the closing sort (ZavriTabulku), the browser
    // released, the locks given up.
    virtual void Zavri();

    const CodeListSetup& setup() const { return setup_; }
    // The blank record of a new entry (also the base of the deletion mark).
    const std::string& blankRecord() const { return blank_; }
    // Result of the last closing sort (0 = sorted or nothing to sort,
    // -1 = not sorted because another station had the file).
    int lastSortResult() const { return lastSort_; }

    // ---- pick-list use ----
    // The value a lookup takes from a row (read into the record buffer).
    void KlicVety(int row, std::string& text) override;
    // The record of the current row, read into the record buffer; false
    // when there is no current row.
    bool CtiVybranou();

    // ---- list operations ----
    void Oprav() override;
    void Novy() override;
    void Zrus(int row) override;

protected:
    // The base checks, then field 1: a text beginning with "." would read
    // as the deletion mark and vanish at the next sort, so it is refused
    // and the cursor stays in the field.
    void OpustPole(int field, std::string& text) override;
    // The check of field 1 alone: true (message shown, cursor kept in the
    // field) when the text begins with the deletion mark.
    bool OdmitniZnackuZruseni(int field, const std::string& text);
    void KlicHledani(int row, std::string& text) override;
    void PredZrusenim() override;
    // F1: the list's help topic.
    void KlF1() override;
    // The lookup value of a record in the record buffer.
    virtual std::string KlicZVety(const char* record) = 0;
    // The search key of a displayed record, folded as the search folds
    // (FoldedKey; a key of digits needs none): the search does not fold it.
    virtual std::string HledaciKlic(const char* record) = 0;
    // Sort order of the closing sort.
    virtual bool Mensi(const char* a, const char* b) = 0;
    // The closing sort as the code lists do it: free file, written or
    // appended records, counter reset only after a good sort.
    virtual void ZavriTabulku();
    // Sorts the open file now (the caller holds the write lock).
    int SetridSoubor();

    int lastSort_ = 0;

private:
    CodeListSetup setup_;
    Sloupce declared_;
    std::string blank_;
};

}  // namespace kj
