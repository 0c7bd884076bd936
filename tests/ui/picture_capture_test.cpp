// The Qt side of the picture services: conversions, the capture of a form
// and PrintBitmap on a painter.

#include "kj_test.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>

#include "qt_app.h"
#include "services/qt/picture_capture.h"

namespace kj {
namespace {

TEST(PictureCapture, ConversionsKeepEveryPixel) {
    TestApp();
    QImage q(3, 2, QImage::Format_ARGB32);
    q.fill(QColor(1, 2, 3));
    q.setPixelColor(2, 1, QColor(200, 100, 50));
    const RgbImage img = FromQImage(q);
    ASSERT_EQ(img.width, 3);
    ASSERT_EQ(img.height, 2);
    EXPECT_EQ(img.Pixel(0, 0)[2], 3);
    EXPECT_EQ(img.Pixel(2, 1)[0], 200);
    EXPECT_EQ(img.Pixel(2, 1)[1], 100);
    EXPECT_EQ(img.Pixel(2, 1)[2], 50);
    const QImage back = ToQImage(img);
    EXPECT_EQ(back.pixelColor(2, 1), QColor(200, 100, 50));
    EXPECT_EQ(back.pixelColor(0, 1), QColor(1, 2, 3));
    EXPECT_TRUE(FromQImage(QImage()).empty());
    EXPECT_TRUE(ToQImage(RgbImage()).isNull());
}

TEST(PictureCapture, PrintBitmapStretchesIntoTheRectangle) {
    TestApp();
    RgbImage img(2, 1);
    img.Pixel(0, 0)[0] = 255;  // left red, right blue
    img.Pixel(0, 0)[1] = 0;
    img.Pixel(0, 0)[2] = 0;
    img.Pixel(1, 0)[0] = 0;
    img.Pixel(1, 0)[1] = 0;
    img.Pixel(1, 0)[2] = 255;
    QImage page(100, 50, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        ASSERT_TRUE(PrintBitmap(p, QRect(10, 5, 40, 20), img));
        EXPECT_FALSE(PrintBitmap(p, QRect(0, 0, 0, 10), img));
        EXPECT_FALSE(PrintBitmap(p, QRect(0, 0, 10, 10), RgbImage()));
    }
    EXPECT_EQ(page.pixelColor(10, 5), QColor(255, 0, 0));
    EXPECT_EQ(page.pixelColor(29, 24), QColor(255, 0, 0));
    EXPECT_EQ(page.pixelColor(30, 5), QColor(0, 0, 255));
    EXPECT_EQ(page.pixelColor(49, 24), QColor(0, 0, 255));
    EXPECT_EQ(page.pixelColor(50, 5), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(10, 25), QColor(Qt::white));

    QPainter inactive;
    EXPECT_FALSE(PrintBitmap(inactive, QRect(0, 0, 10, 10), img));
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
    pal.setColor(QPalette::Window, QColor(0, 128, 0));
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
    EXPECT_EQ(w.ScrollTo(0), 0);

    RgbImage shot;
    ASSERT_TRUE(w.CaptureClient(&shot));
    EXPECT_EQ(shot.width, form.width());
    EXPECT_EQ(shot.height, form.height());
    EXPECT_EQ(shot.Pixel(100, 100)[1], 128);  // the green content

    WidgetCaptureWindow plain(form);
    EXPECT_EQ(plain.ScrollTo(50), 0);
    EXPECT_EQ(plain.ClientHeight(), 200);
    EXPECT_EQ(plain.ControlsBottom(), 200);  // the scroll area itself
}

}  // namespace
}  // namespace kj
