#include "ui/register_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>
#include <map>
#include <set>

#include "engine/engine.h"
#include "text/cp1250.h"
#include "text/number_text.h"
#include "ui/engine_face.h"
#include "ui/file_path_text.h"
#include "ui/job_tag.h"
#include "ui/main_window.h"
#include "ui/table_grid.h"
#include "ui/table_model.h"

namespace vestok {

namespace {

QString Q(const std::string& cp1250) {
  const std::u16string u = Cp1250ToUtf16(cp1250);
  return QString::fromUtf16(u.data(), qsizetype(u.size()));
}

const QString kBackupQuestion = QStringLiteral(
    "Salvarea completa va descarca toate tabelele casei de marcat intr-un dosar.\n\rConfirmati salvarea?");
const QString kRestoreEmpty =
    QStringLiteral("Dosarul ales nu contine tabele care pot fi incarcate in casa de marcat.");
const QString kNoChanges = QStringLiteral("Nu exista modificari fata de ultimul schimb cu casa.");
const QString kNoDifferences = QStringLiteral("Nu exista diferente fata de casa de marcat.");
const QString kCompareFirst = QStringLiteral("Comparati mai intai tabelul cu casa (Compara cu casa).");
const QString kSameTable = QStringLiteral("Tabelul este identic cu cel din casa de marcat.");
constexpr std::string_view kCompareFirstLine = "Comparare cu casa";
const TFileDialogSpec kFolderSpec{QStringLiteral("Dosarul salvarii casei"),
                                  {QStringLiteral("Salvare casa (register.txt)")}, QStringLiteral("txt")};

// The reasons of an outcome, one per line of a box.
QString Lines(const std::vector<std::string>& reasons) {
  std::string text;
  for (const std::string& r : reasons) text += (text.empty() ? "" : "\n") + r;
  return Q(text);
}

std::string FolderOf(const QString& file) {
  return std::filesystem::path(PathBytes(file)).parent_path().string();
}

}  // namespace

TRegisterMenu::TRegisterMenu(TfMain& window) : QObject(&window), w_(window) {}

TRegisterMenu::~TRegisterMenu() = default;

void TRegisterMenu::AddMenu(QMenuBar* bar) {
  mRegister = bar->addMenu(QStringLiteral("&Casa"));
  mRegister->setObjectName("mRegister");
  auto make = [&](const char* name, const QString& text, void (TRegisterMenu::*slot)()) {
    QAction* a = mRegister->addAction(text);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  aBackup = make("aRegisterBackup", QStringLiteral("&Salvare completa casa..."), &TRegisterMenu::Backup);
  aRestore = make("aRegisterRestore", QStringLiteral("&Restaurare casa..."), &TRegisterMenu::Restore);
  mRegister->addSeparator();
  aCompare = make("aRegisterCompare", QStringLiteral("&Compara cu casa"), &TRegisterMenu::Compare);
  aUploadDifferences =
      make("aUploadDifferences", QStringLiteral("Incarca diferente"), &TRegisterMenu::UploadDifferences);
  aUploadChanges = make("aUploadChanges", QStringLiteral("Incarca &modificari"), &TRegisterMenu::UploadChanges);
}

bool TRegisterMenu::Busy() const { return w_.JobRunning() || !w_.Shown(); }

void TRegisterMenu::RegisterChanging(TableKind kind) {
  if (!comparison_ || (kind != tkNone && kind != comparedKind_)) return;
  comparison_.reset();
  if (TTableGrid* grid = w_.Grids()[comparedKind_]; grid != nullptr && grid->Model() != nullptr)
    grid->Model()->SetCompareMarks({}, {});
}

// ---- backup and restore

void TRegisterMenu::Backup() {
  if (Busy()) return;
  IDialogs& d = w_.Dialogs();
  if (d.Message(&w_, TMessageKind::Warning, kBackupQuestion, TMessageButtons::YesNo) != TMessageAnswer::Yes) return;
  const std::optional<QString> file = d.SaveFileName(&w_, kFolderSpec);
  if (!file) return;
  const std::string folder = FolderOf(*file);
  w_.SetStatusText(1, QString());  // an earlier verdict must not stand for a run refused at once
  w_.StartOperation(kTagRegisterRun, [folder](TEngine& engine) { return engine.Backup(folder); },
                    [this](const TOutcome& o) {
                      // The folder, or the files that could not be written: the backup is not whole.
                      if (o.Kind == TOutcomeKind::FileFailed && !o.Reasons.empty())
                        w_.Dialogs().Message(&w_, TMessageKind::Error, Lines(o.Reasons), TMessageButtons::Ok);
                    });
}

void TRegisterMenu::Restore() {
  if (Busy()) return;
  IDialogs& d = w_.Dialogs();
  const std::optional<QString> file = d.OpenFileName(&w_, kFolderSpec);
  if (!file) return;
  const std::string folder = FolderOf(*file);
  RegisterChanging(tkNone);
  w_.SetStatusText(1, QString());
  w_.StartOperation(kTagRegisterRun, [folder](TEngine& engine) { return engine.Restore(folder); },
                    [this](const TOutcome& o) {
                      if (o.Kind != TOutcomeKind::Refused || o.RegisterAnswered) return;
                      // Nothing was sent: every reason in one box.
                      w_.Dialogs().Message(&w_, TMessageKind::Error, o.Reasons.empty() ? kRestoreEmpty : Lines(o.Reasons),
                                           TMessageButtons::Ok);
                    });
}

// ---- compare, and uploads of what differs

void TRegisterMenu::Compare() {
  if (Busy()) return;
  const TableKind kind = w_.CurrentTableKind();
  if (kind >= kTableCount) return;
  w_.SettleForJob(kind);
  comparison_.reset();
  registerTable_ = std::make_unique<DocumentTable>(TableDefinition(kind));
  registerTable_->Open();
  DocumentTable& table = *w_.Tables()[kind];
  DocumentTable& reg = *registerTable_;
  auto result = std::make_shared<TCompareResult>();
  w_.StartOperation(kTagRegisterRun, [&table, &reg, result](TEngine& e) { return e.Compare(table, reg, *result); },
                    [this, kind, result](const TOutcome& o) {
                      if (o.Kind != TOutcomeKind::Done) return;
                      comparison_ = result->Comparison;
                      comparedKind_ = kind;
                      MarkComparison(kind);
                      if (comparison_->Same())
                        w_.Dialogs().Message(&w_, TMessageKind::Information, kSameTable, TMessageButtons::Ok);
                      else
                        w_.EngineFace().ShowFindings(result->Lines, kCompareFirstLine);
                    });
}

// The grid shows the rows the register lacks and the cells that differ from it.
void TRegisterMenu::MarkComparison(TableKind kind) {
  TTableGrid* grid = w_.Grids()[kind];
  if (grid == nullptr || grid->Model() == nullptr || !comparison_) return;
  const DocumentTable& table = *w_.Tables()[kind];
  std::set<Bookmark> added;
  for (std::size_t r : comparison_->Added) added.insert(table.BookmarkAt(r));
  std::map<Bookmark, std::set<int>> changed;
  for (const ChangedRow& c : comparison_->Changed)
    changed[table.BookmarkAt(c.Row)].insert(c.Fields.begin(), c.Fields.end());
  grid->Model()->SetCompareMarks(std::move(added), std::move(changed));
}

void TRegisterMenu::UploadDifferences() {
  if (Busy()) return;
  const TableKind kind = w_.CurrentTableKind();
  IDialogs& d = w_.Dialogs();
  if (!comparison_ || kind != comparedKind_ || !registerTable_) {
    d.Message(&w_, TMessageKind::Information, kCompareFirst, TMessageButtons::Ok);
    return;
  }
  const JobKind job = JobKindOf(w_.ProtocolVariant(), kind);
  if (UploadCommand(job).empty()) return;
  w_.SettleForJob(kind);
  // The grid may have changed since the compare.
  DocumentTable& table = *w_.Tables()[kind];
  const TableComparison now = CompareTables(job, table, *registerTable_, ReferenceForm::Downloaded);
  const std::size_t count = now.RowsToSend().size();
  if (count == 0) {
    d.Message(&w_, TMessageKind::Information, kNoDifferences, TMessageButtons::Ok);
    return;
  }
  const std::string text = "Se vor incarca in casa de marcat " + IntToText(std::int64_t(count)) +
                           " inregistrari adaugate sau modificate.\n\rConfirmati incarcarea?";
  if (d.Message(&w_, TMessageKind::Warning, Q(text), TMessageButtons::YesNo) != TMessageAnswer::Yes) return;
  bool deleteMissing = false;
  if (kind == tkItems && !now.Missing.empty()) {
    // Deleting is never the default: Enter keeps the register's items.
    const std::string question = "In casa de marcat exista " + IntToText(std::int64_t(now.Missing.size())) +
                                 " articole care lipsesc din tabel.\n\rStergeti-le din casa dupa incarcare?";
    deleteMissing =
        d.Message(&w_, TMessageKind::Warning, Q(question), TMessageButtons::YesNoDefaultNo) == TMessageAnswer::Yes;
  }
  RegisterChanging(kind);
  DocumentTable& reg = *registerTable_;
  w_.StartOperation(kTagUpload, [&table, &reg, deleteMissing](TEngine& e) {
    return e.UploadDifferences(table, reg, deleteMissing);
  });
}

void TRegisterMenu::UploadChanges() {
  if (Busy()) return;
  const TableKind kind = w_.CurrentTableKind();
  if (kind >= kTableCount) return;
  if (UploadCommand(JobKindOf(w_.ProtocolVariant(), kind)).empty()) return;
  w_.SettleForJob(kind);
  RegisterChanging(kind);
  DocumentTable& table = *w_.Tables()[kind];
  w_.StartOperation(kTagUpload, [&table](TEngine& e) { return e.Upload(table, std::nullopt, true); },
                    [this](const TOutcome& o) {
                      if (o.NothingToSend)
                        w_.Dialogs().Message(&w_, TMessageKind::Information, kNoChanges, TMessageButtons::Ok);
                    });
}

}  // namespace vestok
