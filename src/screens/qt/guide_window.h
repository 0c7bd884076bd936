#pragma once
// TfHint: the guide window, a text file shown read-only; F2 makes it
// editable, Esc closes it.

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;

namespace kj {

class GuideWindow final : public QDialog {
    Q_OBJECT
public:
    explicit GuideWindow(QWidget* parent = nullptr);

    void Show(const QString& caption, const std::vector<std::string>& lines);
    // True when F2 made the text editable during the last showing.
    bool edited() const { return edited_; }
    // The text as Windows-1250 lines.
    std::vector<std::string> Lines() const;

    QPlainTextEdit* text() const { return text_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool Key(QKeyEvent* e);

    QPlainTextEdit* text_ = nullptr;
    bool edited_ = false;
};

}  // namespace kj
