#include "screens/qt/rolling_list_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFontDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>
#include <algorithm>

#include "screens/font_map.h"
#include "screens/qt/appearance_pickers.h"
#include "screens/qt/sys_params_form.h"
#include "services/qt/picture_capture.h"
#include "services/qt/qt_text.h"

namespace kj {

namespace {

// The digit-row characters of a Czech layout, digit 0 first.
const QString& CzechDigitRow() {
    static const QString s = QString::fromUtf8("é+ěščřžýáí");
    return s;
}
const QString& CzechDigitRowShifted() {
    static const QString s = QString::fromUtf8("É+ĚŠČŘŽÝÁÍ");
    return s;
}

// X11 key codes of the digit row: 10 is "1" ... 18 is "9", 19 is "0".
constexpr quint32 kXcbDigitFirst = 10;
constexpr quint32 kXcbDigitLast = 19;

// Pixels from the picture panel's lower right corner that resize it.
constexpr int kResizeGrip = 10;
constexpr int kMinPanel = 20;

Rect RectOf(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
QRect QRectOf(const Rect& r) { return {r.left, r.top, r.width, r.height}; }

// "Ctrl+G", "Shift+F4" ... for a composite key code, as a menu shows it.
QString ShortcutText(int code) {
    QString prefix;
    if (code >= key::kAltOffset) prefix = QStringLiteral("Alt+");
    else if (code >= key::kShiftOffset) prefix = QStringLiteral("Shift+");
    else if (code >= key::kCtrlOffset) prefix = QStringLiteral("Ctrl+");
    const int vk = key::RawKey(code);
    if (vk >= key::kF1 && vk <= key::kF12) return prefix + "F" + QString::number(vk - key::kF1 + 1);
    return prefix + QChar(vk);
}

QFont FontOf(const std::string& name, int size, FontStyle style) {
    QFont f(ToQt(SharedFontMap().Installed(name)));
    if (size > 0) f.setPointSize(size);
    f.setBold(style == FontStyle::Bold || style == FontStyle::BoldItalic);
    f.setItalic(style == FontStyle::Italic || style == FontStyle::BoldItalic);
    return f;
}

}  // namespace

// ---- keys ----

int VirtualKeyOf(const QKeyEvent& e) {
    const int k = e.key();
    const Qt::KeyboardModifiers m = e.modifiers();
    if (m & Qt::KeypadModifier) {
        if (k >= Qt::Key_0 && k <= Qt::Key_9) return key::kNumpad0 + (k - Qt::Key_0);
        switch (k) {
            case Qt::Key_Asterisk: return key::kMultiply;
            case Qt::Key_Plus: return key::kAdd;
            case Qt::Key_Minus: return key::kSubtract;
            case Qt::Key_Period: case Qt::Key_Comma: return key::kDecimal;
            case Qt::Key_Slash: return key::kDivide;
            default: break;
        }
    }
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        const quint32 code = e.nativeScanCode();
        if (code >= kXcbDigitFirst && code <= kXcbDigitLast)
            return code == kXcbDigitLast ? key::k0
                                         : key::k0 + 1 + static_cast<int>(code - kXcbDigitFirst);
    }
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return key::k0 + (k - Qt::Key_0);
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return key::kA + (k - Qt::Key_A);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return key::kF1 + (k - Qt::Key_F1);
    const QString text = e.text();
    if (text.size() == 1 && !(text[0] == QLatin1Char('+') && (m & Qt::ShiftModifier))) {
        qsizetype p = CzechDigitRow().indexOf(text[0]);
        if (p < 0) p = CzechDigitRowShifted().indexOf(text[0]);
        if (p >= 0) return key::k0 + static_cast<int>(p);
    }
    switch (k) {
        case Qt::Key_Return: case Qt::Key_Enter: return key::kReturn;
        case Qt::Key_Escape: return key::kEscape;
        case Qt::Key_Space: return key::kSpace;
        case Qt::Key_Tab: case Qt::Key_Backtab: return key::kTab;
        case Qt::Key_Backspace: return key::kBack;
        case Qt::Key_PageUp: return key::kPrior;
        case Qt::Key_PageDown: return key::kNext;
        case Qt::Key_End: return key::kEnd;
        case Qt::Key_Home: return key::kHome;
        case Qt::Key_Left: return key::kLeft;
        case Qt::Key_Up: return key::kUp;
        case Qt::Key_Right: return key::kRight;
        case Qt::Key_Down: return key::kDown;
        case Qt::Key_Insert: return key::kInsert;
        case Qt::Key_Delete: return key::kDelete;
        case Qt::Key_CapsLock: return key::kCapital;
        case Qt::Key_Shift: return key::kShift;
        case Qt::Key_Control: return key::kControl;
        case Qt::Key_Alt: case Qt::Key_AltGr: return key::kMenu;
        case Qt::Key_Clear: return 12;
        case Qt::Key_Pause: return 19;
        case Qt::Key_Menu: return 93;
        case Qt::Key_Semicolon: return 186;
        case Qt::Key_Equal: case Qt::Key_Plus: return 187;
        case Qt::Key_Comma: return 188;
        case Qt::Key_Minus: return 189;
        case Qt::Key_Period: return 190;
        case Qt::Key_Slash: return 191;
        case Qt::Key_QuoteLeft: return 192;
        case Qt::Key_BracketLeft: return 219;
        case Qt::Key_Backslash: return 220;
        case Qt::Key_BracketRight: return 221;
        case Qt::Key_Apostrophe: return 222;
        default: return 0;
    }
}

key::Mod ModifiersOf(const QKeyEvent& e) {
    key::Mod mods = key::Mod::None;
    if (e.modifiers() & Qt::ControlModifier) mods = mods | key::Mod::Ctrl;
    if (e.modifiers() & Qt::ShiftModifier) mods = mods | key::Mod::Shift;
    if (e.modifiers() & Qt::AltModifier) mods = mods | key::Mod::Alt;
    return mods;
}

char CharacterOf(const QKeyEvent& e) {
    const Qt::KeyboardModifiers m = e.modifiers();
    if ((m & Qt::ControlModifier) && !(m & Qt::AltModifier) && e.key() >= Qt::Key_A &&
        e.key() <= Qt::Key_Z)
        return static_cast<char>(e.key() - Qt::Key_A + 1);
    if (e.text().size() != 1) return 0;
    const std::string bytes = FromQt(e.text());
    return bytes.size() == 1 ? bytes[0] : 0;
}

// ---- the model ----

int RollingListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int RollingListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant RollingListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const auto& rows = list_.gridRows();
    if (index.row() >= static_cast<int>(rows.size())) return {};
    const auto& cells = rows[static_cast<std::size_t>(index.row())].cells;
    if (index.column() >= static_cast<int>(cells.size())) return {};
    return ToQt(cells[static_cast<std::size_t>(index.column())]);
}

QVariant RollingListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Horizontal) {
        const auto& titles = list_.titles();
        if (section < 0 || section >= static_cast<int>(titles.size())) return {};
        return ToQt(titles[static_cast<std::size_t>(section)]);
    }
    const auto& rows = list_.gridRows();
    if (section < 0 || section >= static_cast<int>(rows.size())) return {};
    // Character 0x11 of the system's screen font: a left-pointing triangle.
    return rows[static_cast<std::size_t>(section)].marked ? QString(QChar(0x25C4)) : QString();
}

void RollingListModel::Refresh() {
    const int rows = static_cast<int>(list_.gridRows().size());
    const int columns = static_cast<int>(list_.titles().size());
    if (rows != rows_ || columns != columns_) {
        beginResetModel();
        rows_ = rows;
        columns_ = columns;
        endResetModel();
        return;
    }
    if (rows > 0 && columns > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, columns - 1), {Qt::DisplayRole});
        emit headerDataChanged(Qt::Vertical, 0, rows - 1);
    }
    if (columns > 0) emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
}

// ---- the colour and font dialogs ----

class RollingListForm::Pickers final : public AppearancePickers {
public:
    explicit Pickers(QWidget* parent) : parent_(parent) {}

    std::optional<int> PickColour(int current) override {
        const QColor c = QColorDialog::getColor(ColourFromStored(current), parent_);
        if (!c.isValid()) return std::nullopt;
        return RgbColour(c.red(), c.green(), c.blue());
    }

    // The font, then its colour (the font dialog here has none).
    std::optional<FontChoice> PickFont(const FontChoice& current) override {
        bool ok = false;
        const QFont chosen =
            QFontDialog::getFont(&ok, FontOf(current.name, current.size, current.style), parent_);
        if (!ok) return std::nullopt;
        FontChoice r;
        r.name = FromQt(chosen.family());
        r.size = chosen.pointSize() > 0 ? chosen.pointSize() : current.size;
        r.style = StyleOf(chosen);
        r.colour = current.colour;
        const QColor c = QColorDialog::getColor(ColourFromStored(current.colour), parent_);
        if (c.isValid()) r.colour = RgbColour(c.red(), c.green(), c.blue());
        return r;
    }

private:
    QWidget* parent_;
};

// ---- the form ----

RollingListForm::RollingListForm(RollingList& list, QWidget* parent)
    : QDialog(parent), list_(list), pickers_(std::make_unique<Pickers>(this)) {
    setObjectName(ToQt(list_.windowName()));
    setAutoFillBackground(true);
    // F11, item 1: the system-parameter window, unless the owner set another.
    if (!list_.systemParameters) {
        list_.systemParameters = [this] {
            SysParamsForm parameters(list_.common(), this);
            (void)parameters.Run();
        };
    }

    model_ = new RollingListModel(list_, this);
    sgRol_ = new QTableView(this);
    sgRol_->setModel(model_);
    sgRol_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgRol_->setSelectionMode(QAbstractItemView::SingleSelection);
    sgRol_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgRol_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgRol_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgRol_->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    sgRol_->setWordWrap(false);
    sgRol_->setTextElideMode(Qt::ElideNone);
    sgRol_->setCornerButtonEnabled(false);
    sgRol_->setTabKeyNavigation(false);
    QHeaderView* titles = sgRol_->horizontalHeader();
    titles->setMinimumSectionSize(1);
    titles->setStretchLastSection(false);
    titles->setHighlightSections(false);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QHeaderView* marks = sgRol_->verticalHeader();
    marks->setMinimumSectionSize(1);
    marks->setSectionResizeMode(QHeaderView::Fixed);
    marks->setHighlightSections(false);
    marks->setDefaultAlignment(Qt::AlignCenter);
    sgRol_->installEventFilter(this);
    sgRol_->viewport()->installEventFilter(this);
    titles->viewport()->installEventFilter(this);
    connect(titles, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (applying_) return;
        list_.ColumnResized(logical + 1, size);
        Sync();
    });
    connect(titles, &QHeaderView::sectionClicked, this, [this](int logical) {
        const bool ctrl = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
        list_.MouseDown(ListMouse::Left, ctrl, 0, logical + 1);
        Sync();
    });
    connect(marks, &QHeaderView::sectionClicked, this, [this](int section) {
        list_.Click(section + 1);
        Sync();
    });

    lhled_ = new QLabel("Najdi [F3]", this);
    eHled_ = new QLineEdit(this);
    eHled_->setEnabled(false);
    eHled_->installEventFilter(this);
    lKolik_ = new QLabel(this);
    lHelp_ = new QLineEdit(this);
    lHelp_->setReadOnly(true);
    lHelp_->setFocusPolicy(Qt::NoFocus);
    {
        QPalette p = lHelp_->palette();
        p.setColor(QPalette::Base, ColourFromStored(kColourNavy));
        p.setColor(QPalette::Text, ColourFromStored(kColourLightGrey));
        lHelp_->setPalette(p);
        QFont f = lHelp_->font();
        f.setBold(true);
        lHelp_->setFont(f);
    }
    scrollBar1_ = new QScrollBar(Qt::Vertical, this);
    scrollBar1_->setFocusPolicy(Qt::ClickFocus);
    scrollBar1_->installEventFilter(this);
    connect(scrollBar1_, &QScrollBar::valueChanged, this, [this](int value) {
        if (applying_) return;
        list_.ScrollBarChange(value);
        Sync();
    });

    panel_ = new QFrame(this);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel_->hide();
    image_ = new QLabel(panel_);
    image_->setScaledContents(true);
    panel_->installEventFilter(this);
    image_->installEventFilter(this);
    memoText_ = new QPlainTextEdit(this);
    memoText_->setReadOnly(true);
    memoText_->hide();

    popupMenu1_ = new QMenu(this);
    for (int i = 0; i < kPopupItems; ++i)
        popupMenu1_->addAction(QString(QChar('a' + i)))->setVisible(false);

    if (!list_.pickers()) list_.SetPickers(pickers_.get());
    list_.searchProgress = [this] {
        lKolik_->setText(ToQt(list_.counterText()));
        lHelp_->setText(ToQt(list_.helpText()));
        lHelp_->setVisible(list_.helpVisible());
        lKolik_->repaint();
        lHelp_->repaint();
    };
}

RollingListForm::~RollingListForm() {
    list_.searchProgress = nullptr;
    if (list_.pickers() == pickers_.get()) list_.SetPickers(nullptr);
}

int RollingListForm::Ukaz() {
    Sync();
    sgRol_->setFocus();
    exec();
    return list_.current();
}

void RollingListForm::Sync() {
    const RollingList::Requests r = list_.TakeRequests();
    applying_ = true;
    const int rowsBefore = model_->rowCount();
    const int columnsBefore = model_->columnCount();
    model_->Refresh();
    const bool reshaped =
        rowsBefore != model_->rowCount() || columnsBefore != model_->columnCount();
    if (r.appearance) ApplyAppearance();
    // A reset model forgets its section sizes.
    if (r.layout || r.appearance || reshaped) ApplyLayout();
    ShowState();
    applying_ = false;
    if (r.focusSearch) eHled_->setFocus();
    if (r.focusGrid) sgRol_->setFocus();
    if (r.popupMenu) ShowPopup();
    if (r.close) Finish();
}

void RollingListForm::ApplyAppearance() {
    const Appearance& a = list_.appearance();
    QPalette form = palette();
    form.setColor(QPalette::Window, ColourFromStored(a.paper));
    setPalette(form);
    QPalette grid = sgRol_->palette();
    grid.setColor(QPalette::Base, ColourFromStored(a.paper));
    grid.setColor(QPalette::Text, ColourFromStored(a.ink));
    sgRol_->setPalette(grid);
    sgRol_->setFont(FontOf(a.fontName, a.fontSize, a.fontStyle));
}

void RollingListForm::ApplyLayout() {
    const RollingListLayout& l = list_.layout();
    setGeometry(QRectOf(l.form));
    sgRol_->setGeometry(QRectOf(l.grid));
    QHeaderView* titles = sgRol_->horizontalHeader();
    QHeaderView* marks = sgRol_->verticalHeader();
    titles->setFixedHeight(l.rowHeight);
    marks->setDefaultSectionSize(l.rowHeight);
    for (int r = 0; r < model_->rowCount(); ++r) marks->resizeSection(r, l.rowHeight);
    if (!l.columnWidths.empty()) marks->setFixedWidth(l.columnWidths[0]);
    for (int k = 1; k < static_cast<int>(l.columnWidths.size()) && k <= model_->columnCount(); ++k)
        titles->resizeSection(k - 1, l.columnWidths[static_cast<std::size_t>(k)]);
    lhled_->setGeometry(QRectOf(l.searchLabel));
    eHled_->setGeometry(QRectOf(l.searchBox));
    lKolik_->setGeometry(QRectOf(l.counter));
    lHelp_->setGeometry(QRectOf(l.helpLine));
    QRect bar = QRectOf(l.scrollBar);
    if (l.lastWholeColumn >= list_.firstColumn() && l.lastWholeColumn <= model_->columnCount()) {
        // Exactly the whole columns, with this style's frame: no sliver of
        // the next column shows at the edge.
        int width = 2 * sgRol_->frameWidth() + (l.columnWidths.empty() ? marks->width() : l.columnWidths[0]);
        for (int k = list_.firstColumn(); k <= l.lastWholeColumn; ++k) width += titles->sectionSize(k - 1);
        QRect grid = sgRol_->geometry();
        grid.setWidth(width);
        sgRol_->setGeometry(grid);
        bar.moveLeft(grid.left() + grid.width());
    }
    scrollBar1_->setGeometry(bar);
    panel_->setGeometry(QRectOf(l.picture.panel));
    image_->setGeometry(3, 3, std::max(0, l.picture.panel.width - 6),
                        std::max(0, l.picture.panel.height - 6));
    memoText_->setGeometry(QRectOf(l.picture.textPane));
}

void RollingListForm::ShowState() {
    setWindowTitle(ToQt(list_.caption()));
    const int row = list_.gridRow();
    if (row >= 1 && row <= model_->rowCount()) {
        const QModelIndex at = model_->index(row - 1, 0);
        sgRol_->selectionModel()->setCurrentIndex(
            at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        sgRol_->selectionModel()->clear();
    }
    ShowFirstColumn();

    lKolik_->setText(ToQt(list_.counterText()));
    QPalette counter = lKolik_->palette();
    counter.setColor(QPalette::WindowText,
                     list_.counterRed() ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    lKolik_->setPalette(counter);
    lHelp_->setText(ToQt(list_.helpText()));
    // A help line longer than the form shows its beginning.
    lHelp_->setCursorPosition(0);
    lHelp_->setVisible(list_.helpVisible());

    eHled_->setEnabled(list_.searchActive());
    QPalette box = eHled_->palette();
    box.setColor(QPalette::Base, list_.searchActive() ? QColor(255, 255, 0)
                                                      : palette().color(QPalette::Window));
    eHled_->setPalette(box);

    const int count = list_.count();
    scrollBar1_->setEnabled(count > 0);
    scrollBar1_->setRange(count > 0 ? 1 : 0, count);
    scrollBar1_->setPageStep(std::max(1, list_.visible()));
    if (list_.current() >= 1) scrollBar1_->setValue(list_.current());
    ShowPicture();
}

void RollingListForm::ShowFirstColumn() {
    // The list's first data column stands at the grid's left edge, whole.
    // (The view's own scrolling by items aligns the last column with the
    // right edge when scrolled to the end, leaving the first one cut.)
    QHeaderView* titles = sgRol_->horizontalHeader();
    const int columns = model_->columnCount();
    if (columns <= 0) return;
    const int first = std::clamp(list_.firstColumn() - 1, 0, columns - 1);
    sgRol_->horizontalScrollBar()->setValue(first);
    const int offset = titles->sectionPosition(first);
    if (titles->offset() != offset) {
        titles->setOffset(offset);
        sgRol_->viewport()->update();
    }
}

void RollingListForm::ShowPicture() {
    const ListPicture& p = list_.picture();
    if (!p.shown) {
        panel_->hide();
        return;
    }
    if (p.version != shownPicture_) {
        image_->setPixmap(QPixmap::fromImage(ToQImage(p.image)));
        shownPicture_ = p.version;
    }
    panel_->show();
}

void RollingListForm::ShowPopup() {
    const QList<QAction*> actions = popupMenu1_->actions();
    const auto& items = list_.popupItems();
    for (int i = 0; i < kPopupItems && i < actions.size(); ++i) {
        // A caption "-" is a separator line.
        const std::string& caption = items[static_cast<std::size_t>(i)].caption;
        actions[i]->setSeparator(caption == "-");
        QString text = caption == "-" ? QString() : ToQt(caption);
        if (const int code = items[static_cast<std::size_t>(i)].shortcut) text += "\t" + ShortcutText(code);
        actions[i]->setText(text);
        actions[i]->setVisible(items[static_cast<std::size_t>(i)].visible);
        actions[i]->setEnabled(items[static_cast<std::size_t>(i)].enabled);
    }
    const QRect row = sgRol_->visualRect(model_->index(std::max(0, list_.gridRow() - 1), 0));
    QAction* chosen = popupMenu1_->exec(sgRol_->viewport()->mapToGlobal(row.bottomLeft()));
    if (!chosen) return;
    list_.PopupChosen(static_cast<int>(actions.indexOf(chosen)) + 1);
    Sync();
}

void RollingListForm::Finish() {
    finishing_ = true;
    list_.FormClose(RectOf(geometry()));
    done(list_.key() == key::kReturn && list_.current() >= 0 ? QDialog::Accepted
                                                             : QDialog::Rejected);
    finishing_ = false;
}

// ---- events ----

bool RollingListForm::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type t = e->type();
    if (watched == sgRol_ && t == QEvent::KeyPress) {
        GridKey(static_cast<QKeyEvent*>(e));
        return true;
    }
    if (watched == eHled_ && t == QEvent::KeyPress) return SearchKey(static_cast<QKeyEvent*>(e));
    if (watched == scrollBar1_ && t == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        list_.ScrollBarEsc();
        Sync();
        return true;
    }
    if (watched == sgRol_->viewport()) return GridMouse(e);
    if (watched == sgRol_->horizontalHeader()->viewport() && t == QEvent::MouseButtonPress) {
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() == Qt::RightButton && (m->modifiers() & Qt::ControlModifier)) {
            const int logical =
                sgRol_->horizontalHeader()->logicalIndexAt(m->position().toPoint());
            list_.MouseDown(ListMouse::Right, true, 0, logical + 1);
            Sync();
            return true;
        }
        return false;
    }
    if (watched == panel_ || watched == image_) return PanelMouse(watched, e);
    return QDialog::eventFilter(watched, e);
}

void RollingListForm::keyPressEvent(QKeyEvent* e) {
    // Keys that reach the form itself (no control focused) go to the list
    // as the grid's would, unless the search box has them.
    if (list_.searchActive()) return;
    GridKey(e);
}

void RollingListForm::GridKey(QKeyEvent* e) {
    const int vk = VirtualKeyOf(*e);
    if (vk != 0) list_.KeyDown(vk, ModifiersOf(*e));
    const char ch = CharacterOf(*e);
    if (ch != 0) list_.KeyPress(ch);
    Sync();
}

bool RollingListForm::SearchKey(QKeyEvent* e) {
    if (!list_.SearchKeyDown(VirtualKeyOf(*e), ModifiersOf(*e), FromQt(eHled_->text())))
        return false;
    Sync();
    return true;
}

bool RollingListForm::GridMouse(QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(e);
            const QPoint at = m->position().toPoint();
            const int row = sgRol_->rowAt(at.y()) + 1;
            const int column = sgRol_->columnAt(at.x()) + 1;
            const ListMouse button = m->button() == Qt::LeftButton    ? ListMouse::Left
                                     : m->button() == Qt::RightButton ? ListMouse::Right
                                                                      : ListMouse::Middle;
            list_.MouseDown(button, m->modifiers() & Qt::ControlModifier, row, column);
            if (button == ListMouse::Left && row >= 1) list_.Click(row);
            sgRol_->setFocus();
            Sync();
            return true;
        }
        case QEvent::MouseButtonDblClick: {
            auto* m = static_cast<QMouseEvent*>(e);
            const int row = sgRol_->rowAt(m->position().toPoint().y()) + 1;
            if (m->button() == Qt::LeftButton && row >= 1) {
                list_.DoubleClick(row);
                Sync();
            }
            return true;
        }
        case QEvent::Wheel: {
            // The wheel moves the current row as the arrows do.
            const int delta = static_cast<QWheelEvent*>(e)->angleDelta().y();
            if (delta != 0) {
                list_.KeyDown(delta > 0 ? key::kUp : key::kDown, key::Mod::None);
                Sync();
            }
            return true;
        }
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            return true;
        default:
            return false;
    }
}

bool RollingListForm::PanelMouse(QObject* watched, QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonDblClick:
            list_.PictureDoubleClick();
            Sync();
            return true;
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(e);
            if (m->button() != Qt::LeftButton) return false;
            const QPoint inPanel = watched == image_
                                       ? image_->mapToParent(m->position().toPoint())
                                       : m->position().toPoint();
            const QRect r = panel_->rect();
            dragMode_ = (r.width() - inPanel.x() <= kResizeGrip &&
                         r.height() - inPanel.y() <= kResizeGrip)
                            ? 2
                            : 1;
            dragStart_ = m->globalPosition().toPoint();
            dragGeometry_ = panel_->geometry();
            return true;
        }
        case QEvent::MouseMove: {
            if (dragMode_ == 0) return false;
            const QPoint d = static_cast<QMouseEvent*>(e)->globalPosition().toPoint() - dragStart_;
            QRect g = dragGeometry_;
            if (dragMode_ == 1)
                g.moveTopLeft(g.topLeft() + d);
            else
                g.setSize({std::max(kMinPanel, g.width() + d.x()),
                           std::max(kMinPanel, g.height() + d.y())});
            panel_->setGeometry(g);
            image_->setGeometry(3, 3, std::max(0, g.width() - 6), std::max(0, g.height() - 6));
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (dragMode_ == 0) return false;
            dragMode_ = 0;
            list_.PicturePanelChanged(RectOf(panel_->geometry()));
            return true;
        default:
            return false;
    }
}

void RollingListForm::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    if (applying_) return;
    list_.FormResize(width(), height());
    Sync();
}

void RollingListForm::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    if (!applying_) list_.FormMoved(geometry().x(), geometry().y());
}

void RollingListForm::closeEvent(QCloseEvent* e) {
    if (finishing_) {
        e->accept();
        return;
    }
    // Closed by the window's frame: as Esc.
    list_.KeyDown(key::kEscape, key::Mod::None);
    list_.TakeRequests();
    list_.FormClose(RectOf(geometry()));
    setResult(QDialog::Rejected);
    e->accept();
}

}  // namespace kj
