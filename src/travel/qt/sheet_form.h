#pragma once
// The window of a form sheet (Tfcestprik, Tfvpc): the picture of the paper
// form in a scrolled page, one edit or label on each of its boxes, and
// above it the buttons "Tisk", "Nastavení tiskárny" and "Nastavení
// parametrů", which are never printed. It renders the sheet's texts and
// forwards what the user does to its owner's hooks; the rules live in the
// core sheets.
//
// Keys: Esc shows the other sheet, F10 opens the picture's pop-up menu
// ("Tisk"), F9 keeps (saves) the sheet now, as the picture's hint says.

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "services/common.h"
#include "travel/sheet_layout.h"

class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;

namespace kj {

class SheetForm final : public QWidget {
    Q_OBJECT
public:
    // `texts` and `printWithPicture` belong to the core sheet and outlive
    // the form.
    SheetForm(Common& c, SheetTexts& texts, bool& printWithPicture, QWidget* parent = nullptr);

    // The texts into the controls (labels only: leaves the edit being
    // typed in alone).
    void ShowTexts();
    void ShowLabels();
    // Loads the form picture from the program directory; false when it is
    // missing (the page stays white).
    bool LoadPicture();

    // Hooks of the owner.
    std::function<void()> swap;                      // Esc
    std::function<void(const std::string&)> left;    // a field was left
    std::function<void()> edited;                    // the user typed
    std::function<void()> closing;                   // FormClose
    std::function<void()> keep;                      // F9
    std::function<void()> beforePrint;               // "Tisk" button, before printing
    std::function<void()> print;                     // prints with the flag as it stands
    std::function<void()> printerSetup;              // "Nastavení tiskárny"
    std::function<void()> calibrate;                 // "Nastavení parametrů"

    // "Tisk": hide the button, print with the picture, show it again.
    void TiskClick();
    // The pop-up menu's "Tisk".
    void PopupTisk();

    QWidget* Control(std::string_view name) const;
    QPushButton* bTisk() const { return bTisk_; }
    QPushButton* bTiskarna() const { return bTiskarna_; }
    QPushButton* bParametry() const { return bParametry_; }
    QWidget* page() const { return page_; }
    QMenu* popup() const { return popup_; }
    const SheetLayout& layout() const { return texts_.layout(); }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Build();
    void OpenPopup(const QPoint& global);

    Common& c_;
    SheetTexts& texts_;
    bool& printWithPicture_;
    bool firstActivation_ = true;
    QPushButton* bTisk_ = nullptr;
    QPushButton* bTiskarna_ = nullptr;
    QPushButton* bParametry_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* page_ = nullptr;
    QLabel* image1_ = nullptr;
    QMenu* popup_ = nullptr;
    std::vector<QWidget*> controls_;  // by field index
};

}  // namespace kj
