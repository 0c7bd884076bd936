#include "logbook/code_list_sort.h"

#include <cstring>

#include "services/cp1250.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"
#include "services/table_writeback.h"

namespace kj {

int SortCodeListFile(Common& c, std::string_view path, int recordLength,
                     const std::function<bool(const char*, const char*)>& less) {
    return SortTableFile(c, path, recordLength, less,
                         [](const char* rec) { return !IsDeletedRecord(rec); });
}

Sloupce DeclareColumns(std::span<const ColumnDecl> decls, int editorColumn) {
    Sloupce cols(decls.size());
    for (std::size_t i = 0; i < decls.size(); ++i) {
        const ColumnDecl& d = decls[i];
        DefinujSloupec(cols[i], Utf8ToCp1250(d.title), editorColumn, "", 0, 0,
                       std::string(static_cast<std::size_t>(d.width), ' '), d.mask,
                       static_cast<int>(i) + 2);
    }
    return cols;
}

std::string FoldedKey(std::string_view text) { return UpperCz(StripDiacritics(text)); }

TfKJSeznam::TfKJSeznam(Common& c, CodeListSetup setup, Sloupce columns, int recordLength)
    : TfSoub(c, setup.windowName), setup_(std::move(setup)), declared_(std::move(columns)) {
    blank_.assign(static_cast<std::size_t>(std::max(recordLength, RecordLength(declared_))), '\0');
    // The blank record: every column empty (texts of length 0, numbers 0).
    Sloupce empty = declared_;
    for (SloupecPopis& col : empty) col.value.clear();
    SlozVetu(empty, blank_.data());
    blank_.resize(static_cast<std::size_t>(recordLength));
}

int TfKJSeznam::Otevri(std::string_view fileName) {
    SetColumns(declared_);
    lastSort_ = 0;
    const std::string file = fileName.empty() ? setup_.fileName : std::string(fileName);
    const int rc = OtevriTabulku(file, setup_.heading, -1, ColumnCount(),
                                 static_cast<int>(blank_.size()), 1, setup_.editor, setup_.list,
                                 setup_.editorHelp, setup_.editorTitle, setup_.listHelp);
    if (!setup_.counterKey.empty()) SetChangeCounter(setup_.counterKey);
    return rc;
}

void TfKJSeznam::Zavri() {
    if (!isOpen() && dataPath().empty()) return;
    ZavriTabulku();
}

bool TfKJSeznam::CtiVybranou() {
    if (current() < 1 || current() > count()) return false;
    CtiVetu(current());
    return true;
}

void TfKJSeznam::KlicVety(int row, std::string& text) {
    if (row < 1 || row > count()) {
        text.clear();
        return;
    }
    CtiVetu(row);
    text = KlicZVety(Veta());
}

void TfKJSeznam::OpustPole(int field, std::string& text) {
    TfSoub::OpustPole(field, text);
    OdmitniZnackuZruseni(field, text);
}

bool TfKJSeznam::OdmitniZnackuZruseni(int field, const std::string& text) {
    if (field != 1 || text.empty() || text[0] != kDeletedMark) return false;
    if (columns().empty() || !IsTextType(columns()[0].type)) return false;
    c_.ui.BeepMessage("Text nesmí začínat tečkou, tečka označuje zrušený záznam."_cz);
    if (editor()) editor()->MoveTo(1);
    return true;
}

void TfKJSeznam::KlicHledani(int row, std::string& text) {
    CtiVetuProZobrazeni(row);
    text = HledaciKlic(displayRecord().data());
}

void TfKJSeznam::Oprav() {
    Obnov();
    if (count() >= 1) TfSoub::Oprav();
    Prekresli();
}

void TfKJSeznam::Novy() {
    const std::string lock = DataPath(c_, setup_.lockName);
    Zamkni(c_, lock, "W");
    Obnov();
    std::memcpy(Veta(), blank_.data(), blank_.size());
    TfSoub::Novy();
    Odemkni(c_, lock);
    Prekresli();
}

void TfKJSeznam::Zrus(int row) {
    if (current() < 1 || current() > count()) return;
    if (!c_.ui.AskYesNo(0, 0, "Zrušit záznam?"_cz)) return;
    CtiVetu(current());
    TfSoub::Zrus(row);
}

void TfKJSeznam::PredZrusenim() {
    std::memcpy(Veta(), blank_.data(), blank_.size());
    Veta()[kDeletedOffset] = kDeletedMark;
}

void TfKJSeznam::KlF1() { UkazNapovedu(setup_.helpFile, setup_.helpTopic); }

int TfKJSeznam::SetridSoubor() {
    return SortCodeListFile(c_, dataPath(), recordLength(),
                            [this](const char* a, const char* b) { return Mensi(a, b); });
}

void TfKJSeznam::ZavriTabulku() {
    const std::string path = dataPath();
    // Our read lock goes first, so that IfVolny sees only the other stations.
    Odemkni(c_, path);
    // A file another station has open keeps its order (its record numbers
    // are in use there); the write lock is taken only on a free file, as it
    // would wait for that station otherwise.
    const bool free = IfVolny(c_, path).empty();
    lastSort_ = free ? 0 : -1;
    if (free) {
        Zamkni(c_, path, "W");
        const std::string dir = DataPath(c_, "");
        const bool appended =
            !setup_.counterKey.empty() && StrToIntLoose(GetJobIn(c_, dir, setup_.counterKey)) >= 1;
        if (modified() || appended) lastSort_ = SetridSoubor();
        if (lastSort_ != 0)
            c_.ui.BeepMessage("Chyba pri sortu");
        else if (!setup_.counterKey.empty())
            SetJobIn(c_, dir, setup_.counterKey, "");
    }
    Obnov();
    Uvolni();
    Odemkni(c_, path);
}

}  // namespace kj
