#pragma once
// TfSoub on the screen: the rolling list form with the buttons "Nový",
// "Oprav", "Zruš" and "Hledej", the record editor run as a modal
// RecordEditorForm, and the picture choice "Vyber obrázek". It renders and
// forwards; the browser decides.

#include "screens/qt/rolling_list_form.h"
#include "screens/table_browser.h"

class QPushButton;

namespace kj {

class TableBrowserForm : public RollingListForm {
    Q_OBJECT
public:
    explicit TableBrowserForm(TfSoub& browser, QWidget* parent = nullptr);
    ~TableBrowserForm() override;

    TfSoub& browser() { return browser_; }
    QPushButton* klF4() const { return klF4_; }
    QPushButton* klMez() const { return klMez_; }
    QPushButton* klF8() const { return klF8_; }
    QPushButton* klNajdi() const { return klNajdi_; }

protected:
    void ApplyLayout() override;

private:
    void Button(QPushButton* b, void (TableBrowserForm::*action)());
    void Nowy();
    void Oprav();
    void Zrus();
    void Najdi();

    TfSoub& browser_;
    QPushButton* klF4_ = nullptr;
    QPushButton* klMez_ = nullptr;
    QPushButton* klF8_ = nullptr;
    QPushButton* klNajdi_ = nullptr;
};

}  // namespace kj
