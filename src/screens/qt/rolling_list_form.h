#pragma once
// TfRol: the rolling list on the screen. Renders a RollingList (grid of
// the visible rows with the titles as row 0 and the marks as column 0,
// the search box, the counter line, the help line, the scroll bar, the
// picture panel and the pop-up menu) and forwards keys, mouse, the scroll
// bar, the search box, resizes and closing to it. It decides nothing: after
// every event it shows the list's state again and carries out the list's
// requests. The grid model holds only the visible rows, so the grid costs
// the same for any number of rows.

#include <QAbstractTableModel>
#include <QDialog>
#include <memory>

#include "screens/rolling_list.h"

class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QScrollBar;
class QTableView;

namespace kj {

// The Windows virtual-key number of a Qt key event (0 when it has none).
// The digit-row keys of a Czech layout ("+ěščřžýáíé") are the digit keys.
int VirtualKeyOf(const QKeyEvent& e);
key::Mod ModifiersOf(const QKeyEvent& e);
// The character the key types as a Windows-1250 byte: a control character
// for Ctrl + letter, 0 when it types none.
char CharacterOf(const QKeyEvent& e);

// The grid's rows: RollingList::gridRows() as a table model.
class RollingListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RollingListModel(const RollingList& list, QObject* parent = nullptr)
        : QAbstractTableModel(parent), list_(list) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // The list's rows changed: a reset when the shape changed, else every
    // cell and mark anew.
    void Refresh();

private:
    const RollingList& list_;
    int rows_ = 0;
    int columns_ = 0;
};

class RollingListForm : public QDialog {
    Q_OBJECT
public:
    explicit RollingListForm(RollingList& list, QWidget* parent = nullptr);
    ~RollingListForm() override;

    RollingList& list() { return list_; }
    // Shows the form modally until the list closes it; the owner then reads
    // list().current() (-1 after Esc) and list().key() (13 after a choice).
    int Ukaz();
    // Shows the list's state again and carries out its requests.
    void Sync();

    // Components, for descendants and tests.
    QTableView* sgRol() const { return sgRol_; }
    QLineEdit* eHled() const { return eHled_; }
    QLabel* lhled() const { return lhled_; }
    QLabel* lKolik() const { return lKolik_; }
    QLineEdit* lHelp() const { return lHelp_; }
    QScrollBar* scrollBar1() const { return scrollBar1_; }
    QFrame* panel() const { return panel_; }
    QMenu* popupMenu1() const { return popupMenu1_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    // Places the controls from the list's layout; descendants add theirs.
    virtual void ApplyLayout();
    virtual void ApplyAppearance();

private:
    void GridKey(QKeyEvent* e);
    bool SearchKey(QKeyEvent* e);
    bool GridMouse(QEvent* e);
    bool PanelMouse(QObject* watched, QEvent* e);
    void ShowState();
    void ShowPicture();
    void ShowPopup();
    void ShowFirstColumn();
    void Finish();

    RollingList& list_;
    class Pickers;
    std::unique_ptr<Pickers> pickers_;
    RollingListModel* model_ = nullptr;
    QTableView* sgRol_ = nullptr;
    QLabel* lhled_ = nullptr;
    QLineEdit* eHled_ = nullptr;
    QLabel* lKolik_ = nullptr;
    QLineEdit* lHelp_ = nullptr;
    QScrollBar* scrollBar1_ = nullptr;
    QFrame* panel_ = nullptr;
    QLabel* image_ = nullptr;
    QPlainTextEdit* memoText_ = nullptr;
    QMenu* popupMenu1_ = nullptr;
    int shownPicture_ = -1;  // version of the picture in the panel
    bool applying_ = false;  // our own geometry changes are not the user's
    bool finishing_ = false;
    // Dragging the picture panel: 1 move, 2 resize from the corner.
    int dragMode_ = 0;
    QPoint dragStart_;
    QRect dragGeometry_;
};

}  // namespace kj
