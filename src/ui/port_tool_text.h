#pragma once
// Small pieces the two port tool dialogs share: the Windows-1250 text of the
// core shown in a widget and back, the sorted port list, the window flags,
// the cable length slider, the dialog set-up.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <Qt>
#include <string>
#include <vector>

class QSlider;
class QWidget;

namespace vestok {

class IDialogs;

QString ToolText(const std::string& bytes);
std::string ToolBytes(const QString& text);

// Sorted as the dialogs' sorted lists sort: letter case ignored ("COM10"
// before "COM2").
QStringList SortedPortNames(const std::vector<std::string>& ports);

// A caption and nothing else: no system menu, no close box.
inline constexpr Qt::WindowFlags ToolDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// tbCableLength: 0 to 150, a tick every 10, unset.
QSlider* CableLengthSlider(QWidget* parent);

// A port tool dialog: modal, a caption and nothing else, the settings file
// it writes and the dialogs that answer its message boxes (the real ones
// when none is given).
class TPortToolDialog : public QDialog {
 protected:
  TPortToolDialog(QWidget* parent, const char* name, const QString& title, std::string configPath,
                  IDialogs* dialogs);

  std::string configPath_;
  IDialogs* dialogs_;
};

}  // namespace vestok
