#pragma once
// The record editor of the table browser on the screen: a dialog built from
// a RecordEditor's layout (one label and edit box per column, hints, the
// "OK-F2" button and the help line). It renders the editor and forwards
// keys, entering and leaving boxes, clicks, the button and the focus timer
// TimerError to it, then shows the texts and states again and carries out
// the requests. It decides nothing.

#include <QDialog>
#include <QPixmap>
#include <QTimer>
#include <functional>
#include <vector>

#include "screens/record_editor.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kj {

class RecordEditorForm : public QDialog {
    Q_OBJECT
public:
    explicit RecordEditorForm(RecordEditor& editor, QWidget* parent = nullptr);
    ~RecordEditorForm() override;

    // Shows the form modally until the editor closes it.
    void Run();

    QLineEdit* edit(int i) const;
    QLabel* label(int i) const;
    QPushButton* okButton() const { return ok_; }
    QLineEdit* helpLine() const { return help_; }

    // F10: the form as a picture, for the printer (the view that owns the
    // printer sets it).
    std::function<void(const QPixmap&)> printForm;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

private:
    struct Controls {
        QLabel* label = nullptr;
        QLineEdit* edit = nullptr;
        QLabel* hint = nullptr;
    };
    void Build();
    void PullTexts();
    void ShowFields();
    void Carry();
    int FieldOf(const QObject* watched) const;
    bool EditKey(int field, QKeyEvent* e);

    RecordEditor& editor_;
    std::vector<Controls> fields_;
    QPushButton* ok_ = nullptr;
    QLineEdit* help_ = nullptr;
    QTimer timerError_;
    int busy_ = 0;
    bool closing_ = false;
};

}  // namespace kj
