#pragma once
// The About box: the program's name, version and maker.
#include <QDialog>

#include "program_version.h"

namespace vestok {

inline constexpr const char* kProgramMaker = "Quorlan Engineering";

class TfAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfAbout(QWidget* parent = nullptr);
};

}  // namespace vestok
