// The Qt side of the picture services: the capture of a form and
// PrintBitmap on a painter, each through its conversion between RgbImage
// and QImage (colours of three different channels, so a swap shows).

#include "kj_test.h"

#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>

#include "qt_app.h"
#include "services/qt/picture_capture.h"

namespace kj {
namespace {

TEST(PictureCapture, PrintBitmapStretchesIntoTheRectangle) {
    TestApp();
    RgbImage img(2, 1, 0, 0, 255);  // left red, right blue
    img.Pixel(0, 0)[0] = 255;
    img.Pixel(0, 0)[2] = 0;
    QImage page(100, 50, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        ASSERT_TRUE(PrintBitmap(p, QRect(10, 5, 40, 20), img));
        EXPECT_FALSE(PrintBitmap(p, QRect(0, 0, 0, 10), img));
        EXPECT_FALSE(PrintBitmap(p, QRect(0, 0, 10, 10), RgbImage()));
    }
    const std::tuple<int, int, QColor> expected[] = {{10, 5, Qt::red}, {29, 24, Qt::red}, {30, 5, Qt::blue},
                                                     {49, 24, Qt::blue}, {50, 5, Qt::white}, {10, 25, Qt::white}};
    // The page read back through FromQImage shows the same.
    const RgbImage back = FromQImage(page);
    for (const auto& [x, y, colour] : expected) {
        EXPECT_EQ(page.pixelColor(x, y), colour) << x << "," << y;
        const std::uint8_t* p = back.Pixel(x, y);
        EXPECT_EQ(QColor(p[0], p[1], p[2]), colour) << x << "," << y;
    }
}

TEST(PictureCapture, FormWithAScrollArea) {
    TestApp();
    QWidget form;
    form.resize(300, 200);
    auto* scroll = new QScrollArea(&form);
    scroll->setGeometry(0, 0, 300, 200);
    auto* content = new QWidget;
    content->resize(280, 900);
    content->setAutoFillBackground(true);
    QPalette pal = content->palette();
    pal.setColor(QPalette::Window, QColor(10, 128, 250));
    content->setPalette(pal);
    auto* low = new QLabel("x", content);
    low->setGeometry(10, 800, 50, 40);
    auto* hidden = new QLabel("y", content);
    hidden->setGeometry(10, 860, 50, 30);
    hidden->hide();
    scroll->setWidget(content);
    form.show();
    QApplication::processEvents();

    WidgetCaptureWindow w(form, scroll);
    EXPECT_EQ(w.ControlsBottom(), 840);  // the hidden label does not count
    EXPECT_EQ(w.ClientHeight(), scroll->viewport()->height());
    const int reached = w.ScrollTo(w.ClientHeight());
    EXPECT_EQ(reached, scroll->verticalScrollBar()->value());
    EXPECT_GT(reached, 0);
    EXPECT_EQ(w.ScrollTo(100000), scroll->verticalScrollBar()->maximum());

    RgbImage shot;
    ASSERT_TRUE(w.CaptureClient(&shot));
    EXPECT_EQ(std::pair(shot.width, shot.height), std::pair(form.width(), form.height()));
    const std::uint8_t* p = shot.Pixel(100, 100);  // the content
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{10, 128, 250}));
}

}  // namespace
}  // namespace kj
