#include "screens/qt/char_window_form.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "screens/key_codes.h"
#include "screens/qt/rolling_list_form.h"
#include "services/qt/qt_text.h"

namespace kj {

namespace {

constexpr int kTimerErrorMs = 100;
// Background of an edit box that cannot be edited.
const QColor kReadOnlyBase(232, 232, 232);

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.width, r.height);
}

// The ink as a text colour; system colours stand for the window text.
QColor InkFromStored(int value) {
    if ((static_cast<unsigned>(value) & 0xFF000000u) != 0)
        return QApplication::palette().color(QPalette::WindowText);
    return ColourFromStored(value);
}

// The composite code of a key event (0 for a key without a virtual key).
int CompositeKeyOf(const QKeyEvent& e) {
    const int vk = VirtualKeyOf(e);
    return vk == 0 ? 0 : key::Composite(vk, ModifiersOf(e));
}

// Focus changes that do not move between the form's controls: another
// window came up (a message, a dialog) or went away, or a pop-up menu.
bool WindowChange(const QFocusEvent& e) {
    return e.reason() == Qt::ActiveWindowFocusReason || e.reason() == Qt::PopupFocusReason;
}

}  // namespace

CharWindowForm::CharWindowForm(CharWindow& window, QWidget* parent)
    : QDialog(parent), window_(window), pickers_(this) {
    setObjectName(ToQt(window.windowName()));
    setWindowTitle(ToQt(window.caption()));
    setModal(true);
    window_.SetPickers(&pickers_);
    timerError_.setSingleShot(true);
    timerError_.setInterval(kTimerErrorMs);
    connect(&timerError_, &QTimer::timeout, this, &CharWindowForm::TimerErrorTimer);
}

CharWindowForm::~CharWindowForm() {
    ClearControls();
}

void CharWindowForm::OtevriOkno(std::string_view title, std::string_view status, int paper, int ink,
                                int leftColumn, int topRow, int rightColumn, int bottomRow) {
    window_.OtevriOkno(title, status, paper, ink, leftColumn, topRow, rightColumn, bottomRow);
    Build();
}

bool CharWindowForm::Run() {
    exec();
    return window_.accepted();
}

bool CharWindowForm::ZavriOkno() {
    PullTexts();
    const bool ok = window_.ZavriOkno();
    ClearControls();
    return ok;
}

QLabel* CharWindowForm::label(int i) const {
    return i >= 1 && i <= static_cast<int>(fields_.size())
               ? fields_[static_cast<std::size_t>(i - 1)].label
               : nullptr;
}

QLineEdit* CharWindowForm::edit(int i) const {
    return i >= 1 && i <= static_cast<int>(fields_.size())
               ? fields_[static_cast<std::size_t>(i - 1)].edit
               : nullptr;
}

QLabel* CharWindowForm::suffixLabel(int i) const {
    return i >= 1 && i <= static_cast<int>(fields_.size())
               ? fields_[static_cast<std::size_t>(i - 1)].suffix
               : nullptr;
}

// ---- building ----

void CharWindowForm::Build() {
    ClearControls();
    timerError_.stop();
    closing_ = false;
    entered_ = 0;
    const WindowLayout& layout = window_.layout();
    for (int i = 1; i <= window_.FieldCount(); ++i) {
        const FieldLayout& f = layout.fields[static_cast<std::size_t>(i - 1)];
        const PoleOkna& d = window_.Descriptor(i);
        Controls k;
        k.label = new QLabel(ToQt(d.label), this);
        k.label->setObjectName(QStringLiteral("l%1").arg(i));
        k.edit = new QLineEdit(this);
        k.edit->setObjectName(QStringLiteral("e%1").arg(i));
        k.edit->setMaxLength(std::max(1, f.maxLength));
        k.edit->setProperty("tag", i);
        k.edit->installEventFilter(this);
        if (f.hasSuffix) {
            k.suffix = new QLabel(this);
            k.suffix->setObjectName(QStringLiteral("s%1").arg(i));
        }
        fields_.push_back(k);
    }
    // Tab order: the fields in order, then the button.
    ok_ = new QPushButton(QStringLiteral("OK-F2"), this);
    ok_->setObjectName(QStringLiteral("KlOk"));
    ok_->setAutoDefault(false);
    ok_->setDefault(false);
    ok_->installEventFilter(this);
    connect(ok_, &QPushButton::clicked, this, [this] {
        PullTexts();
        ++busy_;
        window_.KlOkClick();
        --busy_;
        Carry();
    });
    status_ = new QLineEdit(this);
    status_->setObjectName(QStringLiteral("StatusLine"));
    status_->setReadOnly(true);
    status_->setFocusPolicy(Qt::NoFocus);
    status_->setFrame(true);
    status_->setText(ToQt(layout.statusText));

    ApplyAppearance();
    PlaceForm();
    ApplyLayout();
    ShowFields();
    ok_->show();
    status_->show();
}

void CharWindowForm::ClearControls() {
    timerError_.stop();
    // The controls are forgotten before they go, so the focus events their
    // deletion sends reach no field.
    std::vector<Controls> old;
    old.swap(fields_);
    QPushButton* ok = std::exchange(ok_, nullptr);
    QLineEdit* status = std::exchange(status_, nullptr);
    entered_ = 0;
    for (Controls& k : old) {
        delete k.label;
        delete k.edit;
        delete k.suffix;
    }
    delete ok;
    delete status;
}

void CharWindowForm::ApplyAppearance() {
    const Appearance& a = window_.appearance();
    setWindowTitle(ToQt(window_.caption()));
    setFont(WindowFont(a.fontName, a.fontSize, a.fontStyle));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColourFromStored(a.paper));
    pal.setColor(QPalette::WindowText, InkFromStored(a.ink));
    setPalette(pal);
    setAutoFillBackground(true);
    for (int i = 1; i <= static_cast<int>(fields_.size()); ++i)
        SetEditColours(*edit(i), window_.ReadOnly(i));
    if (status_) {
        const WindowLayout& layout = window_.layout();
        QFont bold = font();
        bold.setBold(true);
        status_->setFont(bold);
        QPalette sp = status_->palette();
        sp.setColor(QPalette::Base, ColourFromStored(layout.statusPaper));
        sp.setColor(QPalette::Text, ColourFromStored(layout.statusInk));
        status_->setPalette(sp);
    }
}

void CharWindowForm::SetEditColours(QLineEdit& edit, bool readOnly) {
    // The boxes write in the ink on their own white, unless the ink is too
    // light to be read there.
    QColor ink = InkFromStored(window_.appearance().ink);
    if (ink.lightnessF() > 0.8) ink = Qt::black;
    QPalette pal = edit.palette();
    pal.setColor(QPalette::Base, readOnly ? kReadOnlyBase : QColor(Qt::white));
    pal.setColor(QPalette::Text, ink);
    edit.setPalette(pal);
}

void CharWindowForm::PlaceForm() {
    QRect r = ToQRect(window_.layout().form);
    // A stored place outside the desktop (another monitor, a smaller
    // screen) is brought back into view.
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        if (!area.isEmpty()) {
            if (r.left() > area.right() - 40)
                r.moveLeft(std::max(area.left(), area.right() - r.width()));
            if (r.top() > area.bottom() - 40)
                r.moveTop(std::max(area.top(), area.bottom() - r.height()));
        }
    }
    move(r.topLeft());
    resize(r.size());
}

void CharWindowForm::ApplyLayout() {
    const WindowLayout& layout = window_.layout();
    for (int i = 1; i <= static_cast<int>(fields_.size()); ++i) {
        const FieldLayout& f = layout.fields[static_cast<std::size_t>(i - 1)];
        Controls& k = fields_[static_cast<std::size_t>(i - 1)];
        k.label->setGeometry(ToQRect(f.label));
        k.edit->setGeometry(ToQRect(f.edit));
        if (k.suffix) k.suffix->setGeometry(ToQRect(f.suffix));
    }
    if (ok_) ok_->setGeometry(ToQRect(layout.okButton));
    if (status_) status_->setGeometry(ToQRect(layout.statusLine));
}

// ---- window <-> controls ----

void CharWindowForm::PullTexts() {
    for (int i = 1; i <= static_cast<int>(fields_.size()); ++i)
        window_.SetText(i, FromQt(edit(i)->text()));
}

void CharWindowForm::ShowFields() {
    const WindowLayout& layout = window_.layout();
    for (int i = 1; i <= static_cast<int>(fields_.size()); ++i) {
        Controls& k = fields_[static_cast<std::size_t>(i - 1)];
        const int state = window_.State(i);
        k.label->setVisible(state >= 0);
        k.edit->setVisible(state >= 0);
        const bool readOnly = state == 0;
        if (k.edit->isReadOnly() != readOnly) {
            k.edit->setReadOnly(readOnly);
            SetEditColours(*k.edit, readOnly);
        }
        k.edit->setFocusPolicy(state >= 1 ? Qt::StrongFocus : Qt::NoFocus);

        const QString text = ToQt(window_.Text(i));
        if (k.edit->text() != text) {
            // A normalised value may be longer than the typed width (a
            // long date); the box takes it whole.
            if (text.size() > k.edit->maxLength())
                k.edit->setMaxLength(static_cast<int>(text.size()));
            k.edit->setText(text);
        }
        if (k.suffix) {
            const QString suffix = ToQt(window_.Descriptor(i).suffix);
            k.suffix->setText(suffix);
            const Rect& r = layout.fields[static_cast<std::size_t>(i - 1)].suffix;
            const int needed = k.suffix->fontMetrics().horizontalAdvance(suffix) + 2;
            k.suffix->resize(std::max(r.width, needed), r.height);
            k.suffix->setVisible(state >= 0);
        }
    }
}

void CharWindowForm::Carry() {
    const FieldWalker::Requests r = window_.TakeRequests();
    ShowFields();
    if (r.appearance) {
        ApplyAppearance();
        ApplyLayout();
        ShowFields();
    }
    if (r.close) {
        done(window_.accepted() ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    if (r.armTimer) timerError_.start();
    if (QLineEdit* e = edit(r.focus); e && !e->isHidden()) e->setFocus(Qt::OtherFocusReason);
}

int CharWindowForm::FieldOf(const QObject* watched) const {
    for (std::size_t k = 0; k < fields_.size(); ++k)
        if (fields_[k].edit == watched) return static_cast<int>(k) + 1;
    return 0;
}

// ---- events ----

bool CharWindowForm::EditKey(int field, QKeyEvent* e) {
    // The key arrived in this box, so it is the current field even when
    // its entering went unseen.
    if (window_.Current() != field) {
        PullTexts();
        ++busy_;
        window_.FieldEntered(field);
        --busy_;
        entered_ = field;
        Carry();
    }
    PullTexts();
    ++busy_;
    const KeyResult r = window_.KeyDown(CompositeKeyOf(*e));
    --busy_;
    Carry();
    return r == KeyResult::Consumed;
}

bool CharWindowForm::OkKey(QKeyEvent* e) {
    const int vk = VirtualKeyOf(*e);
    // Modifier keys alone and Tab (which leaves the button) do nothing;
    // Esc leaves the window as in a field; any other key accepts.
    if (vk == 0 || key::IsModifierKey(vk) || vk == key::kCapital || vk == key::kTab) return false;
    PullTexts();
    ++busy_;
    if (vk == key::kEscape)
        window_.KeyDown(key::kEscape);
    else
        window_.KlOkKeyDown();
    --busy_;
    Carry();
    return true;
}

void CharWindowForm::EditFocusIn(int field, QFocusEvent* e) {
    if (busy_ > 0 || closing_) return;
    if (WindowChange(*e) && field == entered_) return;
    PullTexts();
    ++busy_;
    window_.FieldEntered(field);
    --busy_;
    entered_ = field;
    Carry();
    // A box the cursor comes to holds its text selected, so typing
    // replaces it; a click puts the caret where it points.
    if (QLineEdit* box = edit(field); box && e->reason() != Qt::MouseFocusReason) box->selectAll();
}

void CharWindowForm::EditFocusOut(int field, QFocusEvent* e) {
    if (busy_ > 0 || closing_ || WindowChange(*e)) return;
    // The receiving widget is already the focus widget.
    const int to = FieldOf(QApplication::focusWidget());
    PullTexts();
    ++busy_;
    window_.FieldLeft(field, to);
    --busy_;
    entered_ = 0;
    Carry();
}

bool CharWindowForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ok_ && e->type() == QEvent::KeyPress) return OkKey(static_cast<QKeyEvent*>(e));
    const int field = FieldOf(watched);
    if (field != 0) {
        switch (e->type()) {
            case QEvent::KeyPress:
                if (!closing_ && EditKey(field, static_cast<QKeyEvent*>(e))) return true;
                break;
            case QEvent::FocusIn:
                EditFocusIn(field, static_cast<QFocusEvent*>(e));
                break;
            case QEvent::FocusOut:
                EditFocusOut(field, static_cast<QFocusEvent*>(e));
                break;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void CharWindowForm::keyPressEvent(QKeyEvent* e) {
    // Keys while no edit box has the focus (a window without editable
    // fields): F2 and Esc still work. Keys the boxes and the button let
    // through were dispatched there already.
    QWidget* focus = focusWidget();
    if (closing_ || (focus && (focus == ok_ || FieldOf(focus) != 0))) {
        QDialog::keyPressEvent(e);
        return;
    }
    PullTexts();
    ++busy_;
    const KeyResult r = window_.KeyDown(CompositeKeyOf(*e));
    --busy_;
    Carry();
    if (r == KeyResult::PassOn) QDialog::keyPressEvent(e);
}

void CharWindowForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    closing_ = false;
    entered_ = 0;
    ++busy_;
    window_.FormShow();
    --busy_;
    Carry();
}

void CharWindowForm::TimerErrorTimer() {
    timerError_.stop();
    if (!isVisible() || closing_) return;
    window_.TimerErrorTimer();
    Carry();
}

void CharWindowForm::done(int result) {
    if (!closing_) {
        closing_ = true;
        timerError_.stop();
        window_.FormClose({x(), y(), width(), height()});
    }
    QDialog::done(result);
}

}  // namespace kj
