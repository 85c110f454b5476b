#pragma once
// Small pieces the two port tool dialogs share: the Windows-1250 text of the
// core shown in a widget and back, the sorted port list, the window flags,
// the cable length slider.
#include <QString>
#include <QStringList>
#include <Qt>
#include <string>
#include <vector>

class QSlider;
class QWidget;

namespace vestok {

QString ToolText(const std::string& bytes);
std::string ToolBytes(const QString& text);

// Sorted as the dialogs' sorted lists sort: letter case ignored ("COM10"
// before "COM2").
QStringList SortedPortNames(const std::vector<std::string>& ports);

// A caption and nothing else: no system menu, no close box.
inline constexpr Qt::WindowFlags ToolDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// tbCableLength: 0 to 150, a tick every 10, unset.
QSlider* CableLengthSlider(QWidget* parent);

}  // namespace vestok
