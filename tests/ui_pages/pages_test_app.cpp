#include "pages_test_app.h"

namespace vestok::pages_test {

std::unique_ptr<DocumentTable> OpenTable(TableKind kind) {
  auto table = std::make_unique<DocumentTable>(TableDefinition(kind));
  table->Open();
  return table;
}

}  // namespace vestok::pages_test
