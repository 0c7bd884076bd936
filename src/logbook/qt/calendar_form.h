#pragma once
// TfKalendar on the screen ("Kalendář"): the choosers of day, month and
// year, the month name, the month grid (weekday names over seven columns,
// marked days light red, the shown day light green), the shown date with
// its weekday, the buttons "OK" and "Zavři" and a help line. It renders the
// calendar's state and forwards keys, clicks and chooser changes to it;
// what they do is decided there.
//
// Constructing the form makes it the calendar's view (TfKalendar::ukaz);
// TfKalendar::DejDatum then shows it modally.

#include <QDialog>

#include "logbook/working_calendar.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kj {

class CalendarForm final : public QDialog {
    Q_OBJECT
public:
    explicit CalendarForm(TfKalendar& kalendar, QWidget* parent = nullptr);
    ~CalendarForm() override;

    // Shows the form modally until the calendar closes it.
    void Ukaz();
    // Shows the calendar's state again; closes the form once it is closed.
    void Sync();

    // Components, for tests.
    QTableWidget* sgKalendar() const { return sgKalendar_; }
    QComboBox* cbDen() const { return cbDen_; }
    QComboBox* cbMesic() const { return cbMesic_; }
    QComboBox* cbRok() const { return cbRok_; }
    QLabel* lMesic() const { return lMesic_; }
    QLabel* lDen() const { return lDen_; }
    QPushButton* bOK() const { return bOK_; }
    QPushButton* bZavri() const { return bZavri_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    // A key for the calendar; true when it took it.
    bool Key(QKeyEvent* e);

    TfKalendar& k_;
    QComboBox* cbDen_ = nullptr;
    QComboBox* cbMesic_ = nullptr;
    QComboBox* cbRok_ = nullptr;
    QLabel* lMesic_ = nullptr;
    QLabel* lDen_ = nullptr;
    QTableWidget* sgKalendar_ = nullptr;
    QPushButton* bOK_ = nullptr;
    QPushButton* bZavri_ = nullptr;
    QLabel* lHelp_ = nullptr;
    bool syncing_ = false;
};

}  // namespace kj
