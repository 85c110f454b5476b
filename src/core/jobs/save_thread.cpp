#include "jobs/save_thread.h"

#include <limits>

#include "ecr/exchange.h"
#include "tables/table_file.h"

namespace vestok {

TSaveThread::TSaveThread(JobKind jobKind, JobSetup setup)
    : TTableJob(jobKind, DownloadCommand(jobKind), kDownloadTexts, std::move(setup)) {
}


void TSaveThread::Prepare() {
  selectionIndex_ = 0;
  currentNo_ = 1;
  numbersUsedUp_ = false;
  lastReply_.clear();
  // Before the port is opened: the old rows are gone even when it then fails.
  if (!selection_) EmptyTable(table_);
}

bool TSaveThread::BeginRecord() {
  if (selection_) {
    while (selectionIndex_ < selection_->size() && !table_.GotoBookmark((*selection_)[selectionIndex_]))
      ++selectionIndex_;
    if (selectionIndex_ >= selection_->size()) return false;
    currentNo_ = table_.AsInteger(0);
  } else if (IsEndReply(lastReply_) || numbersUsedUp_) {
    return false;
  }
  ShowRecord();
  return true;
}

void TSaveThread::FinishRecord() {
  GuardRecordStep([this] { RequestRecord(); });
  GuardRecordStep([this] { StoreRecord(); });
  if (selection_) ++selectionIndex_;
  NextNumber();
}

void TSaveThread::RequestRecord() {
  lastReply_.clear();
  if (!OpenRecordExchange()) return;
  std::string payload;
  switch (SendAndReceive(link_, BuildRequest(command_, currentNo_), payload)) {
    case CommandResult::Replied:
      break;
    case CommandResult::NoReply:
      ReportRecordError();
      return;
    case CommandResult::NotSent:
      return;
  }
  lastFit_ = JudgeDownloadReply(jobKind_, currentNo_, ReplyText(payload), selectionAnswer_);
  // A reply that belongs to an earlier frame (sent twice, or late) may have
  // the one to this request right behind it.
  if (lastFit_ == ReplyFit::OtherNumber || lastFit_ == ReplyFit::NotARecord) {
    std::string next;
    if (ReceiveReply(link_, next)) {
      const ReplyFit fit = JudgeDownloadReply(jobKind_, currentNo_, ReplyText(next), selectionAnswer_);
      if (fit == ReplyFit::Record || fit == ReplyFit::EndReply) {
        payload = std::move(next);
        lastFit_ = fit;
      }
    }
  }
  // A reply of NUL bytes alone stays as received: it is a reply, and no record.
  const std::string_view text = ReplyText(payload);
  lastReply_ = text.empty() ? payload : std::string(text);
}

void TSaveThread::StoreRecord() {
  if (lastReply_.empty() || IsEndReply(lastReply_)) return;
  // Nothing is stored from a reply that is no record for this request.
  if (lastFit_ != ReplyFit::Record) {
    ReportRecordError();
    return;
  }
  const std::vector<std::string> values = ParseReply(jobKind_, lastReply_);
  if (selection_)
    table_.Edit();  // the selected row, overwritten in place
  else
    table_.Append();
  StoreReplyValues(table_, values);
  table_.Post();
  RecordWentThrough(table_.BookmarkAt(table_.CurrentRow()));
}

bool TSaveThread::LastWasRecord() const { return !IsEndReply(lastReply_); }

void TSaveThread::NextNumber() {
  // No number follows the largest one: the download of all records ends
  // there (a wrapped number would ask for the first record again, for ever).
  const auto after = [this](std::int32_t n) {
    if (n == std::numeric_limits<std::int32_t>::max())
      numbersUsedUp_ = true;
    else
      currentNo_ = n + 1;
  };
  if (jobKind_ >= kStandardJobKinds) {
    after(currentNo_);
    return;
  }
  // "Seria A" registers may answer with a later record than the one asked
  // for: go on after the larger of the two.
  const std::int32_t stored = table_.AsInteger(0);  // no current row reads as 0
  after(stored > currentNo_ ? stored : currentNo_);
}

}  // namespace vestok
