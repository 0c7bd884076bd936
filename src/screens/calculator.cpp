#include "screens/calculator.h"

#include <algorithm>
#include <cmath>

#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"

namespace kj {
namespace {

constexpr char kOkna2[] = "par\\okna2.par";
constexpr int kTapeNumberWidth = 15;

// Integer digits a value needs.
int IntegerDigits(double value) {
    int digits = 1;
    for (double v = std::floor(std::fabs(value) + 0.005); v >= 10; v /= 10) ++digits;
    return digits;
}

// The start value: "############.##-", wider when the value has more digits.
std::string ShowStart(double value) {
    const int digits = std::max(12, IntegerDigits(value));
    return FormatPic(std::string(static_cast<std::size_t>(digits), '#') + ".##-", value);
}

}  // namespace

std::string TfKalk::Caption() { return "Kalkulačka"_cz; }

std::string TfKalk::ShowResult(double value) {
    // "### ### ###.##-" and a group of three more for every group needed:
    // a result must never lose its leading digits.
    std::string picture = "### ### ###.##-";
    for (int digits = IntegerDigits(value); digits > 9; digits -= 3) picture.insert(0, "### ");
    return FormatPic(picture, value);
}

std::optional<double> TfKalk::Calculate(double value) {
    result_ = ShowStart(value);
    const std::string caption = Caption();
    const int left = StrToIntLoose(GetReg(c_, kOkna2, caption + " KalkLeft"));
    const int top = StrToIntLoose(GetReg(c_, kOkna2, caption + " KalkTop"));
    left_ = left > 0 ? left : 0;
    top_ = top > 0 ? top : 0;
    Activate();
    if (show) show(*this);
    if (!accepted_) return std::nullopt;
    return StrToFloatLoose(result_);
}

void TfKalk::Activate() {
    accepted_ = false;
    newOperand_ = true;
    operand_.clear();
    tape_.clear();
    resultText_.clear();
    requests_ = {};
    requests_.focusOperand = true;
}

void TfKalk::TapeLine(std::string_view number, char sign) {
    // A number wider than its 15 places is written whole, never cut.
    const std::string text = StripLeft(StripRight(number));
    const int width = std::max(kTapeNumberWidth, static_cast<int>(text.size()));
    tape_.push_back(PadStr(text, "P", " ", width) + " " + sign);
}

void TfKalk::Apply(char sign) {
    const double operand = StrToFloatLoose(operand_);
    if (sign == '/' && operand == 0) {
        c_.ui.BeepMessage("Dělení nulou"_cz);
        return;
    }
    if (tape_.empty()) TapeLine(result_, '=');
    TapeLine(operand_, sign);
    const double before = StrToFloatLoose(result_);
    double r = before;
    switch (sign) {
        case '+': r = before + operand; break;
        case '-': r = before - operand; break;
        case '*': r = before * operand; break;
        default: r = before / operand; break;
    }
    result_ = ShowResult(r);
    TapeLine(result_, '=');
    newOperand_ = true;
    requests_.focusOperand = true;
}

void TfKalk::Accept() {
    accepted_ = true;
    resultText_ = RemoveSpaces(result_);
    requests_.close = true;
}

void TfKalk::KeyChar(char ch) {
    if ((ch >= '0' && ch <= '9') || ch == '.' || ch == ',') {
        if (newOperand_) operand_.clear();
        newOperand_ = false;
        operand_ += ch;
    } else if (ch == '\b') {
        if (!operand_.empty()) operand_.pop_back();
        newOperand_ = false;
    } else if (ch == '+' || ch == '-' || ch == '*' || ch == '/') {
        Apply(ch);
    } else if (ch == 'C' || ch == 'c') {
        result_.clear();
        operand_.clear();
        newOperand_ = true;
        tape_.clear();
    }
}

void TfKalk::KeyDown(int vk, key::Mod mods) {
    switch (key::Composite(vk, mods)) {
        case key::kReturn:
        case key::kF2:
            Accept();
            break;
        case key::kEscape:
            accepted_ = false;
            requests_.close = true;
            break;
        case key::kF1:
            if (help) help();
            break;
        case key::kF10:
            if (!tape_.empty() && printTape) printTape(tape_);
            break;
        default:
            break;
    }
}

void TfKalk::ClearButton() {
    result_.clear();
    operand_.clear();
    newOperand_ = true;
    requests_.focusOperand = true;
}

void TfKalk::FormClose(int left, int top) {
    const std::string caption = Caption();
    SetReg(c_, kOkna2, caption + " KalkLeft", FormatPic("@@@@@@", left));
    SetReg(c_, kOkna2, caption + " KalkTop", FormatPic("@@@@@@", top));
    left_ = left;
    top_ = top;
}

TfKalk::Requests TfKalk::TakeRequests() {
    Requests r = requests_;
    requests_ = {};
    return r;
}

TfKalk& KalkulackaOf(Common& c) {
    if (!c.calculator) c.calculator = std::make_shared<TfKalk>(c);
    return *c.calculator;
}

std::optional<double> Calculate(Common& c, double value) { return KalkulackaOf(c).Calculate(value); }

std::optional<std::string> CalculateText(Common& c, double value) {
    TfKalk& k = KalkulackaOf(c);
    if (!k.Calculate(value)) return std::nullopt;
    return k.resultText();
}

}  // namespace kj
