#include "desktop/qt_printer.h"

#include <QFontMetricsF>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPen>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextLayout>
#include <QTextOption>
#include <vector>

#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

QFont jobFont(const platform::PrintJob& job) {
    QFont font(toQt(job.fontName), job.fontSize > 0 ? job.fontSize : 10);
    font.setStyleHint(QFont::TypeWriter);  // a fixed-width font where Courier New is missing
    return font;
}

// One source line broken into the lines that fit `width` on `device`, at word boundaries where
// it can.
std::vector<QString> wrappedLines(const QString& line, const QFont& font, qreal width,
                                  QPaintDevice* device) {
    if (line.isEmpty()) return {QString()};
    QTextLayout layout(line, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(QFontMetricsF(font, device).horizontalAdvance(QLatin1Char(' ')) * 8);
    layout.setTextOption(option);
    std::vector<QString> out;
    layout.beginLayout();
    for (QTextLine piece = layout.createLine(); piece.isValid(); piece = layout.createLine()) {
        piece.setLineWidth(width);
        out.push_back(line.mid(piece.textStart(), piece.textLength()));
    }
    layout.endLayout();
    return out;
}

}  // namespace

int paintPrintJob(QPrinter& printer, const platform::PrintJob& job) {
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    const QFont font = jobFont(job);
    QFont bold = font;
    bold.setBold(true);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF area(0, 0, page.width(), page.height());
    painter.setFont(font);
    // Rules of half a point: a cosmetic pen is one device pixel, invisible at printer resolution.
    QPen rule(Qt::black);
    rule.setWidthF(printer.resolution() / 144.0);
    painter.setPen(rule);
    const qreal lineHeight = QFontMetricsF(font, &printer).lineSpacing();
    const qreal headerHeight = lineHeight * 2;
    const qreal footerHeight = lineHeight * 2;
    const qreal bodyHeight = area.height() - headerHeight - footerHeight;
    const int linesPerPage = std::max(1, static_cast<int>(bodyHeight / lineHeight));

    // The lines as they fall on the pages: a page break fills the rest of its page.
    std::vector<QString> lines;
    for (const std::string& line : job.lines) {
        if (line == platform::kPageBreak) {
            while (lines.size() % static_cast<std::size_t>(linesPerPage) != 0) lines.emplace_back();
            continue;
        }
        for (QString& piece : wrappedLines(toQtReadable(line), font, area.width(), &printer))
            lines.push_back(std::move(piece));
    }
    const int pages = std::max(1, static_cast<int>((lines.size() + linesPerPage - 1) /
                                                   static_cast<std::size_t>(linesPerPage)));
    for (int p = 0; p < pages; ++p) {
        if (p > 0) printer.newPage();
        const QRectF header(area.left(), area.top(), area.width(), lineHeight);
        painter.setFont(bold);
        painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(toQtReadable(job.title), Qt::ElideRight,
                                                          static_cast<int>(area.width() * 0.7)));
        painter.setFont(font);
        painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter, toQt(job.rightHeader));
        painter.drawLine(QPointF(area.left(), header.bottom() + lineHeight / 2),
                         QPointF(area.right(), header.bottom() + lineHeight / 2));

        qreal y = area.top() + headerHeight;
        const std::size_t first = static_cast<std::size_t>(p) * linesPerPage;
        for (std::size_t i = first; i < lines.size() && i < first + linesPerPage; ++i) {
            painter.drawText(QRectF(area.left(), y, area.width(), lineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs, lines[i]);
            y += lineHeight;
        }

        const QRectF footer(area.left(), area.bottom() - lineHeight, area.width(), lineHeight);
        painter.drawLine(QPointF(area.left(), footer.top() - lineHeight / 2),
                         QPointF(area.right(), footer.top() - lineHeight / 2));
        painter.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter, toQt(job.footer));
        painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages));
    }
    painter.end();
    return pages;
}

QtPrinter::QtPrinter() = default;
QtPrinter::~QtPrinter() = default;

QPrinter& QtPrinter::printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

platform::PrintResult QtPrinter::print(const platform::PrintJob& job) {
    QPrinter& target = printer();
    target.setDocName(toQtReadable(job.title));
    QPrintPreviewDialog preview(&target, parent_);
    preview.setWindowTitle(QStringLiteral("Print Preview"));
    preview.setAccessibleName(QStringLiteral("Print Preview"));
    if (parent_) preview.resize(parent_->size() * 0.8);  // a page one can read, not a thumbnail
    int pages = -1;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested,
                     [&job, &pages](QPrinter* printer) { pages = paintPrintJob(*printer, job); });
    if (preview.exec() != QDialog::Accepted) return {platform::PrintOutcome::Cancelled, {}};
    if (pages == 0 || target.printerState() == QPrinter::Error)
        return {platform::PrintOutcome::Failed,
                "The printer \"" + target.printerName().toStdString() + "\" reported an error."};
    return {};
}

void QtPrinter::setUp() {
    QPageSetupDialog dialog(&printer(), parent_);
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    dialog.exec();
}

}  // namespace velmora::desktop
