#include "services/scripted_dialogs.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "services/cp1250.h"
#include "services/dialog_rules.h"

namespace kj {

bool AskOneField(Dialogs& ui, int col, int row, const std::string& label, std::string& value) {
    bool ok = ui.AskFields(col, row, F1Handler(), {label, value}, "");
    if (ok) value = ui.state().results[1];
    return ok;
}

// ---- ScriptedDialogs ----

void ScriptedDialogs::BeepMessage(const std::string& text) {
    shown.push_back({"beep", text, 0, {}});
    if (onBeep) onBeep(shown.back());
}

NoteResult ScriptedDialogs::ShowNote(const std::string& text, int ms) {
    shown.push_back({"note", text, ms, {}});
    if (onNote) onNote(shown.back());
    if (notes.empty()) return NoteResult::Expired;
    NoteResult r = notes.front();
    notes.pop_front();
    return r;
}

bool ScriptedDialogs::AskYesNo(int, int, const std::string& question) {
    shown.push_back({"yesno", question, 0, {}});
    Common* c = station();
    bool yes = false;
    if (!yesNo.empty()) {
        // Enter answers with the button the dialog opens on.
        yes = yesNo.front().value_or(c && RememberedYes(*c, question));
        yesNo.pop_front();
    }
    if (c) RememberAnswer(*c, question, yes);
    return yes;
}

bool ScriptedDialogs::AskFields(int, int, const F1Handler& f1,
                                const std::vector<std::string>& given, const std::string& title) {
    shown.push_back({"fields", title, 0, given});
    std::vector<std::string> items = given;
    if (onFields) {
        std::vector<std::string> texts;
        for (std::size_t k = 1; k < items.size(); k += 2) texts.push_back(items[k]);
        const Shown now = shown.back();  // the callback may show more
        onFields(now, f1, texts);
        for (std::size_t k = 0; k < texts.size() && 2 * k + 1 < items.size(); ++k)
            items[2 * k + 1] = texts[k];
    }
    BeginFields(state_);
    if (items.size() > kMaxFieldStrings) {
        BeepMessage(TooManyMessage(title));
        return false;
    }
    FieldsAnswer answer;
    if (!fields.empty()) {
        answer = fields.front();
        fields.pop_front();
    }
    // As in the real form, a heading line has no field to type into and
    // keeps its text.
    std::vector<std::string> texts;
    for (std::size_t k = 0; 2 * k < items.size(); ++k) {
        const std::string& label = items[2 * k];
        const std::string initial = 2 * k + 1 < items.size() ? items[2 * k + 1] : std::string();
        texts.push_back(FieldHasInput(label, initial) && k < answer.values.size() ? answer.values[k]
                                                                                  : initial);
    }
    FinishFields(state_, texts, answer.accept);
    return state_.accepted;
}

int ScriptedDialogs::ChooseItem(int, int, const F1Handler& f1,
                                const std::vector<std::string>& items, const std::string& title) {
    shown.push_back({"choose", title, 0, items});
    if (onChoose) {
        const Shown now = shown.back();
        onChoose(now, f1);
    }
    if (items.size() > kMaxChoiceItems) {
        BeepMessage(TooManyMessage(title));
        FinishChoice(state_, items, 0);
        return 0;
    }
    const ChoiceStart start = StartChoice(station(), items, title);
    int r = 0;
    if (!choices.empty()) {
        r = choices.front();
        choices.pop_front();
    }
    if (r == kEnter) {
        r = AcceptedChoice(start.first, items.size());
    } else if (r < 1 || r > static_cast<int>(items.size()) ||
               !ChoiceEnabled(start.items[static_cast<std::size_t>(r - 1)])) {
        r = 0;  // the cursor never stops on a disabled item
    }
    return EndChoice(station(), state_, items, title, r);
}

void ScriptedDialogs::ShowBusy(const std::string& text) { shown.push_back({"busy", text, 0, {}}); }
void ScriptedDialogs::SetBusyProgress(int, int) {}
void ScriptedDialogs::CloseBusy() {}

void ScriptedDialogs::HelpBox(int, int, const std::string& title,
                              const std::vector<std::string>& lines) {
    shown.push_back({"help", title, 0, lines});
}

void ScriptedDialogs::ShowGuide(const std::string& directory, const std::string& title) {
    shown.push_back({"guide", title, 0, {directory}});
}

int ScriptedDialogs::Count(const std::string& kind) const {
    int n = 0;
    for (const auto& s : shown) n += s.kind == kind;
    return n;
}

std::string ScriptedDialogs::Last(const std::string& kind) const {
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
        if (it->kind == kind) return it->text;
    return {};
}

std::vector<std::string> ScriptedDialogs::Texts(const std::string& kind) const {
    std::vector<std::string> out;
    for (const auto& s : shown)
        if (s.kind == kind) out.push_back(s.text);
    return out;
}

// ---- StderrDialogs ----

namespace {
void Print(const char* prefix, const std::string& text) {
    std::fprintf(stderr, "%s%s\n", prefix, Cp1250ToUtf8(text).c_str());
}
}  // namespace

void StderrDialogs::BeepMessage(const std::string& text) { Print("\a", text); }

NoteResult StderrDialogs::ShowNote(const std::string& text, int ms) {
    Print("", text);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return NoteResult::Expired;
}

bool StderrDialogs::AskYesNo(int, int, const std::string& question) {
    Print("", question + " -> Ne"_cz);
    return false;
}

bool StderrDialogs::AskFields(int, int, const F1Handler&, const std::vector<std::string>&,
                              const std::string& title) {
    Print("", title);
    BeginFields(state_);
    return false;
}

int StderrDialogs::ChooseItem(int, int, const F1Handler&, const std::vector<std::string>& items,
                              const std::string& title) {
    Print("", title);
    FinishChoice(state_, items, 0);
    return 0;
}

void StderrDialogs::ShowBusy(const std::string& text) { Print("", text); }
void StderrDialogs::SetBusyProgress(int, int) {}
void StderrDialogs::CloseBusy() {}

void StderrDialogs::HelpBox(int, int, const std::string& title,
                            const std::vector<std::string>& lines) {
    Print("", title);
    for (const auto& l : lines)
        if (!l.empty()) Print("  ", l);
}

void StderrDialogs::ShowGuide(const std::string&, const std::string& title) { Print("", title); }

}  // namespace kj
