#include "logbook/qt/calendar_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>

#include "screens/qt/dialog_widgets.h"
#include "screens/qt/rolling_list_form.h"
#include "services/qt/qt_text.h"

namespace kj {
namespace {

constexpr int kCellWidth = 64;
constexpr int kCellHeight = 26;
constexpr int kHeaderHeight = 22;
constexpr int kMargin = 8;

QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& at) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(at);
    return l;
}

}  // namespace

CalendarForm::CalendarForm(TfKalendar& kalendar, QWidget* parent) : QDialog(parent), k_(kalendar) {
    setWindowTitle(QString::fromUtf8("Kalendář"));
    setWindowModality(Qt::ApplicationModal);
    setFont(DialogFont(9));
    const int gridWidth = TfKalendar::kGridColumns * kCellWidth + 2;
    const int gridHeight = kHeaderHeight + TfKalendar::kGridRows * kCellHeight + 2;

    MakeLabel(this, QString::fromUtf8("Den"), QRect(kMargin, kMargin, 30, 22));
    cbDen_ = new QComboBox(this);
    cbDen_->setGeometry(kMargin + 30, kMargin, 56, 22);
    for (int d = 1; d <= 31; ++d) cbDen_->addItem(QString::number(d));
    MakeLabel(this, QString::fromUtf8("Měsíc"), QRect(kMargin + 96, kMargin, 40, 22));
    cbMesic_ = new QComboBox(this);
    cbMesic_->setGeometry(kMargin + 136, kMargin, 56, 22);
    for (int m = 1; m <= 12; ++m) cbMesic_->addItem(QString::number(m));
    MakeLabel(this, QString::fromUtf8("Rok"), QRect(kMargin + 202, kMargin, 30, 22));
    cbRok_ = new QComboBox(this);
    cbRok_->setGeometry(kMargin + 232, kMargin, 72, 22);
    for (int y = TfKalendar::kFirstChooserYear; y <= TfKalendar::kLastChooserYear; ++y)
        cbRok_->addItem(QString::number(y));
    lMesic_ = MakeLabel(this, {}, QRect(kMargin + 316, kMargin, gridWidth - 316, 22));
    QFont big = DialogFont(12, true);
    lMesic_->setFont(big);
    lMesic_->setAlignment(Qt::AlignCenter);

    sgKalendar_ = new QTableWidget(TfKalendar::kGridRows, TfKalendar::kGridColumns, this);
    sgKalendar_->setGeometry(kMargin, kMargin + 30, gridWidth, gridHeight);
    sgKalendar_->verticalHeader()->hide();
    sgKalendar_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgKalendar_->horizontalHeader()->setDefaultSectionSize(kCellWidth);
    sgKalendar_->horizontalHeader()->setFixedHeight(kHeaderHeight);
    sgKalendar_->verticalHeader()->setDefaultSectionSize(kCellHeight);
    sgKalendar_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgKalendar_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgKalendar_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgKalendar_->setSelectionMode(QAbstractItemView::NoSelection);
    QStringList names;
    for (int w = 0; w < TfKalendar::kGridColumns; ++w) names << ToQt(kalendar::WeekdayName(w));
    sgKalendar_->setHorizontalHeaderLabels(names);
    for (int r = 0; r < TfKalendar::kGridRows; ++r)
        for (int c = 0; c < TfKalendar::kGridColumns; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            sgKalendar_->setItem(r, c, item);
        }
    sgKalendar_->installEventFilter(this);
    sgKalendar_->viewport()->installEventFilter(this);

    const int below = kMargin + 30 + gridHeight + 8;
    lDen_ = MakeLabel(this, {}, QRect(kMargin, below, 200, 24));
    bOK_ = new QPushButton("OK", this);
    bOK_->setGeometry(kMargin + gridWidth - 170, below, 80, 26);
    bZavri_ = new QPushButton(QString::fromUtf8("Zavři"), this);
    bZavri_->setGeometry(kMargin + gridWidth - 80, below, 80, 26);
    for (QPushButton* b : {bOK_, bZavri_}) b->setAutoDefault(false);
    lHelp_ = MakeLabel(this,
                       QString::fromUtf8("F1-nápověda  F5-mění svátek  Enter-vrací datum  Esc-nic"),
                       QRect(kMargin, below + 32, gridWidth, 20));
    lHelp_->setStyleSheet("background-color: navy; color: silver;");
    setFixedSize(gridWidth + 2 * kMargin, below + 32 + 20 + kMargin);

    connect(cbDen_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (syncing_) return;
        k_.NastavDen(i + 1);
        Sync();
    });
    connect(cbMesic_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (syncing_) return;
        k_.NastavMesic(i + 1);
        Sync();
    });
    connect(cbRok_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (syncing_) return;
        k_.NastavRok(TfKalendar::kFirstChooserYear + i);
        Sync();
    });
    connect(bOK_, &QPushButton::clicked, this, [this] {
        k_.Vyber();
        Sync();
    });
    connect(bZavri_, &QPushButton::clicked, this, [this] {
        k_.Zavri();
        Sync();
    });

    k_.ukaz = [this](TfKalendar&) { Ukaz(); };
}

CalendarForm::~CalendarForm() { k_.ukaz = nullptr; }

void CalendarForm::Ukaz() {
    Sync();
    show();
    sgKalendar_->setFocus();
    exec();
}

void CalendarForm::Sync() {
    syncing_ = true;
    cbDen_->setCurrentIndex(k_.den() - 1);
    cbMesic_->setCurrentIndex(k_.mesic() - 1);
    cbRok_->setCurrentIndex(k_.rok() - TfKalendar::kFirstChooserYear);
    lMesic_->setText(ToQt(k_.NazevMesice()));
    lDen_->setText(ToQt(k_.PopisDne()));
    for (int r = 0; r < TfKalendar::kGridRows; ++r)
        for (int c = 0; c < TfKalendar::kGridColumns; ++c) {
            QTableWidgetItem* item = sgKalendar_->item(r, c);
            const int d = k_.DenBunky(r, c);
            item->setText(d ? QString::number(d) : QString());
            item->setBackground(ColourFromStored(k_.BarvaBunky(r, c)));
        }
    int row = 0, column = 0;
    k_.BunkaDne(k_.den(), &row, &column);
    sgKalendar_->setCurrentCell(row, column, QItemSelectionModel::NoUpdate);
    syncing_ = false;
    if (k_.closed() && isVisible()) done(k_.vracenyDatum().empty() ? Rejected : Accepted);
}

bool CalendarForm::Key(QKeyEvent* e) {
    const int vk = VirtualKeyOf(*e);
    if (vk == 0 || !k_.KeyDown(vk, ModifiersOf(*e))) return false;
    Sync();
    return true;
}

bool CalendarForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == sgKalendar_ && e->type() == QEvent::KeyPress && Key(static_cast<QKeyEvent*>(e)))
        return true;
    if (watched == sgKalendar_->viewport() &&
        (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)) {
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() != Qt::LeftButton) return true;
        const QPoint at = m->position().toPoint();
        const int row = sgKalendar_->rowAt(at.y()), column = sgKalendar_->columnAt(at.x());
        if (e->type() == QEvent::MouseButtonPress) k_.Klik(row, column);
        else k_.DvojKlik(row, column);
        sgKalendar_->setFocus();
        Sync();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void CalendarForm::keyPressEvent(QKeyEvent* e) {
    // Outside the grid (a chooser, a button) only choosing, leaving and
    // help reach the calendar; the arrows and F5 belong to the grid.
    switch (e->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F1:
            if (Key(e)) return;
            break;
        default:
            break;
    }
    QDialog::keyPressEvent(e);
}

void CalendarForm::reject() {
    if (!k_.closed()) k_.Zavri();
    QDialog::reject();
}

void CalendarForm::closeEvent(QCloseEvent* e) {
    if (!k_.closed()) k_.Zavri();
    QDialog::closeEvent(e);
}

}  // namespace kj
