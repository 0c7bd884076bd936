#pragma once
// TfPozri on the screen: the rolling list form over the print viewer, in a
// fixed-pitch font ("Fixedsys") without grid lines, on light red paper while
// the viewer's own help is shown. The right mouse button in the list (or
// Shift+F10) opens the pop-up menu. TfEdituj, the line editor of Space and
// Ctrl+F7, is a one-line box that shows control bytes as their symbols.

#include <QElapsedTimer>

#include "print/print_viewer.h"
#include "screens/qt/rolling_list_form.h"

namespace kj {

class PrintViewerForm final : public RollingListForm {
    Q_OBJECT
public:
    explicit PrintViewerForm(TfPozri& viewer, QWidget* parent = nullptr);
    ~PrintViewerForm() override;

    TfPozri& viewer() { return viewer_; }
    // The pop-up menu at a place on the screen.
    void ShowMenu(const QPoint& at);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void ApplyAppearance() override;

private:
    TfPozri& viewer_;
    QElapsedTimer progressClock_;
};

// TfEdituj: edits one line (Windows-1250); false when cancelled.
bool EditPrintLine(QWidget* parent, const std::string& title, std::string& text);

}  // namespace kj
