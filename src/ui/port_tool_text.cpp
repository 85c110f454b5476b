#include "ui/port_tool_text.h"

#include <QSlider>
#include <algorithm>

#include "text/cp1250.h"
#include "ui/dialogs.h"

namespace vestok {

QString ToolText(const std::string& bytes) {
  const std::u16string text = Cp1250ToUtf16(bytes);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToolBytes(const QString& text) {
  return Utf16ToCp1250(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                           static_cast<std::size_t>(text.size())));
}

QStringList SortedPortNames(const std::vector<std::string>& ports) {
  QStringList names;
  for (const auto& port : ports) names.append(ToolText(port));
  std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  return names;
}

QSlider* CableLengthSlider(QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setObjectName(QStringLiteral("tbCableLength"));
  slider->setRange(0, 150);
  slider->setTickInterval(10);
  slider->setTickPosition(QSlider::TicksBelow);
  return slider;
}

TPortToolDialog::TPortToolDialog(QWidget* parent, const char* name, const QString& title, std::string configPath,
                                 IDialogs* dialogs)
    : QDialog(parent, ToolDialogFlags), configPath_(std::move(configPath)), dialogs_(dialogs ? dialogs : &QtDialogs()) {
  setObjectName(QString::fromLatin1(name));
  setWindowTitle(title);
  setModal(true);
}

}  // namespace vestok
