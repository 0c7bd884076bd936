#pragma once
// Czech collation: a sort key that puts "ch" after "h" and every accented
// letter next to its base letter. Keys are compared byte by byte (memcmp or
// std::string's operator<).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kj {

// The weight of every Windows-1250 code: a permutation of 0..255.
//   0..64    the codes 0..64 themselves (controls, blank, digits, punctuation);
//   65..168  the Czech letter order A a Á á ... H h, "CH" "Ch" "ch" (stand-in
//            codes 160, 161, 162), I i ... Z z Ž ž;
//   169..255 every other code in ascending order ("[" ... "~", 127, then the
//            unlisted codes from 128 upward).
const std::array<std::uint8_t, 256>& CzechWeights();

// The first "CH", the first "Ch" and the first "ch" become one letter each
// (later ones stay two letters, "cH" never joins), then every character is
// replaced by its weight.
std::string CollateKey(std::string_view text);

}  // namespace kj
