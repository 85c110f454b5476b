// Jobs whose register line goes away in the middle: the far end of the
// pseudo-terminal is closed while a record is in hand. Every job ends by
// itself through EndJob, soon and without spinning, with that record's error
// line and the verdict with errors, and leaves the port closed.
#include <sys/resource.h>

#include <chrono>

#include "jobs/job_thread.h"
#include "support/window_state_for_tests.h"
#include "jobs/job_fixture.h"

namespace vestok {
namespace {

SimRecord Item(const std::string& plu) { return {plu, "X", "1", "", "1.00", "0", "1", "1", ""}; }

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

class VanishedPort : public JobTest {
 protected:
  // The register's end of the line is closed when panel 1 first shows `line`.
  void VanishAt(const std::string& line) {
    host.onStatus = [this, line](int panel, const std::string& text) {
      if (panel == 1 && text == line && sim) sim->Stop();
    };
  }
  // Runs the job until it ends; one still running after a generous bound is
  // stopped as a user would, and the test fails.
  void RunBounded(std::unique_ptr<TTransferJob> started) {
    job = std::move(started);
    const auto t0 = std::chrono::steady_clock::now();
    const double cpu0 = CpuSeconds();
    bool stoppedByTest = false;
    mainThread.ServeUntil([&] {
      if (!stoppedByTest && std::chrono::steady_clock::now() - t0 > std::chrono::seconds(5)) {
        stoppedByTest = true;
        job->RequestStop();
      }
      return job->Ended();
    });
    job->WaitForEnd();
    const auto elapsed = std::chrono::steady_clock::now() - t0;
    EXPECT_FALSE(stoppedByTest) << "the job did not end by itself; log lines: " << log.Lines().size();
    EXPECT_LT(elapsed, std::chrono::seconds(2));
    EXPECT_LT(CpuSeconds() - cpu0, 1.0);
    EXPECT_FALSE(host.stopEnabled);
    EXPECT_TRUE(host.pagesEnabled);
    EXPECT_EQ(host.actions, (std::vector<bool>{true, false, true, false, true}));
    EXPECT_FALSE(LinkPort);
  }
  // The log from the progress line of `progress` on.
  Lines LogFrom(const std::string& progress) const {
    const Lines all = log.Lines();
    for (std::size_t i = 0; i < all.size(); ++i)
      if (all[i] == progress) return Lines(all.begin() + std::ptrdiff_t(i), all.end());
    return all;
  }

  DocumentTable items{TableDefinition(tkItems)};
};

TEST_F(VanishedPort, DownloadOfAllEndsAfterTheRecordInHandKeepingTheRowsReceived) {
  StartSim();
  Preload(SimTable::Items, {Item("1"), Item("2"), Item("3"), Item("4"), Item("5")});
  VanishAt("Descarcare articol: 3");
  RunBounded(std::make_unique<TJobThread<TSaveThread>>(0, Setup(Opened(items))));
  EXPECT_EQ(LogFrom("Descarcare articol: 3"),
            (Lines{"Descarcare articol: 3", "Eroare la descarcare articol: 3", "Descarcare articole incheiata cu erori"}));
  EXPECT_EQ(FirstFields(items), (Lines{"1", "2"}));
}

TEST_F(VanishedPort, DeleteOfAllEndsInsteadOfRetryingTheSameRowForEver) {
  StartSim();
  Opened(items);
  for (int i = 1; i <= 5; ++i) AddRow(items, {std::to_string(i)});
  VanishAt("Stergere articol: 3");
  RunBounded(std::make_unique<TJobThread<TDelThread>>(Setup(items)));
  EXPECT_EQ(LogFrom("Stergere articol: 3"),
            (Lines{"Stergere articol: 3", "Eroare la stergere articol: 3", "Stergere articole incheiata cu erori"}));
  EXPECT_EQ(FirstFields(items), (Lines{"3", "4", "5"}));
}

TEST_F(VanishedPort, UploadEndsWithAnErrorInsteadOfPassingOverTheRestInSilence) {
  StartSim();
  Opened(items);
  for (int i = 1; i <= 50; ++i) AddRow(items, {std::to_string(i), "N"});
  VanishAt("Incarcare articol: 3");
  RunBounded(std::make_unique<TJobThread<TLoadThread>>(0, Setup(items)));
  EXPECT_EQ(LogFrom("Incarcare articol: 3"),
            (Lines{"Incarcare articol: 3", "Eroare la incarcare articol: 3", "Incarcare articole incheiata cu erori"}));
}

TEST_F(VanishedPort, SelectionJobsEndToo) {
  StartSim();
  Opened(items);
  for (int i = 1; i <= 4; ++i) AddRow(items, {std::to_string(i)});
  const RowSelection all = std::vector<Bookmark>{items.BookmarkAt(0), items.BookmarkAt(1), items.BookmarkAt(2),
                                                 items.BookmarkAt(3)};
  VanishAt("Stergere articol: 2");
  RunBounded(std::make_unique<TJobThread<TDelThread>>(Setup(items, all)));
  EXPECT_EQ(LogFrom("Stergere articol: 2"),
            (Lines{"Stergere articol: 2", "Eroare la stergere articol: 2", "Stergere articole incheiata cu erori"}));
  EXPECT_EQ(FirstFields(items), (Lines{"2", "3", "4"}));
}

}  // namespace
}  // namespace vestok
