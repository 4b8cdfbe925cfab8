#include "app/report_document.h"

#include "report/front_panel.h"

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QUrl>

namespace {
// Drawn at twice the report's pixels, so that print stays sharp.
constexpr int Scale = 2;

QImage PanelImage(const PanelPicture& picture)
{
    QImage image(picture.Width * Scale, picture.Height * Scale, QImage::Format_RGB32);
    image.fill(QColor(242, 242, 242));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(Scale, Scale);
    for (const PanelWindowBox& box : picture.Windows) {
        p.setPen(QPen(QColor(64, 64, 64), 1.5));
        p.setBrush(QColor(QRgb(box.Colour)));
        p.drawRect(box.Rect);
        p.setPen(Qt::black);
        QFont font = p.font();
        font.setPixelSize(13);
        font.setBold(true);
        p.setFont(font);
        const QStringList lines = PanelBoxLines(box);
        const QRect first(box.Rect.left(), box.Rect.top() + 2, box.Rect.width(), 16);
        p.drawText(first, Qt::AlignCenter, lines[0]);
        font.setPixelSize(9);
        font.setBold(false);
        p.setFont(font);
        for (int i = 1; i < lines.size(); ++i)
            p.drawText(first.translated(0, 16 * i), Qt::AlignCenter, lines[i]);
    }
    return image;
}
}  // namespace

std::unique_ptr<QTextDocument> ReportDocument(const ReportSource& source)
{
    auto document = std::make_unique<QTextDocument>();
    document->addResource(QTextDocument::ImageResource,
                          QUrl(QString::fromLatin1(FrontPanelImageName)),
                          PanelImage(FrontPanel(source.Image, source.FamilyCode)));
    document->setHtml(ConfigReportHtml(source, PanelDrawing::Image));
    return document;
}

void SetUpReportPrinter(QPrinter& printer, const QTextDocument& document)
{
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    printer.setDocName(document.metaInformation(QTextDocument::DocumentTitle));
}
