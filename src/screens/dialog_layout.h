#pragma once
// The standard dialogs without their widgets: sizes and places in pixels,
// the remembered positions in the parameter files and the key rules. The Qt
// forms render what these functions give and forward their keys here; the
// remembered answers and items and the results are the shared steps of
// services/dialog_rules.h.
//
// All texts are Windows-1250. Sizes are client-area pixels.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "screens/screen_metrics.h"
#include "services/common.h"
#include "services/dialog_rules.h"
#include "services/dialogs.h"

namespace kj {

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// ---- parameter files ----

inline constexpr std::string_view kWindowParams = "par\\okna2.par";

// ---- keys ----

// The keys the dialogs react to, as the Qt side reports them.
enum class DialogKey { Other, Escape, Enter, Tab, BackTab, Up, Down, F1, CtrlF1, F2, F4, F9, F10 };

// ---- remembered positions ----

struct PositionSuffixes {
    std::string_view left;
    std::string_view top;
};
inline constexpr PositionSuffixes kYesNoPosition{" DotazLeft", " DotazTop"};
inline constexpr PositionSuffixes kFieldsPosition{" DotazyLeft", " DotazyTop"};
inline constexpr PositionSuffixes kChoicePosition{" VyberLeft", " VyberTop"};
inline constexpr PositionSuffixes kBusyPosition{" BlikLeft", " BlikTop"};


// Stored left and top of a dialog; 0 when nothing (or nothing usable) is stored.
PixelPoint ReadDialogPosition(Common& c, std::string_view caption, PositionSuffixes keys);
// Written with "@@@@@@"; a position left or above the screen is stored as 0.
void StoreDialogPosition(Common& c, std::string_view caption, PositionSuffixes keys,
                         PixelPoint where);

// The top left corner of a width x height window standing in the middle of
// `owner` (never left of or above the screen).
PixelPoint CentreOver(const PixelRect& owner, int width, int height);
// A coordinate further than (work-area extent - 100) from the screen's
// origin is pulled back to that distance, so a dialog is always reachable.
int ClampToWorkArea(int value, int extent);
// Where a dialog opens: `left`/`top` computed from the call (nullopt: the
// form keeps `current`), replaced by the stored values when greater than 0,
// then clamped to the work area.
PixelPoint PlaceDialog(std::optional<int> left, std::optional<int> top, PixelPoint current,
                       PixelPoint stored, std::pair<int, int> workArea);

// ---- AskYesNo ----

struct YesNoLayout {
    int width = 0;
    int height = 0;
    std::optional<int> left, top;
    PixelRect question;  // the question repeated inside the window
    PixelRect yes, no;   // "Ano", "Ne"
};
YesNoLayout LayoutYesNo(const ScreenMetrics& m, int col, int row, std::string_view question);

enum class YesNoAction { None, Yes, No, Guide };
// `typed` is the character the key produced (0 when none); Enter answers
// with the button that has the focus.
YesNoAction YesNoKey(DialogKey key, char typed, bool yesFocused);

// ---- AskFields ----

inline constexpr int kRowsPerColumn = 30;

struct FieldsLine {
    std::string label;
    std::string initial;
    bool hasLabel = false;  // a label is shown (its text is not empty)
    bool enabled = false;   // an input field is shown and can be entered
    PixelRect labelRect;
    PixelRect fieldRect;
};

struct FieldsLayout {
    int width = 0;
    int height = 0;
    std::optional<int> left, top;
    // One line per pair, in pair order; line k - 1 is field k. An odd last
    // string is a label without an initial text (a heading line).
    std::vector<FieldsLine> lines;
};
FieldsLayout LayoutFields(const ScreenMetrics& m, int col, int row,
                          const std::vector<std::string>& items, std::string_view title);

// Field numbers are 1-based; 0 = none. Walking is cyclic over the enabled
// fields and never stops on a heading line.
int FirstField(const FieldsLayout& f);
int NextField(const FieldsLayout& f, int current);
int PreviousField(const FieldsLayout& f, int current);

enum class FieldsAction {
    None,
    Accept,
    Leave,
    Next,
    Previous,
    Calculator,
    FileDialog,
    Guide,
    Help
};
FieldsAction FieldsKey(DialogKey key);

// The calculator's result as a field text: two decimals, no blanks.
std::string CalculatorText(double value);
// A file name chosen with F10 as a field text: blanks removed.
std::string ChosenFileText(std::string_view name);

// ---- ChooseItem ----

struct ChoiceLine {
    std::string shown;  // a leading "*" or "-" shown as a blank
    bool enabled = true;
    PixelRect rect;
};

struct ChoiceLayout {
    int width = 0;
    int height = 0;
    std::optional<int> left, top;
    std::vector<ChoiceLine> items;
    PixelRect okButton;  // "F2-OK"
};
// `items` as masked by ApplyChoiceMask.
ChoiceLayout LayoutChoice(const ScreenMetrics& m, int col, int row,
                          const std::vector<std::string>& items, std::string_view title);

int NextChoice(const ChoiceLayout& ch, int current);
int PreviousChoice(const ChoiceLayout& ch, int current);

enum class ChoiceAction { None, Accept, Leave, Next, Previous, Calculator, Print, Guide, Help };
ChoiceAction ChoiceKey(DialogKey key);


// ---- busy notice ----

struct BusyLayout {
    int width = 0;
    int height = 0;
    int left = 0;
    PixelRect text;
    PixelRect bar;
};
BusyLayout LayoutBusy(const ScreenMetrics& m, std::string_view text);
// The running bar: 1..10, then 1 again.
int NextBusyStep(int position);

// ---- timed note ----

std::string NoteCaption();   // "Počkejte na uvolnění !!! "
std::string NoteQuestion();  // "Došlo k poruše, chcete ignorovat ochranu souborů"

struct NoteLayout {
    int width = 0;
    int height = 0;
    PixelRect text;
};
NoteLayout LayoutNote(const ScreenMetrics& m, std::string_view text);

// ---- help box ----

inline constexpr int kHelpLines = 20;

struct HelpLayout {
    std::string caption;
    int width = 0;
    int height = 0;
    std::optional<int> left, top;
    std::vector<std::pair<std::string, PixelRect>> labels;  // non-empty lines only
};
HelpLayout LayoutHelpBox(const ScreenMetrics& m, int col, int row, std::string_view title,
                         const std::vector<std::string>& lines);

// ---- guide window ----

// Stored geometry of the guide window; 0 = not stored.
struct GuideGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
GuideGeometry ReadGuideGeometry(Common& c);
void StoreGuideGeometry(Common& c, const GuideGeometry& g);

// The title as a file name: quotation mark, ".", ":", "\", "/", "?" and "*"
// become "_".
std::string GuideTitle(std::string_view title);
std::string GuideCaption(std::string_view directory, std::string_view title);
std::string GuideFileName(std::string_view directory, std::string_view title);

enum class GuideAction { None, Edit, Close };
// F2 makes the text editable, Esc closes the window.
GuideAction GuideKey(DialogKey key);

struct GuideText {
    std::string path;                // directory + title + ".nav"
    std::vector<std::string> lines;  // shown lines ("&" lines left out)
};
// Loads a guide file of at least 3 bytes; otherwise creates the directory
// and gives no lines.
GuideText LoadGuide(Common& c, std::string_view directory, std::string_view title);
// Writes the lines and then "&" + the file's full name, CR LF after each.
// Returns the DOS code.
int SaveGuide(Common& c, const std::string& path, const std::vector<std::string>& lines);

}  // namespace kj
