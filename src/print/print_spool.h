#pragma once
// TfSpool: the print spool ("Seznam tiskových sestav"). A table browser
// whose rows are not a record file but a table in memory, filled from a
// directory scan at every opening: the text print files (".txt") that
// reports left in the spool directories, so that an older report can be
// viewed and printed again, the list sorted, and reports deleted.
//
// Spool directories: the lines of "_sestavy.kde" in the current directory,
// each a directory ending with "\"; the current directory alone when that
// file is missing or shorter than 3 bytes. Files of 0 bytes are not listed;
// at most 1000 entries are kept (later files overwrite the last one).
//
// Titles: "listw.tab" in the program directory, one rule a line. Columns
// 1-8 are a name pattern compared with the first 8 characters of the
// upper-cased entry name ("*" in either matches any character; texts of
// different length never match); the title is columns 19-68 when column 18
// holds "|", else columns 10-59, padded and cut to 45. Every rule is tried
// in file order, so a later matching line wins.
//
// Keys: Enter, Space or a double click show the report in the viewer; F8
// deletes it at once (under the report's write lock), leaving the row
// marked "########"; F1 the help "\2\spool"; F10 (and a click on a column
// title) sorts: by name, size, date (each date sort reverses the previous
// direction, the first one is ascending), title or directory, through the
// sort engine. "Sprav délku vět" rewrites the report with every line of
// exactly 140 characters, through a work file put in the report's place in
// one step.
//
// An entry keeps the file's own name and directory besides what the list
// shows, so a report whose name is longer than the 30 characters of the
// name column, or whose directory is longer than the 50 of its column, is
// still viewed and deleted where it lies.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/table_browser.h"

namespace kj {

inline constexpr int kSpoolMaxEntries = 1000;
inline constexpr int kSpoolNameWidth = 30;
inline constexpr int kSpoolTitleWidth = 45;
inline constexpr int kSpoolDirWidth = 50;
inline constexpr int kSpoolLineWidth = 140;
inline constexpr char kSpoolDirList[] = "_sestavy.kde";
inline constexpr char kSpoolTitles[] = "listw.tab";

// One listed report.
struct SpoolEntry {
    std::string name;       // 30 characters (see SpoolName); "########" + blanks once deleted
    int size = 0;           // bytes div 1000 + 1
    std::string date;       // DDMMRR of the last change
    std::string title;      // 45 characters; blank when no rule matched
    std::string directory;  // where it lies, with the final "\" (as listed)
    // The file itself: directory prefix of its path ("" = the current
    // directory) and its name without the ".txt".
    std::string where;
    std::string file;

    bool Deleted() const { return !name.empty() && name[0] == '#'; }
};

// The list's name of a report file: the name without its last four
// characters, padded and cut to 30, upper-cased, the first "ARL" written
// "ARl".
std::string SpoolName(std::string_view fileName);
// The title one "listw.tab" line gives an entry name; false when the line's
// pattern does not match it.
bool SpoolTitleRule(std::string_view line, std::string_view name, std::string* title);

class TfSpool : public TfSoub {
public:
    explicit TfSpool(Common& c, ScreenMetrics& metrics = SharedScreenMetrics());

    static std::string Caption();  // "Seznam tiskových sestav"
    static std::string Footer();   // " Enter,Mezera-Rožni  F8-Zruš "

    // Fills the table from the spool directories and prepares the list.
    void Otevri();
    // Shows the list modally through `show`; false when nothing shows it.
    bool Ukaz();
    // Releases the list and its table.
    void Zavri();
    bool showing() const { return showing_; }

    // Shows the list modally until it closes (the view runs its form).
    std::function<void(TfSpool&)> show;

    const std::vector<SpoolEntry>& entries() const { return table_; }
    // The report of a row as ShowPrintFile takes it: directory and name,
    // without ".txt"; "" for a row outside the list.
    std::string ReportPath(int row) const;

    // ---- operations (also for tests) ----
    // Fills the table (the scan, the titles, the order by name).
    void Napln();
    // Sorts by mode 1 name, 2 size, 3 date, 4 title, 5 directory; the
    // cursor stays on its report. Also a click on column 1..5's title.
    void Setrid(int mode) override;
    // Enter, Space: the report in the viewer.
    void Oprav() override;
    // F8: deletes the current report.
    void Zrus(int row) override;
    // "Sprav délku vět" on the current report; true when rewritten.
    bool SpravDelkuVet();
    // The next date sort is descending.
    bool dateDescending() const { return dateDescending_; }

    void CtiVetu(int row) override;
    void CtiVetuProZobrazeni(int row) override;
    void ZapisVetu(int row) override;

protected:
    void FormatujRadek() override;
    void KlF1() override;
    // Ctrl+F2 in the spool itself: it is already shown.
    void UkazTisky() override {}
    void KlikMysi() override;
    void PolozkaMenu(int item) override;
    // Nothing to add, edit in place, template or export in a spool.
    void Novy() override {}
    void KlShiftF4() override {}
    void VlozOpakovani() override {}
    void UlozOpakovani() override {}
    void ExportExcel() override {}
    void ExportDbf() override {}

private:
    void ScanDirectory(const std::string& where, const std::string& shown);
    void ApplyTitles();
    // Size and date of the entry's file anew (after the viewer or a rewrite).
    void Restat(SpoolEntry& e);
    std::string SortKey(const SpoolEntry& e, int mode) const;

    std::vector<SpoolEntry> table_;
    SpoolEntry veta_;       // the record buffer (CtiVetu, ZapisVetu)
    SpoolEntry zobrazena_;  // the display buffer (CtiVetuProZobrazeni)
    int zobrazenyRadek_ = 0;
    bool dateDescending_ = true;
    bool showing_ = false;
};

// The station's spool, made on first use; it keeps the date direction for
// the whole run.
TfSpool& PrintSpoolOf(Common& c);
// Ctrl+F2 in a list or editor: the spool filled, shown and released.
// Nothing happens while the spool is on the screen already.
void ShowPrintSpool(Common& c);

}  // namespace kj
