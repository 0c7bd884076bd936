#pragma once
// The character window without its widgets.
//
// CharWindow is everything of the character window (TfOkno) that is not
// drawing: the field descriptors attached by the caller, the window's
// appearance loaded from the parameter files, the pixel layout of the form
// and of every label, edit box, suffix label, the "OK-F2" button and the
// status line, the caption, the field walk (FieldWalker), the appearance
// dialog up to the colour and font pickers, storing the geometry and
// appearance on close, and the conversion of the values to and from the
// caller's record buffer. The Qt form builds its controls from layout() and
// appearance(), forwards its events to the FieldWalker interface and calls
// FormClose with its real rectangle. It draws nothing and owns no control.
//
// NactiVizaz and WindowCaption are shared with the rolling list and the
// record editor.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "screens/column.h"
#include "screens/field_walker.h"
#include "screens/screen_metrics.h"
#include "services/common.h"

namespace kj {

// Field descriptor of a character window, owned by the caller.
struct PoleOkna {
    std::string label;        // at most 30; its length is the label width in cells
    int column = 0;           // label column, cells from the left edge
    int row = 1;              // label row, from 1
    FieldType type = FieldType::Text;
    std::string mask;         // the number picture of types 5-8, 11, 12, 14
    std::string suffix;       // suffix label text, at most 30
    int width = 0;            // characters; the edit box's maximum length
    std::string value;        // at most 73
    std::string repeatValue;  // at most 73; F12 puts it back
    int suffixColumn = 0;     // 0 = no suffix label
    int suffixRow = 0;
};

inline constexpr std::size_t kPoleOknaValueMax = 73;

enum class FontStyle { Normal, Bold, Italic, BoldItalic };

// "Bold", "Italic", "BoldItalic"; anything else is Normal.
FontStyle FontStyleFromText(std::string_view text);
std::string FontStyleText(FontStyle style);

// Font, colours and cell size of one window.
struct Appearance {
    std::string fontName;  // as stored (map with FontMap for rendering)
    int fontSize = 8;
    FontStyle fontStyle = FontStyle::Normal;
    int ink = 0;    // 0x00BBGGRR
    int paper = 0;  // 0x00BBGGRR
    int cellWidth = kDefaultCellWidth;
    int cellHeight = kDefaultCellHeight;
};

// Key names of the appearance: "VyskaFontuA" ... for character windows and
// record editors, "VyskaFontu" ... (without the final "A") for lists.
enum class VizazKeys { Window, List };

// Loads a window's appearance. Starts from the shared metrics (font name,
// size, style, cell size) and the caller's paper and ink. When
// "par\Oknag.par" holds at least 7 bytes (one font for all windows) the
// general keys of that file replace them; otherwise the general keys and
// then the keys prefixed by the window name and a blank in
// "par\Okna2.par", and "par\Oknag.par" is deleted. Blank values are
// absent; a cell size or font size that does not read as a number above 0
// (font size: not 0) is ignored.
Appearance NactiVizaz(Common& c, const ScreenMetrics& metrics, std::string_view windowName,
                      VizazKeys keys, int paper, int ink);

// The title followed by the workstation name ("POCITAC") and, when a user
// is signed in, " Uživatel:" and the user's name.
std::string WindowCaption(Common& c, std::string_view title);

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

struct FieldLayout {
    Rect label;
    Rect edit;
    bool hasSuffix = false;
    Rect suffix;
    bool hidden = false;    // label and edit box invisible
    bool readOnly = false;  // edit box not editable
    int maxLength = 0;
    int tabOrder = 0;
};

struct WindowLayout {
    Rect form;
    std::vector<FieldLayout> fields;  // field i is element i - 1
    Rect okButton;
    Rect statusLine;
    std::string statusText;
    int statusPaper = kColourNavy;     // bold text, single border
    int statusInk = kColourLightGrey;
};

// The form from its cell rectangle, before stored values replace it.
Rect CharWindowRect(int leftColumn, int topRow, int rightColumn, int bottomRow, int cellWidth,
                    int cellHeight);
// A label at a cell position, `length` cells long (a one-cell label is two
// cells wide), scaled and rounded to whole pixels.
Rect LabelRect(int column, int row, int length, int cellWidth, int cellHeight, double scale);
FieldLayout LayoutField(const PoleOkna& field, int index, int state, int cellWidth,
                        int cellHeight, double scale);

// The font the user picks, with its colour.
struct FontChoice {
    std::string name;
    int size = 8;
    FontStyle style = FontStyle::Normal;
    int colour = 0;
};

// The colour and font dialogs, implemented by the user interface.
class AppearancePickers {
public:
    virtual ~AppearancePickers() = default;
    // The chosen colour, or nothing when the dialog was cancelled.
    virtual std::optional<int> PickColour(int current) = 0;
    virtual std::optional<FontChoice> PickFont(const FontChoice& current) = 0;
};

class CharWindow : public FieldWalker {
public:
    // windowName prefixes this window's keys in "par\okna2.par".
    explicit CharWindow(Common& c, std::string windowName = "fOkno",
                        ScreenMetrics& metrics = SharedScreenMetrics());

    // ---- set by the caller before OtevriOkno ----
    // Attaches the descriptors (field i = element i - 1); every state byte 1.
    void AttachFields(std::vector<PoleOkna*> fields);
    PoleOkna& Descriptor(int i) { return *descriptors_[static_cast<std::size_t>(i - 1)]; }
    // The caller's record buffer (ZaznamOkna).
    void SetZaznamOkna(std::span<char> record) { record_ = record; }
    void SetPickers(AppearancePickers* pickers) { pickers_ = pickers; }

    // Builds the window: caption, appearance, layout, the edit boxes' texts,
    // PoPoli for the fields with suffix labels; cancelled until Prijmi, wrap off.
    void OtevriOkno(std::string_view title, std::string_view status, int paper, int ink,
                    int leftColumn, int topRow, int rightColumn, int bottomRow);
    // Stores the form's rectangle and the appearance in "par\okna2.par".
    void FormClose(const Rect& form);
    // Unless cancelled: the edit boxes' texts into the descriptors' values
    // and their stored forms, in field order, into the record buffer.
    // False (nothing written) when the buffer is shorter than the fields.
    virtual bool ZavriOkno();
    // The descriptors' values from the record buffer (the inverse).
    bool NactiOkno();
    // Bytes the fields take in the record buffer.
    int RecordLength() const;

    // The field walk's key handler, with one check in front: Enter
    // normalises the current field by its type before any hook sees it,
    // so a descendant that refuses a text as typed (EnterAllowed) is asked
    // first; a refused Enter ends there, the cursor and the text stay.
    KeyResult KeyDown(int composite);

    const std::string& windowName() const { return windowName_; }
    const std::string& caption() const { return caption_; }
    const Appearance& appearance() const { return appearance_; }
    const WindowLayout& layout() const { return layout_; }

protected:
    // Enter in `field` holding `text` (not yet normalised) may go on; a
    // descendant that says no reports why and keeps the cursor there.
    virtual bool EnterAllowed(int /*field*/, const std::string& /*text*/) { return true; }
    // "Help SOUB" and the current field number.
    void KlF1() override;
    // The guide of "\NAVODY\" in the program directory, titled with the caption.
    void Navod() override;
    // F11: "Úprava vizáže" with the background colour or the font, then the
    // cell height and width (clamped to 10..30 and 5..30). A new cell size
    // becomes the shared one too, and the controls are laid out again
    // inside the same form rectangle; the view re-applies appearance() and
    // layout() on the appearance request.
    void Vizaz() override;

    Common& c_;

private:
    void SyncWalkFields();
    void LayoutControls();

    std::string windowName_;
    ScreenMetrics& metrics_;
    std::vector<PoleOkna*> descriptors_;
    std::span<char> record_;
    AppearancePickers* pickers_ = nullptr;
    std::string caption_ = "fOkno";
    Appearance appearance_;
    WindowLayout layout_;
    std::string status_;
    int statusChars_ = 0;
};

}  // namespace kj
