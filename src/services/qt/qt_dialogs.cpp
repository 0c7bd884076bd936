#include "services/qt/qt_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "services/cp1250.h"
#include "services/qt/qt_text.h"

namespace kj {
namespace {

// The red note that closes itself; a click asks whether to stop waiting.
class NoteWindow final : public QDialog {
public:
    NoteWindow(const QString& text, int ms, Dialogs& ui) : ui_(ui) {
        setWindowTitle(ToQt("Počkejte na uvolnění !!! "_cz));
        setStyleSheet("background-color: rgb(255, 0, 0); color: white;");
        auto* layout = new QVBoxLayout(this);
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        layout->addWidget(label);
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, this, &QDialog::reject);
        timer_.start(ms);
    }
    bool stop() const { return stop_; }

protected:
    void mousePressEvent(QMouseEvent*) override {
        if (!timer_.isActive()) return;
        timer_.stop();
        stop_ = ui_.AskYesNo(10, 10, "Došlo k poruše, chcete ignorovat ochranu souborů"_cz);
        reject();
    }

private:
    Dialogs& ui_;
    QTimer timer_;
    bool stop_ = false;
};

// A field form: Enter, F2 or F4 accepts, Esc leaves, Up/Down walk the fields.
class FieldsWindow final : public QDialog {
public:
    std::vector<QLineEdit*> edits;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        switch (e->key()) {
            case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_F2: case Qt::Key_F4:
                accept();
                return;
            case Qt::Key_Down: focusNextChild(); return;
            case Qt::Key_Up: focusPreviousChild(); return;
            default: QDialog::keyPressEvent(e);
        }
    }
};

}  // namespace

QtDialogs::~QtDialogs() { delete busy_; }

void QtDialogs::BeepMessage(const std::string& text) {
    QApplication::beep();
    QMessageBox box(QMessageBox::Warning, "VELTOR", ToQt(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

NoteResult QtDialogs::ShowNote(const std::string& text, int ms) {
    NoteWindow note(ToQt(text), ms, *this);
    note.exec();
    return note.stop() ? NoteResult::StopWaiting : NoteResult::Expired;
}

bool QtDialogs::AskYesNo(int, int, const std::string& question) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(ToQt(question));
    box.setText(ToQt(question));
    box.setStyleSheet("QMessageBox { background-color: rgb(255, 200, 200); }");
    QPushButton* yes = box.addButton("Ano", QMessageBox::YesRole);
    QPushButton* no = box.addButton("Ne", QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

bool QtDialogs::AskFields(int, int, const F1Handler&, const std::vector<std::string>& items,
                          const std::string& title) {
    for (auto& r : state_.results) r.clear();
    state_.accepted = false;
    if (items.size() > 120) {
        BeepMessage(title + " - příliš mnoho parametrů"_cz);
        return false;
    }
    FieldsWindow dlg;
    dlg.setWindowTitle(ToQt(title));
    auto* form = new QFormLayout(&dlg);
    std::size_t n = items.size() / 2;
    for (std::size_t k = 0; k < n; ++k) {
        const std::string& label = items[2 * k];
        const std::string& initial = items[2 * k + 1];
        if (initial.empty()) {
            form->addRow(new QLabel(ToQt(label)));
            dlg.edits.push_back(nullptr);
            continue;
        }
        auto* edit = new QLineEdit(ToQt(initial));
        form->addRow(ToQt(label), edit);
        dlg.edits.push_back(edit);
    }
    bool ok = dlg.exec() == QDialog::Accepted;
    for (std::size_t k = 0; k < n; ++k)
        state_.results[k + 1] = dlg.edits[k] ? FromQt(dlg.edits[k]->text()) : items[2 * k + 1];
    state_.accepted = ok;
    return ok;
}

int QtDialogs::ChooseItem(int, int, const F1Handler&, const std::vector<std::string>& items,
                          const std::string& title) {
    state_.chosenIndex = 0;
    state_.results[1] = "  ";
    if (items.size() > 60) {
        BeepMessage(title + " - příliš mnoho parametrů"_cz);
        return 0;
    }
    QDialog dlg;
    dlg.setWindowTitle(ToQt(title));
    auto* layout = new QVBoxLayout(&dlg);
    auto* list = new QListWidget(&dlg);
    for (const auto& item : items) {
        std::string shown = item;
        bool disabled = !shown.empty() && shown[0] == '-';
        if (!shown.empty() && (shown[0] == '*' || shown[0] == '-')) shown[0] = ' ';
        auto* row = new QListWidgetItem(ToQt(shown), list);
        if (disabled) row->setFlags(Qt::NoItemFlags);
    }
    list->setCurrentRow(0);
    layout->addWidget(list);
    QObject::connect(list, &QListWidget::itemActivated, &dlg, &QDialog::accept);
    if (dlg.exec() != QDialog::Accepted) return 0;
    int r = list->currentRow() + 1;
    if (r < 1) r = 1;
    state_.chosenIndex = r;
    const std::string& chosen = items[static_cast<std::size_t>(r - 1)];
    state_.results[1] = (chosen + "   ").substr(1, 2);
    return r;
}

void QtDialogs::ShowBusy(const std::string& text) {
    if (!busy_) busy_ = new QProgressDialog();
    busy_->setWindowTitle(ToQt(text));
    busy_->setLabelText(ToQt(text));
    busy_->setCancelButton(nullptr);
    busy_->setRange(0, 10);
    busy_->setValue(1);
    busy_->show();
    QApplication::processEvents();
}

void QtDialogs::SetBusyProgress(int max, int position) {
    if (!busy_) return;
    busy_->setRange(1, max < 1 ? 1 : max);
    busy_->setValue(position);
    QApplication::processEvents();
}

void QtDialogs::CloseBusy() {
    if (busy_) busy_->hide();
}

void QtDialogs::HelpBox(int, int, const std::string& title, const std::vector<std::string>& lines) {
    QString text;
    for (const auto& line : lines)
        if (!line.empty()) text += ToQt(line) + "\n";
    QMessageBox box(QMessageBox::NoIcon, ToQt(title.empty() ? "Tabule" : title), text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setFont(QFont("DejaVu Sans Mono"));
    box.exec();
}

void QtDialogs::ShowGuide(const std::string& directory, const std::string& title) {
    std::string name = title;
    for (char& ch : name)
        if (std::string_view("\".:\\/?*").find(ch) != std::string_view::npos) ch = '_';
    std::string text;
    std::unique_ptr<File> f;
    if (fs_.Open(directory + name + ".nav", Access::Read, Disposition::OpenExisting,
                 Share::Shared, &f) == 0) {
        char buf[4096];
        std::size_t got = 0;
        while (f->Read(buf, sizeof buf, &got) == 0 && got > 0) text.append(buf, got);
    }
    QDialog dlg;
    dlg.setWindowTitle(ToQt(name + " : " + directory));
    auto* layout = new QVBoxLayout(&dlg);
    auto* view = new QPlainTextEdit(&dlg);
    view->setReadOnly(true);
    QStringList shown;
    for (const QString& line : ToQt(text).split('\n'))
        if (!line.startsWith('&')) shown << QString(line).remove('\r');
    view->setPlainText(shown.join('\n'));
    layout->addWidget(view);
    dlg.resize(600, 400);
    dlg.exec();
}

}  // namespace kj
