#pragma once
// The download job: reads records from the register into the table. Without
// a selection the table is emptied and records are requested one number
// after another until the register gives an end reply (or Stop); with one,
// each selected row is asked for again by its first field and overwritten.
#include "jobs/reply_guard.h"
#include "jobs/table_job.h"

namespace vestok {

class TSaveThread : public TTableJob {
 public:
  // `jobKind` must have a download command.
  TSaveThread(JobKind jobKind, JobSetup setup);

 private:
  void Prepare() override;
  bool BeginRecord() override;
  void FinishRecord() override;
  void RequestRecord();
  void StoreRecord();
  void NextNumber();

  bool LastWasRecord() const override;
  std::string lastReply_;  // ReplyText of the last record reply; empty: none
  ReplyFit lastFit_ = ReplyFit::Record;
  bool numbersUsedUp_ = false;  // the largest record number has been asked for
};

}  // namespace vestok
