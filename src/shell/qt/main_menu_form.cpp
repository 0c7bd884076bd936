#include "shell/qt/main_menu_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSocketNotifier>

#include "logbook/qt/calendar_form.h"
#include "logbook/qt/logbook_forms.h"
#include "travel/qt/travel_order_forms.h"
#include "logbook/trip_logbook.h"
#include "logbook/working_calendar.h"
#include "screens/qt/focus_return.h"
#include "screens/qt/table_browser_form.h"
#include "services/cp1250.h"
#include "services/qt/qt_text.h"
#include "services/record_file.h"

namespace kj {
namespace {

QPushButton* MakeButton(QWidget* parent, const char* utf8, int x, int y, int w, int h) {
    auto* b = new QPushButton(QString::fromUtf8(utf8), parent);
    b->setGeometry(x, y, w, h);
    return b;
}

}  // namespace

MainMenuForm::MainMenuForm(Common& c, QWidget* parent) : QWidget(parent), c_(c), menu_(c) {
    // The program's windows give the keyboard back to the one below when
    // they close, also without a window manager.
    FocusReturn::Install();
    setWindowTitle(QString::fromUtf8("Knihy jízd "));
    // The frame of 294 x 235 leaves this client area.
    setGeometry(223, 108, 286, 208);
    setFixedSize(286, 208);
    setFont(QFont("DejaVu Sans", 8));
    setAutoFillBackground(true);

    label1_ = new QLabel(QString::fromUtf8("K N I H Y   J Í Z D  "), this);
    QFont big("DejaVu Sans");
    big.setPixelSize(16);
    big.setBold(true);
    label1_->setFont(big);
    label1_->setStyleSheet("background-color: navy; color: silver;");
    label1_->move(58, 18);
    label1_->adjustSize();

    label2_ = new QLabel(QString::fromUtf8("  ver.26.7.2023  "), this);
    label2_->setStyleSheet("background-color: navy; color: white;");
    label2_->move(88, 40);
    label2_->adjustSize();

    // Tab order follows creation order.
    bKnihy_jizd_ = MakeButton(this, "Knihy jízd", 80, 56, 97, 25);
    bcestprik_ = MakeButton(this, "Cestovní příkaz", 82, 90, 95, 25);
    bTab_cilu_ = MakeButton(this, "Tabulka cílů", 80, 122, 97, 25);
    bTisky_ = MakeButton(this, "Tisky", 88, 162, 75, 25);
    bhelp_ = MakeButton(this, "F1-help", 184, 148, 93, 19);
    bpruvodce_ = MakeButton(this, "Ctrl+F1-průvodce", 184, 174, 93, 19);
    QFont small("DejaVu Sans", 7);
    bhelp_->setFont(small);
    bpruvodce_->setFont(small);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

    // A button's action counts as running until it returns (EndRun waits).
    auto running = [this](auto action) {
        return [this, action] {
            ++running_;
            action();
            --running_;
        };
    };
    connect(bKnihy_jizd_, &QPushButton::clicked, this, running([this] { menu_.RunCarListLoop(ShowModal()); }));
    connect(bTab_cilu_, &QPushButton::clicked, this, running([this] { menu_.RunDestinations(ShowModal()); }));
    connect(bcestprik_, &QPushButton::clicked, this, [this] { travel_->OpenFromMenu(); });
    connect(bTisky_, &QPushButton::clicked, this, running([this] { menu_.RunPrintSpool(); }));
    connect(bhelp_, &QPushButton::clicked, this, [this] { menu_.ButtonHelp(MenuButton::Help); });
    connect(bpruvodce_, &QPushButton::clicked, this, [this] {
        c_.ui.ShowGuide(ProgPath(c_, "\\NAVODY\\"), "KJ");
        bKnihy_jizd_->setFocus();
    });

    // TfKalendar and the logbook are made once; the calendar's form is its
    // view for the whole run.
    calendar_ = std::make_unique<CalendarForm>(menu_.kalendar());
    WireLogbook(menu_.kniha(), this);
    // The travel order's windows live for the whole run; the logbook's
    // Ctrl+C fills them from its marked trips.
    travel_ = std::make_unique<TravelOrderForms>(c_);
    menu_.kniha().cestovniPrikaz = [this](TfKJ_jizdy& kniha, const std::string& orderFile) {
        travel_->OpenFromLogbook(orderFile, kniha.OznaceneJizdy());
    };

    timer1_.setInterval(1000);
    connect(&timer1_, &QTimer::timeout, this, &MainMenuForm::Timer1Timer);
    timer1_.start();
    bKnihy_jizd_->setFocus();
}

MainMenuForm::~MainMenuForm() = default;

ShowList MainMenuForm::ShowModal() {
    return [this](TfSoub& list) {
        TableBrowserForm form(list, this);
        form.Ukaz();
    };
}

bool MainMenuForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && !closing_) FormActivate();
    return QWidget::event(e);
}

void MainMenuForm::FormActivate() {
    if (!menu_.Activate()) {
        timer1_.stop();
        closing_ = true;
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    if (!menu_.timerEnabled()) timer1_.stop();
    setWindowTitle(ToQt(menu_.caption()));
    ApplyColour();
}

void MainMenuForm::ApplyColour() {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColourFromStored(menu_.colour()));
    setPalette(pal);
}

void MainMenuForm::Timer1Timer() {
    timer1_.stop();
    bool leave = menu_.WatchdogTick();
    if (leave) {
        close();
        return;
    }
    if (menu_.timerEnabled()) timer1_.start();
}

void MainMenuForm::ButtonHelp(QObject* button) {
    if (button == bKnihy_jizd_) menu_.ButtonHelp(MenuButton::KnihyJizd);
    else if (button == bcestprik_) menu_.ButtonHelp(MenuButton::Cestprik);
    else if (button == bTab_cilu_) menu_.ButtonHelp(MenuButton::TabCilu);
    else if (button == bTisky_) menu_.ButtonHelp(MenuButton::Tisky);
}

bool MainMenuForm::FormKeyDown(QObject* watched, QKeyEvent* e) {
    if (e->key() == Qt::Key_F1 && (e->modifiers() & Qt::ControlModifier)) {
        c_.ui.ShowGuide(ProgPath(c_, "\\NAVODY\\"), "KJ");
        return true;  // consumed
    }
    if (e->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button) return false;
    // Enter presses the focused button, as on the desktop the users know.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        button->click();
        return true;
    }
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier &&
        (button == bKnihy_jizd_ || button == bcestprik_ || button == bTab_cilu_ ||
         button == bTisky_)) {
        ButtonHelp(button);
        return true;
    }
    return false;
}

bool MainMenuForm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && FormKeyDown(watched, static_cast<QKeyEvent*>(e)))
        return true;
    if (e->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(e)->button() == Qt::RightButton &&
        (watched == bKnihy_jizd_ || watched == bcestprik_ || watched == bTisky_)) {
        ButtonHelp(watched);
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void MainMenuForm::keyPressEvent(QKeyEvent* e) {
    if (!FormKeyDown(this, e)) QWidget::keyPressEvent(e);
}

void MainMenuForm::EndOnSignals() {
    if (endSignals_) return;
    endSignals_ = std::make_unique<EndSignals>();
    if (endSignals_->fd() < 0) return;
    endNotifier_ = new QSocketNotifier(endSignals_->fd(), QSocketNotifier::Read, this);
    connect(endNotifier_, &QSocketNotifier::activated, this, [this] {
        if (endSignals_->Take()) EndRun();
    });
}

void MainMenuForm::EndRun() {
    // Open windows close one at a time from the top, each as with Esc; the
    // code that opened one finishes its work (a list's closing sort, its
    // locks) before the next round.
    constexpr int kMaxRounds = 200;
    QWidget* open = QApplication::activePopupWidget();
    if (!open) open = QApplication::activeModalWidget();
    // Windows left open beside the menu (the travel order) close too.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!open && w != this && w->isVisible() && w->isWindow() && !w->parentWidget()) open = w;
    if (open && open != this && ++endRounds_ < kMaxRounds) {
        open->close();
        QTimer::singleShot(0, this, &MainMenuForm::EndRun);
        return;
    }
    // A list loop between two of its windows (a logbook closed, its sort
    // running, the car list about to come back): wait until it ends.
    if (running_ > 0) {
        QTimer::singleShot(20, this, &MainMenuForm::EndRun);
        return;
    }
    close();
}

void MainMenuForm::closeEvent(QCloseEvent* e) {
    closing_ = true;
    timer1_.stop();
    menu_.Close();
    if (closeLockClient) closeLockClient();
    e->accept();
}

}  // namespace kj
