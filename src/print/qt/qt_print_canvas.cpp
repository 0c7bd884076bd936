#include "print/qt/qt_print_canvas.h"

#include <QFileDialog>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>

#include "screens/font_map.h"
#include "services/cp1250.h"
#include "services/qt/qt_text.h"

namespace kj {
namespace {

constexpr char kDefaultFace[] = "Courier New";
constexpr int kDefaultPoints = 10;

class QtCanvas final : public PrintCanvas {
public:
    explicit QtCanvas(QPrinter& printer) : printer_(printer), painter_(&printer) {
        painter_.setPen(Qt::black);
    }
    bool active() const { return painter_.isActive(); }

    int DpiX() const override { return printer_.logicalDpiX(); }
    int DpiY() const override { return printer_.logicalDpiY(); }
    int PageWidth() const override { return printer_.width(); }
    int PageHeight() const override { return printer_.height(); }

    void SetFont(const PrintFont& f) override {
        const std::string face = f.faceName.empty() ? std::string(kDefaultFace) : f.faceName;
        QFont font(ToQt(SharedFontMap().Installed(face)));
        font.setStyleHint(QFont::TypeWriter);
        const int pixels = f.height != 0 ? std::abs(f.height)
                                         : static_cast<int>(std::lround(kDefaultPoints * DpiY() / 72.0));
        font.setPixelSize(std::max(1, pixels));
        if (f.weight >= 600) font.setBold(true);
        font.setItalic(f.italic != 0);
        font.setUnderline(f.underline != 0);
        font.setStrikeOut(f.strikeOut != 0);
        if (f.width > 0) {
            // The width is the character cell of a fixed-pitch face, the
            // average width of a proportional one.
            const QFontMetrics natural_metrics(font, &printer_);
            const int natural = QFontInfo(font).fixedPitch()
                                    ? natural_metrics.horizontalAdvance(QLatin1Char('0'))
                                    : natural_metrics.averageCharWidth();
            if (natural > 0) font.setStretch(std::clamp(f.width * 100 / natural, 1, 4000));
        }
        painter_.setFont(font);
        metrics_ = std::make_unique<QFontMetrics>(font, &printer_);
    }
    int TextWidth(std::string_view text) override {
        return Metrics().horizontalAdvance(ToQt(text));
    }
    int CharWidth() override { return Metrics().horizontalAdvance(QLatin1Char('0')); }
    int LineHeight() override { return Metrics().lineSpacing(); }
    void DrawText(int x, int y, std::string_view text) override {
        painter_.drawText(x, y + Metrics().ascent(), ToQt(text));
    }
    void NewPage() override { printer_.newPage(); }
    bool DrawPicture(int left, int top, int right, int bottom, const std::string& hostFile) override {
        const QImage picture(QString::fromStdString(hostFile));
        if (picture.isNull()) return false;
        painter_.drawImage(QRect(left, top, right - left, bottom - top), picture);
        return true;
    }

    bool End() { return painter_.end(); }

private:
    const QFontMetrics& Metrics() {
        if (!metrics_) metrics_ = std::make_unique<QFontMetrics>(painter_.font(), &printer_);
        return *metrics_;
    }

    QPrinter& printer_;
    QPainter painter_;
    std::unique_ptr<QFontMetrics> metrics_;
};

class QtJob final : public PrintJob {
public:
    explicit QtJob(std::unique_ptr<QPrinter> printer)
        : printer_(std::move(printer)), canvas_(std::make_unique<QtCanvas>(*printer_)) {}
    bool active() const { return canvas_->active(); }
    PrintCanvas& canvas() override { return *canvas_; }
    int Finish() override { return canvas_->End() ? 0 : 1; }

private:
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QtCanvas> canvas_;
};

void Preselect(QPrinter& printer, const std::string& name) {
    const QString wanted = ToQt(name);
    if (!wanted.isEmpty() && QPrinterInfo::availablePrinterNames().contains(wanted))
        printer.setPrinterName(wanted);
}

}  // namespace

std::unique_ptr<PrintJob> StartPrintJob(std::unique_ptr<QPrinter> printer) {
    auto job = std::make_unique<QtJob>(std::move(printer));
    if (!job->active()) return nullptr;
    return job;
}

std::unique_ptr<PrintJob> StartPdfJob(const QString& fileName) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    printer->setPageSize(QPageSize(QPageSize::A4));
    return StartPrintJob(std::move(printer));
}

std::unique_ptr<PrintJob> OpenPrintJob(PrintTarget target, const std::string& defaultPrinter,
                                       const QString& suggestedPdf, QWidget* parent) {
    if (target == PrintTarget::Pdf) {
        const QString file = QFileDialog::getSaveFileName(parent, QStringLiteral("Tisk do PDF"),
                                                          suggestedPdf, QStringLiteral("PDF (*.pdf)"));
        if (file.isEmpty()) return nullptr;
        return StartPdfJob(file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)
                               ? file
                               : file + QStringLiteral(".pdf"));
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    Preselect(*printer, defaultPrinter);
    if (target == PrintTarget::Direct) return StartPrintJob(std::move(printer));
    QPrintDialog dialog(printer.get(), parent);
    dialog.setWindowTitle(QStringLiteral("Tisk"));
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return StartPrintJob(std::move(printer));
}

std::string ChoosePrinter(const std::string& current, QWidget* parent) {
    QPrinter printer;
    Preselect(printer, current);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(ToQt("Nastavení tiskárny"_cz));
    if (dialog.exec() != QDialog::Accepted) return {};
    return FromQt(printer.printerName());
}

}  // namespace kj
