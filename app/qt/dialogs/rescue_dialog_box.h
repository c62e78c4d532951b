// DLG_RECUP, "Rescue Scanning", drawn over the core's RescueDialog model:
// "Sector:", "File:" and "Number:" with their value fields (1141, 1142,
// 1143), the "Copy Mode" group with "&Data" (1144), "&Resource" (1145) and
// "&Binary" (1146), "&Parameters" (1147, disabled when the mounted volume
// gives the geometry), "Cancel" (100), "&Start" (101), the status line
// (1148) and help. The template gives no ids of its own; these follow the
// program's conventions (100 Cancel, 101 the default button).
//
// The scan runs inside Start; the value fields are redrawn from the model
// while it runs (the wait cursor lets timers through), so the sector
// count moves as the medium is read. Cancel, Esc and the close box end the
// dialog.
#pragma once

#include <QLabel>
#include <QRadioButton>
#include <QTimer>

#include "dialogs/model_dialog.h"
#include "ui/rescue_dialog.h"

namespace tarvo {

class RescueDialogBox : public ModelDialog<RescueDialog> {
  Q_OBJECT
 public:
  RescueDialogBox(RescueDialog& model, QWidget* parent);

 private:
  void Sync() override;
  void ShowFields();
  void Choose(std::uint16_t mode);

  QLabel* sector_ = nullptr;
  QLabel* file_ = nullptr;
  QLabel* number_ = nullptr;
  QLabel* status_ = nullptr;
  QRadioButton* data_ = nullptr;
  QRadioButton* resource_ = nullptr;
  QRadioButton* binary_ = nullptr;
  QPushButton* parameters_ = nullptr;
  QTimer refresh_;
};

}  // namespace tarvo
