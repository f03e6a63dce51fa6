// "Bitte warten ...": the modeless window the network import shows while it reads the users. It
// has nothing to operate; it is painted once when shown and not updated while the read runs.
#pragma once

#include <QDialog>

namespace orn::wizard {

class CWaitDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CWaitDialog(QWidget* owner);

  // Centres the window on its owner, shows it and paints it at once.
  void ShowNow();
};

}  // namespace orn::wizard
