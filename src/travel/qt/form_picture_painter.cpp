#include "travel/qt/form_picture_painter.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>

#include "services/qt/qt_text.h"

namespace kj {

QFont FormTextFont(const FormText& text) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(text.size);
    font.setBold(text.bold);
    if (text.size < 10) font.setStretch(QFont::Condensed);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

std::vector<QRect> FormTextLines(const FormText& text) {
    const QFont font = FormTextFont(text);
    const QFontMetrics m(font);
    std::vector<QRect> out;
    const QStringList lines = ToQt(text.text).split(QLatin1Char('\n'));
    int top = text.top;
    for (const QString& line : lines) {
        const int w = m.horizontalAdvance(line);
        int left = text.left;
        if (text.align == TextAlign::Center) left = text.left + (text.width - w) / 2;
        if (text.align == TextAlign::Right) left = text.left + text.width - w;
        out.emplace_back(left, top, w, m.height());
        top += m.height();
    }
    return out;
}

QImage PaintFormDrawing(const FormDrawing& d) {
    QImage image(d.width, d.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const FormLine& l : d.lines) {
        if (l.y1 == l.y2)
            p.drawRect(QRect(std::min(l.x1, l.x2), l.y1, std::abs(l.x2 - l.x1) + 1, l.width));
        else
            p.drawRect(QRect(l.x1, std::min(l.y1, l.y2), l.width, std::abs(l.y2 - l.y1) + 1));
    }
    for (const FormBox& b : d.boxes) {
        p.drawRect(QRect(b.left, b.top, b.right - b.left + 1, 1));
        p.drawRect(QRect(b.left, b.bottom, b.right - b.left + 1, 1));
        p.drawRect(QRect(b.left, b.top, 1, b.bottom - b.top + 1));
        p.drawRect(QRect(b.right, b.top, 1, b.bottom - b.top + 1));
    }
    p.setPen(Qt::black);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (const FormText& t : d.texts) {
        p.setFont(FormTextFont(t));
        const QFontMetrics m(p.font());
        const QStringList lines = ToQt(t.text).split(QLatin1Char('\n'));
        const std::vector<QRect> at = FormTextLines(t);
        for (qsizetype i = 0; i < lines.size(); ++i)
            p.drawText(at[static_cast<std::size_t>(i)].left(), at[static_cast<std::size_t>(i)].top() + m.ascent(), lines[i]);
    }
    p.end();
    return image;
}

QString WriteFormPictures(const QString& directory) {
    if (!QDir().mkpath(directory)) return QStringLiteral("nelze vytvořit ") + directory;
    const struct {
        const char* name;
        FormDrawing drawing;
    } pictures[] = {{"kj1.bmp", OrderFormDrawing()}, {"KJ2.bmp", SettlementFormDrawing()}};
    for (const auto& pic : pictures) {
        const QString file = QDir(directory).filePath(QString::fromLatin1(pic.name));
        // Grey levels are enough for a form; the bitmap stays small.
        if (!PaintFormDrawing(pic.drawing).convertToFormat(QImage::Format_Grayscale8).save(file, "BMP"))
            return QStringLiteral("nelze zapsat ") + file;
    }
    return {};
}

}  // namespace kj
