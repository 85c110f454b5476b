#pragma once
// The preview of a spreadsheet import: the first rows of the sheet, and above
// each column the field it goes into, which the user can change. Workbooks
// offer their sheets; a CSV file its separator, code page and decimal point,
// as detected. The file is read again when one of these changes. A field
// takes one column: choosing it for a column takes it from any other.
#include <QDialog>
#include <string>
#include <vector>

#include "sheets/sheet_read.h"
#include "tables/document_table.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace vestok {

class TfSheetImport : public QDialog {
  Q_OBJECT
 public:
  // Reads the file (SheetError when it cannot be read). The columns start
  // with the mapping remembered for the table and the matching of their titles.
  TfSheetImport(QWidget* parent, const DocumentTable& table, std::string path);

  const SheetGrid& Grid() const { return grid_; }
  // The field of each column (-1: left out), as the boxes show it.
  std::vector<int> Fields() const;
  QComboBox* ColumnBox(int column) const;
  int ColumnCount() const { return int(columnBoxes_.size()); }

  QComboBox* const cbSheet;
  QComboBox* const cbSeparator;
  QComboBox* const cbEncoding;
  QComboBox* const cbDecimal;
  QTableWidget* const tblPreview;

  static constexpr int kPreviewRows = 20;

 private:
  void Read(bool detect);
  void Fill();

  const DocumentTable& table_;
  std::string path_;
  bool csv_ = false;
  SheetGrid grid_;
  std::vector<QComboBox*> columnBoxes_;
  QLabel* summary_;
};

}  // namespace vestok
