#pragma once
// Layout and remembered appearance of a rolling list.
//
// These are the pieces of a list's look that live in "par\okna2.par" under
// the list's window name: the form rectangle (" Left", " Top", " Width",
// " Height"), the column widths (" Gridy"), the last current row
// (" Index"), the picture panel and text pane (" ImgLeft" ... " TextTop"),
// and the appearance menu of F11 with its seven items. Font and colours
// are loaded by NactiVizaz of the character window with the list's key
// names (VizazKeys::List). Nothing here holds list state or draws.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/char_window.h"
#include "screens/column.h"
#include "screens/screen_metrics.h"
#include "services/common.h"

namespace kj {

// Width of the mark column (grid column 0) in pixels.
inline constexpr int kMarkColumnWidth = 10;
// A stored column width outside 1..999 becomes this.
inline constexpr int kFallbackColumnWidth = 200;
// " Gridy" keeps at most this many grid columns, 3 characters each.
inline constexpr int kGridyMaxColumns = 40;
inline constexpr int kMinListWidth = 200;
// Rows of the form that are not grid rows (titles, search line, help line
// and the frame), counted in grid row heights.
inline constexpr int kListNonGridRows = 7;
inline constexpr int kMaxRowAdjustment = 30;
inline constexpr int kScrollBarWidth = 16;

// The form rectangle of a list from its cell rectangle: left and top from
// the cells, the width from the columns and the height from the rows.
Rect ListCellRect(int leftColumn, int topRow, int rightColumn, int bottomRow, int cellWidth,
                  int cellHeight);
// ListCellRect replaced by the stored " Left", " Top", " Width", " Height"
// that read above 0; the width at least 200; a form that would start
// beyond the work area less 100 pixels is moved to that limit.
Rect ListFormRect(Common& c, std::string_view windowName, const Rect& fromCells);

// Grid rows that fit a form of this height: height div (row height + 1)
// less the rows that are not grid rows and the list's row adjustment (a
// value outside 0..30 counts as 0); at least 1.
int MaxVisibleRows(int formHeight, double scale, int cellHeight, int rowAdjustment);
// Grid row height in pixels.
int ListRowHeight(double scale, int cellHeight);

// Width of a data column computed from its field: scale x (width + 1 + d)
// x (character width + e), d = 1 for dates and times, but at least one
// character more than the title without its trailing blanks; with a
// "Courier..." or "Fixedsys" grid font the character is 8 pixels plus 1,
// otherwise the cell width.
int ComputedColumnWidth(const SloupecPopis& column, std::string_view fontName, int cellWidth,
                        double scale);
// Widths of grid columns 0..n: the stored " Gridy" values when there are
// at least two data columns, else (and for every value missing, blank or 0)
// the computed ones; a stored value outside 1..999 becomes 200.
std::vector<int> ListColumnWidths(Common& c, std::string_view windowName, const Sloupce& columns,
                                  std::string_view fontName, int cellWidth, double scale);
// " Gridy" of grid column widths: each "@@@", at most 40 columns.
std::string FormatGridy(const std::vector<int>& widths);

// ---- stored on close ----

// " Left", " Top", " Width", " Height" with "@@@@".
void StoreListGeometry(Common& c, std::string_view windowName, const Rect& form);
// " Index" with "@@@@@@".
void StoreListIndex(Common& c, std::string_view windowName, int row);
// The stored " Index"; 0 when missing or not a number.
int StoredListIndex(Common& c, std::string_view windowName);
// " Gridy", written only when there are at least two data columns.
void StoreGridy(Common& c, std::string_view windowName, const std::vector<int>& widths);

// ---- picture panel and text pane ----

struct PicturePlacement {
    Rect panel;    // the picture panel
    Rect textPane; // the text pane; only left and top are remembered
};
// The defaults replaced by " ImgLeft", " ImgTop", " ImgWidth",
// " ImgHeight", " TextLeft", " TextTop", each when above 0.
PicturePlacement ReadPicturePlacement(Common& c, std::string_view windowName,
                                      PicturePlacement defaults);
// The panel's place and size with "@@@@@@".
void StorePicturePanel(Common& c, std::string_view windowName, const Rect& panel);
// The text pane's left and top with "@@@@@@".
void StoreTextPane(Common& c, std::string_view windowName, int left, int top);

// ---- the appearance menu ----

// What the list does after the appearance menu.
struct VizazOutcome {
    bool appearance = false;  // font, colours or cell size changed: lay out again
    bool fitWorkArea = false; // the form takes the work area's width and height
};

// F11 of a list: "Úprava vizáže" with its seven items. `appearance` is the
// list's loaded appearance, `paper` and `ink` the caller's colours from
// which NactiVizaz starts when the appearance is reloaded.
//   1 "Parametry systému": systemParameters (nothing while it is empty);
//   2 background colour, stored as " FontPaper"; one font for all windows ends;
//   3 font and its colour for this window, then the cell height (10..30)
//     and width (5..20);
//   4 font for every window (general keys, colours kept), cell sizes
//     (width 5..30), reload;
//   5 every window's settings deleted, reload;
//   6 the form as large as the work area;
//   7 the program's standard appearance "2\Oknag.par" replaces the
//     settings: one font for all windows, reload.
VizazOutcome UpravVizazSeznamu(Common& c, const ScreenMetrics& metrics,
                               std::string_view windowName, Appearance& appearance, int paper,
                               int ink, AppearancePickers* pickers,
                               const std::function<void()>& systemParameters);

}  // namespace kj
