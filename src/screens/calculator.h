#pragma once
// TfKalk: the adding machine ("Kalkulačka") without its widgets. It starts
// from the value of the field the user was in, applies one operator at a
// time to a running result, keeps a paper tape of every step, prints the
// tape and hands the result back when the user accepts it.
//
// Fields: the result ("Výsledek", read-only) and the operand ("Operand",
// typed). Tape lines: the number right-aligned in 15 characters, a blank
// and the sign ("+", "-", "*", "/" for an operand, "=" for a result).
//
// Characters: digits (the first after an operation starts a new operand),
// "." and "," and Backspace edit the operand; "+", "-", "*", "/" apply the
// operand (the first one writes the starting value to the tape); "C"/"c"
// clears both fields and the tape; Enter accepts. Keys: F2 as Enter, Esc
// leaves without accepting, F1 the help "2\kalk", F10 prints the tape.
// The button "C-nuluj" clears both fields but keeps the tape.
//
// The result keeps every digit: it is shown with "### ### ###.##-", and with
// another group of three in front for every group a larger result needs.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/key_codes.h"
#include "services/common.h"

namespace kj {

class TfKalk {
public:
    struct Requests {
        bool close = false;
        bool focusOperand = false;
    };

    explicit TfKalk(Common& c) : c_(c) {}

    static std::string Caption();  // "Kalkulačka"

    // Calculate: the result field gets the value, the window is shown
    // (show) at its remembered place; the result when the user accepted it.
    std::optional<double> Calculate(double value);

    // ---- events from the view ----
    void Activate();  // FormActivate
    void KeyChar(char ch);
    void KeyDown(int vk, key::Mod mods = key::Mod::None);
    void ClearButton();  // "C-nuluj"
    void OkButton() { Accept(); }  // "F2-OK"
    // The view's operand box changed by other means (pasting).
    void SetOperand(std::string_view text) { operand_ = std::string(text); }
    // FormClose: stores the window's place.
    void FormClose(int left, int top);
    Requests TakeRequests();

    // ---- state for the view ----
    const std::string& result() const { return result_; }
    const std::string& operand() const { return operand_; }
    const std::vector<std::string>& tape() const { return tape_; }
    bool accepted() const { return accepted_; }
    // The accepted result without blanks ("" until accepted).
    const std::string& resultText() const { return resultText_; }
    // The remembered place (0 = none).
    int left() const { return left_; }
    int top() const { return top_; }

    // ---- what the owner supplies ----
    // Shows the window modally until it asks to close.
    std::function<void(TfKalk&)> show;
    // F10: prints the tape lines (the print file "Paragon", 20 wide, shown
    // in the print viewer).
    std::function<void(const std::vector<std::string>&)> printTape;
    // F1: the help topic "2\kalk".
    std::function<void()> help;

private:
    void Apply(char sign);
    void Accept();
    void TapeLine(std::string_view number, char sign);
    static std::string ShowResult(double value);

    Common& c_;
    std::string result_;
    std::string operand_;
    std::vector<std::string> tape_;
    bool accepted_ = false;
    bool newOperand_ = true;
    std::string resultText_;
    int left_ = 0, top_ = 0;
    Requests requests_;
};

// The station's calculator, made on first use.
TfKalk& KalkulackaOf(Common& c);
// The calculator opened with `value`; the result when accepted.
std::optional<double> Calculate(Common& c, double value);
// Calculate for a field (Ctrl+F9): the accepted result as the result field
// shows it, without blanks; nothing when the calculator was left with Esc.
std::optional<std::string> CalculateText(Common& c, double value);

}  // namespace kj
