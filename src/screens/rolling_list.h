#pragma once
// The rolling list without its widgets.
//
// RollingList is the list form (TfRol) that every browser of the system
// is built on, as a state machine: a window of `visible` grid rows over
// the rows 1..count, scrolled by `top` (grid row r shows row top + r), the
// current row, row marks by stored record number (a bitmap of 400,000
// bits) with block marks, the typed-number buffer and its 50 ms rule, the
// reading-pen mode and its code buffer, the two-pass text search, JdiNa in
// its four modes, the key map on composite key codes, and the layout the
// view applies (form, grid, column widths, search line, counter, help
// line, scroll bar, picture panel).
//
// It holds no data: Prekresli asks TextRadku for the visible rows only,
// so a list over a million rows costs what a list over a hundred does.
// It draws nothing and owns no control. A view forwards its events (keys
// with their characters, clicks, the scroll bar, the search box, resizes,
// column resizes, closing), then shows gridRows(), counterText(),
// helpText() and the rest again and carries out TakeRequests().
//
// Descendants override the operations by their names. The table browser
// gives bodies to CtiVetu, CtiVetuProZobrazeni, ZapisVetu, FormatujRadek,
// FyzickeCislo, Oprav, Novy, Zrus, KlShiftF4, VlozOpakovani,
// UlozOpakovani, ExportExcel, ExportDbf, NactenKodDoPole, KlPismeno,
// Setrid, Setrid1..Setrid4, BezTrideni, DalsiObrazek, SouborObrazku, KlDel,
// NastavPismo, PoZobrazeni, Uvolni, IndexAktivni and VypniIndex; concrete
// screens override TextRadku, KlicObrazku, KlicHledani, PredZavrenim,
// PoNaplneni, NactenKod, PoOznaceni and the function-key operations
// (KlF1 ... KlF12, KlAltF5 ..., KlCtrlF3 ..., KlPlus ...). Every operation
// is empty here unless its comment says otherwise.
//
// Key map (sgRolKeyDown), composite codes of key_codes.h:
//   Enter: choose (Enter-edits off: key 13, PredZavrenim, close) or Oprav
//     (Enter-edits on); with the pen on or 6+ typed digits: NactenKod.
//   Esc: current -1, PredZavrenim, close.   Space: Oprav.
//   PgUp, PgDn, End, Home, Up, Down: move; Left/Right: first data column
//   and horizontal offset by 1, Ctrl+Left/Ctrl+Right: offset by 20.
//   Insert: toggle the mark (or the block's), PoOznaceni, one row down.
//   Ctrl+Y, Ctrl+Z, Ctrl+F10, Ctrl+F11: block start; Ctrl+K, Ctrl+num+:
//   block end (each marks the block when valid). Ctrl+E, Ctrl+num5:
//   ExportExcel; Ctrl+D, Ctrl+num4: ExportDbf. Ctrl+Space KlCtrlMezera,
//   Alt+Space KlAltMezera (no refill). Delete KlDel. Letters KlPismeno.
//   F1..F12: KlF1, KlF2, KlF3, Novy, KlF5, KlF6, KlF7, Zrus, KlF9, KlF10
//   and the pop-up menu, KlF11, KlF12. Alt+F1..F12: Setrid1..4,
//   KlAltF5..9, BezTrideni, KlAltF11, KlAltF12. Ctrl+F1..F9: Navod,
//   UkazTisky, KlCtrlF3..9. Ctrl+F12 UlozOpakovani; Shift+F4 KlShiftF4,
//   Shift+F10 KlShiftF10, Shift+F12 VlozOpakovani; num+ num- num*: KlPlus,
//   KlMinus, KlKrat. Ctrl then B, Caps Lock, or End with the customer
//   switch of the pen: pen mode on instead. Every key but Enter, Esc,
//   Ctrl+Space and Alt+Space ends with Prekresli.

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/char_window.h"
#include "screens/column.h"
#include "screens/key_codes.h"
#include "screens/list_layout.h"
#include "screens/screen_metrics.h"
#include "services/common.h"
#include "services/jpeg_codec.h"

namespace kj {

// Marks: one bit per stored record number 0..400,000.
inline constexpr int kMarkBitmapBytes = 50001;
inline constexpr int kMaxMarkedRecord = 400000;
// Characters a column buffer keeps.
inline constexpr std::size_t kColumnTextMax = 255;
// Digits closer together than this are a pen or scanner, not a typed row.
inline constexpr std::int64_t kTypedDigitGapMs = 50;
inline constexpr std::size_t kTypedDigitsMax = 16;
// Typed digits from which Enter reads a code instead of choosing.
inline constexpr std::size_t kCodeDigits = 6;
inline constexpr int kPopupItems = 11;
inline constexpr int kMaxHorizontalOffset = 999;
// The character column 0 shows for a marked row.
inline constexpr char kMarkChar = '\x11';

// Milliseconds of a steady clock.
using MsClock = std::function<std::int64_t()>;
MsClock SteadyMsClock();

enum class ListMouse { Left, Right, Middle };

// Switches of a list; descendants and owners set them before the list opens.
struct ListOptions {
    bool enterEdits = false;     // Enter and a double click call Oprav instead of choosing
    bool picturesOn = false;     // rows have pictures (SouborObrazku)
    bool textViewer = false;     // columns start at the horizontal offset
    bool noSearchWrap = false;   // the search ends at the last row
    bool searchIgnoresPunctuation = false;  // blanks, ",", "-", "." ignored
    bool exactSearch = false;    // no case and accent folding
    bool semicolonsAsBlanks = false;  // a one-column list shows ";" as blanks
    int rowAdjustment = 0;       // grid rows given up for the descendant's controls, 0..30
    int rowOffset = 0;           // subtracted from a typed row number above it
};

// One grid row as shown: the mark column and the data columns.
struct GridRow {
    bool marked = false;
    std::vector<std::string> cells;  // data columns 1..n as element 0..n-1
};

// Where the view puts its controls, in pixels inside the form.
struct RollingListLayout {
    Rect form;  // position on the screen and size
    Rect grid;
    // Data columns the grid shows whole: firstColumn .. lastWholeColumn
    // (0 when not even the first one fits and the grid cuts it).
    int lastWholeColumn = 0;
    int rowHeight = kDefaultCellHeight;
    std::vector<int> columnWidths;  // grid columns 0..n
    Rect searchLabel;
    Rect searchBox;
    Rect counter;
    Rect helpLine;
    Rect scrollBar;
    PicturePlacement picture;
};

// The picture of the current row, when one is shown.
struct ListPicture {
    bool shown = false;
    std::string path;          // the stored picture (system path)
    std::int64_t size = 0;     // its size and time when it was decoded
    std::time_t modified = 0;
    RgbImage image;            // decoded with libjpeg, unscrambled when needed
    int version = 0;           // grows whenever `image` changes
};

struct PopupItem {
    std::string caption;
    bool visible = false;
    bool enabled = true;  // a disabled item is shown greyed
    int shortcut = 0;     // composite key code that chooses it in the list (0 = none)
};

class RollingList {
public:
    // What the view does after an event.
    struct Requests {
        bool close = false;       // the form closes; current() and key() tell how
        bool layout = false;      // form, grid rows, columns or row height changed
        bool appearance = false;  // font or colours changed
        bool popupMenu = false;   // F10: show the pop-up menu
        bool focusSearch = false; // the search box became active: focus it
        bool focusGrid = false;   // the search box is done: focus the grid
    };

    // windowName prefixes this list's keys in "par\okna2.par".
    explicit RollingList(Common& c, std::string windowName = "fRol",
                         ScreenMetrics& metrics = SharedScreenMetrics());
    virtual ~RollingList() = default;
    RollingList(const RollingList&) = delete;
    RollingList& operator=(const RollingList&) = delete;

    // ---- set-up ----
    // The columns (descriptors and titles); set before OtevriSeznam.
    Sloupce& columns() { return columns_; }
    const Sloupce& columns() const { return columns_; }
    void SetColumns(Sloupce columns);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    ListOptions options;
    // The clock of the typed-number rule.
    MsClock clock = SteadyMsClock();
    // Ctrl+F2: the print spool form; the station's (Common::showPrintSpool)
    // unless the owner sets another.
    std::function<void()> showPrintSpool;
    // Item 1 of the appearance menu: the system-parameter window. Empty
    // until that window exists; the item then does nothing.
    Common& common() { return c_; }
    std::function<void()> systemParameters;
    // Called every 1000 rows of a search, after the help line blinked: the
    // view repaints.
    std::function<void()> searchProgress;
    void SetPickers(AppearancePickers* pickers) { pickers_ = pickers; }
    AppearancePickers* pickers() const { return pickers_; }
    // Shows pop-up menu item 1..11 with its caption, greyed when not
    // enabled; the caption "-" makes it a separator line. A shortcut
    // (composite key code) chooses a visible, enabled item from the list
    // without the menu.
    void SetPopupItem(int item, std::string caption, bool enabled = true, int shortcut = 0);
    // Titles of the grid's columns when they differ from the columns' own
    // (the editor's labels); empty = the columns' titles. Set before
    // OtevriSeznam, which sizes the columns by them.
    void SetListTitles(std::vector<std::string> titles) { listTitles_ = std::move(titles); }

    // Prepares the list before it is shown: caption, rows, layout, marks,
    // appearance and the remembered row (" Index").
    void OtevriSeznam(int leftColumn, int topRow, int rightColumn, int bottomRow, int paper,
                      int ink, std::string_view header, std::string_view help, int current,
                      int count);
    // Makes a row 1..count current and scrolls it into view; mode 0 keeps
    // the grid row, 1 puts the row at the top, 2 at the bottom, 3 aligns
    // pages. Ends with Prekresli.
    void JdiNa(int row, int mode);
    // Number of rows; the view is laid out again when it changes.
    void SetCount(int count);

    // ---- marks, by stored record number ----
    bool JeOznacen(int n) const;
    void Oznac(int n);
    void Odznac(int n);
    int markedCount() const { return marked_; }
    int blockStart() const { return blockStart_; }
    int blockEnd() const { return blockEnd_; }
    // Clears every mark, the counter and the block.
    void ZrusOznaceni();

    // ---- events from the view ----
    void KeyDown(int vk, key::Mod mods);  // sgRolKeyDown
    void KeyPress(char ch);               // sgRolKeyPress
    // A click on grid row 1..visible.
    void Click(int gridRow);
    void DoubleClick(int gridRow);
    // sgRolMouseDown; gridRow 0 is the title row, column the data column
    // under the pointer (1..n, 0 for the mark column).
    void MouseDown(ListMouse button, bool ctrl, int gridRow, int column);
    void ScrollBarChange(int position);
    void ScrollBarEsc();
    // A key in the active search box with the box's text; true when the
    // list used it (Esc, F3, Ctrl+F3 end the entry).
    bool SearchKeyDown(int vk, key::Mod mods, std::string_view boxText);
    // The button "Hledej": activates the search box, or ends it as F3.
    void PrepniHledani(std::string_view boxText);
    // The form's new size (FormResize).
    void FormResize(int width, int height);
    // The form's new position (remembered on close).
    void FormMoved(int left, int top);
    // The user dragged grid column i (0..n) to a new width.
    void ColumnResized(int gridColumn, int width);
    // The user moved or resized the picture panel / moved the text pane.
    void PicturePanelChanged(const Rect& panel);
    void TextPaneMoved(int left, int top);
    // A double click on the picture: DalsiObrazek, then the refill.
    void PictureDoubleClick();
    // Pop-up menu item 1..11 chosen.
    void PopupChosen(int item);
    Requests TakeRequests();

    // ---- state for the view ----
    int count() const { return count_; }
    int current() const { return current_; }
    int top() const { return top_; }
    int visible() const { return visible_; }
    int maxVisible() const { return maxVisible_; }
    int gridRow() const { return gridRow_; }
    int firstColumn() const { return firstColumn_; }
    int horizontalOffset() const { return offset_; }
    // Composite code of the last key; 13 after a choice.
    int key() const { return key_; }
    int lastRawKey() const { return lastRaw_; }
    bool penMode() const { return pen_; }
    const std::string& penCode() const { return penCode_; }
    const std::string& typedDigits() const { return typed_; }
    const std::string& windowName() const { return windowName_; }
    const std::string& caption() const { return caption_; }
    const Appearance& appearance() const { return appearance_; }
    const RollingListLayout& layout() const { return layout_; }
    const std::vector<std::string>& titles() const { return titles_; }
    // Grid rows 1..visible as element 0..visible-1.
    const std::vector<GridRow>& gridRows() const { return grid_; }
    const std::string& counterText() const { return counter_; }
    bool counterRed() const;
    const std::string& helpText() const { return helpShown_; }
    bool helpVisible() const { return helpVisible_; }
    bool searchActive() const { return searchActive_; }
    const ListPicture& picture() const { return picture_; }
    const std::array<PopupItem, kPopupItems>& popupItems() const { return popup_; }

    // ---- operations owners call ----
    // Refills the grid rows from TextRadku and the counter line, shows the
    // current row's picture, then PoNaplneni and PoZobrazeni.
    virtual void Prekresli();
    // Fills the column buffers for a row and returns them joined with
    // single blanks: CtiVetuProZobrazeni, then FormatujRadek.
    virtual void TextRadku(int row, std::string& text);
    // Lays out the grid: row height, visible rows, column widths, the
    // search line, counter, help line and scroll bar.
    virtual void NastavPismo();
    // Release: frees the marks, stores " Index" and " Gridy".
    virtual void Uvolni();
    // Stores the form's place and size.
    virtual void FormClose(const Rect& form);
    // Row to stored record number; here the row itself.
    virtual int FyzickeCislo(int row);
    // The row itself; nothing in the system calls it.
    virtual int FyzickeCisloPoradi(int row) { return row; }
    virtual void CtiVetu(int row);
    virtual void CtiVetuProZobrazeni(int row);
    virtual void ZapisVetu(int row);

    // Column buffer k (1..n), filled by TextRadku.
    std::string& Text(int k) { return texts_[static_cast<std::size_t>(k - 1)]; }
    const std::string& Text(int k) const { return texts_[static_cast<std::size_t>(k - 1)]; }

protected:
    // ---- hooks for descendants ----
    virtual void PredZavrenim() {}
    // Enter or a double click wants to choose `row`: false keeps the list
    // open (the descendant has told the user why).
    virtual bool LzeVybrat(int /*row*/) { return true; }
    virtual void PoNaplneni() {}
    virtual void PoZobrazeni() {}
    // Picture key of a row: the row formatted "@@@@@@".
    virtual void KlicObrazku(int row, std::string& key);
    // Picture file `index` of the current row: KlicObrazku + "-" + index
    // "@@" + ".jpg" when pictures are on, else empty.
    virtual void SouborObrazku(int index, std::string& path);
    // The pen read a code; it is in penCode().
    virtual void NactenKod() {}
    // Searches for the search box's text in two passes: as typed, then
    // without blanks, ",", "-" and "."; the found row becomes current.
    virtual void Hledej();
    // The text a row is searched in: TextRadku, folded unless exact. An
    // override folds it too (NajdiText does not fold again).
    virtual void KlicHledani(int row, std::string& text);
    // The row holding `text` after current (wrapping unless no-search-wrap
    // is set), or -1.
    virtual int NajdiText(std::string_view text);
    virtual void FormatujRadek() {}
    virtual void KlDel() {}
    virtual void Oprav() {}
    virtual void KlCtrlMezera() {}
    virtual void KlAltMezera() {}
    virtual void KlF1() {}
    virtual void KlF2() {}
    // Activates the search box.
    virtual void KlF3();
    virtual void Novy() {}
    virtual void KlF5() {}
    virtual void KlF6() {}
    virtual void KlF7() {}
    virtual void Zrus(int /*row*/) {}
    virtual void KlF9() {}
    virtual void KlF10() {}
    // The appearance menu.
    virtual void KlF11();
    virtual void KlF12() {}
    // Index files 1..4 and back to stored order (the table browser).
    virtual void Setrid1() {}
    virtual void Setrid2() {}
    virtual void Setrid3() {}
    virtual void Setrid4() {}
    virtual void KlAltF5() {}
    virtual void KlAltF6() {}
    virtual void KlAltF7() {}
    virtual void KlAltF8() {}
    virtual void KlAltF9() {}
    virtual void BezTrideni() {}
    virtual void KlAltF11() {}
    virtual void KlAltF12() {}
    // The guide of "\NAVODY\" in the program directory.
    virtual void Navod();
    // The print spool form (showPrintSpool).
    virtual void UkazTisky();
    virtual void KlCtrlF3() {}
    virtual void KlCtrlF4() {}
    virtual void KlCtrlF5() {}
    virtual void KlCtrlF6() {}
    virtual void KlCtrlF7() {}
    virtual void KlCtrlF8() {}
    virtual void KlCtrlF9() {}
    virtual void KlShiftF4() {}
    virtual void KlShiftF10() {}
    virtual void VlozOpakovani() {}
    virtual void UlozOpakovani() {}
    virtual void KlPlus() {}
    virtual void KlMinus() {}
    virtual void KlKrat() {}
    virtual void ExportExcel() {}
    virtual void ExportDbf() {}
    virtual void NactenKodDoPole() {}
    // A letter; key() tells which.
    virtual void KlPismeno() {}
    virtual void KlikMysi() {}
    // A click on the title of data column `column`.
    virtual void Setrid(int /*column*/) {}
    virtual void DalsiObrazek() {}
    virtual void PoOznaceni() {}
    // Pop-up menu item 1..11.
    virtual void PolozkaMenu(int /*item*/) {}
    // An index file is active: rows are not stored record numbers.
    // Around a search that reads row after row: a descendant over a file
    // may read ahead in blocks in between (nothing is written meanwhile).
    virtual void BeginBulkRead() {}
    virtual void EndBulkRead() {}
    virtual bool IndexAktivni() const { return false; }
    virtual void VypniIndex() {}

    // ---- for descendants ----
    // The stored record number of the record TextRadku just read; set to
    // FyzickeCislo(row) before each TextRadku, a descendant may correct it.
    void SetCtenaVeta(int n) { read_ = n; }
    int ctenaVeta() const { return read_; }
    // Asks the view to lay the form out again / to close it.
    void RequestLayout() { requests_.layout = true; }
    void RequestClose() { requests_.close = true; }
    // The help line's text.
    void SetHelpText(std::string_view help);
    // F1 help: the topic of a help file, shown through the station
    // (Common::showHelp).
    void UkazNapovedu(std::string_view helpFile, std::string_view topic);
    // Loads the picture of the current row into picture().
    // The picture files changed behind the list: decode the shown one anew.
    void ForgetPicture() { picture_.path.clear(); }
    void UkazObrazek();
    // The current row as the grid shows it.
    int GridCurrent() const { return top_ + gridRow_; }
    // Row state for descendants that append or reload rows; Prekresli
    // restores the invariants (1 <= grid row <= visible <= count,
    // top + grid row <= count).
    void SetCurrent(int row) { current_ = row; }
    void SetTop(int top) { top_ = top; }
    void SetVisible(int visible) { visible_ = visible; }
    void SetGridRow(int gridRow) { gridRow_ = gridRow; }
    RollingListLayout& mutableLayout() { return layout_; }
    std::vector<int>& columnWidths() { return widths_; }

    Common& c_;
    ScreenMetrics& metrics_;

private:
    void Dispatch(int code);
    void Choose();
    void GrowVisible();
    void MoveDown();
    void MoveUp();
    void KlInsert();
    void MarkBlock();
    bool Toggle(int n);
    void UpdateCounter(int row);
    void EndSearch(bool run, std::string_view boxText);
    void Relayout();
    void ApplyAppearance();
    std::string Fold(std::string_view text) const;

    std::string windowName_;
    AppearancePickers* pickers_ = nullptr;
    Sloupce columns_;
    std::vector<std::string> texts_;
    std::vector<std::string> titles_;
    std::vector<std::string> listTitles_;
    std::vector<GridRow> grid_;

    int count_ = 0;
    int current_ = 0;
    int top_ = 0;
    int visible_ = 0;
    int maxVisible_ = 1;
    int gridRow_ = 0;
    int firstColumn_ = 1;
    int offset_ = 1;
    int read_ = 0;

    int key_ = 0;
    int lastRaw_ = 0;
    std::string typed_;
    std::int64_t lastDigitMs_ = 0;
    bool anyDigit_ = false;
    bool pen_ = false;
    std::string penCode_;

    std::vector<std::uint8_t> marks_;
    int marked_ = 0;
    int blockStart_ = 0;
    int blockEnd_ = 0;

    std::string caption_;
    std::string help_;
    std::string helpShown_;
    bool helpVisible_ = true;
    std::string counter_;
    bool searchActive_ = false;
    std::string searchText_;
    int paper_ = 0;
    int ink_ = 0;
    Appearance appearance_;
    RollingListLayout layout_;
    std::vector<int> widths_;
    ListPicture picture_;
    std::array<PopupItem, kPopupItems> popup_;
    Requests requests_;
};

}  // namespace kj
