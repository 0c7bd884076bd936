#include "print/qt/print_viewer_form.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <QVBoxLayout>

#include "screens/font_map.h"
#include "services/cp1250.h"
#include "services/qt/qt_text.h"

namespace kj {
namespace {

constexpr char kViewerFont[] = "Fixedsys";
// Repaints of the page-search progress at most this often.
constexpr int kProgressRepaintMs = 100;
const QColor kHelpPaper(255, 200, 200);

// Control bytes 0..31 as the symbols U+2400..U+241F in the line editor, so
// that a form feed or a font switch survives editing.
constexpr char16_t kControlPictures = 0x2400;

QString EditableText(const std::string& text) {
    QString out = ToQt(text);
    for (QChar& ch : out)
        if (ch.unicode() < 32) ch = QChar(static_cast<char16_t>(kControlPictures + ch.unicode()));
    return out;
}

std::string StoredText(QString text) {
    for (QChar& ch : text)
        if (ch.unicode() >= kControlPictures && ch.unicode() < kControlPictures + 32)
            ch = QChar(static_cast<char16_t>(ch.unicode() - kControlPictures));
    return FromQt(text);
}

}  // namespace

PrintViewerForm::PrintViewerForm(TfPozri& viewer, QWidget* parent)
    : RollingListForm(viewer, parent), viewer_(viewer) {
    sgRol()->setShowGrid(false);
    progressClock_.start();
    viewer_.pageSearchProgress = [this] {
        if (!viewer_.progressText().empty() && progressClock_.elapsed() < kProgressRepaintMs) return;
        progressClock_.restart();
        lKolik()->setText(ToQt(viewer_.progressText().empty() ? viewer_.counterText()
                                                               : viewer_.progressText()));
        lKolik()->repaint();
    };
}

PrintViewerForm::~PrintViewerForm() { viewer_.pageSearchProgress = nullptr; }

void PrintViewerForm::ApplyAppearance() {
    RollingListForm::ApplyAppearance();
    const Appearance& a = viewer_.appearance();
    QFont font(ToQt(SharedFontMap().Installed(kViewerFont)));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(a.fontSize > 0 ? a.fontSize : 10);
    sgRol()->setFont(font);
    if (viewer_.helpView()) {
        QPalette grid = sgRol()->palette();
        grid.setColor(QPalette::Base, kHelpPaper);
        sgRol()->setPalette(grid);
        QPalette form = palette();
        form.setColor(QPalette::Window, kHelpPaper);
        setPalette(form);
    }
}

void PrintViewerForm::ShowMenu(const QPoint& at) {
    QMenu menu(this);
    const auto items = TfPozri::MenuItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].empty()) continue;
        QAction* a = menu.addAction(ToQt(items[i]));
        a->setData(static_cast<int>(i) + 1);
    }
    QAction* chosen = menu.exec(at);
    if (!chosen) return;
    viewer_.MenuChosen(chosen->data().toInt());
    Sync();
}

bool PrintViewerForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == sgRol()->viewport() && e->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(e)->button() == Qt::RightButton &&
        !(static_cast<QMouseEvent*>(e)->modifiers() & Qt::ControlModifier)) {
        ShowMenu(static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
        return true;
    }
    const bool handled = RollingListForm::eventFilter(watched, e);
    if (viewer_.TakeMenuRequest()) {
        const QRect row = sgRol()->visualRect(sgRol()->model()->index(std::max(0, viewer_.gridRow() - 1), 0));
        ShowMenu(sgRol()->viewport()->mapToGlobal(row.bottomLeft()));
    }
    return handled;
}

bool EditPrintLine(QWidget* parent, const std::string& title, std::string& text) {
    QDialog dialog(parent);
    dialog.setWindowTitle(ToQt(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* edit = new QLineEdit(EditableText(text), &dialog);
    QFont font(ToQt(SharedFontMap().Installed(kViewerFont)));
    font.setStyleHint(QFont::TypeWriter);
    edit->setFont(font);
    edit->setMinimumWidth(QFontMetrics(font).horizontalAdvance(QLatin1Char('0')) *
                          std::clamp(static_cast<int>(text.size()) + 2, 40, 140));
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    edit->setFocus();
    if (dialog.exec() != QDialog::Accepted) return false;
    text = StoredText(edit->text());
    return true;
}

}  // namespace kj
