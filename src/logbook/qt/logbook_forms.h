#pragma once
// The logbook on the screen. The book itself is a TableBrowserForm; this
// adds the generated-trips browser with its km label, and fills the hooks
// through which the logbook shows its pick lists and the generated trips.

#include "logbook/trip_generator.h"
#include "logbook/trip_logbook.h"
#include "screens/qt/table_browser_form.h"

class QLabel;

namespace kj {

// TfKJ_jgener on the screen: the table browser with the label
// "Vygenerované km : ..." beside the counter, shown again after every key.
class GeneratedTripsForm final : public TableBrowserForm {
    Q_OBJECT
public:
    explicit GeneratedTripsForm(TfKJ_jgener& browser, QWidget* parent = nullptr);
    QLabel* lGenerovano() const { return label_; }

protected:
    void ApplyLayout() override;

private:
    void ShowLabel();

    TfKJ_jgener& generated_;
    QLabel* label_ = nullptr;
};

// Pick lists and the destinations of the generator run as modal table
// browsers, the generated trips as a GeneratedTripsForm, each over the
// window that is modal when they open (else over `parent`).
void WireLogbook(TfKJ_jizdy& kniha, QWidget* parent);

}  // namespace kj
