#include "jobs/del_thread.h"

#include "ecr/exchange.h"
#include "jobs/record_layouts.h"

namespace vestok {

TDelThread::TDelThread(JobSetup setup) : TTransferJob(kDeleteTexts, std::move(setup)) {
  const int field = table_.FieldIndex("PLUCode");
  pluField_ = field >= 0 ? field : 0;
}


void TDelThread::Prepare() {
  table_.First();
  selectionIndex_ = 0;
}

bool TDelThread::BeginRecord() {
  if (selection_) {
    while (selectionIndex_ < selection_->size() && !table_.GotoBookmark((*selection_)[selectionIndex_]))
      ++selectionIndex_;
    if (selectionIndex_ >= selection_->size()) return false;
  } else if (table_.RecordCount() == 0 || table_.Eof()) {
    return false;
  }
  currentNo_ = table_.AsInteger(pluField_);
  ShowRecord();
  return true;
}

void TDelThread::FinishRecord() {
  bool acknowledged = false;
  GuardRecordStep([&] { acknowledged = ExchangeRecord(); });
  // The row leaves the table only once the register has let the item go; the
  // next row becomes current.
  if (acknowledged) {
    RecordWentThrough(std::nullopt);
    table_.Delete();
  }
  if (selection_) ++selectionIndex_;
}

bool TDelThread::ExchangeRecord() {
  if (!OpenRecordExchange()) return false;
  std::string payload;
  const CommandResult result = SendAndReceive(link_, BuildDeleteCommand(currentNo_), payload);
  if (result == CommandResult::NotSent) return false;
  if (result == CommandResult::Replied && IsAcknowledgement(payload)) return true;
  ReportRecordError();
  return false;
}

}  // namespace vestok
