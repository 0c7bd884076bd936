#pragma once
// The one door through which the system talks to its user. Every question,
// message and notice of the core goes through a Dialogs object:
//   - the Qt forms implement it for the running program;
//   - ScriptedDialogs answers from queues and records what was shown (tests);
//   - StderrDialogs prints to stderr and answers "no" (command-line tools).
// Texts are Windows-1250, as everywhere in the core.

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace kj {

class Common;

// What the user did with a timed note. A click on the note and "yes" to
// "Došlo k poruše, chcete ignorovat ochranu souborů" asks the lock waits to
// stop (the stop-waiting switch).
enum class NoteResult { Expired, StopWaiting };

// Help procedure of AskFields/ChooseItem: current field or item number and a
// text the procedure may change.
using F1Handler = std::function<void(int, std::string&)>;

// Results of the last field or choice dialog, valid until the next one.
struct DialogState {
    std::array<std::string, 61> results;  // DialogResults[1..60]
    bool accepted = false;                // DialogAccepted
    int chosenIndex = 0;                  // ChosenIndex
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Beep and a plain message box.
    virtual void BeepMessage(const std::string& text) = 0;
    // A timed note that closes itself after `ms` milliseconds.
    virtual NoteResult ShowNote(const std::string& text, int ms) = 0;
    // Yes/no question; col/row in character cells (0 = keep position).
    virtual bool AskYesNo(int col, int row, const std::string& question) = 0;
    // Labelled fields; `items` are pairs label, initial text. Leaves the texts
    // in DialogResults[1..n] and returns DialogAccepted.
    virtual bool AskFields(int col, int row, const F1Handler& f1,
                           const std::vector<std::string>& items, const std::string& title) = 0;
    // Choice among items; returns ChosenIndex (0 = Esc).
    virtual int ChooseItem(int col, int row, const F1Handler& f1,
                           const std::vector<std::string>& items, const std::string& title) = 0;
    virtual void ShowBusy(const std::string& text) = 0;
    virtual void SetBusyProgress(int max, int position) = 0;
    virtual void CloseBusy() = 0;
    // Up to 20 fixed lines; empty lines are skipped.
    virtual void HelpBox(int col, int row, const std::string& title,
                         const std::vector<std::string>& lines) = 0;
    virtual void ShowGuide(const std::string& directory, const std::string& title) = 0;

    DialogState& state() { return state_; }
    const DialogState& state() const { return state_; }

    // The station whose parameter files keep the remembered answers, items
    // and positions (dialog_rules.h). A station attaches itself to its
    // dialogs when it is made and lets go when it ends.
    Common* station() const { return station_; }
    void AttachStation(Common* c) { station_ = c; }

protected:
    DialogState state_;

private:
    Common* station_ = nullptr;
};

// The dialogs of a program without a screen (command-line tools, station
// processes of tests): nothing shows a busy bar, a help box or a guide.
class ScreenlessDialogs : public Dialogs {
public:
    void ShowBusy(const std::string&) override {}
    void SetBusyProgress(int, int) override {}
    void CloseBusy() override {}
    void HelpBox(int, int, const std::string&, const std::vector<std::string>&) override {}
    void ShowGuide(const std::string&, const std::string&) override {}
};

// AskFields with one pair, no title and no help; on acceptance `value`
// receives DialogResults[1].
bool AskOneField(Dialogs& ui, int col, int row, const std::string& label, std::string& value);

}  // namespace kj
