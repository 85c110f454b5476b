// Jobs against registers that misbehave on purpose: a 0x00 lead byte with a
// late end reply, every reply sent twice, an acknowledgement that comes after
// the next send, records with a valid check and nothing in them. Each job
// must end, store exactly what the register holds, and name every record it
// could not take.
#include "jobs/job_fixture.h"
#include "jobs/reply_guard.h"

namespace vestok {
namespace {

SimRecord Item(const std::string& plu) { return {plu, "X" + plu, "1", "", "1.00", "0", "1", "1", ""}; }

class HostileRegister : public JobTest {
 protected:
  void Start(TSimRegister reg, SimVariant variant, char leadByte = '\n') {
    TSimOptions options;
    options.Registers = {std::move(reg)};
    options.Variant = variant;
    options.LeadByte = leadByte;
    sim = std::make_unique<EcrSimulator>(std::move(options));
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    port = sim->SlavePath();
  }
  void PreloadItems(int count) {
    std::vector<SimRecord> records;
    for (int i = 1; i <= count; ++i) records.push_back(Item(std::to_string(i * 10)));
    Preload(SimTable::Items, records);
  }
  static Lines Plus(int count) {
    Lines out;
    for (int i = 1; i <= count; ++i) out.push_back(std::to_string(i * 10));
    return out;
  }
  DocumentTable items{TableDefinition(tkItems)};
};

TEST_F(HostileRegister, ZeroLeadByteWithALateEndReplyEndsTheDownload) {
  LinkSettings.RetryByte = 6;
  TSimRegister r;
  r.Faults.EndReplyDelayMs = 150;  // after the waits: NUL bytes in front of LF "E"
  Start(r, SimVariant::Standard, '\0');
  PreloadItems(2);
  StopAt("Descarcare articol: 6");  // ends the job should the end reply be missed
  Download(kStandardItems, Opened(items));
  EXPECT_EQ(FirstFields(items), Plus(2));
  EXPECT_EQ(Commands(), (Lines{"R0;1;", "R0;2;", "R0;3;"}));
  EXPECT_EQ(log.Lines().back(), "Descarcare articole incheiata fara erori");
}

TEST_F(HostileRegister, RepliesSentTwiceShiftNothing) {
  TSimRegister r;
  r.Faults.ReplyTwice = true;
  for (const auto variant : {SimVariant::Standard, SimVariant::SeriaA}) {
    SCOPED_TRACE(variant == SimVariant::Standard ? "Standard" : "Seria A");
    Start(r, variant);
    PreloadItems(10);
    StopAt("Descarcare articol: 15");
    DocumentTable table{TableDefinition(tkItems)};
    Download(variant == SimVariant::Standard ? kStandardItems : 0, Opened(table));
    EXPECT_EQ(FirstFields(table), Plus(10));
    EXPECT_EQ(log.Lines().back(), "Descarcare articole incheiata fara erori");
    job.reset();
  }
}

TEST_F(HostileRegister, AnAcknowledgementAfterTheNextSendIsNotTakenForARefusedRecord) {
  TSimRegister r;
  r.Faults.SlowCommandNo = 2;         // the first send of the second record ...
  r.Faults.SlowCommandDelayMs = 250;  // ... is answered after the program has sent it again
  r.Faults.RefusedPlu = 40;
  Start(r, SimVariant::SeriaA);
  Opened(items);
  AddRow(items, {"12", "COLA", "1", "", "3.5", "0", "1", "2", ""});
  AddRow(items, {"7", "APA", "2", "", "1.25", "1", "1", "3", ""});
  AddRow(items, {"40", "PAINE", "1", "", "0.5", "2", "2", "1", ""});
  Upload(0, items);
  Lines errors;
  for (const auto& line : log.Lines())
    if (line.starts_with("Eroare")) errors.push_back(line);
  EXPECT_EQ(errors, (Lines{"Eroare la incarcare articol: 40"}));
  EXPECT_EQ(log.Lines().back(), "Incarcare articole incheiata cu erori");
  EXPECT_EQ(Stored(SimTable::Items).size(), 2u);
}

TEST_F(HostileRegister, RecordsWithAValidCheckAndNoFieldsAreErrorsNotRows) {
  TSimRegister r;
  r.Faults.HollowRecords = true;
  Start(r, SimVariant::Standard);
  PreloadItems(3);
  StopAt("Descarcare articol: 8");
  Download(kStandardItems, Opened(items));
  EXPECT_EQ(items.RecordCount(), 0u);
  EXPECT_EQ(log.Lines(), (Lines{"Descarcare articole - start", "Descarcare articol: 1", "Eroare la descarcare articol: 1",
                                "Descarcare articol: 2", "Eroare la descarcare articol: 2", "Descarcare articol: 3",
                                "Eroare la descarcare articol: 3", "Descarcare articol: 4",
                                "Descarcare articole incheiata cu erori"}));
}

TEST(ReplyGuard, RepliesThatBelongToAnotherFrameAreNoRecords) {
  const std::string answer = "RO0000001;1;SIM;";
  // The answer to a second selection frame, read as a sales record.
  EXPECT_EQ(JudgeDownloadReply(1, 1, answer, answer), ReplyFit::NotARecord);
  EXPECT_EQ(JudgeDownloadReply(1, 1, "T0;1;X;", answer), ReplyFit::Record);
  // The Standard item replies carry the number asked; "Seria A" may skip ahead, never back.
  EXPECT_EQ(JudgeDownloadReply(kStandardItems, 3, "R0;2;20;X;", {}), ReplyFit::OtherNumber);
  EXPECT_EQ(JudgeDownloadReply(kStandardItems, 3, "R0;3;30;X;", {}), ReplyFit::Record);
  EXPECT_EQ(JudgeDownloadReply(0, 6, "I0;5;X;", {}), ReplyFit::OtherNumber);
  EXPECT_EQ(JudgeDownloadReply(0, 6, "I0;20;X;", {}), ReplyFit::Record);
  EXPECT_EQ(JudgeDownloadReply(0, 6, "I0;;X;", {}), ReplyFit::NotARecord);
  EXPECT_EQ(JudgeDownloadReply(9, 2, "R1;1;1;", {}), ReplyFit::Record);  // always record 1
  // Late replies: the time-out NULs and the register's own lead LF go.
  EXPECT_EQ(ReplyText(std::string("\0\0\n\nE", 5)), "\nE");
  EXPECT_EQ(ReplyText(std::string("\0\nD", 3)), "\nD");
  EXPECT_EQ(ReplyText("\n\nD"), "\n\nD");  // in time: as received
}

}  // namespace
}  // namespace vestok
