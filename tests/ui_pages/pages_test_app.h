#pragma once
// One QApplication for the page tests (offscreen under ctest) and the
// tables they work on.
#include <memory>

#include "tables/document_table.h"

namespace vestok::pages_test {

void EnsureApplication();

// An open, empty table of `kind`.
std::unique_ptr<DocumentTable> OpenTable(TableKind kind);

}  // namespace vestok::pages_test
