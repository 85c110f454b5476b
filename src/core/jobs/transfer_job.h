#pragma once
// The shared life of the three transfer jobs. A job runs its loop on the
// thread that calls Run (the engine's thread, or a TJobThread) and hands every
// step that touches the window, the table or the serial link to the
// user-interface thread (IMainThread), waiting for it. The worker itself opens and closes the port and tests the stop request
// between two records; moving over the table's rows happens inside the
// handed-over steps, so the window never sees the table change under it.
//
// Every job ends through EndJob, which gives the window back its pages and
// actions and disables Stop, and the port is closed before it, whatever a
// step did: an exception inside a record's step becomes that record's error
// line and the job goes on with the next record.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ecr/link_port.h"
#include "jobs/job_events.h"
#include "jobs/job_host.h"
#include "jobs/main_thread.h"
#include "jobs/operation_log.h"
#include "tables/document_table.h"

namespace vestok {

// The texts of one job kind; progress and error lines are followed by CurrentNo.
struct JobTexts {
  std::string_view FirstLine;
  std::string_view Progress;
  std::string_view Error;
  std::string_view VerdictOk;
  std::string_view VerdictErrors;
};

inline constexpr std::string_view kStopHint = "Pentru oprire apasati butonul STOP de pe Toolbar";

inline constexpr JobTexts kUploadTexts = {"Incarcare articole - start", "Incarcare articol: ",
                                          "Eroare la incarcare articol: ", "Incarcare articole incheiata fara erori",
                                          "Incarcare articole incheiata cu erori"};
inline constexpr JobTexts kDownloadTexts = {"Descarcare articole - start", "Descarcare articol: ",
                                            "Eroare la descarcare articol: ",
                                            "Descarcare articole incheiata fara erori",
                                            "Descarcare articole incheiata cu erori"};
inline constexpr JobTexts kDeleteTexts = {"Stergere articole - start", "Stergere articol: ",
                                          "Eroare la stergere articol: ", "Stergere articole incheiata fara erori",
                                          "Stergere articole incheiata cu erori"};

// The line written before the verdict of a job that Stop ended, after
// `records` records were worked on.
std::string StoppedByUserLine(std::int32_t records);

// The rows a "selection" action works on, as bookmarks in table order; none
// (std::nullopt) for an "all" action.
using RowSelection = std::optional<std::vector<Bookmark>>;

// What the window lends a job (borrowed: it outlives the job) and what it
// copies for it at creation.
struct JobSetup {
  IJobHost& Host;
  IMainThread& MainThread;
  std::string PortName;  // the link's PortName at creation
  std::int32_t Speed;    // the link's Speed at creation
  DocumentTable& Table;
  RowSelection Selection;
  TOperationLog& OperationLog;
  TLink& Link;  // the job's own link (the window's LinkPort in the window)
  IJobEvents* Events = nullptr;  // told of each record as it happens (none: nobody)
  // The caller's check kept rows of the table back: the verdict is the one
  // with errors even when every record sent went through, since the register
  // does not hold the whole table.
  bool RowsLeftOut = false;
};

// What a job did, known where it happened: read after its end.
struct TJobResult {
  bool PortOpened = false;
  std::int32_t PortError = 0;  // the port's LastErrorCode when it would not open
  bool PortGone = false;       // the link's device went away during the job
  std::int32_t Records = 0;    // records worked on (a download's end-of-table request is none)
  std::int32_t Errors = 0;     // error lines written
  bool Stopped = false;        // the stop request ended the loop
  // Rows that went through: acknowledged by the register (upload), received
  // whole into the row (download); for a delete, none (the rows are gone).
  std::vector<Bookmark> DoneRows;
  // The record numbers that went through (the deleted PLU codes for a delete).
  std::vector<std::int32_t> DoneNumbers;
};

class TTransferJob {
 public:
  virtual ~TTransferJob();
  TTransferJob(const TTransferJob&) = delete;
  TTransferJob& operator=(const TTransferJob&) = delete;

  // Runs the whole job on the calling thread, which must not be the one that
  // serves its steps (unless that is a TDirectMainThread); once only.
  void Run();

  // Any thread: the job stops before its next record.
  void RequestStop() { stop_.store(true); }
  // The thread that serves the steps: returns once the job has ended,
  // carrying out the steps the job hands over meanwhile.
  void WaitForEnd();
  bool Ended() const { return ended_.load(); }
  // A stop was asked for (the job may have ended before its last record).
  bool StopRequested() const { return stop_.load(); }

  // Read on the user-interface thread (or after the end).
  std::int32_t CurrentNo() const { return currentNo_; }
  std::int32_t ErrorCount() const { return errorCount_; }
  // After the end.
  const TJobResult& Result() const { return result_; }

 protected:
  TTransferJob(const JobTexts& texts, JobSetup setup);

  // ---- worker thread
  // The job's preparation (as one step on the user-interface thread).
  virtual void Prepare() = 0;
  // One pass on the user-interface thread: the end test of the job's loop
  // (the stop request aside), positioning on the row in hand, CurrentNo and
  // ShowRecord. False ends the loop.
  virtual bool BeginRecord() = 0;
  // The record's exchange and what follows it, on the user-interface thread.
  virtual void FinishRecord() = 0;

  // ---- user-interface thread, for the steps
  enum class Opening { Ready, FailedSilently, FailedWithError };
  Opening OpenExchange();
  // OpenExchange for the record in hand: true when the exchange can go on;
  // a failure the register should have answered is the record's error line.
  bool OpenRecordExchange();
  void ShowRecord();
  void ReportRecordError();
  // Runs one record step: an exception inside it cancels the table's
  // pending change and becomes the record's error line.
  void GuardRecordStep(const std::function<void()>& step);
  // The record in hand went through; `row`: its row, when it still has one.
  void RecordWentThrough(std::optional<Bookmark> row);
  // False when the record just worked on was no record (a download's end reply).
  virtual bool LastWasRecord() const { return true; }

  DocumentTable& table_;
  TLink& link_;
  const RowSelection selection_;
  std::size_t selectionIndex_ = 0;
  std::int32_t currentNo_ = 0;
  std::string selectionAnswer_;  // the register's answer in the last OpenExchange

 private:
  void RecordLoop();
  // After the record `recordNo`, on the user-interface thread: true when the
  // link's device has gone away, which ends the loop.
  bool EndOnLostLink(std::int32_t recordNo, std::int32_t errorsBefore);
  // Hands `step` over and waits; an exception of the step is rethrown here.
  void OnMainThread(const std::function<void()>& step);
  void BeginJob();
  void EndJob();

  const JobTexts texts_;
  IJobHost& host_;
  IMainThread& mainThread_;
  const std::string portName_;
  const std::int32_t speed_;
  TOperationLog& log_;

  std::int32_t errorCount_ = 0;
  std::int32_t recordsDone_ = 0;  // records worked on by the loop
  bool stoppedByUser_ = false;    // the loop ended on the stop request
  std::vector<bool> actionStates_;  // remembered by BeginJob, given back by EndJob
  bool statesTaken_ = false;
  bool suspended_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<bool> ended_{false};
  IJobEvents* events_;
  const bool rowsLeftOut_;
  TJobResult result_;
};

}  // namespace vestok
