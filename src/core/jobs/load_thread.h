#pragma once
// The upload job: writes the rows of a table into the register, one record
// per row, each repeated until the register acknowledges it (at most
// RetryCmd + 1 sends). The table is read, never changed.
#include "jobs/table_job.h"

namespace vestok {

class TLoadThread : public TTableJob {
 public:
  // `jobKind` must have an upload command.
  TLoadThread(JobKind jobKind, JobSetup setup);

 private:
  void Prepare() override;
  bool BeginRecord() override;
  void FinishRecord() override;
  void ExchangeRecord();

  bool started_ = false;  // the first row has been taken
  std::int32_t rowsTaken_ = 0;
};

}  // namespace vestok
