#include "ui/about_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace vestok {

TfAbout::TfAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("fAbout");
  setWindowTitle("Despre Vestok");
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
  icon->setAlignment(Qt::AlignHCenter);
  layout->addWidget(icon);

  auto* name = new QLabel(QStringLiteral("<b>Vestok</b>"), this);
  name->setObjectName("lbProduct");
  name->setAlignment(Qt::AlignHCenter);
  layout->addWidget(name);

  auto* version = new QLabel(QStringLiteral("Versiunea %1").arg(QLatin1String(kProgramVersion)), this);
  version->setObjectName("lbVersion");
  version->setAlignment(Qt::AlignHCenter);
  layout->addWidget(version);

  auto* maker = new QLabel(QStringLiteral("%1 pentru Selvara Exim").arg(QLatin1String(kProgramMaker)), this);
  maker->setObjectName("lbMaker");
  maker->setAlignment(Qt::AlignHCenter);
  layout->addWidget(maker);

  auto* purpose = new QLabel(QStringLiteral("Programarea caselor de marcat electronice"), this);
  purpose->setAlignment(Qt::AlignHCenter);
  layout->addWidget(purpose);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace vestok
