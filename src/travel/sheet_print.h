#pragma once
// Printing a form sheet onto A4 paper, and its calibration.
//
// A sheet prints every control at its position on the form picture, one
// picture pixel being 1/100 inch: x * dpiX / 100 dots. Printers differ in
// their margins and feed, so the positions are calibrated by a width and a
// height coefficient and a left and top correction in printer dots, kept
// for both sheets and every later run in "KJpar.dta". Font sizes are never
// scaled: 8 points on the screen print as 8 points.

#include <string>

#include "print/print_canvas.h"
#include "print/print_viewer.h"
#include "services/common.h"
#include "travel/sheet_layout.h"

namespace kj {

inline constexpr const char* kCalibrationFile = "KJpar.dta";

struct Calibration {
    double widthCoef = 1;   // "Koef.CEPR šířka"
    double heightCoef = 1;  // "Koef.CEPR výška"
    double left = 0;        // "Korekce CEPR levý okraj", printer dots
    double top = 0;         // "Korekce CEPR horní okraj", printer dots
};

// The stored values; a coefficient that is missing, 0, negative or not a
// number reads as 1, a missing correction as 0.
Calibration ReadCalibration(Common& c);

// Where a sheet's points land on the printer, for one print.
struct SheetGeometry {
    double sx = 1, sy = 1;  // dots per picture pixel, calibrated
    double left = 0, top = 0;
    int cellA = 0;  // boxed characters: 50/100 inch, never calibrated
    int cellB = 0;  // 20/100 inch, narrowed by the width coefficient

    int X(int x) const;
    int Y(int y) const;
};

// dpi below 72 counts as 72.
SheetGeometry ComputeGeometry(int dpiX, int dpiY, const Calibration& cal);

// How a control prints, from the tens digit of its Tag.
enum class PrintKind { None, Text, CellsA, CellsB, Label };
PrintKind PrintKindOfTag(int tag);

// Prints the sheet as one job: the form picture ("\KJ\..." of the program
// directory) stretched over the calibrated page when `withPicture`, then
// every control with a Tag of 0 or more in creation order, each in its own
// font; boxed kinds put one character per cell, the narrow ones "iíIÍjltf"
// a third of a cell to the right. Returns the job's result (0 = printed).
int PrintSheet(Common& c, PrintJob& job, const SheetTexts& sheet, bool withPicture);

// "Nastavení parametrů": the four values in a field dialog (F1 shows how to
// use them), written back to "KJpar.dta" whether the dialog was accepted or
// left with Esc, as its fields then stand.
Calibration CalibrateSheet(Common& c);

}  // namespace kj
