#pragma once
// Paints the drawings of the blank paper forms (travel/form_pictures.h)
// into bitmaps: black lines and labels on white, at one picture pixel per
// bitmap pixel. The labels are set in DejaVu Sans (condensed below 10
// pixels), which every installation of the program has.

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

#include "travel/form_pictures.h"

namespace kj {

QImage PaintFormDrawing(const FormDrawing& drawing);

// The font a label is set in, and where each of its lines lands.
QFont FormTextFont(const FormText& text);
std::vector<QRect> FormTextLines(const FormText& text);

// Writes "kj1.bmp" and "KJ2.bmp" into `directory` (created when missing).
// Returns "" or what went wrong.
QString WriteFormPictures(const QString& directory);

}  // namespace kj
