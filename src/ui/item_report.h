#pragma once
// The printed item list: paints the pages of LayoutItemList on a printer, a
// PDF file or an image, and shows them in Qt's print preview, from which the
// user zooms, pages, sets up the printer, prints, or saves a PDF.
#include <QString>
#include <vector>

#include "report/item_list_layout.h"

class QFont;
class QFontMetricsF;
class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace vestok {

// Arial 10 point, regular; the same for every text of the report.
QFont ItemListFont();

// The longest start of `text` whose width under `metrics` is at most `width`
// (device units): a value is cut at the next column instead of running into it.
QString FitTextToWidth(const QString& text, const QFontMetricsF& metrics, qreal width);

// How a value is printed in a column `width` device units wide: whole when it
// fits; a little condensed (down to kMinTextStretch per cent of its width)
// when that makes it fit, so that "Liber max" keeps its meaning; otherwise cut
// by FitTextToWidth at its normal width.
inline constexpr int kMinTextStretch = 80;
struct TFittedText {
  QString text;
  int stretch = 100;  // QFont::setStretch
};
TFittedText FitTextToColumn(const QString& text, const QFont& font, QPaintDevice* device, qreal width);

// Paints one page of the layout. `unitsPerMm` converts millimetres to the
// painter's units; the painter's origin is the top left corner of the paper.
void PaintItemListPage(QPainter& painter, qreal unitsPerMm, const DocumentTable& items, const TReportPage& page,
                       char decimalSeparator);

// Paints every page on `device` (A4, full page), starting a new page between
// two. False when the device cannot be painted on.
bool PaintItemList(QPagedPaintDevice& device, const DocumentTable& items, char decimalSeparator);

// The same pages as a PDF file. False when the file cannot be written.
bool WriteItemListPdf(const DocumentTable& items, const QString& path, char decimalSeparator);

// Sets `printer` up for the report: A4 portrait, margins of the layout, one
// copy, the job named "LISTA DE PRODUSE".
void SetUpItemListPrinter(QPrinter& printer);

// aFilePrint: the preview of the item list, whatever page the window shows.
// Returns when the preview is closed. Changes no record.
void ShowItemListReport(QWidget* parent, const DocumentTable& items);

}  // namespace vestok
