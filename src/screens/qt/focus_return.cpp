#include "screens/qt/focus_return.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace kj {
namespace {

// Windows of the program that take the keyboard: forms and dialogs, not
// menus, tool tips or splash windows.
bool TakesKeys(const QWidget* w) {
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

}  // namespace

FocusReturn::FocusReturn(QObject* parent) : QObject(parent) {}

void FocusReturn::Install() {
    static FocusReturn* installed = nullptr;
    if (installed || !qApp) return;
    installed = new FocusReturn(qApp);
    qApp->installEventFilter(installed);
}

bool FocusReturn::eventFilter(QObject* watched, QEvent* e) {
    if (!watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    if (!w->isWindow() || !TakesKeys(w)) return false;
    switch (e->type()) {
        case QEvent::Show:
        case QEvent::WindowActivate:
            order_.removeAll(w);
            order_.append(w);
            break;
        case QEvent::Hide:
            order_.removeAll(w);
            if (!pending_) {
                pending_ = true;
                QTimer::singleShot(0, this, &FocusReturn::Return);
            }
            break;
        default:
            break;
    }
    return false;
}

void FocusReturn::Return() {
    pending_ = false;
    order_.removeAll(nullptr);
    if (QApplication::activePopupWidget()) return;
    QWidget* target = QApplication::activeModalWidget();
    for (qsizetype i = order_.size() - 1; !target && i >= 0; --i)
        if (order_[i]->isVisible()) target = order_[i];
    if (!target || QApplication::activeWindow() == target) return;
    target->raise();
    target->activateWindow();
}

}  // namespace kj
