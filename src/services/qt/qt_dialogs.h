#pragma once
// The dialog interface on Qt widgets for the running program. Simple forms:
// a message box, a red timed note, a yes/no question, a field form, a choice
// list, a busy notice, a box of fixed lines and a read-only guide text.

#include "services/dialogs.h"
#include "services/file_system.h"

class QWidget;
class QProgressDialog;

namespace kj {

class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(FileSystem& fs) : fs_(fs) {}
    ~QtDialogs() override;

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

private:
    FileSystem& fs_;
    QProgressDialog* busy_ = nullptr;
};

}  // namespace kj
