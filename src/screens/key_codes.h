#pragma once
// Composite key codes: the Windows virtual-key number of a key, plus 1000
// with Ctrl, replaced by +2000 with Shift, replaced by +3000 with Alt (Alt
// wins over Shift, Shift over Ctrl). The modifier keys themselves are never
// offset. Every screen dispatches its keys on these codes.

namespace kj::key {

// Virtual-key numbers as Windows defines them.
inline constexpr int kBack = 8;
inline constexpr int kTab = 9;
inline constexpr int kReturn = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kMenu = 18;  // Alt
inline constexpr int kCapital = 20;  // Caps Lock
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kPrior = 33;  // PgUp
inline constexpr int kNext = 34;   // PgDn
inline constexpr int kEnd = 35;
inline constexpr int kHome = 36;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kInsert = 45;
inline constexpr int kDelete = 46;
inline constexpr int k0 = 48;  // digits '0'..'9' are 48..57
inline constexpr int kA = 65;  // letters 'A'..'Z' are 65..90
inline constexpr int kB = 66;
inline constexpr int kNumpad0 = 96;  // keypad digits 96..105
inline constexpr int kMultiply = 106;
inline constexpr int kAdd = 107;
inline constexpr int kSubtract = 109;
inline constexpr int kDecimal = 110;
inline constexpr int kDivide = 111;
inline constexpr int kF1 = 112;
inline constexpr int kF2 = 113;
inline constexpr int kF3 = 114;
inline constexpr int kF4 = 115;
inline constexpr int kF5 = 116;
inline constexpr int kF6 = 117;
inline constexpr int kF7 = 118;
inline constexpr int kF8 = 119;
inline constexpr int kF9 = 120;
inline constexpr int kF10 = 121;
inline constexpr int kF11 = 122;
inline constexpr int kF12 = 123;

// F1 .. F12 by number.
constexpr int F(int n) { return kF1 + n - 1; }

inline constexpr int kCtrlOffset = 1000;
inline constexpr int kShiftOffset = 2000;
inline constexpr int kAltOffset = 3000;

enum class Mod : unsigned { None = 0, Ctrl = 1, Shift = 2, Alt = 4 };

constexpr Mod operator|(Mod a, Mod b) {
    return static_cast<Mod>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool Has(Mod set, Mod m) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(m)) != 0;
}

constexpr bool IsModifierKey(int vk) { return vk == kShift || vk == kControl || vk == kMenu; }

// The composite code of a key pressed with the given modifiers.
constexpr int Composite(int vk, Mod mods) {
    if (IsModifierKey(vk)) return vk;
    if (Has(mods, Mod::Alt)) return vk + kAltOffset;
    if (Has(mods, Mod::Shift)) return vk + kShiftOffset;
    if (Has(mods, Mod::Ctrl)) return vk + kCtrlOffset;
    return vk;
}

constexpr int Ctrl(int vk) { return vk + kCtrlOffset; }
constexpr int Shift(int vk) { return vk + kShiftOffset; }
constexpr int Alt(int vk) { return vk + kAltOffset; }

// The virtual key of a composite code, without its modifier offset.
constexpr int RawKey(int composite) { return composite % 1000; }

}  // namespace kj::key
