#include "travel/qt/sheet_form.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include "screens/font_map.h"
#include "services/cp1250.h"
#include "services/qt/qt_text.h"
#include "services/record_file.h"

namespace kj {
namespace {

QFont ControlFont(const SheetFont& f) {
    QFont font(ToQt(SharedFontMap().Installed(f.face)));
    font.setPointSize(f.points);
    font.setBold(f.bold);
    return font;
}

}  // namespace

SheetForm::SheetForm(Common& c, SheetTexts& texts, bool& printWithPicture, QWidget* parent)
    : QWidget(parent, Qt::Window), c_(c), texts_(texts), printWithPicture_(printWithPicture) {
    Build();
}

void SheetForm::Build() {
    const SheetLayout& l = layout();
    setWindowTitle(ToQt(l.caption));
    resize(l.windowWidth, l.windowHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bTisk_ = new QPushButton(QStringLiteral("Tisk"), this);
    bTiskarna_ = new QPushButton(ToQt("Nastavení tiskárny"_cz), this);
    bParametry_ = new QPushButton(ToQt("Nastavení parametrů"_cz), this);
    for (QPushButton* b : {bTisk_, bTiskarna_, bParametry_}) {
        b->setFocusPolicy(Qt::NoFocus);
        bar->addWidget(b);
    }
    bar->addStretch();
    column->addLayout(bar);
    connect(bTisk_, &QPushButton::clicked, this, &SheetForm::TiskClick);
    connect(bTiskarna_, &QPushButton::clicked, this, [this] {
        if (printerSetup) printerSetup();
    });
    connect(bParametry_, &QPushButton::clicked, this, [this] {
        if (calibrate) calibrate();
    });

    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(false);
    page_ = new QWidget;
    page_->setFixedSize(l.pictureWidth, l.pictureHeight);
    page_->setAutoFillBackground(true);
    QPalette paper = page_->palette();
    paper.setColor(QPalette::Window, Qt::white);
    page_->setPalette(paper);
    image1_ = new QLabel(page_);
    image1_->setGeometry(0, 0, l.pictureWidth, l.pictureHeight);
    image1_->setToolTip(ToQt("Pravý klik nebo F10 - Tisk\n F9 - Uchovej"_cz));
    image1_->installEventFilter(this);
    popup_ = new QMenu(this);
    popup_->addAction(QStringLiteral("Tisk"), this, &SheetForm::PopupTisk);

    // Controls in creation order: later ones lie on top of earlier ones.
    for (std::size_t i = 0; i < l.fields.size(); ++i) {
        const SheetField& f = l.fields[i];
        QWidget* w = nullptr;
        if (f.kind == FieldKind::Edit) {
            auto* edit = new QLineEdit(page_);
            edit->setFrame(false);
            edit->setMaxLength(f.maxLength);
            edit->setTextMargins(0, 0, 0, 0);
            edit->setStyleSheet(QStringLiteral("QLineEdit { background: rgba(255, 255, 200, 150); "
                                               "border: none; padding: 0px; color: black; }"));
            const int index = static_cast<int>(i);
            const bool upper = f.upperCase;
            connect(edit, &QLineEdit::textEdited, this, [this, edit, index, upper](const QString& t) {
                if (upper && t != t.toUpper()) {
                    const int pos = edit->cursorPosition();
                    edit->setText(t.toUpper());
                    edit->setCursorPosition(pos);
                }
                texts_.at(index) = FromQt(edit->text());
                if (edited) edited();
            });
            edit->installEventFilter(this);
            w = edit;
        } else {
            auto* label = new QLabel(page_);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setStyleSheet(QStringLiteral("color: black;"));
            w = label;
        }
        w->setObjectName(QString::fromStdString(f.name));
        w->setFont(ControlFont(f.font));
        w->setGeometry(f.left, f.top, f.width, f.height);
        controls_.push_back(w);
    }
    QWidget* previous = nullptr;
    for (int i : l.tabOrder) {
        QWidget* w = controls_[static_cast<std::size_t>(i)];
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
    scroll_->setWidget(page_);
    scroll_->setFocusPolicy(Qt::NoFocus);
    column->addWidget(scroll_, 1);
    // The sheet opens with the cursor in its first field, ready for typing.
    if (!l.tabOrder.empty()) controls_[static_cast<std::size_t>(l.tabOrder.front())]->setFocus();

    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] {
        if (swap) swap();
    });
    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), this);
    connect(f9, &QShortcut::activated, this, [this] {
        if (keep) keep();
    });
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this,
            [this] { OpenPopup(image1_->mapToGlobal(QPoint(40, 40))); });
    ShowTexts();
}

QWidget* SheetForm::Control(std::string_view name) const {
    const int i = layout().Find(name);
    return i < 0 ? nullptr : controls_[static_cast<std::size_t>(i)];
}

void SheetForm::ShowTexts() {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const QString text = ToQt(texts_.at(static_cast<int>(i)));
        if (auto* edit = qobject_cast<QLineEdit*>(controls_[i])) {
            if (edit->text() != text) edit->setText(text);
        } else if (auto* label = qobject_cast<QLabel*>(controls_[i])) {
            label->setText(text);
        }
    }
}

void SheetForm::ShowLabels() {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (auto* label = qobject_cast<QLabel*>(controls_[i]))
            label->setText(ToQt(texts_.at(static_cast<int>(i))));
}

bool SheetForm::LoadPicture() {
    const QString file = QString::fromStdString(c_.fs.HostPath(ProgPath(c_, layout().picture)));
    QPixmap picture(file);
    image1_->setPixmap(picture);
    return !picture.isNull();
}

void SheetForm::TiskClick() {
    if (beforePrint) beforePrint();
    ShowTexts();
    bTisk_->hide();
    printWithPicture_ = true;
    if (print) print();
    bTisk_->show();
}

void SheetForm::PopupTisk() {
    if (print) print();
}

void SheetForm::OpenPopup(const QPoint& global) { popup_->popup(global); }

void SheetForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (firstActivation_) {
        firstActivation_ = false;
        (void)LoadPicture();
    }
    // The page from its top left corner: every control where the picture has it.
    scroll_->horizontalScrollBar()->setValue(0);
    scroll_->verticalScrollBar()->setValue(0);
}

void SheetForm::closeEvent(QCloseEvent* e) {
    if (closing) closing();
    QWidget::closeEvent(e);
}

bool SheetForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == image1_ && e->type() == QEvent::ContextMenu) {
        OpenPopup(static_cast<QContextMenuEvent*>(e)->globalPos());
        return true;
    }
    if (e->type() == QEvent::FocusOut) {
        if (auto* w = qobject_cast<QWidget*>(watched); w && left)
            left(w->objectName().toStdString());
    }
    return QWidget::eventFilter(watched, e);
}

}  // namespace kj
