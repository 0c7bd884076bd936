#include "screens/qt/table_browser_form.h"

#include <QFile>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "screens/qt/form_printer.h"
#include "screens/qt/record_editor_form.h"
#include "services/cp1250.h"
#include "services/qt/qt_text.h"

namespace kj {

TableBrowserForm::TableBrowserForm(TfSoub& browser, QWidget* parent)
    : RollingListForm(browser, parent), browser_(browser) {
    browser_.showEditor = [this](RecordEditor& e) {
        RecordEditorForm form(e, this);
        form.printForm = [this](const QPixmap& picture) {
            (void)PrintPictureWithDialog(picture, this);
        };
        // F11, first item: the editor's paper colour (stored with its geometry).
        browser_.editorAppearance = [&form](RecordEditor& editor) {
            const QColor chosen = QColorDialog::getColor(
                ColourFromStored(editor.layout().paper), &form, ToQt("Barva pozadí"_cz));
            if (!chosen.isValid()) return;
            editor.SetPaper(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16));
            QPalette pal = form.palette();
            pal.setColor(QPalette::Window, chosen);
            form.setPalette(pal);
        };
        form.Run();
        browser_.editorAppearance = nullptr;
    };
    browser_.choosePicture = [this](const std::string& folder) {
        TfSoub::ChosenPicture chosen;
        const QString file = QFileDialog::getOpenFileName(this, ToQt("Vyber obrázek"_cz),
                                                          ToQt(folder), QStringLiteral("*.jpg"));
        if (file.isEmpty()) return chosen;
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly)) return chosen;
        const QByteArray bytes = in.readAll();
        chosen.data = std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        chosen.folder = FromQt(QFileInfo(file).absolutePath() + QStringLiteral("/"));
        return chosen;
    };
    klF4_ = new QPushButton(ToQt("Nový"_cz), this);
    klMez_ = new QPushButton(QStringLiteral("Oprav"), this);
    klF8_ = new QPushButton(ToQt("Zruš"_cz), this);
    klNajdi_ = new QPushButton(QStringLiteral("Hledej"), this);
    Button(klF4_, &TableBrowserForm::Nowy);
    Button(klMez_, &TableBrowserForm::Oprav);
    Button(klF8_, &TableBrowserForm::Zrus);
    Button(klNajdi_, &TableBrowserForm::Najdi);
}

TableBrowserForm::~TableBrowserForm() {
    browser_.showEditor = nullptr;
    browser_.choosePicture = nullptr;
}

void TableBrowserForm::Button(QPushButton* b, void (TableBrowserForm::*action)()) {
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->hide();
    connect(b, &QPushButton::clicked, this, [this, action] {
        (this->*action)();
        Sync();
        if (sgRol()) sgRol()->setFocus(Qt::OtherFocusReason);
    });
}

void TableBrowserForm::Nowy() { browser_.KlF4Click(); }
void TableBrowserForm::Oprav() { browser_.KlMezClick(); }
void TableBrowserForm::Zrus() { browser_.KlF8Click(); }
void TableBrowserForm::Najdi() { browser_.KlNajdiClick(eHled() ? FromQt(eHled()->text()) : std::string()); }

void TableBrowserForm::ApplyLayout() {
    RollingListForm::ApplyLayout();
    const TfSoub::Buttons& b = browser_.buttons();
    auto place = [&](QPushButton* button, const Rect& r) {
        if (!button) return;
        button->setGeometry(r.left, r.top, r.width, r.height);
        button->setVisible(b.shown);
    };
    place(klF4_, b.nowy);
    place(klMez_, b.oprav);
    place(klF8_, b.zrus);
    place(klNajdi_, b.hledej);
}

}  // namespace kj
