#pragma once
// The pictures of the blank paper forms, drawn by our own code: the travel
// order ("\KJ\kj1.bmp", 787 x 1123) and the expense settlement
// ("\KJ\KJ2.bmp", 853 x 1123). A drawing is a list of lines, outlined boxes
// and labels in picture pixels; every control of a sheet has its box,
// placed from the sheet's layout, so the boxes lie exactly where the
// values stand on the screen and on paper. The Qt side paints a drawing
// into a bitmap (travel/qt/form_picture_painter.h).

#include <string>
#include <string_view>
#include <vector>

namespace kj {

struct FormLine {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a horizontal or vertical line
    int width = 1;                       // grows right or down
};

// A box outline on the pixels x = left, x = right, y = top, y = bottom;
// `field` is the control whose value the box holds ("" = none).
struct FormBox {
    std::string field;
    int left = 0, top = 0, right = 0, bottom = 0;
};

enum class TextAlign { Left, Center, Right };

// A label: lines separated by "\n", each placed in [left, left + width)
// by its alignment, from `top` down; `size` is the font's pixel size.
struct FormText {
    int left = 0, top = 0, width = 0;
    int size = 9;
    bool bold = false;
    TextAlign align = TextAlign::Left;
    std::string text;  // Windows-1250
};

struct FormDrawing {
    int width = 0, height = 0;
    std::vector<FormLine> lines;
    std::vector<FormBox> boxes;
    std::vector<FormText> texts;

    // The box of a control; nullptr when it has none.
    const FormBox* BoxOf(std::string_view field) const;
    // True when a label holds the text (a whole line of it or a part).
    bool HasText(std::string_view text) const;
};

FormDrawing OrderFormDrawing();
FormDrawing SettlementFormDrawing();

}  // namespace kj
