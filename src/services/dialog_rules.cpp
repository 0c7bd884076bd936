#include "services/dialog_rules.h"

#include <algorithm>

#include "services/common.h"
#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"

namespace kj {

std::string CaptionPrefix(std::string_view caption) {
    return std::string(caption.substr(0, std::min<std::size_t>(caption.size(), 15)));
}

std::string TooManyMessage(std::string_view title) {
    return std::string(title) + " - příliš mnoho parametrů"_cz;
}

// ---- AskYesNo ----

bool RememberedYes(Common& c, std::string_view question) {
    return GetReg(c, kAnswerParams, CaptionPrefix(question) + " ANO") == "A";
}

void RememberAnswer(Common& c, std::string_view question, bool yes) {
    SetReg(c, kAnswerParams, CaptionPrefix(question) + " ANO", yes ? "A" : "");
}

// ---- AskFields ----

bool FieldHasInput(std::string_view label, std::string_view initial) {
    return !label.empty() && !initial.empty();
}

void BeginFields(DialogState& s) {
    for (auto& r : s.results) r.clear();
    s.accepted = false;
}

void FinishFields(DialogState& s, const std::vector<std::string>& texts, bool accepted) {
    for (std::size_t k = 0; k < texts.size() && k + 1 < s.results.size(); ++k)
        s.results[k + 1] = texts[k];
    s.accepted = accepted;
}

// ---- ChooseItem ----

std::string ReadChoiceMask(Common& c, std::string_view title) {
    return GetReg(c, kChoiceMaskParams, title);
}

std::vector<std::string> ApplyChoiceMask(const std::vector<std::string>& items,
                                         std::string_view mask) {
    std::vector<std::string> out = items;
    for (std::size_t i = 0; i < out.size() && i < mask.size(); ++i)
        if (mask[i] == '-') out[i].insert(0, "-");
    return out;
}

bool ChoiceEnabled(std::string_view item) { return item.empty() || item[0] != '-'; }

int ReadChoiceIndex(Common& c, std::string_view title) {
    return StrToIntLoose(GetReg(c, kChoiceIndexParams, CaptionPrefix(title) + " VyberIndex"));
}

void StoreChoiceIndex(Common& c, std::string_view title, int index) {
    SetReg(c, kChoiceIndexParams, CaptionPrefix(title) + " VyberIndex", FormatPic("####", index));
}

int FirstChoice(const std::vector<std::string>& masked, int remembered) {
    const int n = static_cast<int>(masked.size());
    if (n == 0) return 0;
    const int start = remembered < 1 || remembered > n ? 1 : remembered;
    for (int step = 0; step < n; ++step) {
        const int i = (start - 1 + step) % n + 1;
        if (ChoiceEnabled(masked[static_cast<std::size_t>(i - 1)])) return i;
    }
    return 0;
}

int AcceptedChoice(int selected, std::size_t itemCount) {
    if (itemCount == 0) return 0;
    return selected >= 1 && selected <= static_cast<int>(itemCount) ? selected : 1;
}

std::string ChoiceCode(std::string_view item) {
    std::string padded = std::string(item) + "   ";
    return padded.substr(1, 2);
}

void FinishChoice(DialogState& s, const std::vector<std::string>& items, int result) {
    if (result < 0 || result > static_cast<int>(items.size())) result = 0;
    s.chosenIndex = result;
    s.results[1] = result > 0 ? ChoiceCode(items[static_cast<std::size_t>(result - 1)]) : "  ";
}

ChoiceStart StartChoice(Common* c, const std::vector<std::string>& items, std::string_view title) {
    ChoiceStart start;
    start.items = c ? ApplyChoiceMask(items, ReadChoiceMask(*c, title)) : items;
    start.first = FirstChoice(start.items, c ? ReadChoiceIndex(*c, title) : 0);
    return start;
}

int EndChoice(Common* c, DialogState& s, const std::vector<std::string>& items,
              std::string_view title, int result) {
    FinishChoice(s, items, result);
    if (c && s.chosenIndex > 0) StoreChoiceIndex(*c, title, s.chosenIndex);
    return s.chosenIndex;
}

}  // namespace kj
