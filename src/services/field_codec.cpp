#include "services/field_codec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kj::codec {
namespace {

constexpr int kBias = 129;
constexpr int kFractionBits = 39;
constexpr std::uint64_t kFractionOne = std::uint64_t{1} << kFractionBits;
constexpr std::uint64_t kFractionMask = kFractionOne - 1;

void StoreReal(unsigned char* p, int exponent, std::uint64_t fraction, bool negative) {
    p[0] = static_cast<unsigned char>(exponent);
    for (int i = 0; i < 5; ++i) p[1 + i] = static_cast<unsigned char>((fraction >> (8 * i)) & 0xFF);
    if (negative) p[5] = static_cast<unsigned char>(p[5] | 0x80);
}

}  // namespace

void PutShortText(void* dst, std::size_t capacity, std::string_view text) {
    auto* p = static_cast<unsigned char*>(dst);
    capacity = std::min<std::size_t>(capacity, 255);
    std::size_t n = std::min(text.size(), capacity);
    p[0] = static_cast<unsigned char>(n);
    if (n > 0) std::memcpy(p + 1, text.data(), n);
    std::memset(p + 1 + n, 0, capacity - n);
}

std::string GetShortText(const void* src, std::size_t capacity) {
    const auto* p = static_cast<const unsigned char*>(src);
    capacity = std::min<std::size_t>(capacity, 255);
    std::size_t n = std::min<std::size_t>(p[0], capacity);
    return std::string(reinterpret_cast<const char*>(p + 1), n);
}

void PutReal48(void* dst, double value) {
    auto* p = static_cast<unsigned char*>(dst);
    std::memset(p, 0, kReal48Size);
    if (value == 0 || std::isnan(value)) return;
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    if (std::isinf(magnitude)) {
        StoreReal(p, 255, kFractionMask, negative);
        return;
    }
    int e2 = 0;
    const double m = std::frexp(magnitude, &e2);  // magnitude = m * 2^e2, 0.5 <= m < 1
    int exponent = e2 - 1 + kBias;                // magnitude = (2m) * 2^(e2 - 1)
    // (2m - 1) * 2^39 is exact in a double: 2m - 1 has at most 52 bits.
    const double scaled = std::ldexp(2 * m - 1, kFractionBits);
    const double whole = std::floor(scaled);
    const double rest = scaled - whole;
    auto fraction = static_cast<std::uint64_t>(whole);
    if (rest > 0.5 || (rest == 0.5 && (fraction & 1) != 0)) ++fraction;
    if (fraction == kFractionOne) {  // rounding carried into the next power of two
        fraction = 0;
        ++exponent;
    }
    if (exponent > 255) {
        StoreReal(p, 255, kFractionMask, negative);
        return;
    }
    if (exponent < 1) {
        // Below the smallest stored value 2^-128: the nearer of 0 and 2^-128.
        if (magnitude >= std::ldexp(1.0, -kBias)) StoreReal(p, 1, 0, negative);
        return;
    }
    StoreReal(p, exponent, fraction, negative);
}

double GetReal48(const void* src) {
    const auto* p = static_cast<const unsigned char*>(src);
    const int exponent = p[0];
    if (exponent == 0) return 0.0;
    std::uint64_t fraction = 0;
    for (int i = 0; i < 5; ++i) fraction |= static_cast<std::uint64_t>(p[1 + i]) << (8 * i);
    fraction &= kFractionMask;
    const double magnitude =
        std::ldexp(static_cast<double>(kFractionOne | fraction), exponent - kBias - kFractionBits);
    return (p[5] & 0x80) != 0 ? -magnitude : magnitude;
}

}  // namespace kj::codec
