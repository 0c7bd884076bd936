#pragma once
// The dialog interface on the Qt forms of the running program: TfDotaz,
// TfDotazy, TfVyber, TfBlik, TfErr, TfTabule and TfHint, each created once
// and reused (a call made while its form is already open gets a form of its
// own). The rules come from dialog_layout; this class fills the forms,
// places them, shows them and stores what they leave behind.

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "screens/dialog_layout.h"
#include "screens/screen_metrics.h"
#include "services/common.h"
#include "services/dialogs.h"
#include "services/file_system.h"

class QWidget;

namespace kj {

class BusyNotice;
class ChoiceDialog;
class FieldsDialog;
class GuideWindow;
class HelpBox;
class WaitNote;
class YesNoDialog;

class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(FileSystem& fs);
    ~QtDialogs() override;

    // The station whose parameter files remember positions and answers.
    // Until it is set, a station of this object's own (no start-up
    // settings) stands in.
    void SetCommon(Common* c) { AttachStation(c); }
    // The character cell the dialogs are laid out in; the program's shared
    // metrics unless set.
    void SetMetrics(const ScreenMetrics& m) { metrics_ = &m; }
    const ScreenMetrics& metrics() const { return *metrics_; }

    // F9 in AskFields and ChooseItem: the calculator, opened with a number;
    // gives the number the user took over. Empty until the calculator
    // exists: F9 then does nothing.
    std::function<std::optional<double>(double)> calculator;
    // F10 in ChooseItem: prints the form after a printer dialog.
    std::function<void(QWidget&)> printForm;
    // F10 in AskFields: the file-open dialog; gives the chosen file or "".
    std::function<QString(QWidget&)> chooseFile;

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

    // The long-lived forms (for tests and pictures).
    YesNoDialog& yesNoForm() { return *yesNo_; }
    FieldsDialog& fieldsForm() { return *fields_; }
    ChoiceDialog& choiceForm() { return *choice_; }
    BusyNotice& busyForm() { return *busy_; }
    WaitNote& noteForm() { return *note_; }
    kj::HelpBox& helpForm() { return *help_; }
    GuideWindow& guideForm() { return *guide_; }

private:
    Common& c() { return station() ? *station() : own_; }
    std::string GuideDirectory();
    void Place(QWidget& w, std::optional<int> left, std::optional<int> top, PixelPoint stored);
    void FieldKey(FieldsDialog& f, FieldsAction action, int k, const F1Handler& f1,
                  const std::string& title);
    void ChoiceKey(ChoiceDialog& f, ChoiceAction action, int i, const F1Handler& f1,
                   const std::vector<std::string>& items, const std::string& title);

    FileSystem& fs_;
    Common own_;
    const ScreenMetrics* metrics_ = &SharedScreenMetrics();
    std::string busyText_;
    std::unique_ptr<YesNoDialog> yesNo_;
    std::unique_ptr<FieldsDialog> fields_;
    std::unique_ptr<ChoiceDialog> choice_;
    std::unique_ptr<BusyNotice> busy_;
    std::unique_ptr<WaitNote> note_;
    std::unique_ptr<kj::HelpBox> help_;
    std::unique_ptr<GuideWindow> guide_;
};

}  // namespace kj
