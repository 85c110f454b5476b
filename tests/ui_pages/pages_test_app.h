#pragma once
// The page tests' application (the one of every window test) and the tables
// they work on.
#include <memory>

#include "tables/document_table.h"
#include "ui_test_support.h"

namespace vestok::pages_test {

using test::EnsureApplication;

// An open, empty table of `kind`.
std::unique_ptr<DocumentTable> OpenTable(TableKind kind);

}  // namespace vestok::pages_test
