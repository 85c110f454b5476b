#include "ui/dialogs.h"

#include <QApplication>
#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

namespace vestok {

namespace {

QMessageBox::Icon IconOf(TMessageKind kind) {
  switch (kind) {
    case TMessageKind::Plain: return QMessageBox::NoIcon;
    case TMessageKind::Information: return QMessageBox::Information;
    case TMessageKind::Warning: return QMessageBox::Warning;
    case TMessageKind::Error: return QMessageBox::Critical;
    case TMessageKind::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// On the offscreen and minimal platforms no one can see a box, let alone press
// its button: a batch run started by a script on a machine without a display
// would wait for ever. There a box writes its text to the error output and
// counts as closed; a file dialog counts as cancelled.
bool NobodyCanAnswer() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

std::optional<QString> RunFileDialog(QWidget* parent, const TFileDialogSpec& spec, bool save) {
  if (NobodyCanAnswer()) return std::nullopt;
  QFileDialog dialog(parent, spec.Title);
  // Both dialogs start in the folder of the file chosen last in this run.
  if (!LastDialogFolder().isEmpty()) dialog.setDirectory(LastDialogFolder());
  dialog.setNameFilters(spec.Filters);
  dialog.setDefaultSuffix(spec.DefaultExtension);
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  RememberDialogFolder(files.front());
  return files.front();
}

}  // namespace

TMessageAnswer ClosedAnswer(TMessageButtons buttons) {
  switch (buttons) {
    case TMessageButtons::Ok: return TMessageAnswer::Ok;
    case TMessageButtons::OkCancel: return TMessageAnswer::Cancel;
    case TMessageButtons::YesNo:
    case TMessageButtons::YesNoDefaultNo: return TMessageAnswer::No;
  }
  return TMessageAnswer::Cancel;
}

static QString& LastFolderOfRun() {
  static QString folder;
  return folder;
}

QString LastDialogFolder() { return LastFolderOfRun(); }

void RememberDialogFolder(const QString& chosenFile) {
  const QFileInfo info(chosenFile);
  if (!chosenFile.isEmpty()) LastFolderOfRun() = info.absolutePath();
}

void SetRomanianButtonTexts(QMessageBox& box) {
  // Without Qt's Romanian translation its buttons would read Yes and No.
  if (QAbstractButton* yes = box.button(QMessageBox::Yes)) yes->setText(QStringLiteral("&Da"));
  if (QAbstractButton* no = box.button(QMessageBox::No)) no->setText(QStringLiteral("&Nu"));
  if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) cancel->setText(QStringLiteral("Renunta"));
}

TMessageAnswer TQtDialogs::Message(QWidget* parent, TMessageKind kind, const QString& text,
                                   TMessageButtons buttons) {
  if (NobodyCanAnswer()) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    return ClosedAnswer(buttons);
  }
  QMessageBox box(IconOf(kind), QApplication::applicationName(), text, QMessageBox::NoButton, parent);
  switch (buttons) {
    case TMessageButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case TMessageButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case TMessageButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case TMessageButtons::YesNoDefaultNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      break;
  }
  SetRomanianButtonTexts(box);
  switch (box.exec()) {
    case QMessageBox::Ok: return TMessageAnswer::Ok;
    case QMessageBox::Yes: return TMessageAnswer::Yes;
    case QMessageBox::No: return TMessageAnswer::No;
    case QMessageBox::Cancel: return TMessageAnswer::Cancel;
    default: return ClosedAnswer(buttons);
  }
}

std::optional<QString> TQtDialogs::OpenFileName(QWidget* parent, const TFileDialogSpec& spec) {
  return RunFileDialog(parent, spec, false);
}

std::optional<QString> TQtDialogs::SaveFileName(QWidget* parent, const TFileDialogSpec& spec) {
  return RunFileDialog(parent, spec, true);
}

IDialogs& QtDialogs() {
  static TQtDialogs dialogs;
  return dialogs;
}

}  // namespace vestok
