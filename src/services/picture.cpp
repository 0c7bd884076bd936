#include "services/picture.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace kj {
namespace {

// The magnitude of a number rounded to a fixed count of decimals, kept as its
// decimal digits in a buffer of its own (no allocation). A double is taken as
// the shortest decimal text that reads back as the same double, so 2.675 is
// rounded as 2.675 and not as its binary neighbour 2.67499999...; a tie
// rounds away from zero. Integer digits beyond the double's precision are
// those of its exact binary value.
class RoundedDigits {
  public:
    RoundedDigits(double magnitude, int decimals) : decimals_(decimals) {
        if (!std::isfinite(magnitude)) return;
        char* first = buf_ + 1;
        auto [end, ec] = std::to_chars(first, buf_ + kCap, magnitude, std::chars_format::fixed);
        if (ec != std::errc()) return;
        Load(first, end);
    }

    // An amount in ten-thousandths.
    RoundedDigits(std::uint64_t tenThousandths, int decimals) : decimals_(decimals) {
        char* first = buf_ + 1;
        char* end = std::to_chars(first, buf_ + kCap, tenThousandths / 10000).ptr;
        *end++ = '.';
        std::uint64_t frac = tenThousandths % 10000;
        for (int k = 3; k >= 0; --k, frac /= 10) end[k] = static_cast<char>('0' + frac % 10);
        Load(first, end + 4);
    }

    bool Valid() const { return intLen_ > 0; }
    int IntDigits() const { return intLen_; }
    // Digits of the rounded number: integer digits and all decimals.
    int Count() const { return Valid() ? intLen_ + decimals_ : 0; }
    // The digit k places from the right (0 = the last decimal), k < Count().
    char FromRight(int k) const {
        int p = intLen_ + decimals_ - 1 - k;
        return p < intLen_ + fracLen_ ? buf_[start_ + p] : '0';
    }

  private:
    // Takes "123.456" (or "123") at first..end, already inside buf_ after the
    // carry slot, and rounds it to decimals_.
    void Load(char* first, char* end) {
        char* point = std::find(first, end, '.');
        intLen_ = static_cast<int>(point - first);
        if (point != end) {
            std::memmove(point, point + 1, static_cast<std::size_t>(end - point - 1));
            --end;
        }
        fracLen_ = static_cast<int>(end - first) - intLen_;
        if (fracLen_ <= decimals_) return;
        bool up = first[intLen_ + decimals_] >= '5';
        fracLen_ = decimals_;
        if (!up) return;
        int p = start_ + intLen_ + fracLen_ - 1;
        for (; p >= start_ && buf_[p] == '9'; --p) buf_[p] = '0';
        if (p >= start_) {
            ++buf_[p];
        } else {  // 9.99 -> 10.00: the carry takes the free slot in front
            buf_[--start_] = '1';
            ++intLen_;
        }
    }

    // Enough for any double in fixed notation (under 350 characters).
    static constexpr int kCap = 400;
    char buf_[kCap];
    int start_ = 1;  // buf_[0] is kept free for a carry out of the first digit
    int intLen_ = 0;
    int fracLen_ = 0;  // stored decimals; those up to decimals_ are zeros
    int decimals_;
};

struct PictureScan {
    int decimals = 0;                         // digit places after the decimal point
    std::size_t signPos = std::string::npos;  // the last "-"
};

PictureScan ScanPicture(std::string_view picture) {
    PictureScan scan;
    bool afterPoint = false;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        char c = picture[i];
        if (c == '#' || c == '@') {
            if (afterPoint) ++scan.decimals;
        } else if (c == '.' || c == ',') {
            afterPoint = true;
        } else if (c == '-') {
            scan.signPos = i;
        }
    }
    return scan;
}

// Fills the digit places from the right, drops the digits that do not fit
// and puts the sign.
std::string FillPicture(std::string_view picture, const PictureScan& scan, bool negative,
                        const RoundedDigits& digits) {
    std::string r(picture);
    int k = 0;
    for (std::size_t i = r.size(); i-- > 0;) {
        char& c = r[i];
        if (c != '#' && c != '@') continue;
        if (k < digits.Count())
            c = digits.FromRight(k++);
        else
            c = c == '#' ? ' ' : '0';
    }
    if (scan.signPos != std::string::npos) {
        if (!negative) r[scan.signPos] = ' ';
    } else if (negative) {
        std::size_t first = r.find_first_not_of(' ');
        if (first != std::string::npos && first > 0) r[first - 1] = '-';
    }
    return r;
}

// A negative amount that rounds to zero prints as nothing.
void BlankNegativeZero(std::string& r) {
    static constexpr std::string_view kNegativeZero = " 0.00-";
    std::size_t at = r.find(kNegativeZero);
    if (at != std::string::npos) r.replace(at, kNegativeZero.size(), kNegativeZero.size(), ' ');
}

bool ZeroRuleApplies(std::string_view picture) {
    return picture.empty() || picture.back() != '@';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string FormatPic(std::string_view picture, double value) {
    if (ZeroRuleApplies(picture) && std::fabs(value) < 0.000001)
        return std::string(picture.size(), ' ');
    std::string r = FormatPicZero(picture, value);
    BlankNegativeZero(r);
    return r;
}

std::string FormatPicZero(std::string_view picture, double value) {
    PictureScan scan = ScanPicture(picture);
    RoundedDigits digits(std::fabs(value), scan.decimals);
    return FillPicture(picture, scan, value < 0, digits);
}

std::string FormatMoneyPic(std::string_view picture, Money amount) {
    if (ZeroRuleApplies(picture) && amount > -10 && amount < 10)  // |amount| < 0.001
        return std::string(picture.size(), ' ');
    PictureScan scan = ScanPicture(picture);
    std::uint64_t magnitude =
        amount < 0 ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
    RoundedDigits digits(magnitude, scan.decimals);
    std::string r = FillPicture(picture, scan, amount < 0, digits);
    BlankNegativeZero(r);
    return r;
}

// Rounds half away from zero to hundredths, which is what formatting with
// "############.##-" and reading back gives, without that picture's loss of
// the digits above 10^12.
Money RoundMoney(Money amount) {
    std::uint64_t magnitude =
        amount < 0 ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
    auto rounded = static_cast<Money>((magnitude + 50) / 100 * 100);
    return amount < 0 ? -rounded : rounded;
}

std::string RealToStr(int width, int decimals, double value) {
    constexpr int kMax = 40;
    width = std::clamp(width, 0, kMax);
    decimals = std::clamp(decimals, 0, kMax);
    RoundedDigits digits(std::fabs(value), decimals);
    bool negative = value < 0;
    int length = (negative ? 1 : 0) + digits.IntDigits() + (decimals > 0 ? decimals + 1 : 0);
    if (!digits.Valid() || length > kMax) return std::string(kMax, '*');

    char text[kMax];
    char* p = text + kMax;  // written backwards
    for (int k = 0; k < digits.Count(); ++k) {
        if (decimals > 0 && k == decimals) *--p = '.';
        *--p = digits.FromRight(k);
    }
    if (negative) *--p = '-';
    std::string r(static_cast<std::size_t>(std::max(width - length, 0)), ' ');
    r.append(p, text + kMax);
    return r;
}

std::int32_t StrToIntLoose(std::string_view text) {
    constexpr int kCollectMax = 40;
    char collected[kCollectMax];
    int n = 0;
    int sign = 1;
    bool foreign = false;  // a character that cannot be part of a number
    for (char c : text) {
        if (c == '-') {
            c = ' ';
            sign = -1;
        } else if (c == '+') {
            c = ' ';
            sign = 1;
        } else if (c == ',') {
            c = '.';
        }
        if (c != ' ' && c != '.' && !IsDigit(c)) {
            foreign = true;
            continue;
        }
        if (n < kCollectMax) collected[n++] = c;
    }
    if (foreign) return 0;

    int i = 0;
    while (i < n && collected[i] == ' ') ++i;
    std::int64_t value = 0;
    for (; i < n && IsDigit(collected[i]); ++i) {
        value = value * 10 + (collected[i] - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return 0;
    }
    value *= sign;
    if (value > std::numeric_limits<std::int32_t>::max()) return 0;
    return static_cast<std::int32_t>(value);
}

double StrToFloatLoose(std::string_view text) {
    std::string collected;
    double sign = 1;
    for (char c : text) {
        if (c == '-') {
            sign = -1;
            continue;
        }
        if (c == ',') c = '.';
        if (c == '.' || IsDigit(c)) collected.push_back(c);
    }
    std::size_t point = collected.find('.');
    if (point != std::string::npos) {  // reading stops at a second point
        std::size_t second = collected.find('.', point + 1);
        if (second != std::string::npos) collected.resize(second);
    }
    double value = 0;
    auto result = std::from_chars(collected.data(), collected.data() + collected.size(), value);
    if (result.ec != std::errc() || value == 0) return 0;
    return sign * value;
}

}  // namespace kj
