#include "jobs/load_thread.h"

#include "ecr/exchange.h"
#include "text/decimal_separator.h"

namespace vestok {

TLoadThread::TLoadThread(JobKind jobKind, JobSetup setup)
    : TTableJob(jobKind, UploadCommand(jobKind), kUploadTexts, std::move(setup)) {
}


void TLoadThread::Prepare() {
  table_.First();
  selectionIndex_ = 0;
  rowsTaken_ = 0;
  started_ = false;
}

bool TLoadThread::BeginRecord() {
  if (selection_) {
    // Bookmarks of rows that are gone (none can go while the window is
    // locked) are passed over.
    if (started_) ++selectionIndex_;
    started_ = true;
    while (selectionIndex_ < selection_->size() && !table_.GotoBookmark((*selection_)[selectionIndex_]))
      ++selectionIndex_;
    if (selectionIndex_ >= selection_->size()) return false;
  } else {
    if (started_) table_.Next();
    started_ = true;
    if (table_.Eof()) return false;
  }
  currentNo_ = jobKind_ == kStandardItems ? ++rowsTaken_ : table_.AsInteger(0);
  ShowRecord();
  return true;
}

void TLoadThread::FinishRecord() {
  GuardRecordStep([this] { ExchangeRecord(); });
}

void TLoadThread::ExchangeRecord() {
  const std::size_t row = table_.CurrentRow();
  // Nothing on the wire marks where a text ends: a text holding ";", CR or LF
  // would shift the record's fields in the register, so such a row is not sent.
  if (!UploadRecordSendable(jobKind_, table_, row)) {
    ReportRecordError();
    return;
  }
  const std::string record = BuildUploadRecord(jobKind_, table_, row, UserDecimalSeparator());
  if (!OpenRecordExchange()) return;
  for (std::int32_t attempt = 1;; ++attempt) {
    std::string payload;
    const CommandResult result = SendAndReceive(link_, record, payload);
    if (result == CommandResult::NotSent) return;
    if (result == CommandResult::Replied && IsAcknowledgement(payload)) {
      RecordWentThrough(table_.BookmarkAt(row));
      return;
    }
    if (std::int64_t(attempt) >= std::int64_t(link_.Settings.RetryCmd) + 1) {
      ReportRecordError();
      return;
    }
  }
}

}  // namespace vestok
