#include "screens/qt/record_editor_form.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>

#include "screens/key_codes.h"
#include "screens/qt/rolling_list_form.h"
#include "services/qt/qt_text.h"

namespace kj {

namespace {

constexpr int kTimerErrorMs = 10;

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.width, r.height); }

int CompositeKeyOf(const QKeyEvent& e) {
    const int vk = VirtualKeyOf(e);
    return vk == 0 ? 0 : key::Composite(vk, ModifiersOf(e));
}

}  // namespace

RecordEditorForm::RecordEditorForm(RecordEditor& editor, QWidget* parent)
    : QDialog(parent), editor_(editor) {
    setModal(true);
    timerError_.setSingleShot(true);
    timerError_.setInterval(kTimerErrorMs);
    connect(&timerError_, &QTimer::timeout, this, [this] {
        if (!isVisible() || closing_) return;
        // What was typed since the last key went to the editor stays: the
        // timer may come between a key and the next.
        PullTexts();
        editor_.TimerErrorTimer();
        Carry();
    });
    Build();
}

RecordEditorForm::~RecordEditorForm() = default;

void RecordEditorForm::Run() { exec(); }

QLineEdit* RecordEditorForm::edit(int i) const {
    return i >= 1 && i <= static_cast<int>(fields_.size()) ? fields_[static_cast<std::size_t>(i - 1)].edit
                                                           : nullptr;
}

QLabel* RecordEditorForm::label(int i) const {
    return i >= 1 && i <= static_cast<int>(fields_.size()) ? fields_[static_cast<std::size_t>(i - 1)].label
                                                           : nullptr;
}

void RecordEditorForm::Build() {
    const EditorLayout& l = editor_.layout();
    setWindowTitle(ToQt(l.caption));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColourFromStored(l.paper));
    pal.setColor(QPalette::WindowText, ColourFromStored(l.ink));
    setPalette(pal);
    setAutoFillBackground(true);
    for (std::size_t k = 0; k < l.controls.size(); ++k) {
        const EditorControl& c = l.controls[k];
        Controls ctl;
        ctl.label = new QLabel(ToQt(c.title), this);
        ctl.label->setGeometry(ToQRect(c.label));
        ctl.edit = new QLineEdit(this);
        ctl.edit->setObjectName(QStringLiteral("e%1").arg(k + 1));
        ctl.edit->setGeometry(ToQRect(c.box));
        ctl.edit->setMaxLength(std::max(1, c.maxLength));
        ctl.edit->setProperty("tag", static_cast<int>(k) + 1);
        ctl.edit->installEventFilter(this);
        if (c.hintShown) {
            ctl.hint = new QLabel(ToQt(c.hint), this);
            ctl.hint->setGeometry(ToQRect(c.hintLabel));
        }
        fields_.push_back(ctl);
    }
    ok_ = new QPushButton(QStringLiteral("OK-F2"), this);
    ok_->setAutoDefault(false);
    ok_->setGeometry(ToQRect(l.okButton));
    connect(ok_, &QPushButton::clicked, this, [this] {
        PullTexts();
        ++busy_;
        editor_.KlOkClick();
        --busy_;
        Carry();
    });
    help_ = new QLineEdit(ToQt(l.helpText), this);
    help_->setReadOnly(true);
    help_->setFocusPolicy(Qt::NoFocus);
    help_->setGeometry(ToQRect(l.helpLine));
    QPalette hp = help_->palette();
    hp.setColor(QPalette::Base, ColourFromStored(l.helpPaper));
    hp.setColor(QPalette::Text, ColourFromStored(l.helpInk));
    help_->setPalette(hp);
    move(l.form.left, l.form.top);
    resize(l.form.width, l.form.height);
    ShowFields();
}

void RecordEditorForm::PullTexts() {
    for (int i = 1; i <= static_cast<int>(fields_.size()); ++i) editor_.SetText(i, FromQt(edit(i)->text()));
}

void RecordEditorForm::ShowFields() {
    for (int i = 1; i <= static_cast<int>(fields_.size()); ++i) {
        Controls& k = fields_[static_cast<std::size_t>(i - 1)];
        const int state = editor_.State(i);
        k.label->setVisible(state >= 0);
        k.edit->setVisible(state >= 0);
        k.edit->setReadOnly(state == 0);
        k.edit->setFocusPolicy(state >= 1 ? Qt::StrongFocus : Qt::NoFocus);
        const QString text = ToQt(editor_.Text(i));
        if (k.edit->text() != text) {
            if (text.size() > k.edit->maxLength()) k.edit->setMaxLength(static_cast<int>(text.size()));
            k.edit->setText(text);
        }
    }
    if (help_) help_->setVisible(!editor_.scrollable());
}

void RecordEditorForm::Carry() {
    const FieldWalker::Requests r = editor_.TakeRequests();
    ShowFields();
    if (editor_.printRequested) {
        editor_.printRequested = false;
        if (printForm) printForm(grab());
    }
    if (r.close) {
        done(editor_.accepted() ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    if (r.armTimer) timerError_.start();
    if (QLineEdit* e = edit(r.focus); e && !e->isHidden()) e->setFocus(Qt::OtherFocusReason);
}

int RecordEditorForm::FieldOf(const QObject* watched) const {
    for (std::size_t k = 0; k < fields_.size(); ++k)
        if (fields_[k].edit == watched) return static_cast<int>(k) + 1;
    return 0;
}

bool RecordEditorForm::EditKey(int field, QKeyEvent* e) {
    PullTexts();
    ++busy_;
    if (editor_.Current() != field) editor_.FieldEntered(field);
    const KeyResult r = editor_.KeyDown(CompositeKeyOf(*e));
    --busy_;
    Carry();
    return r == KeyResult::Consumed;
}

bool RecordEditorForm::eventFilter(QObject* watched, QEvent* e) {
    const int field = FieldOf(watched);
    if (field != 0 && !closing_) {
        switch (e->type()) {
            case QEvent::KeyPress:
                if (EditKey(field, static_cast<QKeyEvent*>(e))) return true;
                break;
            case QEvent::FocusIn:
                if (busy_ == 0) {
                    PullTexts();
                    ++busy_;
                    editor_.FieldEntered(field);
                    --busy_;
                    Carry();
                }
                break;
            case QEvent::FocusOut:
                if (busy_ == 0) {
                    PullTexts();
                    ++busy_;
                    editor_.FieldLeft(field, 0);
                    --busy_;
                    Carry();
                }
                break;
            case QEvent::MouseButtonPress: {
                const auto* m = static_cast<QMouseEvent*>(e);
                PullTexts();
                ++busy_;
                if (m->button() == Qt::RightButton)
                    editor_.RightClick();
                else if (m->button() == Qt::LeftButton)
                    editor_.BoxClicked(field);
                --busy_;
                Carry();
                break;
            }
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void RecordEditorForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    closing_ = false;
    ++busy_;
    editor_.FormShow();
    --busy_;
    Carry();
}

void RecordEditorForm::done(int result) {
    if (!closing_) {
        closing_ = true;
        timerError_.stop();
        PullTexts();
        editor_.FormChanged({x(), y(), width(), height()});
    }
    QDialog::done(result);
}

}  // namespace kj
