#include "ui/sheet_import_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "sheets/sheet_import.h"
#include "text/cp1250.h"
#include "ui/file_path_text.h"

namespace vestok {
namespace {

QString FromCp1250(std::string_view text) { return QString::fromStdU16String(Cp1250ToUtf16(text)); }
QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QString CellText(const SheetCell& cell) {
  switch (cell.Type) {
    case SheetCell::Kind::Text: return FromUtf8(cell.Text);
    case SheetCell::Kind::Number: return QString::number(cell.Number, 'g', 15);
    default: return {};
  }
}

QComboBox* NewBox(const char* name, const QStringList& items) {
  auto* box = new QComboBox;
  box->setObjectName(name);
  box->addItems(items);
  return box;
}

}  // namespace

TfSheetImport::TfSheetImport(QWidget* parent, const DocumentTable& table, std::string path)
    : QDialog(parent),
      cbSheet(NewBox("cbSheet", {})),
      cbSeparator(NewBox("cbSeparator", {",", ";", "TAB"})),
      cbEncoding(NewBox("cbEncoding", {"UTF-8", "Windows-1250"})),
      cbDecimal(NewBox("cbDecimal", {".", ","})),
      tblPreview(new QTableWidget),
      table_(table),
      path_(std::move(path)),
      summary_(new QLabel) {
  setObjectName("TfSheetImport");
  setWindowTitle(QStringLiteral("Import din foaie de calcul"));
  const QString lower = PathText(path_).toLower();
  csv_ = !lower.endsWith(".xlsx") && !lower.endsWith(".xlsm") && !lower.endsWith(".ods");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Fisier: ") + PathText(path_)));
  auto* options = new QHBoxLayout;
  if (csv_) {
    options->addWidget(new QLabel(QStringLiteral("Separator:")));
    options->addWidget(cbSeparator);
    options->addWidget(new QLabel(QStringLiteral("Codare:")));
    options->addWidget(cbEncoding);
    options->addWidget(new QLabel(QStringLiteral("Separator zecimal:")));
    options->addWidget(cbDecimal);
  } else {
    options->addWidget(new QLabel(QStringLiteral("Foaia:")));
    options->addWidget(cbSheet);
  }
  options->addStretch(1);
  layout->addLayout(options);
  layout->addWidget(new QLabel(QStringLiteral("Alegeti pentru fiecare coloana campul in care intra:")));
  tblPreview->setObjectName("tblPreview");
  tblPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
  layout->addWidget(tblPreview, 1);
  layout->addWidget(summary_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Importa"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Renunta"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(820, 480);

  Read(true);
  auto reread = [this] {
    try {
      Read(false);
    } catch (const SheetError& e) {
      tblPreview->clear();
      tblPreview->setRowCount(0);
      tblPreview->setColumnCount(0);
      columnBoxes_.clear();
      summary_->setText(FromCp1250(e.what()));
    }
  };
  connect(cbSheet, &QComboBox::currentIndexChanged, this, reread);
  connect(cbSeparator, &QComboBox::currentIndexChanged, this, reread);
  connect(cbEncoding, &QComboBox::currentIndexChanged, this, reread);
  connect(cbDecimal, &QComboBox::currentIndexChanged, this, reread);
}

void TfSheetImport::Read(bool detect) {
  CsvOptions csv;
  if (!detect) {
    csv.Separator = cbSeparator->currentIndex() == 2 ? '\t' : cbSeparator->currentText().at(0).toLatin1();
    csv.Encoding = cbEncoding->currentIndex() == 0 ? CsvEncoding::Utf8 : CsvEncoding::Cp1250;
    csv.Decimal = cbDecimal->currentText().at(0).toLatin1();
  }
  const std::size_t sheet = detect || csv_ ? 0 : std::size_t(std::max(0, cbSheet->currentIndex()));
  grid_ = ReadSheet(path_, sheet, csv);  // the first read throws to the caller
  const QSignalBlocker b1(cbSheet), b2(cbSeparator), b3(cbEncoding), b4(cbDecimal);
  if (detect) {
    for (const std::string& name : grid_.SheetNames) cbSheet->addItem(FromUtf8(name));
    cbSeparator->setCurrentIndex(grid_.Separator == ';' ? 1 : grid_.Separator == '\t' ? 2 : 0);
    cbEncoding->setCurrentIndex(grid_.Utf8 ? 0 : 1);
    cbDecimal->setCurrentIndex(grid_.Decimal == ',' ? 1 : 0);
  }
  Fill();
}

void TfSheetImport::Fill() {
  const std::vector<std::string> titles = ColumnTitles(grid_);
  std::size_t columns = titles.size();
  for (const auto& row : grid_.Rows) columns = std::max(columns, row.size());
  const std::vector<int> fields = MatchColumns(table_, titles, LoadRememberedColumns(table_.Name()));
  const std::size_t shown = std::min<std::size_t>(grid_.Rows.empty() ? 0 : grid_.Rows.size() - 1, kPreviewRows);

  tblPreview->clear();
  tblPreview->setColumnCount(int(columns));
  tblPreview->setRowCount(int(shown) + 1);
  columnBoxes_.clear();
  QStringList headers;
  QStringList choices = {QStringLiteral("(nu se preia)")};
  for (const FieldDef& def : table_.Fields()) choices << (def.Shown() ? FromCp1250(def.title) : FromCp1250(def.name));
  for (std::size_t c = 0; c < columns; ++c) {
    headers << QString::fromStdString(ColumnLetters(c)) + (c < titles.size() && !titles[c].empty()
                                                               ? QStringLiteral(" ") + FromUtf8(titles[c])
                                                               : QString());
    auto* box = new QComboBox;
    box->setObjectName(QStringLiteral("cbColumn%1").arg(c));
    box->addItems(choices);
    box->setCurrentIndex(c < fields.size() ? fields[c] + 1 : 0);
    tblPreview->setCellWidget(0, int(c), box);
    columnBoxes_.push_back(box);
    // A field takes one column: choosing it here takes it from any other.
    connect(box, &QComboBox::currentIndexChanged, this, [this, box](int index) {
      if (index <= 0) return;
      for (QComboBox* other : columnBoxes_)
        if (other != box && other->currentIndex() == index) other->setCurrentIndex(0);
    });
  }
  tblPreview->setHorizontalHeaderLabels(headers);
  for (std::size_t r = 0; r < shown; ++r) {
    const auto& row = grid_.Rows[r + 1];
    for (std::size_t c = 0; c < row.size(); ++c)
      tblPreview->setItem(int(r) + 1, int(c), new QTableWidgetItem(CellText(row[c])));
  }
  tblPreview->resizeColumnsToContents();
  const std::size_t dataRows = grid_.Rows.empty() ? 0 : grid_.Rows.size() - 1;
  summary_->setText(QStringLiteral("Randuri de date in foaie: %1 (se arata primele %2)").arg(dataRows).arg(shown));
}

std::vector<int> TfSheetImport::Fields() const {
  std::vector<int> out;
  for (const QComboBox* box : columnBoxes_) out.push_back(box->currentIndex() - 1);
  return out;
}

QComboBox* TfSheetImport::ColumnBox(int column) const {
  return column >= 0 && column < int(columnBoxes_.size()) ? columnBoxes_[std::size_t(column)] : nullptr;
}

}  // namespace vestok
