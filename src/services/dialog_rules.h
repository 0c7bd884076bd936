#pragma once
// The steps every implementation of the dialog interface takes around the
// user's own answer: limits, the remembered answer of a yes/no question,
// which field pairs can be typed into, the disabled-item mask and the
// remembered item of a choice, and how DialogResults are filled. The Qt
// forms and ScriptedDialogs both call these, so a test meets the same
// dialog as the user.
//
// The remembered state lives in the parameter files of the station the
// dialogs belong to (Dialogs::station()); without a station nothing is
// remembered, as with missing parameter files.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "services/dialogs.h"

namespace kj {

class Common;

inline constexpr std::string_view kAnswerParams = "par\\dotaz.par";
inline constexpr std::string_view kChoiceIndexParams = "par\\VYBER.IDX";
inline constexpr std::string_view kChoiceMaskParams = "par\\VYBER.PAR";

inline constexpr std::size_t kMaxFieldStrings = 120;  // 60 pairs
inline constexpr std::size_t kMaxChoiceItems = 60;

// The first 15 characters of a caption: every remembered value of a dialog
// is keyed by it.
std::string CaptionPrefix(std::string_view caption);
// title + " - příliš mnoho parametrů"
std::string TooManyMessage(std::string_view title);

// ---- AskYesNo ----

// The remembered answer of a question: true when "par\dotaz.par" holds "A"
// under caption prefix + " ANO". The dialog opens on that button.
bool RememberedYes(Common& c, std::string_view question);
void RememberAnswer(Common& c, std::string_view question, bool yes);

// ---- AskFields ----

// A pair gets an input field when its label and its initial text are both
// non-empty; otherwise the label stands alone as a heading line.
bool FieldHasInput(std::string_view label, std::string_view initial);
// Start of every AskFields: all results cleared, not accepted.
void BeginFields(DialogState& s);
// End: DialogResults[k] := texts[k - 1], DialogAccepted := accepted.
void FinishFields(DialogState& s, const std::vector<std::string>& texts, bool accepted);

// ---- ChooseItem ----

// The disabled-item mask of a caption ("par\VYBER.PAR", key = the caption).
std::string ReadChoiceMask(Common& c, std::string_view title);
// Items with "-" put in front where the mask has "-" at their position.
std::vector<std::string> ApplyChoiceMask(const std::vector<std::string>& items,
                                         std::string_view mask);
// An item (as masked) the cursor may stop on: it does not begin with "-".
bool ChoiceEnabled(std::string_view item);

// The remembered item ("par\VYBER.IDX", caption prefix + " VyberIndex").
int ReadChoiceIndex(Common& c, std::string_view title);
void StoreChoiceIndex(Common& c, std::string_view title, int index);

// The item the dialog starts on: the remembered one (1 when 0 or beyond the
// items), moved forward to the first enabled item; 0 when none is enabled.
int FirstChoice(const std::vector<std::string>& masked, int remembered);
// What accepting gives: the selected item, item 1 when none is selected,
// 0 when there are no items.
int AcceptedChoice(int selected, std::size_t itemCount);

// The two-character code of an item: its second and third characters,
// blank-padded.
std::string ChoiceCode(std::string_view item);
// ChosenIndex := result; DialogResults[1] := the code of the chosen
// caller's item, or two blanks for 0.
void FinishChoice(DialogState& s, const std::vector<std::string>& items, int result);

// A choice as it opens: the items with the caption's mask applied and the
// item the cursor starts on.
struct ChoiceStart {
    std::vector<std::string> items;
    int first = 0;
};
ChoiceStart StartChoice(Common* c, const std::vector<std::string>& items, std::string_view title);
// A choice as it closes: the results filled and, for a chosen item, the
// item remembered. Returns ChosenIndex.
int EndChoice(Common* c, DialogState& s, const std::vector<std::string>& items,
              std::string_view title, int result);

}  // namespace kj
