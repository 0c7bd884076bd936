#include "logbook/qt/logbook_forms.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTableView>

#include "services/qt/qt_text.h"

namespace kj {

GeneratedTripsForm::GeneratedTripsForm(TfKJ_jgener& browser, QWidget* parent)
    : TableBrowserForm(browser, parent), generated_(browser) {
    label_ = new QLabel(this);
    QFont bold = label_->font();
    bold.setBold(true);
    label_->setFont(bold);
    // Every refill of the grid follows a key or a command: the total may
    // have changed with it.
    QAbstractItemModel* model = sgRol()->model();
    connect(model, &QAbstractItemModel::dataChanged, this, [this] { ShowLabel(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { ShowLabel(); });
    ShowLabel();
}

void GeneratedTripsForm::ShowLabel() { label_->setText(ToQt(generated_.popisek())); }

void GeneratedTripsForm::ApplyLayout() {
    TableBrowserForm::ApplyLayout();
    const Rect& at = generated_.polohaPopisku();
    label_->setGeometry(at.left, at.top, std::max(at.width, 200), std::max(at.height, 18));
    ShowLabel();
}

namespace {
QWidget* ModalOr(const QPointer<QWidget>& fallback) {
    QWidget* top = QApplication::activeModalWidget();
    return top ? top : fallback.data();
}
}  // namespace

void WireLogbook(TfKJ_jizdy& kniha, QWidget* parent) {
    QPointer<QWidget> owner(parent);
    kniha.showPickList = [owner](TfSoub& list) {
        TableBrowserForm form(list, ModalOr(owner));
        form.Ukaz();
    };
    kniha.showGenerated = [owner](TfKJ_jgener& generated) {
        GeneratedTripsForm form(generated, ModalOr(owner));
        form.Ukaz();
    };
}

}  // namespace kj
