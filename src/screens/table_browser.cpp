#include "screens/table_browser.h"

#include <algorithm>

#include "screens/calculator.h"
#include "screens/column_sort.h"
#include "screens/list_export.h"
#include "screens/record_checksum.h"
#include "screens/record_pictures.h"
#include "screens/record_templates.h"
#include "services/cp1250.h"
#include "services/io_codes.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {

TfSoub::TfSoub(Common& c, std::string windowName, ScreenMetrics& metrics)
    : RollingList(c, std::move(windowName), metrics) {
    calculator = [&c](double value) { return CalculateText(c, value); };
}

TfSoub::~TfSoub() {
    editor_.reset();
    ZavriSoubory();
}

// ---- set-up ----

int TfSoub::OtevriTabulku(std::string_view fileName, std::string_view caption, int /*order*/,
                          int columnCount, int recordLength, int current, const CellBox& editor,
                          const CellBox& list, std::string_view editorHelp,
                          std::string_view editorTitle, std::string_view listHelp) {
    fileName_ = std::string(fileName.substr(0, std::min<std::size_t>(fileName.size(), 100)));
    editorTitle_ = editorTitle;
    editorHelp_ = editorHelp;
    editAllowed = addAllowed = deleteAllowed = true;
    modified_ = false;
    counterKey_.clear();
    counterValue_.clear();
    activeIndex_ = 0;
    if (static_cast<int>(columns().size()) > columnCount && columnCount >= 0)
        columns().resize(static_cast<std::size_t>(columnCount));
    states_.assign(columns().size(), 1);

    indexFlag_ = recordLength > kIndexFlag;
    recLen_ = indexFlag_ ? recordLength - kIndexFlag : recordLength;
    // The buffers hold at least what the columns split and build, so a
    // record length declared shorter than the columns never overruns them.
    record_.assign(static_cast<std::size_t>(std::max(recLen_, RecordLength(columns()))), '\0');
    display_ = record_;

    const int rc = OtevriSoubor();
    OtevriSeznam(list.left, list.top, list.right, list.bottom, list.paper, list.ink, caption,
                 listHelp, current, count());
    editorBox_ = editor;
    return rc;
}

int TfSoub::OtevriSoubor() {
    path_ = DataPath(c_, fileName_);
    Zamkni(c_, path_, "");
    if (indexFlag_) OtevriIndexy();
    const std::int32_t size = FileSizeOf(c_, path_);
    const Disposition how = size < 2 ? Disposition::CreateAlways : Disposition::OpenExisting;
    file_.reset();
    const int rc = c_.fs.Open(path_, Access::ReadWrite, how, Share::Shared, &file_);
    if (rc != io::kOk) {
        file_.reset();
        ShowIoError(" Soub: " + path_, rc);
        SetCount(0);
        return rc;
    }
    std::int64_t bytes = 0;
    file_->Size(&bytes);
    SetCount(recLen_ > 0 ? static_cast<int>(bytes / recLen_) : 0);
    return io::kOk;
}

void TfSoub::OtevriIndexy() {
    for (int slot = 1; slot <= kIndexSlots; ++slot)
        ReadIndexFile(c_, IndexFilePath(path_, slot), &index_[static_cast<std::size_t>(slot - 1)]);
}

void TfSoub::ZavriSoubory() {
    if (file_) file_->Close();
    file_.reset();
    for (auto& entries : index_) entries.clear();
}

void TfSoub::SetChangeCounter(std::string_view key) {
    counterKey_ = key;
    ReadCounter();
}

void TfSoub::ReadCounter() {
    if (counterKey_.empty()) return;
    counterValue_ = GetJobIn(c_, DataPath(c_, ""), counterKey_);
}

int TfSoub::EditorState(int column) const {
    if (column < 1 || column > static_cast<int>(states_.size())) return 1;
    return states_[static_cast<std::size_t>(column - 1)];
}

void TfSoub::SetEditorState(int column, int state) {
    if (column < 1) return;
    if (column > static_cast<int>(states_.size())) states_.resize(static_cast<std::size_t>(column), 1);
    states_[static_cast<std::size_t>(column - 1)] = state;
}

int TfSoub::indexCount(int slot) const {
    if (slot < 1 || slot > kIndexSlots) return 0;
    return static_cast<int>(index_[static_cast<std::size_t>(slot - 1)].size());
}

std::string TfSoub::templateFile() const { return TemplateFile(windowName()); }

// ---- record access ----

std::string TfSoub::User() { return StripRight(UserName(c_, c_.set.station)); }

void TfSoub::ShowIoError(std::string_view what, int code) {
    c_.ui.BeepMessage("Uz: " + User() + std::string(what) + " err " + FormatPic("######", code));
}

void TfSoub::BeginBulkRead() {
    // Sorted through an index, rows jump around the file: blocks would not help.
    bulk_ = !IndexAktivni();
    bulkCount_ = 0;
}

void TfSoub::EndBulkRead() {
    bulk_ = false;
    bulkCount_ = 0;
    bulkBytes_.clear();
}

int TfSoub::ReadStored(int n, std::string& into) {
    if (!file_) return io::kFileNotOpen;
    if (n < 1 || recLen_ < 1) return io::kInvalidParameter;
    if (bulk_) {
        constexpr int kBlockRecords = 256;
        const auto len = static_cast<std::size_t>(recLen_);
        if (n < bulkFirst_ || n >= bulkFirst_ + bulkCount_) {
            bulkFirst_ = n;
            bulkCount_ = 0;
            bulkBytes_.resize(len * kBlockRecords);
            std::size_t got = 0;
            int rc = file_->Seek(static_cast<std::uint64_t>(n - 1) * len);
            if (rc == io::kOk) rc = file_->Read(bulkBytes_.data(), bulkBytes_.size(), &got);
            if (rc != io::kOk) return rc;
            bulkCount_ = static_cast<int>(got / len);
            if (bulkCount_ == 0) return io::kReadPastEnd;
        }
        const std::size_t at = static_cast<std::size_t>(n - bulkFirst_) * len;
        if (into.size() < len) into.resize(len, '\0');
        into.replace(0, len, bulkBytes_, at, len);
        return io::kOk;
    }
    std::string bytes(static_cast<std::size_t>(recLen_), '\0');
    int rc = file_->Seek(static_cast<std::uint64_t>(n - 1) * static_cast<std::uint64_t>(recLen_));
    std::size_t got = 0;
    if (rc == io::kOk) rc = file_->Read(bytes.data(), bytes.size(), &got);
    if (rc == io::kOk && got != bytes.size()) rc = io::kReadPastEnd;
    if (rc == io::kOk) {
        if (into.size() < bytes.size()) into.resize(bytes.size(), '\0');
        into.replace(0, bytes.size(), bytes);
    }
    return rc;
}

int TfSoub::WriteStored(int n, const std::string& from) {
    if (!file_) return io::kFileNotOpen;
    if (n < 1 || recLen_ < 1) return io::kInvalidParameter;
    int rc = file_->Seek(static_cast<std::uint64_t>(n - 1) * static_cast<std::uint64_t>(recLen_));
    if (rc == io::kOk) rc = file_->Write(from.data(), static_cast<std::size_t>(recLen_));
    return rc;
}

int TfSoub::FyzickeCislo(int row) {
    if (activeIndex_ >= 1 && activeIndex_ <= kIndexSlots) {
        const auto& entries = index_[static_cast<std::size_t>(activeIndex_ - 1)];
        if (row >= 1 && row <= static_cast<int>(entries.size()))
            return entries[static_cast<std::size_t>(row - 1)];
    }
    return row;
}

int TfSoub::FyzickeCislo2(int row) {
    // Both numbers of an entry are the same as the sort writes them.
    return FyzickeCislo(row);
}

bool TfSoub::IndexAktivni() const {
    return activeIndex_ >= 1 && activeIndex_ <= kIndexSlots &&
           !index_[static_cast<std::size_t>(activeIndex_ - 1)].empty();
}

void TfSoub::ZapniIndex(int slot) {
    if (indexCount(slot) > 0) activeIndex_ = slot;
}

bool TfSoub::ReadRecord(int row) {
    readFailed_ = false;
    CtiVetu(row);
    return !readFailed_;
}

void TfSoub::ReadInto(int row, std::string& buffer, bool forDisplay) {
    if (row < 1 || row > count()) return;
    const int n = FyzickeCislo(row);
    const int rc = ReadStored(n, buffer);
    if (rc != io::kOk) {
        if (&buffer == &record_) readFailed_ = true;
        ShowIoError(" cte soubor: " + fileName_, rc);
        return;
    }
    stored_ = n;
    if (c_.set.personalData) {
        forDisplay_ = forDisplay;
        PoCteni();
        forDisplay_ = false;
    }
}

void TfSoub::CtiVetu(int row) { ReadInto(row, record_, false); }

void TfSoub::CtiVetuProZobrazeni(int row) { ReadInto(row, display_, true); }

void TfSoub::ZapisVetu(int row) {
    if (row < 1 || row > count()) return;
    if (c_.set.personalData) PredZapisem();
    if (static_cast<int>(record_.size()) < recLen_) record_.resize(static_cast<std::size_t>(recLen_), '\0');
    const int rc = WriteStored(FyzickeCislo(row), record_);
    if (rc != io::kOk) ShowIoError(" pise soubor: " + fileName_, rc);
}

void TfSoub::FormatujRadek() {
    const Sloupce& cols = columns();
    if (static_cast<int>(display_.size()) < RecordLength(cols)) display_.resize(RecordLength(cols), '\0');
    int offset = 0;
    for (std::size_t k = 0; k < cols.size(); ++k) {
        Text(static_cast<int>(k) + 1) = CtiPole(cols[k], display_.data() + offset);
        offset += StoredSize(cols[k].type, cols[k].width);
    }
}

void TfSoub::Pripoj() {
    const int n = count() + 1;
    SetCount(n);
    ZapisVetu(n);
    if (visible() < maxVisible()) SetVisible(std::min(visible() + 1, n));
    if (!counterKey_.empty()) {
        const std::string dir = DataPath(c_, "");
        const std::string value = FormatPic("#####", StrToIntLoose(GetJobIn(c_, dir, counterKey_)) + 1);
        SetJobIn(c_, dir, counterKey_, value);
        counterValue_ = value;
    }
    SetCurrent(n);
}

void TfSoub::Obnov() {
    if (file_) file_->Close();
    file_.reset();
    const std::int32_t size = FileSizeOf(c_, path_);
    const Disposition how = size < 2 ? Disposition::CreateAlways : Disposition::OpenExisting;
    const int rc = c_.fs.Open(path_, Access::ReadWrite, how, Share::Shared, &file_);
    if (rc != io::kOk) {
        file_.reset();
        ShowIoError(" Soub: " + path_, rc);
        return;
    }
    std::int64_t bytes = 0;
    file_->Size(&bytes);
    const int n = recLen_ > 0 ? static_cast<int>(bytes / recLen_) : 0;
    SetCount(n);
    SetTop(std::min(top(), std::max(0, n - visible())));
    ReadCounter();
}

void TfSoub::Uvolni() {
    RollingList::Uvolni();
    editor_.reset();
    ZavriSoubory();
}

void TfSoub::NastavPismo() {
    if (buttonsVisible) options.rowAdjustment = 2;
    RollingList::NastavPismo();
    buttons_.shown = buttonsVisible;
    if (!buttonsVisible) return;
    // One row of four buttons 40 pixels below the top of the search box.
    const Rect& search = layout().searchBox;
    const int width = 10 * metrics_.cellWidth;
    const int height = metrics_.cellHeight + 6;
    const int top = search.top + 40;
    int left = layout().searchLabel.left;
    for (Rect* r : {&buttons_.nowy, &buttons_.oprav, &buttons_.zrus, &buttons_.hledej}) {
        *r = Rect{left, top, width, height};
        left += width + metrics_.cellWidth;
    }
}

// ---- the record editor ----

void TfSoub::Edituj() {
    cancelled_ = true;
    editor_ = std::make_unique<RecordEditor>(*this, c_, metrics_);
    editor_->Build();
    editor_->calculator = calculator;
    PriStavbeEditoru();
    if (showEditor) showEditor(*editor_);
    cancelled_ = !editor_->accepted();
    editor_->TakeIntoColumns();
    editor_->StoreGeometry();
    editor_.reset();
}

void TfSoub::OpustPole(int field, std::string& text) {
    if (editor_) {
        editor_->ApplyStates();
        text = editor_->NormalizeText(field, text);
    }
    PoPoli(field, text);
}

void TfSoub::Prijmi() {
    cancelled_ = false;
    if (editor_) editor_->Accept();
}

void TfSoub::TiskEditoru() {
    if (editor_) editor_->printRequested = true;
}

void TfSoub::VizazEditoru() {
    if (!editor_) return;
    const EnterTab now = LoadEnterTab(c_);
    const std::string swap = now == EnterTab::Swapped ? "Enter a Tab zpět na původní význam"_cz
                                                      : "Zaměnit klávesy Enter a Tab"_cz;
    const int item = c_.ui.ChooseItem(0, 0, F1Handler(), {"Barva a písmo editoru"_cz, swap},
                                      "Úprava vizáže"_cz);
    if (item == 1) {
        if (editorAppearance) editorAppearance(*editor_);
    } else if (item == 2) {
        const EnterTab next = now == EnterTab::Swapped ? EnterTab::Normal : EnterTab::Swapped;
        StoreEnterTab(c_, next);
        editor_->SetEnterTab(next);
    }
}

void TfSoub::UlozVzor() {
    if (!editor_) return;
    editor_->TakeIntoColumns();
    StoreTemplate(c_, templateFile(), columns());
}

void TfSoub::VlozVzor() {
    if (!editor_) return;
    editor_->TakeIntoColumns();
    RestoreTemplate(c_, templateFile(), columns(), states_);
    editor_->RefillFromColumns();
}

// ---- list operations ----

void TfSoub::Oprav() {
    if (count() < 1 || !editAllowed) return;
    existing_ = true;
    Obnov();
    const int row = current();
    // Only a record that was read is edited; its second read decides
    // whether the edit may be written. A failed read (its message shown)
    // writes nothing: the other station's change must not be overwritten
    // with the buffer read before.
    if (row < 1 || row > count() || !ReadRecord(row)) {
        Obnov();
        return;
    }
    const RecordStamp before = RecordStamp::Of(record_.data(), record_.size());
    RozlozVetu(columns(), record_.data());
    for (SloupecPopis& s : columns()) s.previousValue = s.value;
    Edituj();
    if (!cancelled_) {
        if (ReadRecord(row) && ConfirmUnchanged(c_, before, record_.data(), record_.size())) {
            SlozVetu(columns(), record_.data());
            for (SloupecPopis& s : columns()) s.repeatValue = s.value;
            modified_ = true;
            ZapisVetu(row);
            Prekresli();
        }
    }
    Obnov();
}

bool TfSoub::AddBlocked() {
    return !StripRight(GetReg(c_, kAddBlockFile, fileName_)).empty();
}

void TfSoub::Novy() {
    if (AddBlocked()) addAllowed = false;
    if (!addAllowed) return;
    existing_ = false;
    RozlozVetu(columns(), record_.data());
    Edituj();
    if (!cancelled_) {
        SlozVetu(columns(), record_.data());
        for (SloupecPopis& s : columns()) s.previousValue = s.repeatValue = s.value;
        Obnov();
        Pripoj();
        JdiNa(count(), 2);
        modified_ = true;
        const int stored = count();
        for (int slot = 1; slot <= kIndexSlots; ++slot) {
            auto& entries = index_[static_cast<std::size_t>(slot - 1)];
            if (entries.empty()) continue;
            if (AppendIndexEntry(c_, IndexFilePath(path_, slot), stored) == io::kOk)
                entries.push_back(stored);
        }
    }
    existing_ = true;
}

void TfSoub::KlShiftF4() {
    // The current row's own record is edited: the buffer may still hold
    // another row's record or the deletion template of the last F8.
    const int row = current();
    if (row < 1 || row > count() || !ReadRecord(row)) return;
    existing_ = false;
    RozlozVetu(columns(), record_.data());
    Edituj();
    if (!cancelled_) {
        SlozVetu(columns(), record_.data());
        for (SloupecPopis& s : columns()) s.repeatValue = s.value;
        ZapisVetu(row);
        modified_ = true;
    }
    existing_ = true;
}

void TfSoub::Zrus(int /*row*/) {
    if (!deleteAllowed) return;
    PredZrusenim();
    ZapisVetu(current());
    existing_ = true;
    modified_ = true;
    Prekresli();
}

// ---- repeat templates from the list ----

void TfSoub::UlozOpakovani() {
    CtiVetu(current());
    StoreTemplateFromRecord(c_, templateFile(), columns(), record_.data());
}

void TfSoub::VlozOpakovani() {
    if (current() < 1 || current() > count()) return;
    CtiVetu(current());
    if (ApplyTemplateToRecord(c_, templateFile(), columns(), states_, record_.data()))
        ZapisVetu(current());
}

// ---- sorting by a column ----

int TfSoub::RowOfStored(int n) {
    for (int row = 1; row <= count(); ++row)
        if (FyzickeCislo(row) == n) return row;
    return 0;
}

void TfSoub::Setrid(int column) {
    if (!IfVolny(c_, path_).empty()) {
        c_.ui.BeepMessage("Se souborem se pracuje");
        return;
    }
    const int remembered = FyzickeCislo(current());
    for (auto& entries : index_) entries.clear();
    activeIndex_ = 0;
    if (count() > 1 && column >= 1 && column <= ColumnCount()) {
        const int sortColumn =
            ColumnByTitle(columns(), columns()[static_cast<std::size_t>(column - 1)].title);
        c_.ui.ShowBusy("Moment, třídím"_cz);
        const int rc = BuildColumnIndex(c_, path_, columns(), sortColumn, count(),
                                        [this](std::int32_t n, std::string& rec) {
                                            return ReadStored(n, rec);
                                        });
        if (rc == io::kOk) {
            // Sorting makes index files part of this table from now on.
            indexFlag_ = true;
            OtevriIndexy();
            activeIndex_ = 1;
        } else {
            OtevriIndexy();
        }
        Obnov();
        const int row = RowOfStored(remembered);
        if (row > 0) JdiNa(row, 0);
        c_.ui.CloseBusy();
        if (rc != io::kOk) ShowIoError(" Soub: " + path_, rc);
    } else if (indexFlag_) {
        OtevriIndexy();
    }
    Prekresli();
}

// ---- exports ----

void TfSoub::ExportExcel() {
    ExportSource src;
    src.fileName = fileName_;
    src.columns = &columns();
    src.rows = ExportRows(count(), markedCount(), [this](std::int32_t row) {
        return JeOznacen(FyzickeCislo(row));
    });
    src.readRecord = [this](std::int32_t row) {
        CtiVetu(row);
        return record_;
    };
    src.afterLastRecord = [this] { ZrusOznaceni(); };
    WriteExcelExport(c_, src);
}

void TfSoub::ExportDbf() {
    ExportSource src;
    src.fileName = fileName_;
    src.columns = &columns();
    src.rows = ExportRows(count(), markedCount(), [this](std::int32_t row) {
        return JeOznacen(FyzickeCislo(row));
    });
    src.readRecord = [this](std::int32_t row) {
        CtiVetu(row);
        return record_;
    };
    WriteDbfExport(c_, src);
}

// ---- pictures ----

std::string TfSoub::PictureKey() {
    std::string key;
    KlicObrazku(current(), key);
    return key;
}

void TfSoub::SouborObrazku(int index, std::string& path) {
    path.clear();
    // The list refills (and shows a row's picture) right after a double
    // click on the picture: that refill shows the picture DalsiObrazek chose.
    if (keepPicture_) index = pictureNumber_;
    keepPicture_ = false;
    pictureNumber_ = index;
    if (!options.picturesOn) return;
    path = RecordPicturePath(c_, PictureKey(), index);
}

void TfSoub::DalsiObrazek() {
    if (!options.picturesOn) return;
    pictureNumber_ = NextRecordPicture(c_, PictureKey(), pictureNumber_);
    keepPicture_ = true;
}

void TfSoub::KlPismeno() {
    if (!options.picturesOn) return;
    const int letter = key::RawKey(key());
    if (letter == 'F') {
        if (!choosePicture) return;
        const ChosenPicture chosen = choosePicture(PictureFolder(c_));
        if (chosen.path.empty() && !chosen.data) return;
        std::string folder = chosen.folder;
        if (folder.empty()) {
            const std::size_t slash = chosen.path.find_last_of("\\/");
            if (slash != std::string::npos) folder = chosen.path.substr(0, slash + 1);
        }
        if (!folder.empty()) StorePictureFolder(c_, folder);
        const AttachResult r = chosen.data ? AttachRecordPictureData(c_, PictureKey(), *chosen.data)
                                           : AttachRecordPicture(c_, PictureKey(), chosen.path);
        if (r.code != 0)
            c_.ui.BeepMessage("Chyba" + FormatPic("####", r.code) + " při zápisu "_cz +
                              RecordPicturePath(c_, PictureKey(), FirstFreeRecordPicture(c_, PictureKey())));
    } else if (letter == 'T') {
        RgbImage picture;
        const std::string error =
            PreparePicturePrint(c_, RecordPicturePath(c_, PictureKey(), pictureNumber_), &picture);
        if (error.empty() && printPicture) printPicture(picture, PicturePrintMargins(c_));
    }
}

void TfSoub::KlCtrlF9() {
    // A list has no field: the calculator starts from 0 and its result
    // goes nowhere.
    if (calculator) (void)calculator(0);
}

void TfSoub::KlDel() {
    if (!options.picturesOn || current() < 1) return;
    DeleteRecordPicture(c_, PictureKey(), pictureNumber_);
    ForgetPicture();  // the renumbered files may keep sizes and times
    Prekresli();
}

}  // namespace kj
