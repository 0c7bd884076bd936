#pragma once
// The colour and font dialogs of the appearance dialog (F11) on Qt's
// standard dialogs. Qt's font dialog has no colour of its own, so a chosen
// font is followed by the colour dialog for the ink; cancelling that one
// keeps the ink as it was.

#include <QFont>
#include <QString>

#include "screens/char_window.h"

class QWidget;

namespace kj {

class QtAppearancePickers final : public AppearancePickers {
  public:
    explicit QtAppearancePickers(QWidget* parent = nullptr) : parent_(parent) {}

    std::optional<int> PickColour(int current) override;
    std::optional<FontChoice> PickFont(const FontChoice& current) override;

  private:
    QWidget* parent_;
};

// The font a window is drawn in: the stored name through the font map,
// the size in points on a 96-dpi screen (the cells are measured there),
// bold and italic by the style.
QFont WindowFont(std::string_view name, int pointSize, FontStyle style);
// The style of a Qt font.
FontStyle StyleOf(const QFont& font);

}  // namespace kj
