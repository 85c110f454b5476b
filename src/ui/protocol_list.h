#pragma once
// The toolbar's protocol list (cbProtocol). The variant decides the record
// layouts of the next transfer, so it changes only by a deliberate choice:
// the list takes no focus from Tab, ignores the mouse wheel and the arrow
// keys while it is closed, and a letter typed does not pick an item; a click,
// or Space, F4 or Alt+Down with the focus on it, opens it, and the keys move
// through it only then.
#include <QComboBox>

namespace vestok {

class TProtocolList : public QComboBox {
  Q_OBJECT
 public:
  explicit TProtocolList(QWidget* parent = nullptr);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vestok
