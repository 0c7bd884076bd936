#pragma once
// The table browser (TfSoub): the rolling list over one file of
// fixed-length records. Every row is one record; the columns are declared
// with the mask language (column.h). It adds the record editor
// (record_editor.h) for adding, editing and deleting records with a check
// against changes made meanwhile by another station, sorting by a column
// through index files (column_sort.h), repeat templates (".F12"), pictures
// attached to records and the exports.
//
// The data file stays open while the browser is open, shared, under a read
// lock of this station; the descendant releases the lock (Odemkni of
// dataPath()) when it closes, after its own closing work (a sort), and
// calls Uvolni.
//
// The editor is modal: Edituj builds it and hands it to showEditor, which
// returns when the editor asked to close (the Qt form runs its dialog loop
// there, tests send keys). Without showEditor the edit counts as cancelled.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/record_editor.h"
#include "screens/record_pictures.h"
#include "screens/rolling_list.h"

namespace kj {

inline constexpr int kIndexFlag = 10000;  // record length above it: index files on
inline constexpr const char* kAddBlockFile = "par\\zakakt.par";

// Rectangle in character cells and colours of the list or of the editor.
struct CellBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int ink = kColourBlack;
    int paper = 0;
};

class TfSoub : public RollingList {
public:
    explicit TfSoub(Common& c, std::string windowName = "fSoub",
                    ScreenMetrics& metrics = SharedScreenMetrics());
    ~TfSoub() override;

    // ---- set-up ----
    // The columns are set (SetColumns) before. recordLength above 10000
    // means recordLength - 10000 with the index files 1..4 opened. Returns
    // the DOS code of opening the data file (already shown).
    int OtevriTabulku(std::string_view fileName, std::string_view caption, int order,
                      int columnCount, int recordLength, int current, const CellBox& editor,
                      const CellBox& list, std::string_view editorHelp,
                      std::string_view editorTitle, std::string_view listHelp);
    // The job-file key counting appended records (GetJobIn/SetJobIn in
    // the data directory); "" = none.
    void SetChangeCounter(std::string_view key);
    const std::string& changeCounterKey() const { return counterKey_; }
    const std::string& changeCounterValue() const { return counterValue_; }

    // ---- state ----
    const std::string& fileName() const { return fileName_; }
    const std::string& dataPath() const { return path_; }
    int recordLength() const { return recLen_; }
    bool isOpen() const { return file_ != nullptr; }
    char* Veta() { return record_.data(); }
    const std::string& record() const { return record_; }
    const std::string& displayRecord() const { return display_; }
    // Stored record number of the last record read.
    int storedNumber() const { return stored_; }
    bool editAllowed = true;
    bool addAllowed = true;
    bool deleteAllowed = true;
    bool modified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }
    bool existingRecord() const { return existing_; }
    bool cancelled() const { return cancelled_; }
    bool wrapEditor = false;
    // The read running PoCteni is for display.
    bool readingForDisplay() const { return forDisplay_; }
    int activeIndex() const { return activeIndex_; }
    int indexCount(int slot) const;
    const std::string& editorTitle() const { return editorTitle_; }
    const std::string& editorHelp() const { return editorHelp_; }
    const CellBox& editorBox() const { return editorBox_; }
    // Editor states of the columns (-1 hidden, 0 read-only, 1 editable).
    std::vector<int>& editorStates() { return states_; }
    int EditorState(int column) const;
    void SetEditorState(int column, int state);
    // The editor while it is open, else null; its current field is -1 then.
    RecordEditor* editor() { return editor_.get(); }
    int currentField() const { return editor_ ? editor_->Current() : -1; }
    // "par\" + first 8 characters of the window name + ".F12".
    std::string templateFile() const;
    // Picture number shown (DalsiObrazek).
    int pictureNumber() const { return pictureNumber_; }

    // The buttons "Nový", "Oprav", "Zruš", "Hledej" below the search box;
    // shown when buttonsVisible is set before the list is laid out.
    struct Buttons {
        bool shown = false;
        Rect nowy, oprav, zrus, hledej;
    };
    bool buttonsVisible = false;
    const Buttons& buttons() const { return buttons_; }
    // The button "Hledej": the search box on, or its search run.
    void KlNajdiClick(std::string_view boxText) { PrepniHledani(boxText); }

    // Ctrl+F9 in the editor (see FieldWalker::calculator) and in the list:
    // the station's calculator unless the owner sets another.
    std::function<std::optional<std::string>(double)> calculator;

    // Runs the modal editor; returns when it asked to close.
    std::function<void(RecordEditor&)> showEditor;
    // F in the list: the picture the user chose in "Vyber obrázek" (*.jpg,
    // starting in `folder`). Either a path of the station's file system, or
    // the bytes the view read itself; the folder to remember ("" = the
    // path's folder). No path and no bytes: nothing chosen.
    struct ChosenPicture {
        std::string path;
        std::optional<std::string> data;
        std::string folder;
    };
    std::function<ChosenPicture(const std::string& folder)> choosePicture;
    // T in the list: the shown picture, converted (and saved as
    // "obrazek.bmp"), drawn on the printer with the margins of "OF.PAR".
    std::function<void(const RgbImage& picture, const PictureMargins& margins)> printPicture;

    // ---- record access (rows 1-based) ----
    void CtiVetu(int row) override;
    void CtiVetuProZobrazeni(int row) override;
    void ZapisVetu(int row) override;
    int FyzickeCislo(int row) override;
    void Uvolni() override;
    virtual void ZapisVetuPrimo(int row) { ZapisVetu(row); }
    virtual void CtiVetuPrimo(int row) { CtiVetu(row); }
    // Appends the record buffer as the new last record.
    virtual void Pripoj();
    virtual int FyzickeCislo2(int row);
    // Reopens the data file, recounts, re-reads the change counter.
    void Obnov();
    // Runs the record editor over the column values.
    void Edituj();
    // The list's layout, then the buttons' row.
    void NastavPismo() override;

    // ---- list operations (also public for the buttons and tests) ----
    void Oprav() override;
    void Novy() override;
    void Zrus(int row) override;
    void KlShiftF4() override;
    void Setrid(int column) override;
    void ExportExcel() override;
    void ExportDbf() override;
    // The buttons "Nový", "Oprav", "Zruš", "Hledej".
    void KlF4Click() { Novy(); }
    void KlMezClick() { Oprav(); }
    void KlF8Click() { Zrus(current()); }

protected:
    friend class RecordEditor;

    // ---- hooks of the record editor ----
    virtual void OpustPole(int field, std::string& text);
    virtual void PoEnteruPole(int /*field*/) {}
    virtual void PoPoli(int /*field*/, std::string& /*text*/) {}
    virtual void PriZruseniOpravy() {}
    virtual void PriStavbeEditoru() {}
    virtual void Prijmi();
    virtual void PredZrusenim() {}
    virtual void KlicVety(int /*row*/, std::string& /*text*/) {}
    virtual void NapovedaEditoru() { KlF1(); }
    virtual void PrijmiF2() { Prijmi(); }
    virtual void EdF3() {}
    virtual void EdF4() {}
    virtual void EdF5() {}
    virtual void EdF6() {}
    virtual void EdF7() {}
    virtual void EdF8() {}
    virtual void EdF9() {}
    // F10: the view prints the editor form.
    virtual void TiskEditoru();
    // F11: the appearance of the editor (editorAppearance).
    virtual void VizazEditoru();
    virtual void NavodEditoru() { Navod(); }
    virtual void UkazTiskyEditor() { UkazTisky(); }
    virtual void EdCtrlF3() {}
    virtual void EdCtrlF4() {}
    virtual void EdCtrlF5() {}
    virtual void EdCtrlF6() {}
    virtual void EdCtrlF7() {}
    virtual void EdCtrlF8() {}
    virtual void EdAltF1() {}
    virtual void EdAltF2() {}
    virtual void EdAltF3() {}
    virtual void EdAltF4() {}
    virtual void EdAltF5() {}
    virtual void EdAltF6() {}
    virtual void EdAltF7() {}
    virtual void EdAltF8() {}
    virtual void EdAltF9() {}
    virtual void EdAltF10() {}
    virtual void UlozVzor();
    virtual void VlozVzor();
    // Before any record write / after any record read, with the
    // personal-data switch on only.
    virtual void PredZapisem() {}
    virtual void PoCteni() {}

    // ---- list hooks given bodies ----
    void FormatujRadek() override;
    void VlozOpakovani() override;
    void UlozOpakovani() override;
    void Setrid1() override { ZapniIndex(1); }
    void Setrid2() override { ZapniIndex(2); }
    void Setrid3() override { ZapniIndex(3); }
    void Setrid4() override { ZapniIndex(4); }
    void BezTrideni() override { activeIndex_ = 0; }
    bool IndexAktivni() const override;
    void BeginBulkRead() override;
    void EndBulkRead() override;
    void VypniIndex() override { activeIndex_ = 0; }
    void SouborObrazku(int index, std::string& path) override;
    void DalsiObrazek() override;
    void KlPismeno() override;
    void KlDel() override;
    // Ctrl+F9: the calculator.
    void KlCtrlF9() override;

    // The appearance dialog of the editor (colours, font, the Enter/Tab
    // swap); the view sets it.
public:
    std::function<void(RecordEditor&)> editorAppearance;

protected:
    const std::string& fileNameForMessages() const { return fileName_; }
    // CtiVetu (row) into the record buffer; false when the read failed
    // (its message shown, the buffer kept as it was).
    bool ReadRecord(int row);

private:
    int OtevriSoubor();
    void ZavriSoubory();
    void OtevriIndexy();
    void ZapniIndex(int slot);
    int ReadStored(int n, std::string& into);
    int WriteStored(int n, const std::string& from);
    void ReadInto(int row, std::string& buffer, bool forDisplay);
    void ShowIoError(std::string_view what, int code);
    std::string User();
    void ReadCounter();
    int RowOfStored(int n);
    std::string PictureKey();
    bool AddBlocked();

    std::string fileName_;
    std::string path_;
    std::unique_ptr<File> file_;
    // Read-ahead block of a search in stored order (BeginBulkRead to
    // EndBulkRead): records bulkFirst_ .. bulkFirst_ + bulkCount_ - 1.
    bool bulk_ = false;
    int bulkFirst_ = 0;
    int bulkCount_ = 0;
    std::string bulkBytes_;
    int recLen_ = 0;
    bool indexFlag_ = false;
    std::string record_;
    std::string display_;
    int stored_ = 0;
    bool modified_ = false;
    bool existing_ = true;
    bool cancelled_ = true;
    bool forDisplay_ = false;
    bool readFailed_ = false;
    std::vector<int> states_;
    std::string editorTitle_, editorHelp_;
    CellBox editorBox_;
    std::array<std::vector<std::int32_t>, 4> index_;
    int activeIndex_ = 0;
    std::string counterKey_;
    std::string counterValue_;
    std::unique_ptr<RecordEditor> editor_;
    int pictureNumber_ = 0;
    // DalsiObrazek chose a picture that the refill after it is to show.
    bool keepPicture_ = false;
    Buttons buttons_;
};

}  // namespace kj
