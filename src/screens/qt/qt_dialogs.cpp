#include "screens/qt/qt_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>

#include "screens/qt/busy_notice.h"
#include "screens/qt/choice_dialog.h"
#include "screens/qt/dialog_widgets.h"
#include "screens/qt/fields_dialog.h"
#include "screens/qt/form_printer.h"
#include "screens/qt/guide_window.h"
#include "screens/qt/help_box.h"
#include "screens/qt/wait_note.h"
#include "screens/qt/yes_no_dialog.h"
#include "services/cp1250.h"
#include "services/picture.h"
#include "services/qt/qt_text.h"
#include "services/record_file.h"

namespace kj {
namespace {

// The long-lived form, or a fresh one when the long-lived form is already
// open (a dialog asked from inside the same dialog's F1 help).
template <class Form>
Form& Pick(std::unique_ptr<Form>& own, std::unique_ptr<Form>& spare) {
    if (!own->isVisible()) return *own;
    spare = std::make_unique<Form>();
    return *spare;
}

}  // namespace

QtDialogs::QtDialogs(FileSystem& fs) : fs_(fs), own_(fs, *this) {
    // The stand-in station attached itself; the program's station replaces
    // it when it is made.
    own_.workAreaSize = [] {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return std::pair{1024, 768};
        QRect r = screen->availableGeometry();
        return std::pair{r.width(), r.height()};
    };
    printForm = [](QWidget& form) { (void)PrintFormWithDialog(form); };
    chooseFile = [](QWidget& parent) {
        return QFileDialog::getOpenFileName(&parent, QString(), QString(), QString(), nullptr,
                                            QFileDialog::DontUseNativeDialog);
    };
    yesNo_ = std::make_unique<YesNoDialog>();
    fields_ = std::make_unique<FieldsDialog>();
    choice_ = std::make_unique<ChoiceDialog>();
    busy_ = std::make_unique<BusyNotice>();
    note_ = std::make_unique<WaitNote>();
    help_ = std::make_unique<kj::HelpBox>();
    guide_ = std::make_unique<GuideWindow>();
}

QtDialogs::~QtDialogs() = default;

std::string QtDialogs::GuideDirectory() {
    return ProgPath(c(), "\\NAVODY\\");
}

void QtDialogs::Place(QWidget& w, std::optional<int> left, std::optional<int> top,
                      PixelPoint stored) {
    PixelPoint current{w.x(), w.y()};
    // A form never placed before has no position of its own to keep: it
    // stands over the middle of the window it was opened from (the screen
    // when there is none), not in the screen's corner over that window.
    static const char* const kPlaced = "kjPlaced";
    if (!w.property(kPlaced).toBool()) {
        QWidget* owner = QApplication::activeModalWidget();
        if (!owner || owner == &w) owner = QApplication::activeWindow();
        QRect area = owner && owner != &w ? owner->frameGeometry() : QRect();
        if (area.isEmpty()) {
            if (QScreen* screen = QGuiApplication::primaryScreen()) area = screen->availableGeometry();
        }
        current = CentreOver({area.x(), area.y(), area.width(), area.height()}, w.width(), w.height());
        w.setProperty(kPlaced, true);
    }
    PixelPoint p = PlaceDialog(left, top, current, stored, c().workAreaSize());
    w.move(p.x, p.y);
}

void QtDialogs::BeepMessage(const std::string& text) {
    QApplication::beep();
    QMessageBox box(QMessageBox::NoIcon, "VELTOR", ToQt(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setFont(DialogFont());
    box.exec();
}

NoteResult QtDialogs::ShowNote(const std::string& text, int ms) {
    std::unique_ptr<WaitNote> spare;
    WaitNote& note = Pick(note_, spare);
    note.onClick = [this] { return AskYesNo(10, 10, NoteQuestion()); };
    bool stop = note.Run(LayoutNote(*metrics_, text), ToQt(text), ms);
    return stop ? NoteResult::StopWaiting : NoteResult::Expired;
}

bool QtDialogs::AskYesNo(int col, int row, const std::string& question) {
    std::unique_ptr<YesNoDialog> spare;
    YesNoDialog& f = Pick(yesNo_, spare);
    YesNoLayout layout = LayoutYesNo(*metrics_, col, row, question);
    f.Arrange(layout, ToQt(question));
    Place(f, layout.left, layout.top, ReadDialogPosition(c(), question, kYesNoPosition));
    f.onGuide = [this, question] { ShowGuide(GuideDirectory(), question); };
    bool yes = f.Ask(RememberedYes(c(), question));
    StoreDialogPosition(c(), question, kYesNoPosition, {f.x(), f.y()});
    RememberAnswer(c(), question, yes);
    return yes;
}

bool QtDialogs::AskFields(int col, int row, const F1Handler& f1,
                          const std::vector<std::string>& items, const std::string& title) {
    BeginFields(state_);
    if (items.size() > kMaxFieldStrings) {
        BeepMessage(TooManyMessage(title));
        return false;
    }
    std::unique_ptr<FieldsDialog> spare;
    FieldsDialog& f = Pick(fields_, spare);
    FieldsLayout layout = LayoutFields(*metrics_, col, row, items, title);
    f.Build(layout, ToQt(title));
    Place(f, layout.left, layout.top, ReadDialogPosition(c(), title, kFieldsPosition));
    f.onAction = [&](FieldsAction action, int k) { FieldKey(f, action, k, f1, title); };
    bool ok = f.Run();
    FinishFields(state_, f.Texts(), ok);
    f.onAction = nullptr;
    f.Clear();
    StoreDialogPosition(c(), title, kFieldsPosition, {f.x(), f.y()});
    return ok;
}

void QtDialogs::FieldKey(FieldsDialog& f, FieldsAction action, int k, const F1Handler& f1,
                         const std::string& title) {
    QLineEdit* field = f.field(k);
    std::string text = field ? FromQt(field->text()) : std::string();
    switch (action) {
        case FieldsAction::Help:
            // The help may fill the field (a looked-up value).
            if (f1) {
                f1(k, text);
                if (field) field->setText(ToQt(text));
            }
            break;
        case FieldsAction::Guide: {
            std::string label =
                k > 0 ? f.layout().lines[static_cast<std::size_t>(k - 1)].label : std::string();
            ShowGuide(GuideDirectory(), title + label);
            break;
        }
        case FieldsAction::Calculator:
            if (calculator && field) {
                if (auto value = calculator(StrToFloatLoose(text)))
                    field->setText(ToQt(CalculatorText(*value)));
            }
            break;
        case FieldsAction::FileDialog:
            if (chooseFile && field) {
                // The file dialog may move the current directory; the
                // station's relative paths need it back.
                QString cwd = QDir::currentPath();
                QString chosen = chooseFile(f);
                QDir::setCurrent(cwd);
                if (!chosen.isEmpty()) field->setText(ToQt(ChosenFileText(FromQt(chosen))));
            }
            break;
        default:
            break;
    }
    if (field) field->setFocus();
}

int QtDialogs::ChooseItem(int col, int row, const F1Handler& f1,
                          const std::vector<std::string>& items, const std::string& title) {
    if (items.size() > kMaxChoiceItems) {
        BeepMessage(TooManyMessage(title));
        FinishChoice(state_, items, 0);
        return 0;
    }
    std::unique_ptr<ChoiceDialog> spare;
    ChoiceDialog& f = Pick(choice_, spare);
    const ChoiceStart start = StartChoice(&c(), items, title);
    ChoiceLayout layout = LayoutChoice(*metrics_, col, row, start.items, title);
    f.Build(layout, ToQt(title));
    Place(f, layout.left, layout.top, ReadDialogPosition(c(), title, kChoicePosition));
    f.onAction = [&](ChoiceAction action, int i) { ChoiceKey(f, action, i, f1, items, title); };
    const int result = f.Run(start.first);
    f.onAction = nullptr;
    EndChoice(&c(), state_, items, title, result);
    f.Clear();
    StoreDialogPosition(c(), title, kChoicePosition, {f.x(), f.y()});
    return state_.chosenIndex;
}

void QtDialogs::ChoiceKey(ChoiceDialog& f, ChoiceAction action, int i, const F1Handler& f1,
                          const std::vector<std::string>& items, const std::string& title) {
    switch (action) {
        case ChoiceAction::Help:
            if (f1) {
                std::string text = i > 0 ? items[static_cast<std::size_t>(i - 1)] : std::string();
                f1(i, text);
            }
            break;
        case ChoiceAction::Guide: {
            QRadioButton* item = f.item(i);
            ShowGuide(GuideDirectory(), title + (item ? FromQt(item->text()) : std::string()));
            break;
        }
        case ChoiceAction::Calculator:
            if (calculator) (void)calculator(0);
            break;
        case ChoiceAction::Print:
            if (printForm) printForm(f);
            break;
        default:
            break;
    }
    if (QRadioButton* item = f.item(i)) item->setFocus();
}

void QtDialogs::ShowBusy(const std::string& text) {
    BusyLayout layout = LayoutBusy(*metrics_, text);
    int top = ReadDialogPosition(c(), text, kBusyPosition).y;
    top = top > 0 ? ClampToWorkArea(top, c().workAreaSize().second) : busy_->y();
    busyText_ = text;
    busy_->onClosed = [this](QPoint where) {
        StoreDialogPosition(c(), busyText_, kBusyPosition, {where.x(), where.y()});
    };
    busy_->Start(layout, ToQt(text), QPoint(layout.left, top));
}

void QtDialogs::SetBusyProgress(int max, int position) {
    busy_->SetProgress(max, position);
}

void QtDialogs::CloseBusy() {
    busy_->Finish();
}

void QtDialogs::HelpBox(int col, int row, const std::string& title,
                        const std::vector<std::string>& lines) {
    std::unique_ptr<kj::HelpBox> spare;
    kj::HelpBox& box = Pick(help_, spare);
    HelpLayout layout = LayoutHelpBox(*metrics_, col, row, title, lines);
    box.Build(layout);
    Place(box, layout.left, layout.top, PixelPoint{});
    box.Run();
    box.Clear();
}

void QtDialogs::ShowGuide(const std::string& directory, const std::string& title) {
    std::unique_ptr<GuideWindow> spare;
    GuideWindow& w = Pick(guide_, spare);
    GuideText text = LoadGuide(c(), directory, title);
    GuideGeometry g = ReadGuideGeometry(c());
    if (g.width > 0) w.resize(g.width, w.height());
    if (g.height > 0) w.resize(w.width(), g.height);
    Place(w, std::nullopt, std::nullopt, PixelPoint{g.left, g.top});
    w.Show(ToQt(GuideCaption(directory, title)), text.lines);
    if (w.edited()) {
        int rc = SaveGuide(c(), text.path, w.Lines());
        if (rc != 0) BeepMessage("Chyba " + FormatPic("###", rc) + " při zápisu "_cz + text.path);
    }
    StoreGuideGeometry(c(), {w.x(), w.y(), w.width(), w.height()});
}

}  // namespace kj
