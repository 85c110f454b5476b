#pragma once
// What a view of a DocumentTable (the Qt model of a grid, the value boxes of
// the ECR settings page) is told about changes. Callbacks run on the thread
// that changed the table, after the table is consistent again, except the
// "AboutTo" ones, which run just before the change. Row numbers are 0-based.
#include <cstddef>

namespace vestok {

class ITableObserver {
 public:
  virtual ~ITableObserver() = default;

  // Rows first..last (inclusive) are about to appear / have appeared.
  virtual void RowsAboutToBeInserted(std::size_t /*first*/, std::size_t /*last*/) {}
  virtual void RowsInserted(std::size_t /*first*/, std::size_t /*last*/) {}
  // Rows first..last (inclusive) are about to go / have gone.
  virtual void RowsAboutToBeRemoved(std::size_t /*first*/, std::size_t /*last*/) {}
  virtual void RowsRemoved(std::size_t /*first*/, std::size_t /*last*/) {}
  // A value of `row` changed; `field` is its index, or -1 when several did.
  virtual void DataChanged(std::size_t /*row*/, int /*field*/) {}
  // Everything may have changed (open, close, empty, and the end of a
  // suspended stretch). AboutToReset comes first: at once for open, close
  // and empty; for a suspended stretch when it begins (the first Suspend),
  // so a model can bracket the whole stretch, and no other callback comes
  // until the matching Reset at the last Resume.
  virtual void AboutToReset() {}
  virtual void Reset() {}
  // The current row moved (or none is current: row == DocumentTable::npos).
  virtual void CurrentChanged(std::size_t /*row*/) {}
};

}  // namespace vestok
