#include "ui/item_report.h"

#include <algorithm>
#include <cmath>

#include <QDir>
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
#include "ui/dialogs.h"

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

QFont ItemListFont(double points) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  return font;
}

TDeviceTextMeasure::TDeviceTextMeasure(QPaintDevice* device, qreal unitsPerMm)
    : device_(device), unitsPerMm_(unitsPerMm) {}

TDeviceTextMeasure::~TDeviceTextMeasure() = default;

const QFontMetricsF& TDeviceTextMeasure::Metrics(double points) const {
  const int key = int(std::lround(points * 2));
  auto& slot = metrics_[key];
  if (!slot) slot = std::make_unique<QFontMetricsF>(QFont(ItemListFont(points), device_), device_);
  return *slot;
}

int TDeviceTextMeasure::Width(std::string_view text, double points) const {
  return int(std::ceil(Metrics(points).horizontalAdvance(FromCp1250(text)) / unitsPerMm_ * kHundredthsPerMm));
}

const std::array<double, 256>& TDeviceTextMeasure::CharWidths(double points) const {
  const int key = int(std::lround(points * 2));
  auto found = charWidths_.find(key);
  if (found != charWidths_.end()) return found->second;
  std::array<double, 256>& widths = charWidths_[key];
  const QFontMetricsF& metrics = Metrics(points);
  for (int b = 0; b < 256; ++b) widths[std::size_t(b)] = metrics.horizontalAdvance(QChar(Cp1250ToUnicode((unsigned char)b)));
  return widths;
}

int TDeviceTextMeasure::ApproximateWidth(std::string_view text, double points) const {
  const std::array<double, 256>& widths = CharWidths(points);
  double sum = 0;
  for (char c : text) sum += widths[(unsigned char)c];
  return int(std::ceil(sum / unitsPerMm_ * kHundredthsPerMm));
}

int TDeviceTextMeasure::LineHeight(double points) const {
  return int(std::ceil(Metrics(points).lineSpacing() / unitsPerMm_ * kHundredthsPerMm));
}

void PaintItemListPage(QPainter& painter, qreal unitsPerMm, const DocumentTable& items, const TItemListLayout& layout,
                       std::size_t page, char decimalSeparator) {
  const qreal scale = unitsPerMm / kHundredthsPerMm;
  const TDeviceTextMeasure measure(painter.device(), unitsPerMm);
  painter.setPen(Qt::black);
  double points = -1;
  for (const TReportText& t : ItemListPageTexts(items, layout, page, measure, decimalSeparator)) {
    if (t.points != points) {
      points = t.points;
      painter.setFont(QFont(ItemListFont(points), painter.device()));
    }
    // The layout has made room for every text: it is painted whole, never clipped.
    const qreal height = painter.fontMetrics().height();
    const QRectF box(t.left * scale, t.top * scale, t.width * scale, height);
    const int align = (t.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
    painter.drawText(box, align, FromCp1250(t.text));
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
  const TDeviceTextMeasure measure(&device, unitsPerMm);
  const TItemListLayout report = LayoutItemList(items, measure, decimalSeparator);
  for (std::size_t i = 0; i < report.pages.size(); ++i) {
    if (i > 0 && !device.newPage()) return false;
    PaintItemListPage(painter, unitsPerMm, items, report, i, decimalSeparator);
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
      // It starts in the folder of the file chosen last, as the other file
      // dialogs do, and is remembered for them.
      const QString name = QStringLiteral("lista-produse.pdf");
      const QString start = LastDialogFolder().isEmpty() ? name : QDir(LastDialogFolder()).filePath(name);
      const QString path = QFileDialog::getSaveFileName(&preview, QStringLiteral("Vestok Salvare fisier"), start,
                                                        QStringLiteral("PDF (*.pdf)"));
      if (path.isEmpty()) return;
      RememberDialogFolder(path);
      if (!WriteItemListPdf(items, path, separator))
        QtDialogs().Message(&preview, TMessageKind::Error, QStringLiteral("Nu se poate salva fisierul specificat!"),
                            TMessageButtons::Ok);
    });
  }
  preview.exec();
}

}  // namespace vestok
