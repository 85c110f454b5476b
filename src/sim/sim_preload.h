#pragma once
// Filling a simulated register from the program's own table files.
#include <string>
#include <vector>

#include "sim/register_memory.h"

namespace vestok {

// The file a table is preloaded from inside a folder: "<table name>.csv", the
// table names of SimTableName ("items.csv", "item-sales.csv", ...).
std::string PreloadFileName(SimTable table);

// Loads the table file into the register's table with LoadTableFile: numbers
// as the register keeps them (the item price with two decimals, "#.00", other
// numbers as the table file writes them), with `decimalSeparator`. Throws the
// table file errors.
void PreloadTable(TRegisterMemory& memory, SimTable table, const std::string& path, char decimalSeparator);

// Every table whose file the folder holds; returns the names of the files read.
std::vector<std::string> PreloadFolder(TRegisterMemory& memory, const std::string& folder, char decimalSeparator);

// "#.00": two decimals always, no digit before the separator when the integer part is 0.
std::string PriceText(double value, char decimalSeparator);

}  // namespace vestok
