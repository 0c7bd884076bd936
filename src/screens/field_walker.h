#pragma once
// The field-walking engine of the character windows and of the record
// editor: which field is current, what each key does, when a field is
// normalised and which hook runs.
//
// FieldWalker keeps the text of every edit box and every field's state
// byte; it draws nothing. A view forwards its events (KeyDown with the
// composite key code, FieldEntered, FieldLeft, FormShow, TimerErrorTimer,
// the OK button) and afterwards shows the texts and states again and
// carries out TakeRequests(): focus a field, start the 100 ms focus timer,
// close the form, re-apply the appearance. Screens derive from it and
// override the hooks, named as everywhere in the system (OpustPole, PoPoli,
// PoEnteruPole, Prijmi, KlF3 ...).
//
// Key map (composite codes, see key_codes.h), then the navigation step:
//   Ctrl+F1 Navod, Ctrl+F2 UkazTisky, Ctrl+F3..F8 KlCtrlF3..F8,
//   Ctrl+F9 the calculator (its result, blanks removed, replaces the text),
//   Alt+F1..F10 KlAltF1..F10, Ctrl+F12 UlozVzor, Shift+F12 VlozVzor,
//   F1 KlF1, F3..F10 KlF3..KlF10, F11 Vizaz, F12 the repeat value, then as
//   Down; Ctrl+B pen input on (with PenKeys::Editor also Shift then B, End
//   and Caps Lock in a reading-pen field); Enter with the pen on: pen off
//   and the text through PrevedKod.
//   Esc: cancelled, PriZruseniOpravy, close.
//   Down / F2: OpustPole; F2 then PrijmiF2; Down moves to the next editable
//   field, past the last one Prijmi (or field 1 with the wrap flag).
//   Enter key: normalise, PoEnteruPole, then as Down.
//   Up: OpustPole, previous editable field, from the first to the last.
//   Tab key: OpustPole, then as Down.
// Enter and Tab are virtual keys 13 and 9, or 9 and 13 when swapped.
//
// A hook that calls GoToField ends the key's navigation there: the cursor
// stays where the hook put it and F2 does not accept (an input error keeps
// the cursor in its field; a look-up may send it on to another field).
// The pen flag belongs to the current field and goes off when the cursor
// moves to another field.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/column.h"
#include "screens/pen_code.h"

namespace kj {

// One input field: its type for normalising, state byte, edit-box text and
// the text F12 puts back.
struct WalkField {
    FieldType type = FieldType::Text;
    int width = 0;
    std::string picture;
    int state = 1;  // below 0 hidden, 0 shown read-only, 1 or more editable
    std::string text;
    std::string repeatValue;
};

enum class Wrap { Off, On };
enum class EnterTab { Normal, Swapped };
// Keys that switch the pen on: Ctrl+B only (character windows), or also
// Shift-then-B, End and Caps Lock in a reading-pen field (record editor).
enum class PenKeys { CtrlB, Editor };
enum class KeyResult { PassOn, Consumed };

class FieldWalker {
public:
    // What the view does after an event.
    struct Requests {
        int focus = 0;            // focus this field's edit box now (0 = none)
        bool armTimer = false;    // and focus the current field again after the timer
        bool close = false;       // close the form; accepted()/cancelled() tell how
        bool appearance = false;  // font, colours or cell sizes changed
    };

    virtual ~FieldWalker() = default;

    // ---- fields (numbered from 1) ----
    void SetFields(std::vector<WalkField> fields);
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    bool ValidField(int i) const { return i >= 1 && i <= FieldCount(); }
    WalkField& Field(int i) { return fields_[static_cast<std::size_t>(i - 1)]; }
    const WalkField& Field(int i) const { return fields_[static_cast<std::size_t>(i - 1)]; }
    const std::string& Text(int i) const { return Field(i).text; }
    void SetText(int i, std::string_view text);
    int State(int i) const { return Field(i).state; }
    void SetState(int i, int state);
    bool Hidden(int i) const { return State(i) < 0; }
    bool ReadOnly(int i) const { return State(i) == 0; }
    bool Editable(int i) const { return State(i) >= 1; }
    int Current() const { return current_; }

    // ---- flags ----
    bool accepted() const { return accepted_; }
    bool cancelled() const { return cancelled_; }
    bool penInput() const { return pen_; }
    int lastKey() const { return lastKey_; }
    Wrap wrap() const { return wrap_; }
    void SetWrap(Wrap w) { wrap_ = w; }
    void SetEnterTab(EnterTab e) { enterTab_ = e; }
    EnterTab enterTab() const { return enterTab_; }
    void SetPenKeys(PenKeys k) { penKeys_ = k; }
    // Before a window opens: cancelled until Prijmi, not accepted, no wrap,
    // no current field, pen off, no key, no pending requests.
    void ResetWalk();

    // ---- events from the view ----
    KeyResult KeyDown(int composite);
    // The enter handler of field i's edit box.
    void FieldEntered(int field);
    // The exit handler of field i; `to` is the field receiving the focus
    // (0 when the focus goes elsewhere).
    void FieldLeft(int field, int to);
    // Focus on the first editable field; none when no field is editable.
    void FormShow();
    // The focus timer ran out: the current field gets the focus again (the
    // view does this only while the form is showing).
    void TimerErrorTimer();
    void KlOkClick() { Prijmi(); }
    void KlOkKeyDown() { Prijmi(); }
    Requests TakeRequests();

    // Ctrl+F9: opens the calculator with the value; returns its result text
    // when the calculator was left with a result. Character windows start
    // with the station's calculator, the record editor with its browser's.
    std::function<std::optional<std::string>(double)> calculator;
    // Ctrl+F2: shows the print spool form (character windows: the
    // station's).
    std::function<void()> showPrintSpool;

protected:
    // ---- hooks ----
    // The field is being left by Down, F2, Up or Tab (or a mouse click):
    // base normalises the text and calls PoPoli. What `text` holds
    // afterwards goes back into the field's edit box.
    virtual void OpustPole(int field, std::string& text);
    virtual void PoPoli(int field, std::string& text);
    virtual void PoEnteruPole(int field);
    // Accept: accepted, not cancelled, close.
    virtual void Prijmi();
    virtual void PrijmiF2() { Prijmi(); }
    virtual void PriZruseniOpravy() {}
    virtual void KlF1() {}
    virtual void KlF3() {}
    virtual void KlF4() {}
    virtual void KlF5() {}
    virtual void KlF6() {}
    virtual void KlF7() {}
    virtual void KlF8() {}
    virtual void KlF9() {}
    virtual void KlF10() {}
    virtual void Vizaz() {}
    virtual void KlAltF1() {}
    virtual void KlAltF2() {}
    virtual void KlAltF3() {}
    virtual void KlAltF4() {}
    virtual void KlAltF5() {}
    virtual void KlAltF6() {}
    virtual void KlAltF7() {}
    virtual void KlAltF8() {}
    virtual void KlAltF9() {}
    virtual void KlAltF10() {}
    virtual void Navod() {}
    virtual void UkazTisky();
    virtual void KlCtrlF3() {}
    virtual void KlCtrlF4() {}
    virtual void KlCtrlF5() {}
    virtual void KlCtrlF6() {}
    virtual void KlCtrlF7() {}
    virtual void KlCtrlF8() {}
    virtual void UlozVzor() {}
    virtual void VlozVzor() {}

    // ---- for hooks ----
    // Field text normalised by the field's type (the pen flag applies).
    std::string Normalize(int field, std::string_view text) const;
    // Makes a field current and focuses it; ends the running key's navigation.
    void GoToField(int field);
    // Asks the view to close the form without touching the flags.
    void Close() { requests_.close = true; }
    void RequestAppearance() { requests_.appearance = true; }
    // Focus the current field once more when the focus timer runs out.
    void ArmFocusTimer() { requests_.armTimer = true; }

private:
    bool FunctionKey(int code);
    void LeaveCurrent();
    void MoveNext();
    void MovePrevious();
    void MoveTo(int field);
    int NextEditable(int after) const;
    int PreviousEditable(int before) const;
    int EnterKey() const;
    int TabKey() const;

    std::vector<WalkField> fields_;
    int current_ = 0;
    int lastKey_ = 0;
    int lastRaw_ = 0;
    bool accepted_ = false;
    bool cancelled_ = true;
    bool pen_ = false;
    bool movedByHook_ = false;
    Wrap wrap_ = Wrap::Off;
    EnterTab enterTab_ = EnterTab::Normal;
    PenKeys penKeys_ = PenKeys::CtrlB;
    Requests requests_;
};

}  // namespace kj
