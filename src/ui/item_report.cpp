#include "ui/item_report.h"

#include <algorithm>

#include <QFileDialog>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

#include "text/cp1250.h"
#include "text/decimal_separator.h"

namespace vestok {

namespace {

constexpr qreal kHundredthsPerMm = 100.0;

QString FromCp1250(std::string_view bytes) { return QString::fromStdU16String(Cp1250ToUtf16(bytes)); }

QPageLayout ItemListPageLayout() {
  const qreal margin = kReportMargin / kHundredthsPerMm;
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(margin, margin, margin, margin),
                     QPageLayout::Millimeter);
}

}  // namespace

QFont ItemListFont() {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(kReportFontPoints);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  return font;
}

constexpr qreal kColumnGapMm = 1.0;

QString FitTextToWidth(const QString& text, const QFontMetricsF& metrics, qreal width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  // Binary search for the longest fitting start; widths grow with length.
  qsizetype lo = 0, hi = text.size();
  while (lo < hi) {
    const qsizetype mid = (lo + hi + 1) / 2;
    if (metrics.horizontalAdvance(text.left(mid)) <= width)
      lo = mid;
    else
      hi = mid - 1;
  }
  return text.left(lo);
}

TFittedText FitTextToColumn(const QString& text, const QFont& font, QPaintDevice* device, qreal width) {
  const QFontMetricsF metrics(font, device);
  const qreal advance = metrics.horizontalAdvance(text);
  if (advance <= width) return {text, 100};
  for (int stretch = int(100 * width / advance); stretch >= kMinTextStretch; --stretch) {
    QFont narrow(font);
    narrow.setStretch(stretch);
    if (QFontMetricsF(narrow, device).horizontalAdvance(text) <= width) return {text, stretch};
  }
  return {FitTextToWidth(text, metrics, width), 100};
}

void PaintItemListPage(QPainter& painter, qreal unitsPerMm, const DocumentTable& items, const TReportPage& page,
                       char decimalSeparator) {
  const qreal scale = unitsPerMm / kHundredthsPerMm;
  const QFont font(ItemListFont(), painter.device());
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QFontMetricsF metrics(font, painter.device());
  for (const TReportText& t : ItemListPageTexts(items, page, decimalSeparator)) {
    // A value keeps a millimetre clear of the next column, so that two values
    // never run into each other ("Liber max" beside the stand number).
    const qreal room = t.centred ? t.width * scale : std::max<qreal>(0, t.width * scale - kColumnGapMm * unitsPerMm);
    const QRectF box(t.left * scale, t.top * scale, room, metrics.height());
    const QString text = FromCp1250(t.text);
    if (t.centred) {
      painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
    } else {
      const TFittedText fitted = FitTextToColumn(text, font, painter.device(), box.width());
      painter.save();
      painter.setClipRect(box);
      if (fitted.stretch != 100) {
        QFont narrow(font);
        narrow.setStretch(fitted.stretch);
        painter.setFont(narrow);
      }
      painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, fitted.text);
      painter.restore();
    }
  }
}

bool PaintItemList(QPagedPaintDevice& device, const DocumentTable& items, char decimalSeparator) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  // The layout counts from the corner of the paper; the painter starts at the
  // corner of the printable area.
  const QPageLayout layout = device.pageLayout();
  const QRectF paintRect = layout.paintRectPixels(device.logicalDpiX());
  const QRectF fullRect = layout.fullRectPixels(device.logicalDpiX());
  const qreal unitsPerMm = fullRect.width() / layout.fullRect(QPageLayout::Millimeter).width();
  painter.translate(-paintRect.left(), -paintRect.top());
  const std::vector<TReportPage> pages = LayoutItemList(items);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0 && !device.newPage()) return false;
    PaintItemListPage(painter, unitsPerMm, items, pages[i], decimalSeparator);
  }
  return painter.end();
}

bool WriteItemListPdf(const DocumentTable& items, const QString& path, char decimalSeparator) {
  QPdfWriter writer(path);
  writer.setTitle(FromCp1250(kItemListTitle));
  writer.setResolution(600);
  if (!writer.setPageLayout(ItemListPageLayout())) return false;
  return PaintItemList(writer, items, decimalSeparator);
}

void SetUpItemListPrinter(QPrinter& printer) {
  printer.setPageLayout(ItemListPageLayout());
  printer.setCopyCount(1);
  printer.setDocName(FromCp1250(kItemListTitle));
}

void ShowItemListReport(QWidget* parent, const DocumentTable& items) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpItemListPrinter(printer);
  const char separator = UserDecimalSeparator();
  QPrintPreviewDialog preview(&printer, parent);
  preview.setWindowTitle(FromCp1250(kItemListTitle));
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&items, separator](QPrinter* target) { PaintItemList(*target, items, separator); });
  // The same pages straight to a PDF file, next to the preview's own buttons.
  if (auto* bar = preview.findChild<QToolBar*>()) {
    bar->addSeparator();
    QAction* pdf = bar->addAction(QStringLiteral("PDF..."));
    pdf->setToolTip(QStringLiteral("Salveaza lista in format PDF"));
    QObject::connect(pdf, &QAction::triggered, &preview, [&preview, &items, separator] {
      const QString path = QFileDialog::getSaveFileName(&preview, QStringLiteral("Vestok Salvare fisier"),
                                                        QStringLiteral("lista-produse.pdf"),
                                                        QStringLiteral("PDF (*.pdf)"));
      if (!path.isEmpty()) WriteItemListPdf(items, path, separator);
    });
  }
  preview.exec();
}

}  // namespace vestok
