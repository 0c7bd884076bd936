#pragma once
// Reading-pen input. A barcode pen types like a keyboard; on a Czech layout
// its digit keys produce the characters "é+ěščřžýáí" (or their capitals with
// Shift). PrevedKod turns such text back into digits.

#include <string>
#include <string_view>

namespace kj {

// Each character of "é+ěščřžýáí" at 1-based position p becomes the digit
// p - 1; otherwise each character of "É+ĚŠČŘŽÝÁÍ" at position p becomes
// p - 1; every other character stays.
std::string PrevedKod(std::string_view text);

// Whether a text was typed with the reading pen active for its field.
enum class PenInput { Off, On };

}  // namespace kj
