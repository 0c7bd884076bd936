#pragma once
// Pictures of windows and pictures on paper: SaveFormImage (the visible
// client area of a window as a bitmap file), ScreenShot (a whole, possibly
// scrolling window as a JPEG file) and the stretch of PrintBitmap.
//
// The core does the geometry and the pixels; the window itself is behind
// CaptureWindow, which the Qt side implements for a form (qt/picture_capture.h),
// and the printer canvas is Qt's (PrintBitmap there draws the stretched
// buffer).

#include <string>
#include <string_view>

#include "services/common.h"
#include "services/jpeg_codec.h"

namespace kj {

// ---- whole files through the station's file system ----

// The whole file into `out`; DOS code (0 = success).
int ReadFileBytes(Common& c, std::string_view path, std::string* out);
// Creates (or truncates) the file and writes `bytes`; DOS code.
int WriteFileBytes(Common& c, std::string_view path, std::string_view bytes);
// A JPEG file decoded: "" on success, else what went wrong (a missing file
// gives "Err" + its code).
std::string LoadJpegFile(Common& c, std::string_view path, RgbImage* out);
// Bitmap and JPEG files written from a picture; DOS code, 87 when the
// picture cannot be encoded.
int SaveBmpFile(Common& c, std::string_view path, const RgbImage& image);
int SaveJpegFile(Common& c, std::string_view path, const RgbImage& image);

// ---- a window whose picture is taken ----

class CaptureWindow {
public:
    virtual ~CaptureWindow() = default;
    // Outer height of the window in pixels, and a new one.
    virtual int Height() const = 0;
    virtual void SetHeight(int pixels) = 0;
    // Puts the window's top edge at the top of the screen.
    virtual void MoveToTop() = 0;
    // Height of the visible client area in pixels.
    virtual int ClientHeight() const = 0;
    // Lowest bottom edge of the window's controls, in pixels from the top
    // of its (unscrolled) client area.
    virtual int ControlsBottom() const = 0;
    // Scrolls the client area so that content row `y` is at its top; gives
    // the row really reached (the scroll range may stop it earlier).
    virtual int ScrollTo(int y) = 0;
    // A copy of the visible client area; false when it cannot be taken.
    virtual bool CaptureClient(RgbImage* out) = 0;
};

// The visible client area saved as a bitmap file. DOS code; a capture that
// cannot be taken gives 87.
int SaveFormImage(Common& c, CaptureWindow& form, std::string_view path);

// ScreenShot geometry.
inline constexpr int kShotSinglePageBottom = 600;  // controls up to here: one capture
inline constexpr int kShotMinHeight = 600;         // mode 1 makes lower windows this high
inline constexpr int kShotWidth = 800;             // the two-capture picture
inline constexpr int kShotHeight = 1150;
// The window height ScreenShot sets: at most the work-area height less 20;
// with mode 1 at least 600.
int ScreenShotHeight(int height, int workAreaHeight, int mode);
// The two-capture picture: 800 x 1,150 white; `top` at row 0 and `second`
// from row `secondTop` on (the scroll position of the second capture, so
// rows both show lie on each other), both cut at the edges.
RgbImage ComposeScreenShot(const RgbImage& top, const RgbImage& second, int secondTop);

// The whole window as a JPEG file (`mode` 1: at least 600 pixels high).
// The window goes to the top of the screen and is sized and scrolled to its
// top; when its controls end within 600 pixels the capture is saved as
// "a.bmp" and converted ("Snímek je hotov" is shown); otherwise "a.bmp" is
// taken, "Klikněte prosím a čekejte na zpracování obrázku" shown, the
// window scrolled one client height down and "b.bmp" taken, the two
// composed (ComposeScreenShot, the second at the scroll position reached)
// and converted, and the window scrolled back. With the personal-data
// switch on the JPEG file is scrambled. "a.bmp"/"b.bmp" lie in the current
// directory. A fault is shown ("Chyba" + code + " při zápisu " + path) and
// gives false.
bool ScreenShot(Common& c, CaptureWindow& form, std::string_view path, int mode);

// ---- pictures on paper ----

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The picture stretched to width x height by copying source pixels (no
// smoothing: each target pixel takes the source pixel its centre falls
// on). An empty picture or size gives an empty picture.
RgbImage StretchImage(const RgbImage& image, int width, int height);

// Where a record picture is printed on a page of pageWidth x pageHeight
// device pixels at dpiX x dpiY: inside margins of leftMm and topMm
// millimetres (the same on the right and at the bottom), as large as fits
// with the picture's proportions kept, at the top left of that space.
PixelRect PicturePrintRect(int pageWidth, int pageHeight, int dpiX, int dpiY, double leftMm,
                           double topMm, int pictureWidth, int pictureHeight);

}  // namespace kj
