#pragma once
// What the upload and the download job share: the record layout they move
// (their JobKind) and the register command that carries its records.
#include <string>
#include <utility>

#include "jobs/record_layouts.h"
#include "jobs/transfer_job.h"

namespace vestok {

class TTableJob : public TTransferJob {
 public:
  JobKind Kind() const { return jobKind_; }
  const std::string& Command() const { return command_; }

 protected:
  TTableJob(JobKind jobKind, std::string command, const JobTexts& texts, JobSetup setup)
      : TTransferJob(texts, std::move(setup)), jobKind_(jobKind), command_(std::move(command)) {}

  const JobKind jobKind_;
  const std::string command_;
};

}  // namespace vestok
