#include "screens/qt/help_box.h"

#include <QKeyEvent>
#include <QLabel>

#include "screens/qt/dialog_widgets.h"
#include "services/qt/qt_text.h"

namespace kj {

HelpBox::HelpBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Tabule");
    setFont(DialogFont());
}

void HelpBox::Build(const HelpLayout& layout) {
    Clear();
    setWindowTitle(ToQt(layout.caption));
    for (const auto& [text, rect] : layout.labels) {
        auto* l = new QLabel(ToQt(text), this);
        l->setFont(FixedFont());
        l->setGeometry(ToRect(rect));
        l->show();
        labels_.push_back(l);
    }
    setFixedSize(layout.width, layout.height);
}

void HelpBox::Run() {
    exec();
}

void HelpBox::Clear() {
    for (QLabel* l : labels_) delete l;
    labels_.clear();
}

void HelpBox::keyPressEvent(QKeyEvent* e) {
    if (DialogKeyOf(*e) == DialogKey::Escape) reject();
}

}  // namespace kj
