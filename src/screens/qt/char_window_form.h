#pragma once
// TfOkno: the character window on the screen. Draws a CharWindow (labels,
// edit boxes, suffix labels, the "OK-F2" button and the status line from
// its layout and appearance) and forwards every event to it: keys of the
// edit boxes as composite codes, entering and leaving a box, showing the
// form, the button, the focus timer TimerError. After each event it shows
// the window's texts and field states again and carries out its requests
// (focus, timer, close, new appearance). On close it hands the form's
// rectangle to FormClose.
//
// The form is long-lived: OtevriOkno builds the controls, Run shows the
// form modally, ZavriOkno writes the values out and frees the controls.

#include <QDialog>
#include <QTimer>
#include <string_view>
#include <vector>

#include "screens/char_window.h"
#include "screens/qt/appearance_pickers.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kj {

class CharWindowForm : public QDialog {
    Q_OBJECT
  public:
    // Installs the Qt colour and font dialogs as the window's pickers.
    explicit CharWindowForm(CharWindow& window, QWidget* parent = nullptr);
    ~CharWindowForm() override;

    CharWindow& window() { return window_; }

    // The window's OtevriOkno, then the controls built from its layout.
    void OtevriOkno(std::string_view title, std::string_view status, int paper, int ink,
                    int leftColumn, int topRow, int rightColumn, int bottomRow);
    // Shows the form modally; true when the window was accepted.
    bool Run();
    // The edit boxes' texts into the window's values and record buffer
    // (unless cancelled), then the controls are freed.
    bool ZavriOkno();

    // The controls of field i (from 1); null when absent.
    QLabel* label(int i) const;
    QLineEdit* edit(int i) const;
    QLabel* suffixLabel(int i) const;
    QPushButton* okButton() const { return ok_; }
    QLineEdit* statusLine() const { return status_; }
    QTimer& timerError() { return timerError_; }

    // Focus timer ran out (TimerError's handler).
    void TimerErrorTimer();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    // Every way of closing passes here: FormClose stores the geometry.
    void done(int result) override;

  private:
    struct Controls {
        QLabel* label = nullptr;
        QLineEdit* edit = nullptr;
        QLabel* suffix = nullptr;
    };

    void Build();
    void ClearControls();
    void ApplyAppearance();
    void ApplyLayout();
    void PlaceForm();
    void SetEditColours(QLineEdit& edit, bool readOnly);
    // Edit boxes -> window texts before an event; window -> controls after.
    void PullTexts();
    void ShowFields();
    void Carry();
    int FieldOf(const QObject* watched) const;
    bool EditKey(int field, QKeyEvent* e);
    bool OkKey(QKeyEvent* e);
    void EditFocusIn(int field, QFocusEvent* e);
    void EditFocusOut(int field, QFocusEvent* e);

    CharWindow& window_;
    QtAppearancePickers pickers_;
    std::vector<Controls> fields_;
    QPushButton* ok_ = nullptr;
    QLineEdit* status_ = nullptr;
    QTimer timerError_;
    // Inside a call into the window: focus changes then come from its
    // dialogs (a message, the appearance dialog), not from the user.
    int busy_ = 0;
    bool closing_ = false;
    // The field whose entering was last handled (0 = none).
    int entered_ = 0;
};

}  // namespace kj
