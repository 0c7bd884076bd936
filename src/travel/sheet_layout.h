#pragma once
// The two form sheets of a business trip, declared once: the travel order
// (Tfcestprik, picture "\KJ\kj1.bmp", 787 x 1123) and its expense
// settlement (Tfvpc, picture "\KJ\KJ2.bmp", 853 x 1123). Each sheet is a
// picture of the paper form with one control per box; a control's position
// in picture pixels is also its print position (1 pixel = 1/100 inch).
//
// For every control the table gives its name, its key in the travel order
// file (".cpr"), its rectangle, font, print tag and how many characters it
// takes. `fields` is the creation order (the print order, and the stacking
// order on the screen: later controls lie on top); `tabOrder` and
// `keyOrder` list field indices.
//
// The settlement's start and end of work are stored under their own keys
// ("zac"n, "kon"n) and not under "ep"n/"ek"n, which the travel order's
// journey columns use: older files, written while both sheets shared those
// keys, are read through `oldKey` (see Tfvpc).

#include <string>
#include <string_view>
#include <vector>

namespace kj {

enum class FieldKind { Edit, Label };

struct SheetFont {
    std::string face;  // Windows font name ("MS Sans Serif", "Courier New")
    int points = 8;
    bool bold = false;
};

struct SheetField {
    std::string name;    // control name
    std::string key;     // key in the ".cpr" file; "" = not stored
    std::string oldKey;  // key an older file kept the value under ("" = key)
    int left = 0, top = 0, width = 0, height = 0;
    int visibleWidth = 0;  // the part not covered by controls lying on top
    SheetFont font;
    FieldKind kind = FieldKind::Edit;
    int tag = 0;         // print kind in the tens digit; negative = never printed
    int maxLength = 0;   // characters an edit takes
    bool upperCase = false;

    int right() const { return left + width; }    // exclusive
    int bottom() const { return top + height; }  // exclusive
};

struct SheetLayout {
    std::string caption;
    std::string picture;  // program-directory file of the form picture
    int pictureWidth = 0, pictureHeight = 0;
    int windowWidth = 832, windowHeight = 629;
    std::vector<SheetField> fields;
    std::vector<int> tabOrder;
    std::vector<int> keyOrder;

    // Index of the control named so; -1 when there is none.
    int Find(std::string_view name) const;
    const SheetField& Field(std::string_view name) const;
};

// Print tags.
inline constexpr int kTagEdit = 0;
inline constexpr int kTagLabel = 130;

// Journey rows of the travel order and settlement rows.
inline constexpr int kJourneyRows = 14;
inline constexpr int kSettlementRows = 22;

const SheetLayout& OrderLayout();       // Tfcestprik, "Cestovní příkaz"
const SheetLayout& SettlementLayout();  // Tfvpc

// The texts of a sheet's controls, one per field of its layout.
class SheetTexts {
public:
    explicit SheetTexts(const SheetLayout& layout)
        : layout_(&layout), texts_(layout.fields.size()) {}

    const SheetLayout& layout() const { return *layout_; }
    std::string& at(int index) { return texts_.at(static_cast<std::size_t>(index)); }
    const std::string& at(int index) const { return texts_.at(static_cast<std::size_t>(index)); }
    // By control name; an unknown name is a programming error (throws).
    std::string& operator[](std::string_view name) { return at(Index(name)); }
    const std::string& operator[](std::string_view name) const { return at(Index(name)); }
    // Row fields: the name with the row number ("ep", 3 -> "ep3").
    std::string& Row(std::string_view name, int n);
    const std::string& Row(std::string_view name, int n) const;
    void Clear();

private:
    int Index(std::string_view name) const;

    const SheetLayout* layout_;
    std::vector<std::string> texts_;
};

std::string RowName(std::string_view name, int n);

}  // namespace kj
