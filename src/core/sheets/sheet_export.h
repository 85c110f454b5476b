#pragma once
// A table out to an .xlsx workbook, for whoever reads it in a spreadsheet:
// one sheet with the grid's titles, numbers as numbers, texts as UTF-8.
#include <string>

#include "tables/document_table.h"

namespace vestok {

// Writes the shown fields of `table` to `path` (created or replaced): the
// header row frozen, prices and sales values with two decimals, the price
// type as the grid shows it, barcodes and other texts as text (leading zeros
// stay). The three sales reports end in a total row and carry a bar chart of
// the value per item, group or stand. SheetError when the file cannot be
// written.
void ExportTableToXlsx(const DocumentTable& table, const std::string& path);

}  // namespace vestok
