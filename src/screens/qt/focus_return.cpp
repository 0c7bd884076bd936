#include "screens/qt/focus_return.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <cstring>
#include <xcb/xcb.h>

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
    if (qApp->nativeInterface<QNativeInterface::QX11Application>())
        qApp->installNativeEventFilter(installed);
}

// Whether keys the X server gives to `window` reach a form: a window of the
// program, shown, and not blocked by a modal window over it (Qt drops keys
// for a blocked window).
bool FocusReturn::MayTakeKeys(std::uint32_t window) const {
    if (window == 0) return false;
    if (QApplication::activePopupWidget()) return true;
    QWidget* w = QWidget::find(static_cast<WId>(window));
    if (!w || !w->isVisible()) return false;
    QWidget* modal = QApplication::activeModalWidget();
    return !modal || w->window() == modal || modal->isAncestorOf(w);
}

bool FocusReturn::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (type != "xcb_generic_event_t") return false;
    auto* e = static_cast<xcb_generic_event_t*>(message);
    const std::uint8_t kind = e->response_type & 0x7f;
    if (kind == XCB_FOCUS_IN || kind == XCB_FOCUS_OUT) {
        auto* f = reinterpret_cast<xcb_focus_in_event_t*>(e);
        if (f->detail == XCB_NOTIFY_DETAIL_POINTER) return false;
        if (kind == XCB_FOCUS_IN) {
            xFocus_ = f->event;
            // The keyboard has come to a window: the keys kept go on to it.
            QTimer::singleShot(0, this, &FocusReturn::SendNext);
        } else if (f->mode != XCB_NOTIFY_MODE_GRAB && f->event == xFocus_) {
            xFocus_ = 0;
        }
        return false;
    }
    if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE) return false;
    const bool resent = (e->response_type & 0x80) != 0;
    RawKey raw{};
    std::memcpy(raw.data(), e, raw.size());
    if (typeAhead_.Arrives(raw, resent, MayTakeKeys(xFocus_))) {
        // Qt acts on this key first; the next one follows it.
        QTimer::singleShot(0, this, &FocusReturn::SendNext);
        return false;
    }
    if (!resent) SendNext();
    return true;
}

// Sends the next kept key to the window with the keyboard, once that window
// may take it; Qt reads it again after everything before it.
void FocusReturn::SendNext() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return;
    std::optional<RawKey> next = typeAhead_.Next(MayTakeKeys(xFocus_));
    if (!next) return;
    auto* k = reinterpret_cast<xcb_key_press_event_t*>(next->data());
    k->event = xFocus_;
    xcb_connection_t* c = x11->connection();
    xcb_send_event(c, false, xFocus_, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(next->data()));
    xcb_flush(c);
    // A key sent to a window that went away meanwhile never comes back.
    const unsigned long serial = ++sent_;
    QTimer::singleShot(1000, this, [this, serial] {
        if (serial != sent_ || !typeAhead_.InFlight()) return;
        typeAhead_.Lost();
        SendNext();
    });
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
