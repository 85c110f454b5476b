#include "jobs/transfer_job.h"

#include <exception>

#include "ecr/exchange.h"
#include "ecr/link_port.h"
#include "text/number_text.h"

namespace vestok {

std::string StoppedByUserLine(std::int32_t records) {
  return "Operatie oprita de utilizator dupa " + IntToText(records) + (records == 1 ? " articol" : " articole");
}

TTransferJob::TTransferJob(const JobTexts& texts, JobSetup setup)
    : table_(setup.Table),
      link_(setup.Link),
      selection_(std::move(setup.Selection)),
      texts_(texts),
      host_(setup.Host),
      mainThread_(setup.MainThread),
      portName_(std::move(setup.PortName)),
      speed_(setup.Speed),
      log_(setup.OperationLog),
      events_(setup.Events),
      rowsLeftOut_(setup.RowsLeftOut) {}

TTransferJob::~TTransferJob() = default;

void TTransferJob::WaitForEnd() {
  mainThread_.ServeUntil([this] { return ended_.load(); });
}

void TTransferJob::OnMainThread(const std::function<void()>& step) {
  std::exception_ptr error;
  mainThread_.RunOnMainThread([&] {
    try {
      step();
    } catch (...) {
      error = std::current_exception();
    }
  });
  if (error) std::rethrow_exception(error);
}

void TTransferJob::Run() {
  try {
    OnMainThread([this] { BeginJob(); });
  } catch (...) {
    // The window could not be locked completely; EndJob still gives it back.
  }
  try {
    OnMainThread([this] { Prepare(); });
    if (OpenLink(link_, portName_, speed_)) {
      result_.PortOpened = true;
      RecordLoop();
    } else {
      result_.PortError = link_.LastOpenError;
    }
  } catch (...) {
    // A step outside any record failed (the table refused a move): no further
    // record can be worked on, so the job ends as usual.
  }
  result_.PortGone = LinkLost(link_);
  CloseLink(link_);
  try {
    OnMainThread([this] { EndJob(); });
  } catch (...) {
  }
  ended_.store(true);
  mainThread_.Wake();
}

void TTransferJob::RecordLoop() {
  bool lost = false;
  while (!lost) {
    if (stop_.load()) {
      stoppedByUser_ = true;
      break;
    }
    bool more = false;
    OnMainThread([&] { more = BeginRecord(); });
    if (!more) break;
    OnMainThread([&] {
      const std::int32_t recordNo = currentNo_;
      const std::int32_t errorsBefore = errorCount_;
      FinishRecord();
      if (LastWasRecord()) ++recordsDone_;
      lost = EndOnLostLink(recordNo, errorsBefore);
    });
  }
}

bool TTransferJob::EndOnLostLink(std::int32_t recordNo, std::int32_t errorsBefore) {
  // A port whose device has gone away fails every further record at once: a
  // download or delete of all records would log errors for ever, and an
  // upload would pass over its rows in silence. The record in hand counts as
  // failed (its own steps may have failed without a line, as for a port that
  // refuses a send) and the job ends with its verdict with errors.
  if (!LinkLost(link_)) return false;
  currentNo_ = recordNo;  // the download has moved on to the next number already
  if (errorCount_ == errorsBefore) ReportRecordError();
  return true;
}

void TTransferJob::BeginJob() {
  host_.SetPagesEnabled(false);
  actionStates_ = host_.ActionStates();
  statesTaken_ = true;
  host_.SetActionStates(std::vector<bool>(actionStates_.size(), false));
  host_.SetStopEnabled(true);
  errorCount_ = 0;
  log_.Clear();
  log_.Add(std::string(texts_.FirstLine));
  if (events_ != nullptr) events_->JobBegun(std::string(texts_.FirstLine));
  host_.SetStatusText(2, std::string(kStopHint));
  table_.SuspendNotifications();
  suspended_ = true;
}

void TTransferJob::EndJob() {
  host_.SetPagesEnabled(true);
  if (statesTaken_) host_.SetActionStates(actionStates_);
  host_.SetStopEnabled(false);
  // A job that Stop ended says so before its verdict, which alone would read
  // as complete; the line stays in panel 2 beside the verdict.
  const std::string stopped = stoppedByUser_ ? StoppedByUserLine(recordsDone_) : std::string();
  if (stoppedByUser_) log_.Add(stopped);
  const std::string verdict(errorCount_ == 0 && !rowsLeftOut_ ? texts_.VerdictOk : texts_.VerdictErrors);
  result_.Records = recordsDone_;
  result_.Errors = errorCount_;
  result_.Stopped = stoppedByUser_;
  if (events_ != nullptr) {
    if (stoppedByUser_) events_->JobStopped(recordsDone_, stopped);
    events_->JobVerdict(verdict, errorCount_);
  }
  host_.SetStatusText(1, verdict);
  log_.Add(verdict);
  host_.SetStatusText(2, stopped);
  if (suspended_) {
    suspended_ = false;
    table_.ResumeNotifications();
  }
}

bool TTransferJob::OpenRecordExchange() {
  switch (OpenExchange()) {
    case Opening::Ready:
      return true;
    case Opening::FailedWithError:
      ReportRecordError();
      return false;
    case Opening::FailedSilently:
      return false;
  }
  return false;
}

void TTransferJob::ShowRecord() {
  const std::string line = std::string(texts_.Progress) + IntToText(currentNo_);
  host_.SetStatusText(1, line);
  log_.Add(line);
}

void TTransferJob::ReportRecordError() {
  ++errorCount_;
  const std::string line = std::string(texts_.Error) + IntToText(currentNo_);
  host_.SetStatusText(1, line);
  log_.Add(line);
  if (events_ != nullptr) events_->RecordFailed(currentNo_, line);
}

void TTransferJob::RecordWentThrough(std::optional<Bookmark> row) {
  if (row) result_.DoneRows.push_back(*row);
  result_.DoneNumbers.push_back(currentNo_);
  if (events_ != nullptr) events_->RecordDone(currentNo_, std::int32_t(result_.DoneNumbers.size()));
}

void TTransferJob::GuardRecordStep(const std::function<void()>& step) {
  try {
    step();
  } catch (...) {
    // A value that does not convert, a table that refuses a write: the
    // record is not stored, the job goes on.
    try {
      table_.Cancel();
    } catch (...) {
    }
    ReportRecordError();
  }
}

TTransferJob::Opening TTransferJob::OpenExchange() {
  selectionAnswer_.clear();
  switch (SelectionHandshake(link_, std::int16_t(link_.Settings.LogicNo), link_.Settings.CableTimeout, &selectionAnswer_)) {
    case HandshakeResult::Ready:
      PurgeLink(link_);
      return Opening::Ready;
    case HandshakeResult::NoAnswer:
    case HandshakeResult::BadAnswer:
      return Opening::FailedWithError;
    case HandshakeResult::DeselectFailed:
    case HandshakeResult::AckFailed:
      break;
  }
  return Opening::FailedSilently;
}

}  // namespace vestok
