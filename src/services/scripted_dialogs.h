#pragma once
// Dialogs for tests: answers come from queues, everything shown is recorded.
// An empty queue answers "no", Esc or "keep the initial texts, accepted" as
// noted at each member, so a test states only the answers it cares about.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "services/dialogs.h"

namespace kj {

class ScriptedDialogs final : public Dialogs {
public:
    // One call as it was shown. kind: "beep", "note", "yesno", "fields",
    // "choose", "busy", "help", "guide". text: the message, question or title.
    struct Shown {
        std::string kind;
        std::string text;
        int ms = 0;
        std::vector<std::string> items;
    };

    struct FieldsAnswer {
        bool accept = true;
        // Texts of the fields in order; missing ones and heading lines keep
        // their initial text.
        std::vector<std::string> values;
    };

    // The answers follow the real dialogs' rules (dialog_rules.h): the
    // remembered answer and item, the VYBER.PAR mask.
    std::vector<Shown> shown;
    // true "A", false "N"; nullopt Enter on the button the dialog opens on
    // (the remembered answer). Empty: Esc, answers no.
    std::deque<std::optional<bool>> yesNo;
    std::deque<FieldsAnswer> fields;  // empty: accepts the initial texts
    // The item chosen; kEnter: Enter on the item the dialog starts on (the
    // remembered one). Empty: Esc (0); out of range or disabled: 0.
    static constexpr int kEnter = -1;
    std::deque<int> choices;
    std::deque<NoteResult> notes;     // empty: the note expires
    // Called at every note before it "expires": the place where a test frees
    // a lock or counts the attempts of a wait loop.
    std::function<void(const Shown&)> onNote;
    std::function<void(const Shown&)> onBeep;
    // Called when a field or choice dialog opens, before it is answered,
    // with its help procedure: the place where a test presses F1 or looks
    // at what other stations see while the question is open. A field
    // dialog's help may change the texts in `fieldTexts` (initial texts of
    // its fields, in order); changed texts stay unless an answer replaces them.
    std::function<void(const Shown&, const F1Handler&, std::vector<std::string>& fieldTexts)>
        onFields;
    std::function<void(const Shown&, const F1Handler&)> onChoose;

    void BeepMessage(const std::string& text) override;
    NoteResult ShowNote(const std::string& text, int ms) override;
    bool AskYesNo(int col, int row, const std::string& question) override;
    bool AskFields(int col, int row, const F1Handler& f1, const std::vector<std::string>& items,
                   const std::string& title) override;
    int ChooseItem(int col, int row, const F1Handler& f1, const std::vector<std::string>& items,
                   const std::string& title) override;
    void ShowBusy(const std::string& text) override;
    void SetBusyProgress(int max, int position) override;
    void CloseBusy() override;
    void HelpBox(int col, int row, const std::string& title,
                 const std::vector<std::string>& lines) override;
    void ShowGuide(const std::string& directory, const std::string& title) override;

    int Count(const std::string& kind) const;
    // Text of the last call of that kind ("" when none).
    std::string Last(const std::string& kind) const;
    std::vector<std::string> Texts(const std::string& kind) const;
};

// Dialogs for command-line tools: messages go to stderr as UTF-8, notes wait
// their time, questions answer "no" and field dialogs are refused.
class StderrDialogs final : public Dialogs {
public:
    void BeepMessage(const std::string& text) override;
    NoteResult ShowNote(const std::string& text, int ms) override;
    bool AskYesNo(int col, int row, const std::string& question) override;
    bool AskFields(int col, int row, const F1Handler& f1, const std::vector<std::string>& items,
                   const std::string& title) override;
    int ChooseItem(int col, int row, const F1Handler& f1, const std::vector<std::string>& items,
                   const std::string& title) override;
    void ShowBusy(const std::string& text) override;
    void SetBusyProgress(int max, int position) override;
    void CloseBusy() override;
    void HelpBox(int col, int row, const std::string& title,
                 const std::vector<std::string>& lines) override;
    void ShowGuide(const std::string& directory, const std::string& title) override;
};

}  // namespace kj
