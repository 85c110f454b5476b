#pragma once
// The printed item list: paints the pages of LayoutItemList on a printer, a
// PDF file or an image, and shows them in Qt's print preview, from which the
// user zooms, pages, sets up the printer, prints, or saves a PDF.
#include <QString>
#include <array>
#include <map>
#include <memory>
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

// Arial 10 point, regular; the same face for every text of the report (the
// detail band may be smaller, see LayoutItemList).
QFont ItemListFont(double points = kReportFontPoints);

// The widths of the report's texts as `device` renders them; `unitsPerMm`
// converts millimetres to the device's units.
class TDeviceTextMeasure final : public IReportTextMeasure {
 public:
  TDeviceTextMeasure(QPaintDevice* device, qreal unitsPerMm);
  ~TDeviceTextMeasure() override;
  int Width(std::string_view text, double points) const override;
  int LineHeight(double points) const override;
  // The sum of the characters' own advances (no kerning).
  int ApproximateWidth(std::string_view text, double points) const override;

 private:
  const QFontMetricsF& Metrics(double points) const;
  const std::array<double, 256>& CharWidths(double points) const;
  QPaintDevice* device_;
  qreal unitsPerMm_;
  mutable std::map<int, std::unique_ptr<QFontMetricsF>> metrics_;  // by half points
  mutable std::map<int, std::array<double, 256>> charWidths_;       // by half points, per byte
};

// Paints page `page` of `layout`. `unitsPerMm` converts millimetres to the
// painter's units; the painter's origin is the top left corner of the paper.
void PaintItemListPage(QPainter& painter, qreal unitsPerMm, const DocumentTable& items, const TItemListLayout& layout,
                       std::size_t page, char decimalSeparator);

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
