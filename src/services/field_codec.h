#pragma once
// Stored forms of the fields inside record files, described once:
//   - little-endian 16- and 32-bit integers;
//   - short text of capacity n: a length byte, then n bytes of Windows-1250
//     text, zero-filled past the length;
//   - 6-byte real: byte 0 the exponent (bias 129, 0 = the value 0), bytes
//     1..5 a 39-bit fraction least significant byte first, bit 7 of byte 5
//     the sign; value (-1)^s * 2^(e - 129) * (1 + f / 2^39).
// Every function works on raw record bytes; callers pass the record buffer
// plus the field's offset (see FieldSpec below for naming those offsets).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kj::codec {

// ---- little-endian integers ----

inline void PutU16(void* dst, std::uint16_t v) {
    auto* p = static_cast<unsigned char*>(dst);
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline std::uint16_t GetU16(const void* src) {
    const auto* p = static_cast<const unsigned char*>(src);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline void PutU32(void* dst, std::uint32_t v) {
    auto* p = static_cast<unsigned char*>(dst);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

inline std::uint32_t GetU32(const void* src) {
    const auto* p = static_cast<const unsigned char*>(src);
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void PutI16(void* dst, std::int16_t v) { PutU16(dst, static_cast<std::uint16_t>(v)); }
inline std::int16_t GetI16(const void* src) { return static_cast<std::int16_t>(GetU16(src)); }
inline void PutI32(void* dst, std::int32_t v) { PutU32(dst, static_cast<std::uint32_t>(v)); }
inline std::int32_t GetI32(const void* src) { return static_cast<std::int32_t>(GetU32(src)); }

// ---- short texts ----

// Stores `text` as a short text of `capacity` (1..255) in capacity + 1 bytes:
// the text is cut to the capacity, the bytes past it are zeros.
void PutShortText(void* dst, std::size_t capacity, std::string_view text);
// Reads a short text of `capacity`. A length byte above the capacity (a
// damaged record) is taken as the capacity, so a read never leaves the field.
std::string GetShortText(const void* src, std::size_t capacity);

// ---- 6-byte reals ----

inline constexpr std::size_t kReal48Size = 6;

// Encodes `value`, rounding the fraction to nearest (ties to even). Zero,
// -0 and NaN are stored as 0; a magnitude beyond the largest stored value
// (about 1.7e38, infinities included) becomes that largest value with the
// sign kept; below the smallest (2^-128) it becomes 0, or 2^-128 when it
// is at least half of that.
void PutReal48(void* dst, double value);
// Decodes exactly (every stored value is a double). Exponent 0 is 0 whatever
// the other bytes hold.
double GetReal48(const void* src);

// ---- record layouts ----

// One field of a record: its name, its first byte and its size in bytes.
// A table names all its fields in one constexpr array of these, so that
// offsets live in one place, and checks them with TilesRecord.
struct FieldSpec {
    std::string_view name;
    std::size_t offset;
    std::size_t size;
};

// True when the fields follow each other without gaps or overlaps, starting
// at byte 0 and ending exactly at `recordLength`.
template <std::size_t N>
constexpr bool TilesRecord(const std::array<FieldSpec, N>& fields, std::size_t recordLength) {
    std::size_t next = 0;
    for (const FieldSpec& f : fields) {
        if (f.offset != next || f.size == 0) return false;
        next = f.offset + f.size;
    }
    return next == recordLength;
}

// The field named `name`; a missing name does not compile when used in a
// constant expression.
template <std::size_t N>
constexpr const FieldSpec& FieldNamed(const std::array<FieldSpec, N>& fields,
                                      std::string_view name) {
    for (const FieldSpec& f : fields)
        if (f.name == name) return f;
    throw "no field of that name in the layout";
}

// Typed access to a field of a record buffer. A text field of size n holds a
// short text of capacity n - 1; a real field is 6 bytes.
inline std::string GetText(const void* record, const FieldSpec& f) {
    return GetShortText(static_cast<const unsigned char*>(record) + f.offset, f.size - 1);
}
inline void PutText(void* record, const FieldSpec& f, std::string_view text) {
    PutShortText(static_cast<unsigned char*>(record) + f.offset, f.size - 1, text);
}
inline double GetReal(const void* record, const FieldSpec& f) {
    return GetReal48(static_cast<const unsigned char*>(record) + f.offset);
}
inline void PutReal(void* record, const FieldSpec& f, double value) {
    PutReal48(static_cast<unsigned char*>(record) + f.offset, value);
}

}  // namespace kj::codec
