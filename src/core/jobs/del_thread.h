#pragma once
// The delete job: deletes items in the register by their PLU codes and
// removes from the items table every row whose deletion the register
// acknowledged. Without a selection it works from the first row until the
// table is empty (a refused row is sent again on every pass, until Stop);
// with one, each selected row is tried once.
#include "jobs/transfer_job.h"

namespace vestok {

class TDelThread : public TTransferJob {
 public:
  // `setup.Table` is the items table.
  explicit TDelThread(JobSetup setup);

 private:
  void Prepare() override;
  bool BeginRecord() override;
  void FinishRecord() override;
  bool ExchangeRecord();  // true: the register acknowledged the deletion

  int pluField_ = 0;
};

}  // namespace vestok
