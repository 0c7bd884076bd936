#pragma once
// The record editor of the table browser: a form built from the browser's
// column list each time a record is edited, and freed when it closes.
//
// RecordEditor is that form without its widgets: the field-walking engine
// (FieldWalker) over one field per column, the geometry of the form and of
// every label, edit box and hint, and the hooks, which it hands to the
// browser (TfSoub), where descendants override them by their names
// (OpustPole, PoEnteruPole, PoPoli, PriZruseniOpravy, Prijmi, EdF3 ...).
//
// Geometry in pixels, from the editor rectangle in cells (left column, top
// row, right column, bottom row), the cell metrics w x h and the scale s:
//   form    top (top row - 1) * h, left (left column - 1) * w,
//           height s * (bottom - top + 1) * (h + 4),
//           width (right - left + 2) * (w + 1); the window name + " AktLeft",
//           " AktTop", " AktWidth", " AktHeight" of "par\okna2.par" replace
//           them when above 0, " AktPaper" the paper; kept inside the work
//           area less 100 pixels.
//   label   top s * ((row - 1) * (h + 4)) + 6, left s * column * w, width
//           s * title length * w (two cells for a one-cell title).
//   box     top label top - 2, left label right, width s * (width + 2 + e)
//           * w (e = 2 for short dates and the time), height s * (h + 2).
// On close the position and size are stored with "@@@@" and the paper with
// "-@@@@@@@@@@@".
//
// Enter and Tab are virtual keys 13 and 9 unless swapped: "TabEnter" of
// "registry.dta" holds the Enter key's code and the Tab key's code, each
// "@@" ("1309" normal, "0913" swapped).

#include <string>
#include <string_view>
#include <vector>

#include "screens/char_window.h"
#include "screens/field_walker.h"
#include "screens/screen_metrics.h"
#include "services/common.h"

namespace kj {

class TfSoub;

inline constexpr const char* kRegistryFile = "registry.dta";
inline constexpr const char* kTabEnterKey = "TabEnter";

// The Enter/Tab assignment stored in "registry.dta".
EnterTab LoadEnterTab(Common& c);
void StoreEnterTab(Common& c, EnterTab e);

// One column's controls.
struct EditorControl {
    std::string title;
    Rect label;
    Rect box;
    int maxLength = 0;
    bool hidden = false;
    bool readOnly = false;
    std::string hint;   // shown when hintShown
    bool hintShown = false;
    Rect hintLabel;
};

struct EditorLayout {
    std::string caption;
    Rect form;
    int paper = 0;
    int ink = 0;
    std::vector<EditorControl> controls;  // column k as element k - 1
    Rect okButton;                        // "OK-F2"
    Rect helpLine;
    std::string helpText;
    int helpPaper = kColourNavy;
    int helpInk = kColourLightGrey;
};

class RecordEditor final : public FieldWalker {
public:
    RecordEditor(TfSoub& owner, Common& c, ScreenMetrics& metrics);

    // Builds the fields and the layout from the browser's columns.
    void Build();
    const EditorLayout& layout() const { return layout_; }
    // The view moved, resized or recoloured the form.
    void FormChanged(const Rect& form) { layout_.form = form; }
    void SetPaper(int paper) { layout_.paper = paper; }
    // After the form closed: stores the geometry keys.
    void StoreGeometry();
    // F10 asked for the form to be printed; the view prints it and clears it.
    bool printRequested = false;
    // A right click: the form becomes scrollable, the help line hidden.
    void RightClick() { scrollable_ = true; }
    bool scrollable() const { return scrollable_; }
    // A left click on field i's edit box.
    void BoxClicked(int field);

    // Fields refilled from the column values (VlozVzor, descendants).
    void RefillFromColumns();
    // Column values taken from the edit boxes (PrevezmiPole).
    void TakeIntoColumns();

    // For the browser's OpustPole: the normalisation with the pen state.
    std::string NormalizeText(int field, std::string_view text) const {
        return Normalize(field, text);
    }
    void MoveTo(int field) { GoToField(field); }
    // The walker's own accept: accepted, not cancelled, close.
    void Accept() { FieldWalker::Prijmi(); }
    // Field states and edit boxes shown again from the browser's states.
    void ApplyStates();

protected:
    void OpustPole(int field, std::string& text) override;
    void PoPoli(int field, std::string& text) override;
    void PoEnteruPole(int field) override;
    void Prijmi() override;
    void PrijmiF2() override;
    void PriZruseniOpravy() override;
    void KlF1() override;
    void KlF3() override;
    void KlF4() override;
    void KlF5() override;
    void KlF6() override;
    void KlF7() override;
    void KlF8() override;
    void KlF9() override;
    void KlF10() override;
    void Vizaz() override;
    void KlAltF1() override;
    void KlAltF2() override;
    void KlAltF3() override;
    void KlAltF4() override;
    void KlAltF5() override;
    void KlAltF6() override;
    void KlAltF7() override;
    void KlAltF8() override;
    void KlAltF9() override;
    void KlAltF10() override;
    void Navod() override;
    void UkazTisky() override;
    void KlCtrlF3() override;
    void KlCtrlF4() override;
    void KlCtrlF5() override;
    void KlCtrlF6() override;
    void KlCtrlF7() override;
    void KlCtrlF8() override;
    void UlozVzor() override;
    void VlozVzor() override;

private:
    void BuildLayout();
    std::string Key(std::string_view suffix) const;

    TfSoub& owner_;
    Common& c_;
    ScreenMetrics& metrics_;
    EditorLayout layout_;
    bool scrollable_ = false;
};

}  // namespace kj
